// Build-time tool: writes the window's icon as the PNG files a desktop looks
// up, so the installed icon is the one the program draws.
//   vevevar-write-icons DIR SIZE...   writes DIR/SIZExSIZE/apps/vevevar-azevora.png

#include "app/app_icon.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: vevevar-write-icons DIR SIZE...\n");
        return 2;
    }
    const QDir root(arguments[1]);
    const QIcon icon = AppIcon();
    for (const QString& strSize : arguments.mid(2)) {
        const int nSize = strSize.toInt();
        // A size the icon is not drawn at would be a blurred scaling of another.
        if (!icon.availableSizes().contains(QSize(nSize, nSize))) {
            std::fprintf(stderr, "vevevar-write-icons: the icon is not drawn at size %s\n", qPrintable(strSize));
            return 1;
        }
        const QString strDir = QStringLiteral("%1x%1/apps").arg(nSize);
        const QString strPath = root.filePath(strDir + QStringLiteral("/vevevar-azevora.png"));
        const QPixmap pixmap = icon.pixmap(QSize(nSize, nSize));
        if (!root.mkpath(strDir) || pixmap.size() != QSize(nSize, nSize) || !pixmap.save(strPath, "PNG")) {
            std::fprintf(stderr, "vevevar-write-icons: cannot write %s\n", qPrintable(strPath));
            return 1;
        }
    }
    return 0;
}
