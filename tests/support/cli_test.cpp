#include "support/cli_test.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

QStringList SentFrames(const QJsonObject& json)
{
    QStringList frames;
    for (const QJsonValue& frame : json.value(QStringLiteral("framesSent")).toArray())
        frames.append(frame.toObject().value(QStringLiteral("hex")).toString());
    return frames;
}

QStringList PointArguments(const QString& strAmplitude, const QString& strFrequency)
{
    return {QStringLiteral("point"), QStringLiteral("--amplitude"), strAmplitude, QStringLiteral("--frequency"),
            strFrequency};
}

void CliTest::Run(const QStringList& arguments, CliRun& run, bool bServeEvents)
{
    QProcess process;
    process.start(QStringLiteral(VEVEVAR_CLI_PATH), arguments);
    QVERIFY2(process.waitForStarted(kProcessMsecs), qPrintable(process.errorString()));
    if (bServeEvents)
        QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, kProcessMsecs);
    else
        QVERIFY2(process.waitForFinished(kProcessMsecs), "the tool did not end");
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    run.nExitCode = process.exitCode();
    run.strOut = QString::fromUtf8(process.readAllStandardOutput());
    run.strErr = QString::fromUtf8(process.readAllStandardError());
    if (!arguments.contains(QStringLiteral("--json")))
        return;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(run.strOut.toUtf8(), &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(run.strOut + run.strErr));
    // The list of ports is an array of them.
    if (arguments.contains(QStringLiteral("ports")) && run.nExitCode == 0) {
        QVERIFY(document.isArray());
        run.ports = document.array();
        return;
    }
    QVERIFY(document.isObject());
    run.json = document.object();
    QCOMPARE(run.json.value(QStringLiteral("exitCode")).toInt(-1), run.nExitCode);
}

void CliTest::RunSimulated(const QStringList& arguments, CliRun& run)
{
    Run(QStringList{QStringLiteral("--simulate"), QStringLiteral("--json")} + arguments, run);
}
