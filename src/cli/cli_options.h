#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks for, before the values are checked against the
// board's ranges.
struct CliOptions {
    QString strCommand;
    QString strPort;
    // The traffic log's file; empty for none.
    QString strLogPath;
    bool bSimulate = false;
    bool bJson = false;
    bool bHelp = false;
    bool bVersion = false;
    int nTimeoutMsecs = 2000;
    std::optional<int> durationMsecs;
    // HOST:PORT the server listens on; other machines only when asked for.
    QString strListen = QStringLiteral("127.0.0.1:5025");
    // Test knobs of the simulated board.
    QString strFault;
    // The first frame, counted from 1, that the fault meets.
    int nFaultFromFrame = 1;
    QByteArray boardSends;
    bool bCircular = false;
    // Values outside their range go as the nearer bound, with a notice.
    bool bClamp = false;
    // The sweep is stepped from the computer (--spacing log).
    bool bStepped = false;
    // The list command's file of points; "-" for standard input.
    QString strFile;
    // Texts of the command's value options (amplitude, start, ...) by name.
    QMap<QString, QString> values;
};

// Fills options from the arguments (the program name first). Throws
// InputError for a usage error; what was read up to it stays in options.
void ParseCommandLine(const QStringList& arguments, CliOptions& options);
