#pragma once

#include <QString>

// The tool's usage: all of it, or for a command (such as "point") that
// command's own, with the options it takes.
QString HelpText(const QString& strCommand = QString());
