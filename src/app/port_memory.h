#pragma once

#include <QSettings>
#include <QString>

// The port last opened, kept between runs by its identity (see
// PortIdentity) in the settings of organisation "Vevevar", application
// "Azevora". A settings file that cannot be read or written is passed over
// in silence and left as it is: the window then starts on the first port,
// as it did before it remembered anything.
class CPortMemory {
public:
    CPortMemory();

    // Empty when nothing is remembered or the file could not be read.
    QString Recall() const;
    void Remember(const QString& strIdentity);

private:
    QSettings m_settings;
    // Set when the file is read: Qt reads an unchanged file once a process,
    // so a later status would no longer show the fault.
    bool m_bUsable = false;
};
