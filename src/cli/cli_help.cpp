#include "cli/cli_help.h"

#include <QStringList>

namespace {

constexpr char kBoardOptions[] = "[--port DEVICE | --simulate] [--json] [--timeout MS] [--log FILE]";

constexpr char kNumbersText[] =
    "Numbers are plain decimal numbers, such as 2.5 or 1e2. Any other text, a\n"
    "value outside its range and a fraction where the board takes whole numbers\n"
    "are refused with status 2 before anything is sent. With --clamp, point and\n"
    "sweep send a value outside its range as the nearer bound and sweep an end\n"
    "below the start the other way round, with a notice, as the window does.\n";

struct CommandHelp {
    const char* pszNames;
    // The options before the command.
    const char* pszLeading;
    const char* pszSynopsis;
    // Lines of the description, and of the command's own options.
    const char* pszText;
    // Whether it takes numbers, read as kNumbersText says.
    bool bNumbers;
};

constexpr CommandHelp kCommandHelp[] = {
    {"point", kBoardOptions, "point --amplitude V --frequency MHz [--clamp]",
     "Output one amplitude (0 to 4 V) and frequency (10 to 400 MHz).\n", true},
    {"sweep", kBoardOptions,
     "sweep --start MHz --end MHz --amplitude V --step STEP\n"
     "      --interval COUNT [--circular] [--clamp]",
     "Sweep from start up to end, two whole frequencies from 10 to 400 MHz,\n"
     "at 0 to 4 V, in steps of STEP, one of 15k 30k 61k 122k 244k 488k 976k\n"
     "1953k 3906k 7812k 15.625M 31.25M 62.5M 125M, each step lasting\n"
     "COUNT x 20 ns (COUNT a whole number from 1 to 2147483647).\n"
     "--circular repeats the sweep.\n", true},
    {"sweep", kBoardOptions,
     "sweep --spacing log --start MHz --end MHz --points N --dwell S\n"
     "      --amplitude V [--repeat N] [--clamp]",
     "Step the board from the computer through N frequencies (2 to 10000)\n"
     "spaced logarithmically from start to end (10 to 400 MHz), each held\n"
     "S seconds (from the line's round trip, 0.021 at 9600 baud, to 3600),\n"
     "N passes (default 1). --spacing lin is the board's own sweep, above.\n", true},
    {"list", kBoardOptions, "list FILE [--amplitude V] [--dwell S] [--repeat N] [--clamp]",
     "Step through the points of a CSV file (- for standard input): one\n"
     "point a line, frequency in MHz, then optionally amplitude in V and\n"
     "dwell in s, which --amplitude and --dwell give where a line has none.\n"
     "# starts a comment; blank lines and one header row are skipped. A bad\n"
     "line is refused naming its line and column.\n"
     "A stepped run sends each point at its time, ends after the last point's\n"
     "dwell and leaves the output there; a point the board does not\n"
     "acknowledge ends it with status 3, naming the point. On a terminal a\n"
     "progress line shows the point, its frequency and the time left.\n", true},
    {"pause continue", kBoardOptions, "pause | continue", "Pause or continue a running sweep.\n", false},
    {"close", kBoardOptions, "close", "Switch the output off.\n", false},
    {"monitor", kBoardOptions, "monitor [--duration MS]",
     "Print what the board sends, with the frequency of each whole report\n"
     "from 10 to 400 MHz; other bytes are shown as hex, marked \"not a\n"
     "report\". For MS milliseconds, or until interrupted.\n", true},
    {"serve", "[--port DEVICE | --simulate] [--log FILE]", "serve [--listen HOST:PORT]",
     "Hold the port and serve SCPI over TCP, one message a line (VISA's\n"
     "TCPIP::HOST::PORT::SOCKET), until interrupted. HOST:PORT defaults to\n"
     "127.0.0.1:5025, this machine only; 0.0.0.0:5025 opens it to the\n"
     "network, port 0 takes a free one. Logs clients and frame exchanges.\n", false},
    {"ports", "", "ports [--json]",
     "List the serial ports: the stable name (/dev/serial/by-id/...) where\n"
     "there is one, the device, its description, USB vendor:product and\n"
     "serial number. With --json, as a JSON array.\n", false},
};

constexpr char kOptionsText[] =
    "Options:\n"
    "  --port DEVICE   The board's serial device, such as a name vevevar-cli ports\n"
    "                  lists. Every command but ports needs it or --simulate.\n"
    "  --simulate      Run against a virtual board on a pseudo-terminal and show\n"
    "                  the frames it received.\n"
    "  --json          Print one JSON object with the frames, replies, notices\n"
    "                  and result (not with serve).\n"
    "  --timeout MS    Stop waiting for the acknowledgement after MS milliseconds\n"
    "                  (default 2000; not with serve).\n"
    "  --log FILE      Append every frame, reply, verdict and port event to FILE,\n"
    "                  one JSON object a line.\n"
    "  --clamp         See above.\n"
    "  -h, --help      Show this text; after a command, that command's.\n"
    "  -v, --version   Show the version.\n"
    "\n"
    "Testing knobs, with --simulate only:\n"
    "  --simulate-fault silent|refuse[:N]\n"
    "                  The virtual board ignores, or answers 45 52 to, every frame,\n"
    "                  or every frame from the Nth on.\n"
    "  --simulate-send HEX\n"
    "                  The virtual board sends these bytes first, such as 19999999.\n"
    "\n"
    "Exit status: 0 acknowledged (monitor, serve, ports: done), 2 bad input, no\n"
    "--port, or a log file that cannot be opened, 3 the board never acknowledged,\n"
    "4 the serial port failed, or serve's TCP port is in use.\n";

QString Indented(const char* pszLines, const QString& strIndent)
{
    QStringList lines = QString::fromLatin1(pszLines).split(QLatin1Char('\n'));
    for (QString& strLine : lines) {
        if (!strLine.isEmpty())
            strLine.prepend(strIndent);
    }
    return lines.join(QLatin1Char('\n'));
}

QString CommandText(const CommandHelp& help)
{
    const QString strUsage = QStringLiteral("Usage: vevevar-cli ");
    const QString strIndent(strUsage.size(), QLatin1Char(' '));
    QString strText = strUsage;
    if (*help.pszLeading)
        strText += QString::fromLatin1(help.pszLeading) + QLatin1Char('\n') + strIndent;
    strText += Indented(help.pszSynopsis, strIndent).trimmed() + QStringLiteral("\n\n") + QString::fromLatin1(help.pszText);
    if (help.bNumbers)
        strText += QLatin1Char('\n') + QString::fromLatin1(kNumbersText);
    return strText + QStringLiteral("\nThe options every command takes, and the exit status: vevevar-cli --help.\n");
}

} // namespace

QString HelpText(const QString& strCommand)
{
    QString strCommandText;
    for (const CommandHelp& help : kCommandHelp) {
        if (QString::fromLatin1(help.pszNames).split(QLatin1Char(' ')).contains(strCommand))
            strCommandText += (strCommandText.isEmpty() ? QString() : QStringLiteral("\n")) + CommandText(help);
    }
    if (!strCommandText.isEmpty())
        return strCommandText;
    QString strText = QStringLiteral(
        "Usage: vevevar-cli [--port DEVICE | --simulate] [--json] [--timeout MS] [--log FILE]\n"
        "                   COMMAND [OPTIONS]\n"
        "       vevevar-cli COMMAND --help\n"
        "\n"
        "Sends one command to the signal-source board and resends it until the board\n"
        "acknowledges, as the control panel does, or serves SCPI for other programs.\n"
        "\n"
        "Commands:\n");
    for (const CommandHelp& help : kCommandHelp) {
        strText += Indented(help.pszSynopsis, QStringLiteral("  ")) + QLatin1Char('\n');
        strText += Indented(help.pszText, QStringLiteral("        "));
    }
    return strText + QLatin1Char('\n') + QString::fromLatin1(kNumbersText) + QLatin1Char('\n')
           + QString::fromLatin1(kOptionsText);
}
