#include "cli/receive_path.h"

#include "serial/comm_error.h"
#include "serial/ms_comm.h"
#include "serial/reply_state.h"

namespace {

// More than one event can bring: the input buffer holds 1024.
constexpr qsizetype kMostReplyBytes = 2048;

} // namespace

CReceivePath::CReceivePath()
{
    connect(&g_msComm, &CMSComm::OnComm, this, [this] {
        try {
            OnComm();
        } catch (const CommError& error) {
            Q_EMIT PortFailed(QString::fromStdString(error.what()));
        }
    });
}

void CReceivePath::OnComm()
{
    const short nEvent = g_msComm.GetCommEvent();
    if (nEvent == CMSComm::kEventDisconnected || nEvent == CMSComm::kEventPortError) {
        Q_EMIT PortFailed(g_msComm.LastEventText());
        return;
    }
    if (nEvent == CMSComm::kEventReceive)
        Q_EMIT Received(TakeReceivedReply(kMostReplyBytes));
}
