#pragma once

#include <QJsonArray>
#include <QString>

// The groups of figures as a plain-text table, each figure beside its
// target, with the groups' notes under it.
QString FormatTable(const QJsonArray& groups);

// How many figures with a target met it, and how many have one.
void CountMet(const QJsonArray& groups, int& nMet, int& nJudged);
