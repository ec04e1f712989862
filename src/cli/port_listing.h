#pragma once

#include <QJsonArray>
#include <QList>
#include <QString>

// A serial port as the ports command shows it; empty texts for what the
// system does not tell.
struct ListedPort {
    // What to give --port: its by-id path where there is one, which follows
    // a USB adapter across replugging, else the device.
    QString strName;
    QString strDevice;
    QString strDescription;
    QString strManufacturer;
    // USB vendor and product, as "0403:6001".
    QString strUsbId;
    QString strSerialNumber;
};

// The serial ports the system reports, in natural order of their devices.
QList<ListedPort> ListPorts();

// One line: the name, then what is known of the port.
QString PortLine(const ListedPort& port);
QJsonArray PortsJson(const QList<ListedPort>& ports);

// The ports command: prints the list, as text or a JSON array. Returns the
// exit status.
int RunPorts(bool bJson);

// For a run that names no port: how to name one, and the ports there are.
QString NoPortText();
