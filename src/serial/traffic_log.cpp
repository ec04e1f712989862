#include "serial/traffic_log.h"

#include "protocol/frame_decoding.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// The event loop writes the lines when it is about to wait; a loop that
// never waits (a test's polling, a busy stretch) has them written by then.
constexpr int kLongestHoldMsecs = 100;

} // namespace

const char* WatchResultName(WatchResult result)
{
    switch (result) {
    case WatchResult::Ack:
        return "ack";
    case WatchResult::Refused:
        return "refused";
    case WatchResult::GaveUp:
        return "gave_up";
    case WatchResult::Stopped:
        return "stopped";
    case WatchResult::SendFailed:
        break;
    }
    return "send_failed";
}

namespace {

const char* ChangeName(PortChange change)
{
    switch (change) {
    case PortChange::Opened:
        return "opened";
    case PortChange::Closed:
        return "closed";
    case PortChange::Vanished:
        return "vanished";
    case PortChange::Error:
        break;
    }
    return "error";
}

void AppendText(QByteArray& line, const char* pszKey, const QString& strValue)
{
    line += ",\"";
    line += pszKey;
    line += "\":\"";
    for (const char ch : strValue.toUtf8()) {
        if (ch == '"' || ch == '\\') {
            line += '\\';
            line += ch;
        } else if (static_cast<unsigned char>(ch) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(ch));
            line += escaped;
        } else {
            line += ch;
        }
    }
    line += '"';
}

void AppendNumber(QByteArray& line, const char* pszKey, qint64 nValue)
{
    line += ",\"";
    line += pszKey;
    line += "\":";
    line += QByteArray::number(nValue);
}

// Two digits, as the frame text writes its codes.
QString CodeText(int nCode)
{
    return QStringLiteral("%1").arg(nCode, 2, 16, QLatin1Char('0')).toUpper();
}

// What the protocol core reads from a frame: its kind, command and code.
void AppendFrameFields(QByteArray& line, const std::optional<DecodedFrame>& frame)
{
    if (!frame)
        return;
    const std::optional<FrameKind> kind = FrameKindOf(*frame);
    AppendText(line, "kind", QLatin1String(kind ? FrameKindName(*kind) : "control"));
    AppendText(line, "cmd", CodeText(frame->nCommand));
    if (frame->nControlCode >= 0)
        AppendText(line, "code", CodeText(frame->nControlCode));
}

} // namespace

CTrafficLog::CTrafficLog() = default;

CTrafficLog::~CTrafficLog() = default;

bool CTrafficLog::Open(const QString& strPath, QString& strError)
{
    Close();
    auto pFile = std::make_unique<QFile>(strPath);
    // Unbuffered: a write is one system call, and its count says what the
    // disk took.
    if (!pFile->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        strError = QStringLiteral("Cannot open the traffic log %1: %2.").arg(strPath, pFile->errorString());
        return false;
    }
    m_pFile = std::move(pFile);
    m_pFlushTimer = std::make_unique<QTimer>();
    m_pFlushTimer->setSingleShot(true);
    m_pFlushTimer->setInterval(kLongestHoldMsecs);
    connect(m_pFlushTimer.get(), &QTimer::timeout, this, &CTrafficLog::Flush);
    // The end of a turn: written then, the lines cost no turn of their own.
    if (QAbstractEventDispatcher* pDispatcher = QAbstractEventDispatcher::instance())
        m_endOfTurn = connect(pDispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &CTrafficLog::Flush);
    m_sinceStart.start();
    m_bOn = true;
    return true;
}

void CTrafficLog::Close()
{
    const QString strFailure = WritePending();
    m_pending.clear();
    m_bOn = false;
    disconnect(m_endOfTurn);
    m_pFlushTimer.reset();
    m_pFile.reset();
    if (!strFailure.isEmpty())
        TellOperator(strFailure);
}

bool CTrafficLog::IsOn() const
{
    return m_bOn;
}

void CTrafficLog::SetNotice(Notice notice)
{
    m_notice = std::move(notice);
}

void CTrafficLog::FrameWritten(const QString& strFrame)
{
    if (!m_bOn)
        return;
    BeginLine();
    m_pending += ",\"dir\":\"tx\"";
    AppendText(m_pending, "hex", strFrame);
    const std::optional<DecodedFrame> frame = DecodeFrame(strFrame);
    AppendFrameFields(m_pending, frame);
    if (frame)
        AppendNumber(m_pending, "retry", frame->nRetry);
    EndLine();
}

void CTrafficLog::Received(const QByteArray& bytes)
{
    if (!m_bOn)
        return;
    BeginLine();
    m_pending += ",\"dir\":\"rx\",\"hex\":\"";
    m_pending += bytes.toHex().toUpper();
    m_pending += '"';
    EndLine();
}

void CTrafficLog::Verdict(const QString& strFrame, int nRetry, WatchResult result, const QString& strError)
{
    if (!m_bOn)
        return;
    BeginLine();
    m_pending += ",\"event\":\"verdict\"";
    AppendFrameFields(m_pending, DecodeFrame(strFrame));
    AppendNumber(m_pending, "retry", nRetry);
    AppendText(m_pending, "result", QLatin1String(WatchResultName(result)));
    if (!strFrame.isEmpty())
        AppendText(m_pending, "frame", strFrame);
    if (!strError.isEmpty())
        AppendText(m_pending, "error", strError);
    EndLine();
}

void CTrafficLog::Port(PortChange change, const QString& strDevice, const QString& strError)
{
    if (!m_bOn)
        return;
    BeginLine();
    m_pending += ",\"event\":\"port\"";
    AppendText(m_pending, "state", QLatin1String(ChangeName(change)));
    AppendText(m_pending, "device", strDevice);
    AppendText(m_pending, "error", strError);
    EndLine();
}

void CTrafficLog::Flush()
{
    if (m_pending.isEmpty())
        return;
    m_pFlushTimer->stop();
    const QString strFailure = WritePending();
    if (strFailure.isEmpty())
        return;
    // A message box would run its own event loop inside this one's turn.
    QMetaObject::invokeMethod(
        this, [this, strFailure] { TellOperator(strFailure); }, Qt::QueuedConnection);
}

QString CTrafficLog::WritePending()
{
    if (!m_bOn || m_pending.isEmpty())
        return QString();
    const qint64 nWritten = m_pFile->write(m_pending);
    // A short write sets no error text of its own; the failed call's errno says why.
    const int nErrno = errno;
    const bool bWhole = nWritten == m_pending.size();
    m_pending.clear();
    if (bWhole)
        return QString();
    const QString strWhy = nWritten < 0 ? m_pFile->errorString() : QString::fromLocal8Bit(std::strerror(nErrno));
    // Cut back to the last whole line, so that every line of the file parses.
    if (nWritten > 0)
        m_pFile->resize(m_pFile->size() - nWritten);
    const QString strPath = m_pFile->fileName();
    m_bOn = false;
    m_pFile.reset();
    return QStringLiteral("The traffic log %1 could not be written (%2). Logging has stopped; the file ends on its "
                          "last whole line.")
        .arg(strPath, strWhy);
}

void CTrafficLog::BeginLine()
{
    m_pending += "{\"t\":";
    m_pending += QByteArray::number(m_sinceStart.elapsed());
    m_pending += ",\"time\":\"";
    m_pending += QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toLatin1();
    m_pending += '"';
}

void CTrafficLog::EndLine()
{
    m_pending += "}\n";
    if (!m_pFlushTimer->isActive())
        m_pFlushTimer->start();
}

void CTrafficLog::TellOperator(const QString& strText)
{
    if (m_notice) {
        m_notice(strText);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), qPrintable(strText));
}
