#include "board/virtual_board.h"

#include "board/board_command.h"

#include <QTimer>
#include <QtEndian>

namespace {

const QByteArray g_replyOk = QByteArrayLiteral("\x4F\x4B");
const QByteArray g_replyError = QByteArrayLiteral("\x45\x52");

// A partial frame idle this long has stopped arriving.
constexpr int kIdleFlushMs = 50;
constexpr int kDefaultReportMs = 100;
constexpr qint64 kIntervalNsecs = 20;
// More steps than any sweep has: 390 MHz in 15 kHz steps is 25,560.
constexpr qint64 kMostStepsAtOnce = 1 << 30;

} // namespace

CVirtualBoard::CVirtualBoard(QObject* parent, BoardLineKind lineKind)
    : QObject(parent)
    , m_pLine(MakeBoardTransport(lineKind))
    , m_pIdleTimer(new QTimer(this))
    , m_pReportTimer(new QTimer(this))
{
    m_clock.start();
    m_writer.SetAdapter(&m_adapter);
    m_pIdleTimer->setSingleShot(true);
    m_pIdleTimer->setTimerType(Qt::PreciseTimer);
    m_pIdleTimer->setInterval(kIdleFlushMs);
    connect(m_pIdleTimer, &QTimer::timeout, this, &CVirtualBoard::OnIdle);
    m_pReportTimer->setTimerType(Qt::PreciseTimer);
    m_pReportTimer->setInterval(kDefaultReportMs);
    connect(m_pReportTimer, &QTimer::timeout, this, &CVirtualBoard::OnReportDue);
    connect(m_pLine.get(), &CBoardTransport::Readable, this, &CVirtualBoard::OnReadable);
}

CVirtualBoard::~CVirtualBoard()
{
    Vanish();
}

bool CVirtualBoard::Open(const QString& strLinkPath)
{
    Vanish();
    m_strLinkPath = strLinkPath;
    if (!m_pLine->Open(strLinkPath, m_strError))
        return false;
    m_strError.clear();
    CBoardTransport* pLine = m_pLine.get();
    const LineWrite write = [pLine](const QByteArray& bytes) { return pLine->Write(bytes); };
    m_adapter.SetLine(write);
    m_writer.SetLine(write);
    return true;
}

QString CVirtualBoard::PortName() const
{
    return m_pLine->PortName();
}

QString CVirtualBoard::ErrorText() const
{
    return m_strError;
}

bool CVirtualBoard::IsOpen() const
{
    return m_pLine->IsOpen();
}

QIODevice* CVirtualBoard::ClientEnd() const
{
    return m_pLine->ClientEnd();
}

QString CVirtualBoard::PortDescription() const
{
    return ClientEnd() ? QStringLiteral("Virtual board (simulated, within this program)")
                       : QStringLiteral("Virtual board (simulated, on a pseudo-terminal)");
}

void CVirtualBoard::Vanish()
{
    m_writer.SetLine({});
    m_adapter.SetLine({});
    m_pIdleTimer->stop();
    m_splitter = CFrameSplitter();
    m_pLine->Close();
}

bool CVirtualBoard::Reappear()
{
    return Open(m_strLinkPath);
}

void CVirtualBoard::StaySilent(int nFrames)
{
    m_nSilentFrames = qMax(0, nFrames);
}

void CVirtualBoard::Refuse(int nFrames)
{
    m_nRefusedFrames = qMax(0, nFrames);
}

void CVirtualBoard::SplitNextReply(int nGapMs)
{
    m_nSplitGapMs = qMax(0, nGapMs);
}

void CVirtualBoard::SendRaw(const QByteArray& bytes)
{
    m_writer.Enqueue(bytes);
}

void CVirtualBoard::SetLinePacing(bool bPaced)
{
    m_writer.SetPacing(bPaced);
}

void CVirtualBoard::SetAdapterLatency(int nMsecs)
{
    m_adapter.SetLatency(nMsecs);
}

void CVirtualBoard::SetReportInterval(int nMsecs)
{
    m_pReportTimer->setInterval(qMax(1, nMsecs));
}

void CVirtualBoard::SetStepsPerReport(int nSteps)
{
    m_nStepsPerReport = qMax(0, nSteps);
}

QList<ReceivedFrame> CVirtualBoard::Frames() const
{
    return m_frames;
}

void CVirtualBoard::ClearFrames()
{
    m_frames.clear();
}

CVirtualBoard::Mode CVirtualBoard::CurrentMode() const
{
    return m_mode;
}

quint32 CVirtualBoard::TuningWord() const
{
    return m_dwTuningWord;
}

int CVirtualBoard::AmplitudeWord() const
{
    return m_nAmplitudeWord;
}

bool CVirtualBoard::IsCircular() const
{
    return m_bCircular;
}

void CVirtualBoard::OnReadable()
{
    const QByteArray received = m_pLine->ReadAll();
    if (received.isEmpty())
        return;
    for (const SplitFrame& frame : m_splitter.Feed(received)) {
        HandleFrame(frame);
    }
    if (m_splitter.HasPartialFrame())
        m_pIdleTimer->start();
    else
        m_pIdleTimer->stop();
}

void CVirtualBoard::OnIdle()
{
    for (const SplitFrame& frame : m_splitter.Flush()) {
        HandleFrame(frame);
    }
}

void CVirtualBoard::HandleFrame(const SplitFrame& split)
{
    // The knobs count from now: a slot of FrameReceived that sets one means
    // the frames after this one.
    const bool bSilent = m_nSilentFrames > 0;
    const bool bRefused = m_nRefusedFrames > 0;
    m_nSilentFrames = qMax(0, m_nSilentFrames - 1);
    m_nRefusedFrames = qMax(0, m_nRefusedFrames - 1);

    ReceivedFrame frame;
    frame.bytes = split.bytes;
    frame.nMsecs = m_clock.elapsed();
    frame.verdict = split.verdict;
    m_frames.append(frame);
    if (m_frames.size() > kMostRecordedFrames)
        m_frames.removeFirst();
    Q_EMIT FrameReceived(frame);

    if (bSilent)
        return;
    BoardCommand command;
    const bool bAccepted = !bRefused && split.verdict == SplitFrame::Verdict::Good && DecodeCommand(split.bytes, command);
    Reply(bAccepted ? g_replyOk : g_replyError);
    if (bAccepted)
        CarryOut(command);
}

void CVirtualBoard::Reply(const QByteArray& bytes)
{
    if (m_nSplitGapMs < 0) {
        m_writer.Enqueue(bytes);
        return;
    }
    for (qsizetype i = 0; i < bytes.size(); ++i)
        m_writer.Enqueue(bytes.mid(i, 1), i + 1 < bytes.size() ? m_nSplitGapMs : -1);
    m_nSplitGapMs = -1;
}

void CVirtualBoard::CarryOut(const BoardCommand& command)
{
    switch (command.kind) {
    case BoardCommand::Kind::SinglePoint:
        m_pReportTimer->stop();
        m_mode = Mode::SinglePoint;
        m_dwTuningWord = command.dwTuningWord;
        m_nAmplitudeWord = command.nAmplitudeWord;
        break;
    case BoardCommand::Kind::Sweep:
        m_sweep.Start(command.dwTuningWord, command.dwEndWord, command.nStepCode);
        m_mode = Mode::Sweeping;
        m_dwTuningWord = m_sweep.PresentWord();
        m_nAmplitudeWord = command.nAmplitudeWord;
        m_bCircular = command.bCircular;
        m_nStepNsecs = qMax<qint64>(1, command.nIntervalCount) * kIntervalNsecs;
        StartSweepClock();
        m_pReportTimer->start();
        break;
    case BoardCommand::Kind::Close:
        m_pReportTimer->stop();
        m_mode = Mode::Off;
        break;
    case BoardCommand::Kind::Pause:
        if (m_mode == Mode::Sweeping) {
            m_pReportTimer->stop();
            m_nSweptNsecs += m_sweepClock.nsecsElapsed();
            m_mode = Mode::Paused;
        }
        break;
    case BoardCommand::Kind::Continue:
        if (m_mode == Mode::Paused) {
            m_sweepClock.start();
            m_pReportTimer->start();
            m_mode = Mode::Sweeping;
        }
        break;
    }
}

void CVirtualBoard::OnReportDue()
{
    const bool bEnded = m_sweep.Advance(m_nStepsPerReport > 0 ? m_nStepsPerReport : StepsDue());
    m_dwTuningWord = m_sweep.PresentWord();
    SendReport(m_dwTuningWord);
    if (!bEnded)
        return;
    if (m_bCircular) {
        m_sweep.Rewind();
        m_dwTuningWord = m_sweep.PresentWord();
        StartSweepClock();
        return;
    }
    m_pReportTimer->stop();
    m_mode = Mode::SinglePoint;
}

void CVirtualBoard::StartSweepClock()
{
    m_nSweptNsecs = 0;
    m_nStepsTaken = 0;
    m_sweepClock.start();
}

// The steps the time swept since the last report gives, as a board that
// dwells on each step for its time interval has taken them.
int CVirtualBoard::StepsDue()
{
    const qint64 nDue = (m_nSweptNsecs + m_sweepClock.nsecsElapsed()) / m_nStepNsecs;
    const qint64 nSteps = qMin(nDue - m_nStepsTaken, kMostStepsAtOnce);
    m_nStepsTaken = nDue;
    return static_cast<int>(nSteps);
}

void CVirtualBoard::SendReport(quint32 dwWord)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(dwWord, bytes.data());
    m_writer.Enqueue(bytes);
    Q_EMIT ReportSent(dwWord);
}
