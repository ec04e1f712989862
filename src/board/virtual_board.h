#pragma once

#include "board/adapter_hold.h"
#include "board/board_transport.h"
#include "board/frame_splitter.h"
#include "board/paced_writer.h"
#include "board/sweep.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class QIODevice;
class QTimer;
struct BoardCommand;

// A frame as the board received it, for tests and the board's log.
struct ReceivedFrame {
    QByteArray bytes;
    qint64 nMsecs = 0;  // since the board was constructed
    SplitFrame::Verdict verdict = SplitFrame::Verdict::Good;

    int Retry() const { return bytes.size() > 4 ? static_cast<quint8>(bytes[4]) : -1; }
    int Command() const { return bytes.size() > 5 ? static_cast<quint8>(bytes[5]) : -1; }
    QString Hex() const { return QString::fromLatin1(bytes.toHex().toUpper()); }
};

// The signal-source board in software, on a pseudo-terminal, or where the
// system has none on a line within this process. It answers a good
// frame with 4F 4B and a bad one with 45 52, carries out the commands and,
// while sweeping, reports its present frequency as a 4-byte tuning word.
// Lives in the thread that creates it; everything runs on its event loop.
class CVirtualBoard : public QObject {
    Q_OBJECT

public:
    enum class Mode { Off, SinglePoint, Sweeping, Paused };

    explicit CVirtualBoard(QObject* parent = nullptr, BoardLineKind lineKind = BoardLineKind::System);
    ~CVirtualBoard() override;

    // Opens its line. With a link path, a symbolic link there points at a
    // pseudo-terminal, and PortName() is the link; a line within this process
    // takes it as its name. Returns false with ErrorText() set.
    bool Open(const QString& strLinkPath = QString());
    QString PortName() const;
    QString ErrorText() const;
    bool IsOpen() const;
    // The device a link opens as the port PortName() for a line within this
    // process (CSerialLink::AddDevicePort); none for a pseudo-terminal.
    QIODevice* ClientEnd() const;
    // What the port list says of PortName().
    QString PortDescription() const;

    // Closes the line, as an unplugged adapter; Reappear opens a new one
    // behind the same link path.
    void Vanish();
    bool Reappear();

    // Fault knobs, each for the next N frames received.
    void StaySilent(int nFrames);
    void Refuse(int nFrames);
    // The next reply goes out one byte at a time, nGapMs apart.
    void SplitNextReply(int nGapMs);
    // Queues raw bytes for the line, such as noise or a hand-made report.
    void SendRaw(const QByteArray& bytes);

    // Line pacing: about 1.04 ms a byte at 9600 baud. Off, only the gap
    // between two writes remains, so that they never arrive glued.
    void SetLinePacing(bool bPaced);
    // Holds the output as a USB-serial adapter of the FTDI kind does: until
    // nMsecs after the first waiting byte (16 is the usual), or until 62
    // bytes wait. Zero or less, the default, is no adapter.
    void SetAdapterLatency(int nMsecs);
    void SetReportInterval(int nMsecs);  // default 100 ms
    // A fixed number of steps between two reports, whatever the sweep's
    // time per step; 0, the default, steps as that time gives.
    void SetStepsPerReport(int nSteps);

    // The latest frames received, at most this many: a board left running
    // for days holds no more.
    static constexpr int kMostRecordedFrames = 1000;
    QList<ReceivedFrame> Frames() const;
    void ClearFrames();

    Mode CurrentMode() const;
    quint32 TuningWord() const;      // present output frequency
    int AmplitudeWord() const;
    bool IsCircular() const;

Q_SIGNALS:
    void FrameReceived(const ReceivedFrame& frame);
    void ReportSent(quint32 dwWord);

private:
    void OnReadable();
    void OnIdle();
    void OnReportDue();
    void HandleFrame(const SplitFrame& split);
    void Reply(const QByteArray& bytes);
    void CarryOut(const BoardCommand& command);
    void SendReport(quint32 dwWord);
    void StartSweepClock();
    int StepsDue();

    QElapsedTimer m_clock;
    std::unique_ptr<CBoardTransport> m_pLine;
    CAdapterHold m_adapter;
    CPacedWriter m_writer;
    CFrameSplitter m_splitter;
    CSweep m_sweep;
    QTimer* m_pIdleTimer = nullptr;
    QTimer* m_pReportTimer = nullptr;
    QList<ReceivedFrame> m_frames;
    QString m_strLinkPath;
    QString m_strError;
    Mode m_mode = Mode::Off;
    quint32 m_dwTuningWord = 0;
    int m_nAmplitudeWord = 0;
    bool m_bCircular = false;
    int m_nSilentFrames = 0;
    int m_nRefusedFrames = 0;
    int m_nSplitGapMs = -1;
    int m_nStepsPerReport = 0;
    // The sweep's time per step, and its time spent sweeping (not paused)
    // up to the running stretch that m_sweepClock times.
    qint64 m_nStepNsecs = 0;
    qint64 m_nSweptNsecs = 0;
    qint64 m_nStepsTaken = 0;
    QElapsedTimer m_sweepClock;
};
