#include "serial/by_id_names.h"

#include <QDir>
#include <QFileInfo>

CByIdNames::CByIdNames(const QString& strFolder)
{
    // Links to character devices are neither files nor folders to QDir.
    const QFileInfoList links = QDir(strFolder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot,
                                                              QDir::Name);
    for (const QFileInfo& link : links) {
        if (!link.isSymLink())
            continue;
        const QString strDevice = link.canonicalFilePath();
        // A link left behind by a device that went away resolves to nothing.
        if (strDevice.isEmpty())
            continue;
        m_links.insert(link.absoluteFilePath());
        if (!m_linkByDevice.contains(strDevice))
            m_linkByDevice.insert(strDevice, link.absoluteFilePath());
    }
}

QString CByIdNames::PathOf(const QString& strLocation) const
{
    const QString strDevice = QFileInfo(strLocation).canonicalFilePath();
    return strDevice.isEmpty() ? QString() : m_linkByDevice.value(strDevice);
}

bool CByIdNames::IsLink(const QString& strPath) const
{
    return m_links.contains(QFileInfo(strPath).absoluteFilePath());
}
