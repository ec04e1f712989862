#include "cli/port_listing.h"

#include "cli/run_output.h"
#include "serial/by_id_names.h"
#include "serial/port_table.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPortInfo>
#include <QStringList>

#include <algorithm>

QList<ListedPort> ListPorts()
{
    QList<QSerialPortInfo> devices = QSerialPortInfo::availablePorts();
    std::sort(devices.begin(), devices.end(), [](const QSerialPortInfo& a, const QSerialPortInfo& b) {
        return NaturalPortOrder(a.portName(), b.portName());
    });
    const CByIdNames byId;
    QList<ListedPort> ports;
    for (const QSerialPortInfo& info : devices) {
        ListedPort port;
        port.strDevice = info.systemLocation();
        const QString strById = byId.PathOf(port.strDevice);
        port.strName = strById.isEmpty() ? port.strDevice : strById;
        port.strDescription = info.description();
        port.strManufacturer = info.manufacturer();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            port.strUsbId = QString::asprintf("%04x:%04x", static_cast<unsigned>(info.vendorIdentifier()),
                                              static_cast<unsigned>(info.productIdentifier()));
        }
        port.strSerialNumber = info.serialNumber();
        ports.append(port);
    }
    return ports;
}

QString PortLine(const ListedPort& port)
{
    QStringList parts;
    if (port.strDevice != port.strName)
        parts << port.strDevice;
    parts << port.strDescription << port.strManufacturer;
    if (!port.strUsbId.isEmpty())
        parts << QStringLiteral("USB %1").arg(port.strUsbId);
    if (!port.strSerialNumber.isEmpty())
        parts << QStringLiteral("serial number %1").arg(port.strSerialNumber);
    parts.removeAll(QString());
    return parts.isEmpty() ? port.strName : QStringLiteral("%1  %2").arg(port.strName, parts.join(QStringLiteral(", ")));
}

QJsonArray PortsJson(const QList<ListedPort>& ports)
{
    QJsonArray array;
    for (const ListedPort& port : ports) {
        array.append(QJsonObject{{QStringLiteral("name"), port.strName},
                                 {QStringLiteral("device"), port.strDevice},
                                 {QStringLiteral("description"), port.strDescription},
                                 {QStringLiteral("manufacturer"), port.strManufacturer},
                                 {QStringLiteral("usb"), port.strUsbId},
                                 {QStringLiteral("serialNumber"), port.strSerialNumber}});
    }
    return array;
}

int RunPorts(bool bJson)
{
    const QList<ListedPort> ports = ListPorts();
    if (bJson) {
        PrintToStdout(QString::fromUtf8(QJsonDocument(PortsJson(ports)).toJson(QJsonDocument::Indented)));
        return 0;
    }
    if (ports.isEmpty())
        PrintToStdout(QStringLiteral("No serial port found.\n"));
    for (const ListedPort& port : ports)
        PrintToStdout(PortLine(port) + QLatin1Char('\n'));
    return 0;
}

QString NoPortText()
{
    const QString strHow = QStringLiteral("No port given: name the board's device with --port DEVICE, or try the tool "
                                          "with --simulate.");
    QStringList names;
    for (const ListedPort& port : ListPorts())
        names.append(port.strName);
    if (names.isEmpty())
        return strHow + QStringLiteral(" No serial port found.");
    return strHow + QStringLiteral(" Ports found: %1.").arg(names.join(QStringLiteral(", ")));
}
