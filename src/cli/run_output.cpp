#include "cli/run_output.h"

#include "protocol/reply_text.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

void Print(std::FILE* pStream, const QString& strText)
{
    const QByteArray text = strText.toUtf8();
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), pStream);
    // Lines reach a pipe as they happen, so a monitor can be followed.
    std::fflush(pStream);
}

void PrintToStderr(const QString& strText)
{
    Print(stderr, QStringLiteral("vevevar-cli: %1\n").arg(strText));
}

QString ResultText(ExitCode code, const QString& strCommand)
{
    switch (code) {
    case ExitCode::Success:
        return strCommand == QLatin1String("monitor") || strCommand == QLatin1String("serve")
                   ? QStringLiteral("done")
                   : QStringLiteral("acknowledged");
    case ExitCode::BadInput:
        return QStringLiteral("bad input");
    case ExitCode::NoAcknowledgement:
        return QStringLiteral("no acknowledgement");
    case ExitCode::PortFailure:
        return QStringLiteral("port failure");
    }
    return QString();
}

bool StdoutIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stdout)) != 0;
#else
    return isatty(fileno(stdout)) != 0;
#endif
}

} // namespace

void PrintToStdout(const QString& strText)
{
    Print(stdout, strText);
}

CRunOutput::CRunOutput(bool bJson)
    : m_bJson(bJson)
    , m_bTerminal(StdoutIsTerminal())
{
    m_clock.start();
}

void CRunOutput::SetCommand(const QString& strCommand)
{
    m_strCommand = strCommand;
}

void CRunOutput::SetPort(const QString& strPort)
{
    m_strPort = strPort;
}

void CRunOutput::Notice(const QString& strText)
{
    m_notices.append(strText);
    PrintToStderr(strText);
}

void CRunOutput::FrameSent(int nRetry, const QString& strFrame)
{
    FrameRecorded(nRetry, strFrame);
    if (!m_bJson)
        PrintToStdout(QString::asprintf("%9.3f  sent   %s\n", Seconds(), qPrintable(strFrame)));
}

void CRunOutput::FrameRecorded(int nRetry, const QString& strFrame)
{
    m_framesSent.append(QJsonObject{{QStringLiteral("seconds"), Seconds()},
                                    {QStringLiteral("retry"), nRetry},
                                    {QStringLiteral("hex"), strFrame}});
}

void CRunOutput::Reply(const QByteArray& bytes, std::optional<float> frequencyMHz)
{
    AddReply(bytes, frequencyMHz, false);
}

void CRunOutput::Received(const QByteArray& bytes, std::optional<float> frequencyMHz)
{
    AddReply(bytes, frequencyMHz, true);
}

void CRunOutput::AddReply(const QByteArray& bytes, std::optional<float> frequencyMHz, bool bMarkReports)
{
    const double dSeconds = Seconds();
    const QString strHex = ReplyText(bytes).trimmed();
    QJsonObject reply{{QStringLiteral("seconds"), dSeconds}, {QStringLiteral("hex"), strHex}};
    if (bMarkReports)
        reply.insert(QStringLiteral("report"), frequencyMHz.has_value());
    if (frequencyMHz)
        reply.insert(QStringLiteral("frequencyMHz"), static_cast<double>(*frequencyMHz));
    m_replies.append(reply);
    if (m_bJson)
        return;
    QString strLine = QString::asprintf("%9.3f  reply  %s", dSeconds, qPrintable(strHex));
    if (frequencyMHz)
        strLine += QString::asprintf("   %.6f MHz", static_cast<double>(*frequencyMHz));
    else if (bMarkReports)
        strLine += QStringLiteral("   not a report");
    PrintToStdout(strLine + QLatin1Char('\n'));
}

void CRunOutput::BoardReceived(const QStringList& frames)
{
    m_boardFrames = frames;
    if (m_bJson)
        return;
    for (const QString& strFrame : frames)
        BoardFrame(strFrame);
}

void CRunOutput::BoardFrame(const QString& strFrame)
{
    PrintToStderr(QStringLiteral("board received %1").arg(strFrame));
}

int CRunOutput::FramesSent() const
{
    return static_cast<int>(m_framesSent.size());
}

void CRunOutput::PointDone(const QJsonObject& record, const QString& strLine)
{
    if (!m_points)
        m_points = QJsonArray();
    m_points->append(record);
    if (m_bJson)
        return;
    ClearProgress();
    PrintToStdout(strLine + QLatin1Char('\n'));
    DrawProgress();
}

void CRunOutput::Progress(const QString& strLine)
{
    if (m_bJson || !m_bTerminal)
        return;
    ClearProgress();
    m_strProgress = strLine;
    DrawProgress();
}

void CRunOutput::DrawProgress()
{
    if (m_strProgress.isEmpty())
        return;
    PrintToStdout(m_strProgress);
    m_bProgressShown = true;
}

void CRunOutput::SetLateCount(int nLate)
{
    m_nLate = nLate;
}

void CRunOutput::ClearProgress()
{
    if (!m_bProgressShown)
        return;
    // Back to the start of the line, and the line emptied.
    PrintToStdout(QStringLiteral("\r\x1b[K"));
    m_bProgressShown = false;
}

int CRunOutput::Finish(ExitCode code, const QString& strMessage)
{
    ClearProgress();
    m_strProgress.clear();
    const QString strResult = ResultText(code, m_strCommand);
    const int nExitCode = static_cast<int>(code);
    if (code == ExitCode::BadInput)
        PrintToStderr(strMessage + QStringLiteral(" See vevevar-cli --help."));
    else if (!strMessage.isEmpty())
        PrintToStderr(strMessage);
    if (!m_bJson) {
        PrintToStdout(strResult + QLatin1Char('\n'));
        return nExitCode;
    }
    QJsonObject result{{QStringLiteral("command"), m_strCommand},
                       {QStringLiteral("port"), m_strPort},
                       {QStringLiteral("notices"), QJsonArray::fromStringList(m_notices)},
                       {QStringLiteral("framesSent"), m_framesSent},
                       {QStringLiteral("replies"), m_replies},
                       {QStringLiteral("result"), strResult},
                       {QStringLiteral("exitCode"), nExitCode}};
    if (!strMessage.isEmpty())
        result.insert(QStringLiteral("message"), strMessage);
    if (m_boardFrames)
        result.insert(QStringLiteral("boardReceived"), QJsonArray::fromStringList(*m_boardFrames));
    if (m_points) {
        result.insert(QStringLiteral("points"), *m_points);
        result.insert(QStringLiteral("late"), m_nLate);
    }
    PrintToStdout(QString::fromUtf8(QJsonDocument(result).toJson(QJsonDocument::Indented)));
    return nExitCode;
}

double CRunOutput::Seconds() const
{
    return static_cast<double>(m_clock.elapsed()) / 1000.0;
}
