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
    // Commands that take a required option without needing it.
    const char* pszOptionalIn = "";
};

constexpr OptionRule kOptions[] = {
    {"port", Kind::Value, nullptr},
    {"simulate", Kind::Flag, nullptr},
    {"json", Kind::Flag, "point sweep stepped list pause continue close monitor"},
    {"timeout", Kind::Value, "point sweep pause continue close monitor"},
    {"simulate-fault", Kind::Value, nullptr},
    {"simulate-send", Kind::Value, nullptr},
    {"help", Kind::Flag, nullptr},
    {"version", Kind::Flag, nullptr},
    {"start", Kind::Required, "sweep stepped"},
    {"end", Kind::Required, "sweep stepped"},
    {"amplitude", Kind::Required, "point sweep stepped", "list"},
    {"frequency", Kind::Required, "point"},
    {"spacing", Kind::Value, "sweep stepped"},
    {"points", Kind::Required, "stepped"},
    {"dwell", Kind::Required, "stepped", "list"},
    {"repeat", Kind::Value, "stepped list"},
    {"clamp", Kind::Flag, "stepped list"},
    {"step", Kind::Required, "sweep"},
    {"interval", Kind::Required, "sweep"},
    {"circular", Kind::Flag, "sweep"},
    {"duration", Kind::Value, "monitor"},
    {"listen", Kind::Value, "serve"},
    {"log", Kind::Value, nullptr},
};

constexpr const char* kCommands = "point sweep list pause continue close monitor serve";

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
    const int nWords = words.value(0) == QLatin1String("list") ? 2 : 1;
    if (words.size() > nWords)
        throw InputError(QStringLiteral("Unexpected argument \"%1\" after the command.").arg(words[nWords]));
}

// The board's linear sweep and the stepped logarithmic one take different
// options; the rules know the stepped one as "stepped".
QString RuleCommand(const QCommandLineParser& parser, const QString& strCommand)
{
    const QString strSpacing = parser.value(QStringLiteral("spacing"));
    if (strCommand != QLatin1String("sweep") || !parser.isSet(QStringLiteral("spacing")))
        return strCommand;
    if (strSpacing == QLatin1String("log"))
        return QStringLiteral("stepped");
    if (strSpacing == QLatin1String("lin"))
        return strCommand;
    throw InputError(QStringLiteral("--spacing is lin or log; got \"%1\".").arg(strSpacing));
}

QString CommandName(const QString& strRuleCommand)
{
    return strRuleCommand == QLatin1String("stepped") ? QStringLiteral("sweep --spacing log") : strRuleCommand;
}

void CheckCommandOptions(const QCommandLineParser& parser, const QString& strCommand)
{
    for (const OptionRule& rule : kOptions) {
        const QString strName = QString::fromLatin1(rule.pszName);
        const bool bGoesWith =
            Words(rule.pszCommands).contains(strCommand) || Words(rule.pszOptionalIn).contains(strCommand);
        if (rule.pszCommands && parser.isSet(strName) && !bGoesWith)
            throw InputError(QStringLiteral("--%1 does not go with %2.").arg(strName, CommandName(strCommand)));
    }
    for (const OptionRule& rule : kOptions) {
        const QString strName = QString::fromLatin1(rule.pszName);
        if (rule.kind == Kind::Required && !parser.isSet(strName) && Words(rule.pszCommands).contains(strCommand))
            throw InputError(QStringLiteral("%1 needs --%2.").arg(CommandName(strCommand), strName));
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
    const QString strRuleCommand = RuleCommand(parser, options.strCommand);
    options.bStepped = strRuleCommand == QLatin1String("stepped");
    CheckCommandOptions(parser, strRuleCommand);
    options.strFile = parser.positionalArguments().value(1);
    if (options.strCommand == QLatin1String("list") && options.strFile.isEmpty())
        throw InputError(QStringLiteral("list needs a file of points, or - for standard input."));

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
    const QString strFault = value("simulate-fault");
    options.strFault = strFault.section(QLatin1Char(':'), 0, 0);
    bool bFrom = true;
    if (strFault.contains(QLatin1Char(':')))
        options.nFaultFromFrame = strFault.section(QLatin1Char(':'), 1).toInt(&bFrom);
    if (bFault && ((options.strFault != QLatin1String("silent") && options.strFault != QLatin1String("refuse"))
                   || !bFrom || options.nFaultFromFrame < 1)) {
        throw InputError(QStringLiteral("--simulate-fault is silent or refuse, or silent:N or refuse:N from the Nth "
                                        "frame on; got \"%1\".")
                             .arg(strFault));
    }
    if (bSend)
        options.boardSends = ReadBoardBytes(value("simulate-send"));

    if (given("listen"))
        options.strListen = value("listen");
    options.bCircular = given("circular");
    options.bClamp = given("clamp");
    for (const OptionRule& rule : kOptions) {
        if (rule.kind != Kind::Flag && rule.pszCommands && given(rule.pszName))
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
        "  sweep --spacing log --start MHz --end MHz --points N --dwell S --amplitude V\n"
        "        [--repeat N] [--clamp]\n"
        "        Step the board from the computer through N frequencies (2 to 10000)\n"
        "        spaced logarithmically from start to end (10 to 400 MHz), each held\n"
        "        S seconds (from the line's round trip, 0.021 at 9600 baud, to 3600),\n"
        "        N passes (default 1). --spacing lin is the board's own sweep, above.\n"
        "  list FILE [--amplitude V] [--dwell S] [--repeat N] [--clamp]\n"
        "        Step through the points of a CSV file (- for standard input): one\n"
        "        point a line, frequency in MHz, then optionally amplitude in V and\n"
        "        dwell in s, which --amplitude and --dwell give where a line has none.\n"
        "        # starts a comment; blank lines and one header row are skipped.\n"
        "        A stepped run ends after the last point's dwell, leaving the output\n"
        "        there; a value out of range is refused unless --clamp, which sends\n"
        "        the nearer bound with a notice. On a terminal a progress line shows\n"
        "        the point, its frequency and the time left.\n"
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
        "  --simulate-fault silent|refuse[:N]\n"
        "                  The virtual board ignores, or answers 45 52 to, every frame,\n"
        "                  or every frame from the Nth on.\n"
        "  --simulate-send HEX\n"
        "                  The virtual board sends these bytes first, such as 19999999.\n"
        "\n"
        "Exit status: 0 acknowledged (monitor, serve: done), 2 bad input or a log file\n"
        "that cannot be opened, 3 the board never acknowledged, 4 the serial port failed.\n");
}
