#include "serial/adapter_latency.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

std::optional<int> PublishedLatencyMsecs(const QString& strDeviceName, const QString& strSysfsRoot)
{
    QFile file(QStringLiteral("%1/bus/usb-serial/devices/%2/latency_timer").arg(strSysfsRoot, strDeviceName));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool bNumber = false;
    const int nMsecs = QString::fromLatin1(file.read(16)).trimmed().toInt(&bNumber);
    if (!bNumber || nMsecs < 0)
        return std::nullopt;
    return nMsecs;
}

int AdapterLatencyMsecs(const QString& strLocation, const QString& strSysfsRoot)
{
    const QString strDevice = QFileInfo(strLocation).canonicalFilePath();
    // Asking the system for its serial devices takes about 10 ms; a
    // pseudo-terminal is none of them.
    if (strDevice.startsWith(QLatin1String("/dev/pts/")))
        return 0;
    const QSerialPortInfo info(strDevice.isEmpty() ? strLocation : strDevice);
    // The system tells a USB device by its vendor; built-in UARTs and
    // pseudo-terminals have none.
    if (info.isNull() || !info.hasVendorIdentifier())
        return 0;
    return PublishedLatencyMsecs(info.portName(), strSysfsRoot).value_or(kAssumedAdapterLatencyMsecs);
}
