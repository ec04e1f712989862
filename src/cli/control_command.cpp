#include "cli/command_plan.h"

#include "protocol/frame.h"

namespace {

// Pause and continue are watched as the sweep page watches them; close as
// the main window does, whose frames always carry count 00.
constexpr WatchRules kSweepControlWatch{50, 9, true, true};
constexpr WatchRules kCloseWatch{200, 9, false, false};

constexpr int kCloseCode = 0x80;
constexpr int kPauseCode = 0x83;
constexpr int kContinueCode = 0x84;

} // namespace

CommandPlan PlanControl(const QString& strCommand)
{
    const bool bClose = strCommand == QLatin1String("close");
    const int nCode = bClose ? kCloseCode : strCommand == QLatin1String("pause") ? kPauseCode : kContinueCode;
    CommandPlan plan{{}, bClose ? kCloseWatch : kSweepControlWatch, {}};
    plan.compose = [nCode](int nRetry) {
        return ComposeFrame(nRetry, QStringLiteral("40"), {{"control code", nCode, 1}});
    };
    return plan;
}
