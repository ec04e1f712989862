#include "serial/port_table.h"

#include <QSerialPortInfo>
#include <QStringList>

#include <algorithm>

namespace {

QList<PortEntry>& PreferredPorts()
{
    static QList<PortEntry> ports;
    return ports;
}

QString DescribeDevice(const QSerialPortInfo& info)
{
    QStringList parts;
    if (!info.description().isEmpty())
        parts << info.description();
    if (!info.manufacturer().isEmpty())
        parts << info.manufacturer();
    if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
        parts << QString::asprintf("USB %04x:%04x", static_cast<unsigned>(info.vendorIdentifier()),
                                   static_cast<unsigned>(info.productIdentifier()));
    }
    if (!info.serialNumber().isEmpty())
        parts << QStringLiteral("serial number %1").arg(info.serialNumber());
    parts << info.systemLocation();
    return parts.join(QStringLiteral(", "));
}

} // namespace

bool NaturalPortOrder(const QString& strLeft, const QString& strRight)
{
    auto digitRun = [](const QString& str, qsizetype& i) {
        const qsizetype nStart = i;
        while (i < str.size() && str[i].isDigit())
            ++i;
        qsizetype nFirst = nStart;
        while (nFirst + 1 < i && str[nFirst] == u'0')
            ++nFirst;
        return QStringView(str).mid(nFirst, i - nFirst);
    };
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < strLeft.size() && j < strRight.size()) {
        if (strLeft[i].isDigit() && strRight[j].isDigit()) {
            const QStringView a = digitRun(strLeft, i);
            const QStringView b = digitRun(strRight, j);
            if (a.size() != b.size())
                return a.size() < b.size();
            if (a != b)
                return a < b;
            continue;
        }
        if (strLeft[i] != strRight[j])
            return strLeft[i] < strRight[j];
        ++i;
        ++j;
    }
    return strLeft.size() - i < strRight.size() - j;
}

void AddPreferredPort(const QString& strLocation, const QString& strDescription)
{
    PreferredPorts().append({strLocation, strLocation, strDescription});
}

void ClearPreferredPorts()
{
    PreferredPorts().clear();
}

QList<PortEntry> ReadPortTable()
{
#ifdef Q_OS_WIN
    QList<PortEntry> table;
    for (int n = 1; n <= 16; ++n) {
        const QString strName = QStringLiteral("COM%1").arg(n);
        table.append({strName, strName, strName});
    }
    return table;
#else
    QList<PortEntry> table = PreferredPorts();
    QList<QSerialPortInfo> devices = QSerialPortInfo::availablePorts();
    std::sort(devices.begin(), devices.end(), [](const QSerialPortInfo& a, const QSerialPortInfo& b) {
        return NaturalPortOrder(a.portName(), b.portName());
    });
    for (const QSerialPortInfo& info : devices) {
        const bool bListed = std::any_of(table.cbegin(), table.cend(), [&info](const PortEntry& entry) {
            return entry.strLocation == info.systemLocation();
        });
        if (!bListed)
            table.append({info.portName(), info.systemLocation(), DescribeDevice(info)});
    }
    return table;
#endif
}

QList<PortEntry> StartingPortTable()
{
#ifndef Q_OS_WIN
    if (!PreferredPorts().isEmpty())
        return PreferredPorts();
#endif
    return ReadPortTable();
}

QString PortLocationAt(int nPort)
{
#ifndef Q_OS_WIN
    const QList<PortEntry>& preferred = PreferredPorts();
    if (nPort >= 1 && nPort <= preferred.size())
        return preferred[nPort - 1].strLocation;
#endif
    const QList<PortEntry> table = ReadPortTable();
    return nPort >= 1 && nPort <= table.size() ? table[nPort - 1].strLocation : QString();
}
