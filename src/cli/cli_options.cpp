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
    // Commands that take a required option without needing it.
    const char* pszOptionalIn = "";
};

// The commands that talk to the board, through a port or a virtual one.
constexpr char kBoardCommands[] = "point sweep stepped list pause continue close monitor serve";

constexpr OptionRule kOptions[] = {
    {"port", Kind::Value, kBoardCommands},
    {"simulate", Kind::Flag, kBoardCommands},
    {"json", Kind::Flag, "point sweep stepped list pause continue close monitor ports"},
    {"timeout", Kind::Value, "point sweep pause continue close monitor"},
    {"simulate-fault", Kind::Value, kBoardCommands},
    {"simulate-send", Kind::Value, kBoardCommands},
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
    {"step", Kind::Required, "sweep"},
    {"interval", Kind::Required, "sweep"},
    {"circular", Kind::Flag, "sweep"},
    {"clamp", Kind::Flag, "point sweep stepped list"},
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
    QStringList commands = Words(kBoardCommands) << QStringLiteral("ports");
    commands.removeOne(QStringLiteral("stepped"));
    const QString strCommands = commands.join(QStringLiteral(", "));
    if (!options.strCommand.isEmpty() && !commands.contains(options.strCommand)) {
        throw InputError(
            QStringLiteral("Unknown command \"%1\"; the commands are %2.").arg(options.strCommand, strCommands));
    }
    if (options.bHelp || options.bVersion)
        return;
    if (options.strCommand.isEmpty())
        throw InputError(QStringLiteral("No command given; the commands are %1.").arg(strCommands));
    const QString strRuleCommand = RuleCommand(parser, options.strCommand);
    options.bStepped = strRuleCommand == QLatin1String("stepped");
    CheckCommandOptions(parser, strRuleCommand);
    options.strFile = parser.positionalArguments().value(1);
    if (options.strCommand == QLatin1String("list") && options.strFile.isEmpty())
        throw InputError(QStringLiteral("list needs a file of points, or - for standard input."));

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
