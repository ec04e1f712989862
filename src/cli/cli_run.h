#pragma once

#include <QStringList>

// Runs the tool for its arguments (the program name first) on the running
// application's event loop and returns the exit status.
int RunCli(const QStringList& arguments);
