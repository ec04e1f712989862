#pragma once

#include <QList>
#include <QString>

// One serial device the operator can pick. CommPort n is entry n (from 1).
struct PortEntry {
    QString strName;         // shown in the port list
    QString strLocation;     // what the serial port opens
    QString strDescription;  // for the tooltip
};

// Devices named on the command line or the virtual board's pseudo-terminal:
// listed first, since the system does not report pseudo-terminals.
void AddPreferredPort(const QString& strLocation, const QString& strDescription);
void ClearPreferredPorts();

// Read afresh on every call. On Windows COM1 to COM16; elsewhere the
// preferred ports, then the devices the system reports, in natural order
// (ttyS2 before ttyS10).
QList<PortEntry> ReadPortTable();

// Natural order of device names: runs of digits compare by value.
bool NaturalPortOrder(const QString& strLeft, const QString& strRight);
