#include "cli/cli_options.h"

#include "cli/exit_code.h"
#include "cli/strict_number.h"
#include "protocol/hex_text.h"

#include <QCommandLineParser>

#include <algorithm>
#include <climits>

namespace {

// What follows an option: nothing, or a value its commands may or must have.
enum class Kind { Flag, Value, Required };

struct OptionRule {
    const char* pszName;
    Kind kind;
    // Blank-separated commands the option belongs to; none for a global one.
    const char* pszCommands;
};

// The commands that talk to the board, through a port or a virtual one.
constexpr char kBoardCommands[] = "point sweep pause continue close monitor serve";

constexpr OptionRule kOptions[] = {
    {"port", Kind::Value, kBoardCommands},
    {"simulate", Kind::Flag, kBoardCommands},
    {"json", Kind::Flag, "point sweep pause continue close monitor ports"},
    {"timeout", Kind::Value, "point sweep pause continue close monitor"},
    {"simulate-fault", Kind::Value, kBoardCommands},
    {"simulate-send", Kind::Value, kBoardCommands},
    {"help", Kind::Flag, nullptr},
    {"version", Kind::Flag, nullptr},
    {"start", Kind::Required, "sweep"},
    {"end", Kind::Required, "sweep"},
    {"amplitude", Kind::Required, "point sweep"},
    {"frequency", Kind::Required, "point"},
    {"step", Kind::Required, "sweep"},
    {"interval", Kind::Required, "sweep"},
    {"circular", Kind::Flag, "sweep"},
    {"clamp", Kind::Flag, "point sweep"},
    {"duration", Kind::Value, "monitor"},
    {"listen", Kind::Value, "serve"},
    {"log", Kind::Value, kBoardCommands},
};

QStringList Words(const char* pszWords)
{
    return QString::fromLatin1(pszWords).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

int ReadMsecs(const QString& strText, const char* pszOption, int nMinimum)
{
    const NumberRule rule{QString::fromLatin1(pszOption), QStringLiteral("ms"), static_cast<double>(nMinimum), INT_MAX,
                          true, false};
    QStringList notices;
    return static_cast<int>(ReadStrictNumber(strText, rule, false, notices));
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
    // Apart from the long forms, so that -h and --help together are not taken as twice.
    const QCommandLineOption shortHelp(QStringLiteral("h"));
    const QCommandLineOption shortVersion(QStringLiteral("v"));
    parser.addOption(shortHelp);
    parser.addOption(shortVersion);
    const bool bRead = parser.parse(arguments);
    options.strCommand = parser.positionalArguments().value(0);
    CheckRead(parser, arguments, bRead);
    options.bHelp = parser.isSet(shortHelp) || parser.isSet(QStringLiteral("help"));
    options.bVersion = parser.isSet(shortVersion) || parser.isSet(QStringLiteral("version"));
    const QStringList commands = Words(kBoardCommands) << QStringLiteral("ports");
    const QString strCommands = commands.join(QStringLiteral(", "));
    if (!options.strCommand.isEmpty() && !commands.contains(options.strCommand)) {
        throw InputError(
            QStringLiteral("Unknown command \"%1\"; the commands are %2.").arg(options.strCommand, strCommands));
    }
    if (options.bHelp || options.bVersion)
        return;
    if (options.strCommand.isEmpty())
        throw InputError(QStringLiteral("No command given; the commands are %1.").arg(strCommands));
    CheckCommandOptions(parser, options.strCommand);

    const auto given = [&parser](const char* pszName) { return parser.isSet(QString::fromLatin1(pszName)); };
    const auto value = [&parser](const char* pszName) { return parser.value(QString::fromLatin1(pszName)); };
    options.bJson = given("json");
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
    options.bClamp = given("clamp");
    for (const OptionRule& rule : kOptions) {
        if (rule.kind == Kind::Required && given(rule.pszName))
            options.values.insert(QString::fromLatin1(rule.pszName), value(rule.pszName));
    }
}
