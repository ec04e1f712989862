#include "serial/port_table.h"

#include "serial/by_id_names.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>

#include <algorithm>

namespace {

QString JoinParts(const QStringList& parts)
{
    QStringList present = parts;
    present.removeAll(QString());
    return present.join(QStringLiteral(", "));
}

// Where a path leads, so that a link and the device it names count as one.
QString DeviceBehind(const QString& strLocation)
{
    const QString strDevice = QFileInfo(strLocation).canonicalFilePath();
    return strDevice.isEmpty() ? strLocation : strDevice;
}

// A by-id path is too long for the list; the device it leads to is named as
// the system names its devices (ttyUSB0 for /dev/ttyUSB0).
QList<PortEntry> NamedEntries(QList<PortEntry> entries, const CByIdNames& byId)
{
    for (PortEntry& entry : entries) {
        if (!byId.IsLink(entry.strLocation))
            continue;
        const QString strDevice = DeviceBehind(entry.strLocation);
        entry.strName = strDevice.startsWith(QLatin1String("/dev/")) ? strDevice.mid(5) : strDevice;
    }
    return entries;
}

void AddByIdPaths(QList<PortEntry>& table, const CByIdNames& byId)
{
    for (PortEntry& entry : table) {
        entry.strByIdPath = byId.PathOf(entry.strLocation);
        entry.strDescription = JoinParts({entry.strDescription, entry.strByIdPath});
    }
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

// Only a serial number tells two adapters of one make apart.
QString UsbIdentity(const QSerialPortInfo& info)
{
    if (!info.hasVendorIdentifier() || !info.hasProductIdentifier() || info.serialNumber().isEmpty())
        return QString();
    return QString::asprintf("usb:%04x:%04x:", static_cast<unsigned>(info.vendorIdentifier()),
                             static_cast<unsigned>(info.productIdentifier()))
        + info.serialNumber();
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

QString PortIdentity(const PortEntry& entry)
{
    if (!entry.strByIdPath.isEmpty())
        return entry.strByIdPath;
    return entry.strUsbIdentity.isEmpty() ? entry.strLocation : entry.strUsbIdentity;
}

int FindPort(const QList<PortEntry>& table, const QString& strIdentity)
{
    if (strIdentity.isEmpty())
        return -1;
    for (int i = 0; i < table.size(); ++i) {
        if (PortIdentity(table[i]) == strIdentity || table[i].strLocation == strIdentity)
            return i;
    }
    return -1;
}

void CPortTable::AddPreferred(const QString& strLocation, const QString& strDescription)
{
    m_preferred.append({strLocation, strLocation, strDescription, QString(), QString()});
}

void CPortTable::ClearPreferred()
{
    m_preferred.clear();
}

void CPortTable::SetByIdFolder(const QString& strFolder)
{
    m_strByIdFolder = strFolder;
}

QList<PortEntry> CPortTable::Read() const
{
    const CByIdNames byId(m_strByIdFolder);
    QList<PortEntry> table = NamedEntries(m_preferred, byId);
    QList<QSerialPortInfo> devices = QSerialPortInfo::availablePorts();
    std::sort(devices.begin(), devices.end(), [](const QSerialPortInfo& a, const QSerialPortInfo& b) {
        return NaturalPortOrder(a.portName(), b.portName());
    });
    for (const QSerialPortInfo& info : devices) {
        const QString strDevice = DeviceBehind(info.systemLocation());
        const auto listed = std::find_if(table.begin(), table.end(), [&strDevice](const PortEntry& entry) {
            return DeviceBehind(entry.strLocation) == strDevice;
        });
        if (listed == table.end()) {
            table.append(
                {info.portName(), info.systemLocation(), DescribeDevice(info), QString(), UsbIdentity(info)});
        } else {
            listed->strDescription = JoinParts({listed->strDescription, DescribeDevice(info)});
            listed->strUsbIdentity = UsbIdentity(info);
        }
    }
    AddByIdPaths(table, byId);
    return table;
}

QList<PortEntry> CPortTable::Starting() const
{
    if (!m_preferred.isEmpty()) {
        const CByIdNames byId(m_strByIdFolder);
        QList<PortEntry> table = NamedEntries(m_preferred, byId);
        AddByIdPaths(table, byId);
        return table;
    }
    return Read();
}

QString CPortTable::LocationAt(int nPort) const
{
    if (nPort >= 1 && nPort <= m_preferred.size())
        return m_preferred[nPort - 1].strLocation;
    const QList<PortEntry> table = Read();
    return nPort >= 1 && nPort <= table.size() ? table[nPort - 1].strLocation : QString();
}
