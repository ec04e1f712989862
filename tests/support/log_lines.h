#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// The traffic log as a reader of it sees it: one JSON object a line.
struct LogLines {
    QList<QJsonObject> objects;
    // Lines that are not one JSON object, and whether the file ends on a
    // line's end.
    QStringList broken;
    bool bEndsWhole = true;

    QList<QJsonObject> Where(const char* pszKey, const char* pszValue) const;
};

LogLines ReadLogLines(const QString& strPath);
