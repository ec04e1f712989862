#include "serial/line_settings.h"

#include <QStringList>

namespace {

std::optional<QSerialPort::Parity> ParseParity(const QString& strParity)
{
    const QString strLower = strParity.toLower();
    if (strLower == u"n")
        return QSerialPort::NoParity;
    if (strLower == u"e")
        return QSerialPort::EvenParity;
    if (strLower == u"o")
        return QSerialPort::OddParity;
    if (strLower == u"m")
        return QSerialPort::MarkParity;
    if (strLower == u"s")
        return QSerialPort::SpaceParity;
    return std::nullopt;
}

std::optional<QSerialPort::StopBits> ParseStopBits(const QString& strStop)
{
    if (strStop == u"1")
        return QSerialPort::OneStop;
    if (strStop == u"1.5")
        return QSerialPort::OneAndHalfStop;
    if (strStop == u"2")
        return QSerialPort::TwoStop;
    return std::nullopt;
}

} // namespace

double LineSettings::BitsPerCharacter() const
{
    const double dStop = stopBits == QSerialPort::OneStop ? 1.0 : stopBits == QSerialPort::TwoStop ? 2.0 : 1.5;
    return 1.0 + static_cast<int>(dataBits) + (parity == QSerialPort::NoParity ? 0 : 1) + dStop;
}

std::optional<LineSettings> ParseLineSettings(const QString& strSettings)
{
    const QStringList parts = strSettings.trimmed().split(u',');
    if (parts.size() != 4)
        return std::nullopt;

    bool bBaudOk = false;
    const qint32 nBaud = parts[0].trimmed().toInt(&bBaudOk);
    bool bDataOk = false;
    const int nData = parts[2].trimmed().toInt(&bDataOk);
    const auto parity = ParseParity(parts[1].trimmed());
    const auto stopBits = ParseStopBits(parts[3].trimmed());
    if (!bBaudOk || nBaud <= 0 || !bDataOk || nData < 5 || nData > 8 || !parity || !stopBits)
        return std::nullopt;

    LineSettings settings;
    settings.nBaudRate = nBaud;
    settings.parity = *parity;
    settings.dataBits = static_cast<QSerialPort::DataBits>(nData);
    settings.stopBits = *stopBits;
    return settings;
}
