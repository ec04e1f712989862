#include "cli/cli_options.h"

#include "cli/exit_code.h"
#include "protocol/hex_text.h"

namespace {

struct OptionRule {
    const char* pszName;
    bool bTakesValue;
    // Blank-separated commands the option belongs to; none for a global one.
    const char* pszCommands;
};

constexpr OptionRule kOptions[] = {
    {"port", true, nullptr},
    {"simulate", false, nullptr},
    {"json", false, "point sweep pause continue close monitor"},
    {"timeout", true, "point sweep pause continue close monitor"},
    {"simulate-fault", true, nullptr},
    {"simulate-send", true, nullptr},
    {"help", false, nullptr},
    {"version", false, nullptr},
    {"amplitude", true, "point sweep"},
    {"frequency", true, "point"},
    {"start", true, "sweep"},
    {"end", true, "sweep"},
    {"step", true, "sweep"},
    {"interval", true, "sweep"},
    {"circular", false, "sweep"},
    {"duration", true, "monitor"},
    {"listen", true, "serve"},
    {"log", true, nullptr},
};

struct CommandRule {
    const char* pszName;
    const char* pszRequired;
};

constexpr CommandRule kCommands[] = {
    {"point", "amplitude frequency"},
    {"sweep", "start end amplitude step interval"},
    {"pause", ""},
    {"continue", ""},
    {"close", ""},
    {"monitor", ""},
    {"serve", ""},
};

const OptionRule* FindOption(const QString& strName)
{
    for (const OptionRule& rule : kOptions) {
        if (strName == QLatin1String(rule.pszName))
            return &rule;
    }
    return nullptr;
}

const CommandRule* FindCommand(const QString& strName)
{
    for (const CommandRule& rule : kCommands) {
        if (strName == QLatin1String(rule.pszName))
            return &rule;
    }
    return nullptr;
}

QStringList Words(const char* pszWords)
{
    return QString::fromLatin1(pszWords).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QString CommandNames()
{
    QStringList names;
    for (const CommandRule& rule : kCommands)
        names.append(QString::fromLatin1(rule.pszName));
    return names.join(QStringLiteral(", "));
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

// Splits "--name value" and "--name=value" into the given options, with the
// command word apart.
QMap<QString, QString> ReadArguments(const QStringList& arguments, CliOptions& options)
{
    QMap<QString, QString> given;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& strArgument = arguments[i];
        if (strArgument == QLatin1String("-h")) {
            given.insert(QStringLiteral("help"), QString());
            continue;
        }
        if (!strArgument.startsWith(QLatin1String("--"))) {
            if (!options.strCommand.isEmpty())
                throw InputError(QStringLiteral("Unexpected argument \"%1\" after the command.").arg(strArgument));
            options.strCommand = strArgument;
            continue;
        }
        const qsizetype nEquals = strArgument.indexOf(QLatin1Char('='));
        const QString strName = strArgument.mid(2, nEquals < 0 ? -1 : nEquals - 2);
        const OptionRule* pRule = FindOption(strName);
        if (!pRule)
            throw InputError(QStringLiteral("Unknown option \"%1\".").arg(strArgument));
        if (given.contains(strName))
            throw InputError(QStringLiteral("--%1 is given twice.").arg(strName));
        QString strValue;
        if (nEquals >= 0) {
            if (!pRule->bTakesValue)
                throw InputError(QStringLiteral("--%1 takes no value.").arg(strName));
            strValue = strArgument.mid(nEquals + 1);
        } else if (pRule->bTakesValue) {
            if (i + 1 >= arguments.size())
                throw InputError(QStringLiteral("--%1 needs a value.").arg(strName));
            strValue = arguments[++i];
        }
        given.insert(strName, strValue);
    }
    return given;
}

void CheckCommandOptions(const QMap<QString, QString>& given, const CommandRule& command)
{
    const QString strCommand = QString::fromLatin1(command.pszName);
    for (auto it = given.cbegin(); it != given.cend(); ++it) {
        const OptionRule* pRule = FindOption(it.key());
        if (pRule->pszCommands && !Words(pRule->pszCommands).contains(strCommand))
            throw InputError(QStringLiteral("--%1 does not go with %2.").arg(it.key(), strCommand));
    }
    for (const QString& strRequired : Words(command.pszRequired)) {
        if (!given.contains(strRequired))
            throw InputError(QStringLiteral("%1 needs --%2.").arg(strCommand, strRequired));
    }
}

} // namespace

void ParseCommandLine(const QStringList& arguments, CliOptions& options)
{
    const QMap<QString, QString> given = ReadArguments(arguments, options);
    options.bHelp = given.contains(QStringLiteral("help"));
    options.bVersion = given.contains(QStringLiteral("version"));
    if (options.bHelp || options.bVersion)
        return;

    if (options.strCommand.isEmpty())
        throw InputError(QStringLiteral("No command given; the commands are %1.").arg(CommandNames()));
    const CommandRule* pCommand = FindCommand(options.strCommand);
    if (!pCommand) {
        throw InputError(
            QStringLiteral("Unknown command \"%1\"; the commands are %2.").arg(options.strCommand, CommandNames()));
    }
    CheckCommandOptions(given, *pCommand);

    options.strPort = given.value(QStringLiteral("port"));
    if (given.contains(QStringLiteral("port")) && options.strPort.isEmpty())
        throw InputError(QStringLiteral("--port needs a device, such as /dev/ttyUSB0."));
    options.bSimulate = given.contains(QStringLiteral("simulate"));
    options.strLogPath = given.value(QStringLiteral("log"));
    if (given.contains(QStringLiteral("log")) && options.strLogPath.isEmpty())
        throw InputError(QStringLiteral("--log needs a file, such as traffic.jsonl."));
    if (options.bSimulate && given.contains(QStringLiteral("port")))
        throw InputError(QStringLiteral("--port and --simulate exclude each other."));
    if (given.contains(QStringLiteral("timeout")))
        options.nTimeoutMsecs = ReadMsecs(given.value(QStringLiteral("timeout")), "timeout", 1);
    if (given.contains(QStringLiteral("duration")))
        options.durationMsecs = ReadMsecs(given.value(QStringLiteral("duration")), "duration", 0);

    const bool bFault = given.contains(QStringLiteral("simulate-fault"));
    const bool bSend = given.contains(QStringLiteral("simulate-send"));
    if ((bFault || bSend) && !options.bSimulate)
        throw InputError(QStringLiteral("--simulate-fault and --simulate-send need --simulate."));
    options.strFault = given.value(QStringLiteral("simulate-fault"));
    if (bFault && options.strFault != QLatin1String("silent") && options.strFault != QLatin1String("refuse"))
        throw InputError(QStringLiteral("--simulate-fault is silent or refuse; got \"%1\".").arg(options.strFault));
    if (bSend)
        options.boardSends = ReadBoardBytes(given.value(QStringLiteral("simulate-send")));

    if (given.contains(QStringLiteral("listen")))
        options.strListen = given.value(QStringLiteral("listen"));
    options.bCircular = given.contains(QStringLiteral("circular"));
    for (const char* pszValue : {"amplitude", "frequency", "start", "end", "step", "interval"}) {
        const QString strName = QString::fromLatin1(pszValue);
        if (given.contains(strName))
            options.values.insert(strName, given.value(strName));
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
