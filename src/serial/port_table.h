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

// The ports the list starts with: the preferred ones when there are any,
// since the list is read in full whenever it opens and asking the system
// takes about 10 ms; otherwise ReadPortTable().
QList<PortEntry> StartingPortTable();

// Where CommPort n (from 1) is, as ReadPortTable() would say, or empty past
// its end; the system is asked only when the preferred ports fall short.
QString PortLocationAt(int nPort);

// Natural order of device names: runs of digits compare by value.
bool NaturalPortOrder(const QString& strLeft, const QString& strRight);
