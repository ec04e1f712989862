#pragma once

#include <QHash>
#include <QSet>
#include <QString>

// Linux names each USB-serial adapter in this folder after its vendor,
// product and serial number: a link to whichever ttyUSBn it got this time,
// so the name follows the adapter across replugging and reboots.
inline constexpr char kByIdFolder[] = "/dev/serial/by-id";

// The links of a by-id folder, resolved once, as they were when read.
class CByIdNames {
public:
    explicit CByIdNames(const QString& strFolder = QString::fromLatin1(kByIdFolder));

    // The link that resolves to the device at strLocation (itself perhaps a
    // link), or empty.
    QString PathOf(const QString& strLocation) const;
    // Whether strPath is one of the folder's links.
    bool IsLink(const QString& strPath) const;

private:
    QHash<QString, QString> m_linkByDevice;
    QSet<QString> m_links;
};
