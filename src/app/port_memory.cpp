#include "app/port_memory.h"

namespace {

const QString kPortKey = QStringLiteral("lastPort");

} // namespace

CPortMemory::CPortMemory()
    : m_settings(QStringLiteral("Vevevar"), QStringLiteral("Azevora"))
    // A file read only in part may still yield a value, which cannot be trusted.
    , m_bUsable(m_settings.status() == QSettings::NoError)
{
}

QString CPortMemory::Recall() const
{
    return m_bUsable ? m_settings.value(kPortKey).toString() : QString();
}

void CPortMemory::Remember(const QString& strIdentity)
{
    // Writing over a file that could not be read would lose what it holds.
    if (!m_bUsable)
        return;
    m_settings.setValue(kPortKey, strIdentity);
    m_settings.sync();
    m_bUsable = m_settings.status() == QSettings::NoError;
}
