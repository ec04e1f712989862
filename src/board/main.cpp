#include "board/interrupt_watch.h"
#include "board/virtual_board.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

namespace {

// A positive whole number from an option, or false.
bool PositiveOption(const QCommandLineParser& parser, const QCommandLineOption& option, int& nValue)
{
    bool bOk = false;
    const int n = parser.value(option).toInt(&bOk);
    if (!bOk || n <= 0)
        return false;
    nValue = n;
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vevevar-virtual-board"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VEVEVAR_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The signal-source board in software, on a pseudo-terminal. Runs until SIGINT or SIGTERM."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption linkOption(QStringLiteral("link"),
                                        QStringLiteral("Make a symbolic link to the pseudo-terminal at <path>."),
                                        QStringLiteral("path"));
    const QCommandLineOption reportOption(QStringLiteral("report-ms"),
                                          QStringLiteral("Milliseconds between sweep reports (default 100)."),
                                          QStringLiteral("ms"), QStringLiteral("100"));
    const QCommandLineOption stepsOption(
        QStringLiteral("steps-per-report"),
        QStringLiteral("Sweep steps between two reports, whatever the time per step (by default a sweep takes its "
                       "steps times its time per step)."),
        QStringLiteral("steps"));
    const QCommandLineOption noPacingOption(QStringLiteral("no-pacing"),
                                            QStringLiteral("Leave out the 9600-baud line time between writes."));
    const QCommandLineOption adapterOption(
        QStringLiteral("adapter-latency"),
        QStringLiteral("Hold the output as a USB-serial adapter of the FTDI kind does: hand it over at each tick "
                       "of a <ms> latency timer, or once 62 bytes wait (an FTDI adapter's default is 16; 0, the "
                       "default, is no adapter)."),
        QStringLiteral("ms"), QStringLiteral("0"));
    parser.addOptions({linkOption, reportOption, stepsOption, noPacingOption, adapterOption});
    parser.process(app);

    QTextStream err(stderr);
    int nReportMs = 0;
    int nSteps = 0;
    if (!PositiveOption(parser, reportOption, nReportMs) ||
        (parser.isSet(stepsOption) && !PositiveOption(parser, stepsOption, nSteps))) {
        err << "--report-ms and --steps-per-report take a positive whole number.\n";
        return 2;
    }
    bool bLatencyOk = false;
    const int nLatencyMs = parser.value(adapterOption).toInt(&bLatencyOk);
    if (!bLatencyOk || nLatencyMs < 0) {
        err << "--adapter-latency takes a whole number of at least 0.\n";
        return 2;
    }
    CInterruptWatch interruptWatch;
    QObject::connect(&interruptWatch, &CInterruptWatch::Interrupted, &app, &QCoreApplication::quit);

    CVirtualBoard board;
    board.SetReportInterval(nReportMs);
    board.SetStepsPerReport(nSteps);
    board.SetLinePacing(!parser.isSet(noPacingOption));
    board.SetAdapterLatency(nLatencyMs);
    const QString strLink = parser.value(linkOption);
    if (!board.Open(strLink)) {
        err << board.ErrorText() << '\n';
        return 1;
    }

    QTextStream out(stdout);
    if (strLink.isEmpty()) {
        out << "pty " << board.PortName() << Qt::endl;
    } else {
        out << "pty " << QFileInfo(strLink).symLinkTarget() << Qt::endl;
        out << "link " << strLink << Qt::endl;
    }
    QObject::connect(&board, &CVirtualBoard::FrameReceived, &board, [&out](const ReceivedFrame& frame) {
        out << QString::asprintf("%10.3f ", static_cast<double>(frame.nMsecs) / 1000.0) << frame.Hex() << ' '
            << VerdictText(frame.verdict) << Qt::endl;
    });
    return QCoreApplication::exec();
}
