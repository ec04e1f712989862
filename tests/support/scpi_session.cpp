#include "support/scpi_session.h"

#include "scpi/message_run.h"
#include "support/sealed.h"

#include <QTest>

namespace {

// Longer than any sweep a test waits for.
constexpr int kSweepWaitMsecs = 10000;

} // namespace

CScpiSession::CScpiSession(CInstrumentState& shared, int nClient)
    : state(shared)
    , client(nClient)
{
}

CScpiSession::CScpiSession()
    : state(m_ownState)
{
}

MessageResult CScpiSession::Run(const QByteArray& message, BoardOutcome outcome)
{
    MessageResult result;
    CMessageRun run(message, state, client);
    for (CMessageRun::Step step = run.Next(); step != CMessageRun::Step::Ended; step = run.Next()) {
        if (step == CMessageRun::Step::AwaitsSweep) {
            ++result.nSweepWaits;
            // A sweep that never ends leaves the rest of the message unrun.
            if (!QTest::qWaitFor([this] { return !state.Sweep().IsSingleSweepRunning(); }, kSweepWaitMsecs))
                break;
            continue;
        }
        // A stepped sweep's action has no frame of its own.
        if (run.Request().stepped == SteppedAction::None)
            result.frames.append(Sealed(run.Request().compose(0)));
        result.kinds.append(run.Request().kind);
        run.Answered(outcome);
    }
    result.strResponse = run.Response();
    return result;
}

QList<int> CScpiSession::TakeErrorCodes()
{
    QList<int> codes;
    while (!client.Errors().IsEmpty())
        codes.append(client.Errors().TakeNext().section(QLatin1Char(','), 0, 0).toInt());
    return codes;
}
