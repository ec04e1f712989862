#pragma once

#include "serial/by_id_names.h"

#include <QList>
#include <QString>

// One serial device the operator can pick. CommPort n is entry n (from 1).
struct PortEntry {
    QString strName;         // shown in the port list
    QString strLocation;     // what the serial port opens
    QString strDescription;  // for the tooltip
    QString strByIdPath;     // its link in the by-id folder, or empty
    QString strUsbIdentity;  // a USB device's vendor, product and serial number, or empty
};

// What a port is known by across runs: what follows a USB adapter whatever
// name the system gives it this time (on Linux its by-id path, elsewhere its
// vendor, product and serial number), else its location.
QString PortIdentity(const PortEntry& entry);

// The entry known by strIdentity, by its identity or its location, or -1.
int FindPort(const QList<PortEntry>& table, const QString& strIdentity);

// The ports a program offers: the devices the system reports, after those
// named on the command line or the virtual board's pseudo-terminal.
class CPortTable {
public:
    // Listed first, since the system does not report pseudo-terminals. One
    // given by its by-id path is shown by the name of the device the link
    // leads to.
    void AddPreferred(const QString& strLocation, const QString& strDescription);
    void ClearPreferred();

    // Where the by-id links are looked for; kByIdFolder unless a test points
    // it at a folder of its own.
    void SetByIdFolder(const QString& strFolder);

    // Read afresh on every call: the preferred ports, then the devices the
    // system reports, in natural order (ttyS2 before ttyS10, COM2 before
    // COM10), each with its by-id path where there is one. A device that is
    // also a preferred port is listed once, as that port.
    QList<PortEntry> Read() const;

    // The ports the list starts with: the preferred ones when there are any,
    // since the list is read in full whenever it opens and asking the system
    // takes about 10 ms; otherwise Read().
    QList<PortEntry> Starting() const;

    // Where CommPort n (from 1) is, as Read() would say, or empty past its
    // end; the system is asked only when the preferred ports fall short.
    QString LocationAt(int nPort) const;

private:
    QList<PortEntry> m_preferred;
    QString m_strByIdFolder = QString::fromLatin1(kByIdFolder);
};

// Natural order of device names: runs of digits compare by value.
bool NaturalPortOrder(const QString& strLeft, const QString& strRight);
