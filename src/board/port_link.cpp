#include "board/port_link.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

bool PointLink(const QString& strLinkPath, const QString& strTarget, QString& strError)
{
    const QByteArray link = QFile::encodeName(strLinkPath);
    // A new link under a side name, renamed over the old one, so that a
    // client never finds the path missing.
    const QByteArray side = link + ".new";
    ::unlink(side.constData());
    if (::symlink(QFile::encodeName(strTarget).constData(), side.constData()) != 0
        || ::rename(side.constData(), link.constData()) != 0) {
        strError = QStringLiteral("Cannot make the link %1: %2").arg(strLinkPath, qt_error_string(errno));
        ::unlink(side.constData());
        return false;
    }
    return true;
}

void RemoveLink(const QString& strLinkPath)
{
    const QByteArray link = QFile::encodeName(strLinkPath);
    struct stat status {};
    if (::lstat(link.constData(), &status) == 0 && S_ISLNK(status.st_mode))
        ::unlink(link.constData());
}
