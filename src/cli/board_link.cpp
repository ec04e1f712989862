#include "cli/board_link.h"

#include "board/virtual_board.h"
#include "cli/run_output.h"
#include "serial/board_line.h"
#include "serial/comm_error.h"
#include "serial/port_table.h"

#include <QEventLoop>
#include <QTimer>

namespace {

// Frames still on the line when the exchange ends arrive within milliseconds.
constexpr int kSettleMsecs = 1000;
// Enough for every frame a run sends.
constexpr int kFaultFrames = 100;

} // namespace

CBoardLink::CBoardLink() = default;

CBoardLink::~CBoardLink()
{
    // The port closes before the board's pseudo-terminal goes.
    m_link.Detach();
}

void CBoardLink::Open(const CliOptions& options, CRunOutput& output, CTrafficLog* pLog)
{
    output.SetPort(ChoosePort(options));
    m_link.SetTrafficLog(pLog);
    m_link.SetAnswersAtOnce(true);
    m_link.Attach();
    SetUpBoardLine(m_link);
    if (m_pBoard && !options.boardSends.isEmpty())
        m_pBoard->SendRaw(options.boardSends);
}

void CBoardLink::ArmFault(const CliOptions& options)
{
    const auto arm = [this, strFault = options.strFault] {
        if (strFault == QLatin1String("silent"))
            m_pBoard->StaySilent(kFaultFrames);
        else if (strFault == QLatin1String("refuse"))
            m_pBoard->Refuse(kFaultFrames);
    };
    if (options.nFaultFromFrame <= 1) {
        arm();
        return;
    }
    // Set as a frame arrives, a knob meets the frames after it.
    QObject::connect(m_pBoard.get(), &CVirtualBoard::FrameReceived, m_pBoard.get(),
                     [this, arm, nBefore = options.nFaultFromFrame - 1] {
                         if (m_pBoard->Frames().size() == nBefore)
                             arm();
                     });
}

QString CBoardLink::ChoosePort(const CliOptions& options)
{
    if (options.bSimulate) {
        m_pBoard = std::make_unique<CVirtualBoard>();
        if (!m_pBoard->Open())
            throw CommError(QStringLiteral("Cannot start the virtual board: %1").arg(m_pBoard->ErrorText()));
        ArmFault(options);
        m_link.Ports().AddPreferred(m_pBoard->PortName(), m_pBoard->PortDescription());
        if (QIODevice* pClientEnd = m_pBoard->ClientEnd())
            m_link.AddDevicePort(m_pBoard->PortName(), *pClientEnd);
        return m_pBoard->PortName();
    }
    m_link.Ports().AddPreferred(options.strPort, QStringLiteral("Given on the command line"));
    return options.strPort;
}

CSerialLink& CBoardLink::Link()
{
    return m_link;
}

bool CBoardLink::HasBoard() const
{
    return m_pBoard != nullptr;
}

CVirtualBoard* CBoardLink::Board() const
{
    return m_pBoard.get();
}

QStringList CBoardLink::BoardFrames(int nExpected)
{
    if (m_pBoard->Frames().size() < nExpected) {
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(m_pBoard.get(), &CVirtualBoard::FrameReceived, &loop, [this, nExpected, &loop] {
            if (m_pBoard->Frames().size() >= nExpected)
                loop.quit();
        });
        limit.start(kSettleMsecs);
        loop.exec();
    }
    QStringList frames;
    for (const ReceivedFrame& frame : m_pBoard->Frames())
        frames.append(frame.Hex());
    return frames;
}
