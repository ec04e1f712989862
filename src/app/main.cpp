#include "app/command_line_ports.h"
#include "app/drivers_control_app.h"
#include "app/window_traffic_log.h"
#include "board/interrupt_watch.h"
#include "board/virtual_board.h"
#include "serial/traffic_log.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
namespace {

// Windows always has one.
bool HasDisplay()
{
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY")
        || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

} // namespace
#endif

int main(int argc, char* argv[])
{
#ifdef Q_OS_UNIX
    // Without a display the toolkit would abort with a message about plugins.
    const bool bWantsWindow = [argc, argv] {
        for (int i = 1; i < argc; ++i) {
            const QByteArray arg(argv[i]);
            if (arg == "--help" || arg == "-h" || arg == "--version" || arg == "-v")
                return false;
        }
        return true;
    }();
    if (!HasDisplay()) {
        if (bWantsWindow) {
            std::fprintf(stderr, "vevevar-azevora: no display found (DISPLAY is not set).\n"
                                 "Run it on a desktop, or without one under a virtual display:\n"
                                 "  xvfb-run -a vevevar-azevora --simulate\n");
            return 1;
        }
        // Help and version only print, but the toolkit still wants a platform to start on.
        qputenv("QT_QPA_PLATFORM", "minimal");
    }
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vevevar-azevora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vevevar Azevora"));
    QApplication::setApplicationVersion(QStringLiteral(VEVEVAR_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Control panel for the signal-source board on a serial port."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("Open DEVICE first, such as /dev/ttyUSB0 or a link in /dev/serial/by-id."),
        QStringLiteral("DEVICE"));
    const QCommandLineOption simulateOption(QStringLiteral("simulate"),
                                            QStringLiteral("Start a virtual board and open it."));
    const QCommandLineOption logOption(
        QStringLiteral("log"),
        QStringLiteral("Append every frame, reply, verdict and port event to FILE, one JSON object a line."),
        QStringLiteral("FILE"));
    parser.addOption(portOption);
    parser.addOption(simulateOption);
    parser.addOption(logOption);
    parser.process(app);

    CommandLinePorts ports;
    std::unique_ptr<CVirtualBoard> pBoard;
    if (parser.isSet(simulateOption)) {
        pBoard = std::make_unique<CVirtualBoard>();
        if (!pBoard->Open()) {
            std::fprintf(stderr, "vevevar-azevora: cannot start the virtual board: %s\n",
                         qPrintable(pBoard->ErrorText()));
            return 1;
        }
        ports.pSimulated = pBoard.get();
    }
    if (parser.isSet(portOption))
        ports.strGiven = parser.value(portOption);
    const StartPort startPort = ListCommandLinePorts(ports);

    CTrafficLog trafficLog;
    if (parser.isSet(logOption))
        StartWindowTrafficLog(trafficLog, parser.value(logOption));
    // A signal ends the window as closing it does: every loop, a message
    // box's too, returns, and the window closes its port as it goes.
    CInterruptWatch interruptWatch;
    QObject::connect(&interruptWatch, &CInterruptWatch::Interrupted, &app, [] { QCoreApplication::exit(0); });
    CDriversControlApp theApp;
    const int nExitCode = theApp.InitInstance(startPort);
    StopWindowTrafficLog(trafficLog);
    return nExitCode;
}
