#include "scpi/client_status.h"
#include "scpi/error_queue.h"
#include "scpi/instrument_state.h"
#include "scpi/message_run.h"
#include "fuzz_check.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

constexpr std::array<BoardOutcome, 3> kOutcomes = {
    BoardOutcome::Acknowledged, BoardOutcome::NotAcknowledged, BoardOutcome::PortFailure};

// The frame text without its CRC: header, retry count, command, payload, trailer.
int ExpectedFrameDigits(FrameKind kind)
{
    switch (kind) {
    case FrameKind::Point:
        return 2 * (18 - 2);
    case FrameKind::Sweep:
        return 2 * (28 - 2);
    case FrameKind::Pause:
    case FrameKind::Continue:
    case FrameKind::Close:
        break;
    }
    return 2 * (13 - 2);
}

bool IsUpperHex(const QString& strText)
{
    for (const QChar ch : strText) {
        if (!((ch >= u'0' && ch <= u'9') || (ch >= u'A' && ch <= u'F')))
            return false;
    }
    return true;
}

// Runs a line as the server does, answering the frames in turn.
QString RunLine(const QByteArray& line, CInstrumentState& state, CClientStatus& client, int& nAnswer)
{
    const CErrorQueue& errors = client.Errors();
    CMessageRun run(line, state, client);
    // No time passes here: a wait for a sweep ends the message where it is.
    for (CMessageRun::Step step = run.Next(); step == CMessageRun::Step::AwaitsBoard; step = run.Next()) {
        const BoardRequest& request = run.Request();
        for (const int nRetry : {0, 6, 9}) {
            // A stepped sweep's action has no frame of its own.
            if (request.stepped != SteppedAction::None)
                break;
            const QString strFrame = request.compose(nRetry);
            FUZZ_CHECK(strFrame.size() == ExpectedFrameDigits(request.kind));
            FUZZ_CHECK(IsUpperHex(strFrame));
        }
        run.Answered(kOutcomes[static_cast<std::size_t>(nAnswer++) % kOutcomes.size()]);
        FUZZ_CHECK(errors.Size() <= CErrorQueue::kCapacity);
    }
    const QString strResponse = run.Response();
    FUZZ_CHECK(!strResponse.contains(u'\n'));
    FUZZ_CHECK(errors.Size() <= CErrorQueue::kCapacity);
    return strResponse;
}

} // namespace

// Any lines, run one after another on one state and one client's queue,
// never leave the queue beyond its size, an answer with a newline, a frame
// of the wrong length, or a setting that does not read back as a value the
// instrument takes again.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const QByteArray input(reinterpret_cast<const char*>(pData), static_cast<qsizetype>(nSize));
    CInstrumentState state;
    CClientStatus client;
    CErrorQueue& errors = client.Errors();
    int nAnswer = 0;
    state.ReportReceived(input.left(4));
    for (const QByteArray& line : input.split('\n'))
        RunLine(line, state, client, nAnswer);

    while (!errors.IsEmpty())
        FUZZ_CHECK(errors.TakeNext().startsWith(u'-'));
    const QByteArray settingsQuery = "FREQ?;VOLT?;FREQ:STAR?;STOP?;:SWE:STEP?;DWEL?;COUN?;:FREQ:MODE?;CURR?";
    const QList<QString> answers = RunLine(settingsQuery, state, client, nAnswer).split(u';');
    FUZZ_CHECK(answers.size() == 9 && errors.IsEmpty());
    const std::array<const char*, 8> headers = {
        ":FREQ ", ":VOLT ", ":FREQ:STAR ", ":FREQ:STOP ", ":SWE:STEP ", ":SWE:DWEL ", ":SWE:COUN ", ":FREQ:MODE "};
    QByteArray writeBack;
    for (std::size_t nSetting = 0; nSetting < headers.size(); ++nSetting)
        writeBack += headers[nSetting] + answers.at(static_cast<int>(nSetting)).toLatin1() + ';';
    writeBack.chop(1);
    RunLine(writeBack, state, client, nAnswer);
    // Only the board's answers to the points FREQ and VOLT send may fail.
    while (!errors.IsEmpty())
        FUZZ_CHECK(errors.TakeNext().startsWith(QLatin1String("-24")));
    FUZZ_CHECK(RunLine(settingsQuery, state, client, nAnswer).split(u';') == answers);
    return 0;
}
