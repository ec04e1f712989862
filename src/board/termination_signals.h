#pragma once

#include <QString>

// Makes SIGINT and SIGTERM quit the application's event loop. The handler
// only writes a byte to a pipe, which the event loop watches. Call once,
// after the QCoreApplication exists. Returns false with strError set.
bool QuitOnTerminationSignals(QString& strError);
