#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>

// Far beyond what any run needs, so a slow sanitizer build never trips it.
inline constexpr int kProcessMsecs = 60000;

struct CliRun {
    int nExitCode = -1;
    QString strOut;
    QString strErr;
    QJsonObject json;
    QJsonArray ports;
};

// Hex texts of the frames the tool reports it sent.
QStringList SentFrames(const QJsonObject& json);

QStringList PointArguments(const QString& strAmplitude, const QString& strFrequency);

// Base of the tests that run the built command-line tool as a process.
class CliTest : public QObject {
    Q_OBJECT

protected:
    // Runs the built tool; with --json among the arguments its stdout must
    // be one JSON object. bServeEvents keeps this process's events going
    // meanwhile, for a board in it.
    void Run(const QStringList& arguments, CliRun& run, bool bServeEvents = false);
    void RunSimulated(const QStringList& arguments, CliRun& run);
};
