#include "support/log_lines.h"

#include <QFile>
#include <QJsonDocument>

QList<QJsonObject> LogLines::Where(const char* pszKey, const char* pszValue) const
{
    QList<QJsonObject> found;
    for (const QJsonObject& object : objects) {
        if (object.value(QLatin1String(pszKey)).toString() == QLatin1String(pszValue))
            found.append(object);
    }
    return found;
}

LogLines ReadLogLines(const QString& strPath)
{
    LogLines lines;
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    const QByteArray content = file.readAll();
    lines.bEndsWhole = content.isEmpty() || content.endsWith('\n');
    for (const QByteArray& line : content.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        if (error.error != QJsonParseError::NoError || !document.isObject())
            lines.broken.append(QString::fromUtf8(line));
        else
            lines.objects.append(document.object());
    }
    return lines;
}
