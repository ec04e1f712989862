#include "cli/cli_options.h"

#include "cli/exit_code.h"
#include "protocol/hex_text.h"

#include <QCommandLineParser>

#include <algorithm>

namespace {

// What follows an option: nothing, or a value its commands may or must have.
enum class Kind { Flag, Value, Required };

struct OptionRule {
    const char* pszName;
    Kind kind;
    // Blank-separated commands the option belongs to; none for a global one.
    const char* pszCommands;
};

constexpr OptionRule kOptions[] = {
    {"port", Kind::Value, nullptr},
    {"simulate", Kind::Flag, nullptr},
    {"json", Kind::Flag, "point sweep pause continue close monitor"},
    {"timeout", Kind::Value, "point sweep pause continue close monitor"},
    {"simulate-fault", Kind::Value, nullptr},
    {"simulate-send", Kind::Value, nullptr},
    {"help", Kind::Flag, nullptr},
    {"version", Kind::Flag, nullptr},
    {"start", Kind::Required, "sweep"},
    {"end", Kind::Required, "sweep"},
    {"amplitude", Kind::Required, "point sweep"},
    {"frequency", Kind::Required, "point"},
    {"step", Kind::Required, "sweep"},
    {"interval", Kind::Required, "sweep"},
    {"circular", Kind::Flag, "sweep"},
    {"duration", Kind::Value, "monitor"},
    {"listen", Kind::Value, "serve"},
    {"log", Kind::Value, nullptr},
};

constexpr const char* kCommands = "point sweep pause continue close monitor serve";

QStringList Words(const char* pszWords)
{
    return QString::fromLatin1(pszWords).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

int ReadMsecs(const QString& strText, const char* pszOption, int nMinimum)
{
    bool bOk = false;
    const int nMsecs = strText.trimmed().toInt(&bOk);
    if (!bOk || nMsecs < nMinimum) {
        throw InputError(QStringLiteral("--%1 needs a whole number of milliseconds, %2 or more; got \"%3\".")
                             .arg(QLatin1String(pszOption))
                             .arg(nMinimum)
                             .arg(strText));
    }
    return nMsecs;
}

QByteArray ReadBoardBytes(const QString& strText)
{
    QString strDigits = strText;
    strDigits.remove(QLatin1Char(' '));
    QByteArray bytes;
    if (strDigits.isEmpty() || HexTextToBytes(strDigits, bytes) * 2 != strDigits.size())
        throw InputError(QStringLiteral("--simulate-send needs pairs of hexadecimal digits; got \"%1\".").arg(strText));
    return bytes;
}

// Qt reads on past a fault; an unknown option is the likeliest cause of the
// others, so it is named first.
void CheckRead(const QCommandLineParser& parser, const QStringList& arguments, bool bRead)
{
    if (!parser.unknownOptionNames().isEmpty()) {
        // Qt drops the dashes, and reads "-ab" as -a -b.
        const QString strLong = QStringLiteral("--") + parser.unknownOptionNames().constFirst();
        const auto typedLong = [&strLong](const QString& strArgument) {
            return strArgument.section(QLatin1Char('='), 0, 0) == strLong;
        };
        const bool bLong = strLong.size() > 3 || std::any_of(arguments.cbegin(), arguments.cend(), typedLong);
        throw InputError(QStringLiteral("Unknown option \"%1\".").arg(bLong ? strLong : strLong.mid(1)));
    }
    // Qt takes a bare "--" that is no value for the end of the options; it
    // stays refused, so that nothing after it is run unread.
    const QString strDashes = QStringLiteral("--");
    qsizetype nEndMarks = arguments.mid(1).count(strDashes) - parser.positionalArguments().count(strDashes);
    for (const OptionRule& rule : kOptions) {
        const QString strName = QString::fromLatin1(rule.pszName);
        const qsizetype nGiven = parser.optionNames().count(strName);
        // Qt keeps the name of an option the arguments end after, without a value.
        if (rule.kind != Kind::Flag && nGiven > parser.values(strName).size())
            throw InputError(QStringLiteral("--%1 needs a value.").arg(strName));
        if (nGiven > 1)
            throw InputError(QStringLiteral("--%1 is given twice.").arg(strName));
        nEndMarks -= parser.values(strName).count(strDashes);
    }
    if (nEndMarks > 0)
        throw InputError(QStringLiteral("Unknown option \"--\"."));
    // What is left is a value given to an option that takes none.
    if (!bRead)
        throw InputError(parser.errorText());
    const QStringList words = parser.positionalArguments();
    if (words.size() > 1)
        throw InputError(QStringLiteral("Unexpected argument \"%1\" after the command.").arg(words[1]));
}

void CheckCommandOptions(const QCommandLineParser& parser, const QString& strCommand)
{
    for (const OptionRule& rule : kOptions) {
        const QString strName = QString::fromLatin1(rule.pszName);
        if (rule.pszCommands && parser.isSet(strName) && !Words(rule.pszCommands).contains(strCommand))
            throw InputError(QStringLiteral("--%1 does not go with %2.").arg(strName, strCommand));
    }
    for (const OptionRule& rule : kOptions) {
        const QString strName = QString::fromLatin1(rule.pszName);
        if (rule.kind == Kind::Required && !parser.isSet(strName) && Words(rule.pszCommands).contains(strCommand))
            throw InputError(QStringLiteral("%1 needs --%2.").arg(strCommand, strName));
    }
}

} // namespace

void ParseCommandLine(const QStringList& arguments, CliOptions& options)
{
    QCommandLineParser parser;
    for (const OptionRule& rule : kOptions) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(rule.pszName), QString(),
                                            rule.kind == Kind::Flag ? QString() : QStringLiteral("value")));
    }
    // Apart from --help, so that -h and --help together are not taken as twice.
    const QCommandLineOption shortHelp(QStringLiteral("h"));
    parser.addOption(shortHelp);
    const bool bRead = parser.parse(arguments);
    options.strCommand = parser.positionalArguments().value(0);
    CheckRead(parser, arguments, bRead);
    options.bHelp = parser.isSet(shortHelp) || parser.isSet(QStringLiteral("help"));
    options.bVersion = parser.isSet(QStringLiteral("version"));
    if (options.bHelp || options.bVersion)
        return;

    const QString strCommands = Words(kCommands).join(QStringLiteral(", "));
    if (options.strCommand.isEmpty())
        throw InputError(QStringLiteral("No command given; the commands are %1.").arg(strCommands));
    if (!Words(kCommands).contains(options.strCommand)) {
        throw InputError(
            QStringLiteral("Unknown command \"%1\"; the commands are %2.").arg(options.strCommand, strCommands));
    }
    CheckCommandOptions(parser, options.strCommand);

    const auto given = [&parser](const char* pszName) { return parser.isSet(QString::fromLatin1(pszName)); };
    const auto value = [&parser](const char* pszName) { return parser.value(QString::fromLatin1(pszName)); };
    options.strPort = value("port");
    if (given("port") && options.strPort.isEmpty())
        throw InputError(QStringLiteral("--port needs a device, such as /dev/ttyUSB0."));
    options.bSimulate = given("simulate");
    options.strLogPath = value("log");
    if (given("log") && options.strLogPath.isEmpty())
        throw InputError(QStringLiteral("--log needs a file, such as traffic.jsonl."));
    if (options.bSimulate && given("port"))
        throw InputError(QStringLiteral("--port and --simulate exclude each other."));
    if (given("timeout"))
        options.nTimeoutMsecs = ReadMsecs(value("timeout"), "timeout", 1);
    if (given("duration"))
        options.durationMsecs = ReadMsecs(value("duration"), "duration", 0);

    const bool bFault = given("simulate-fault");
    const bool bSend = given("simulate-send");
    if ((bFault || bSend) && !options.bSimulate)
        throw InputError(QStringLiteral("--simulate-fault and --simulate-send need --simulate."));
    options.strFault = value("simulate-fault");
    if (bFault && options.strFault != QLatin1String("silent") && options.strFault != QLatin1String("refuse"))
        throw InputError(QStringLiteral("--simulate-fault is silent or refuse; got \"%1\".").arg(options.strFault));
    if (bSend)
        options.boardSends = ReadBoardBytes(value("simulate-send"));

    if (given("listen"))
        options.strListen = value("listen");
    options.bCircular = given("circular");
    for (const OptionRule& rule : kOptions) {
        if (rule.kind == Kind::Required && given(rule.pszName))
            options.values.insert(QString::fromLatin1(rule.pszName), value(rule.pszName));
    }
}

QString HelpText()
{
    return QStringLiteral(
        "Usage: vevevar-cli [--port DEVICE | --simulate] [--json] [--timeout MS] [--log FILE]\n"
        "                   COMMAND [OPTIONS]\n"
        "\n"
        "Sends one command to the signal-source board and resends it until the board\n"
        "acknowledges, as the control panel does, or serves SCPI for other programs.\n"
        "\n"
        "Commands:\n"
        "  point --amplitude V --frequency MHz\n"
        "        Output one amplitude (0 to 4 V) and frequency (10 to 400 MHz).\n"
        "        Values outside are corrected to the nearer bound, with a notice.\n"
        "  sweep --start MHz --end MHz --amplitude V --step STEP --interval COUNT [--circular]\n"
        "        Sweep between two whole frequencies (10 to 400 MHz) in steps of STEP,\n"
        "        one of 15k 30k 61k 122k 244k 488k 976k 1953k 3906k 7812k 15.625M\n"
        "        31.25M 62.5M 125M, each step lasting COUNT x 20 ns (COUNT 1 or more).\n"
        "  pause | continue\n"
        "        Pause or continue a running sweep.\n"
        "  close\n"
        "        Switch the output off.\n"
        "  monitor [--duration MS]\n"
        "        Print what the board sends, with the frequency of each report, for\n"
        "        MS milliseconds or until interrupted.\n"
        "  serve [--listen HOST:PORT]\n"
        "        Hold the port and serve SCPI over TCP, one message a line (VISA's\n"
        "        TCPIP::HOST::PORT::SOCKET), until interrupted. HOST:PORT defaults to\n"
        "        127.0.0.1:5025, this machine only; 0.0.0.0:5025 opens it to the\n"
        "        network, port 0 takes a free one. Logs clients and frame exchanges.\n"
        "\n"
        "Options:\n"
        "  --port DEVICE   The board's serial device; without it and --simulate, the\n"
        "                  first serial port the system reports.\n"
        "  --simulate      Run against a virtual board on a pseudo-terminal and show\n"
        "                  the frames it received.\n"
        "  --json          Print one JSON object with the frames, replies and result\n"
        "                  (not with serve).\n"
        "  --timeout MS    Stop waiting for the acknowledgement after MS milliseconds\n"
        "                  (default 2000; not with serve).\n"
        "  --log FILE      Append every frame, reply, verdict and port event to FILE,\n"
        "                  one JSON object a line.\n"
        "  -h, --help      Show this text.\n"
        "  --version       Show the version.\n"
        "\n"
        "Testing knobs, with --simulate only:\n"
        "  --simulate-fault silent|refuse\n"
        "                  The virtual board ignores, or answers 45 52 to, every frame.\n"
        "  --simulate-send HEX\n"
        "                  The virtual board sends these bytes first, such as 19999999.\n"
        "\n"
        "Exit status: 0 acknowledged (monitor, serve: done), 2 bad input or a log file\n"
        "that cannot be opened, 3 the board never acknowledged, 4 the serial port failed.\n");
}
