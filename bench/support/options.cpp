#include "support/options.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

CBenchOptions::CBenchOptions()
{
    m_parser.addHelpOption();
}

void CBenchOptions::AddOut(const QString& strDescription)
{
    Add(QStringLiteral("out"), strDescription, QStringLiteral("file"));
}

void CBenchOptions::AddRuns(int nDefault)
{
    Add(QStringLiteral("runs"), QStringLiteral("Runs of each kind."), QStringLiteral("n"), QString::number(nDefault));
}

void CBenchOptions::AddSeconds()
{
    Add(QStringLiteral("seconds"), QStringLiteral("Length of the stream."), QStringLiteral("s"), QStringLiteral("60"));
}

void CBenchOptions::AddBoard()
{
    Add(QStringLiteral("board"), QStringLiteral("The stream board program."), QStringLiteral("path"));
}

void CBenchOptions::AddAdapterLatency()
{
    Add(QStringLiteral("adapter-latency"),
        QStringLiteral("The board writes through a USB-serial adapter with this latency timer."), QStringLiteral("ms"),
        QStringLiteral("0"));
}

QCommandLineOption CBenchOptions::Add(const QString& strName, const QString& strDescription,
                                      const QString& strValueName, const QString& strDefault)
{
    const QCommandLineOption option(strName, strDescription, strValueName, strDefault);
    m_parser.addOption(option);
    return option;
}

void CBenchOptions::AddPositional(const QString& strName, const QString& strDescription)
{
    m_parser.addPositionalArgument(strName, strDescription);
}

void CBenchOptions::Process(const QStringList& arguments)
{
    m_strProgram = QFileInfo(arguments.value(0)).fileName();
    // Qt names the program in its errors; without an application object it
    // would know no name.
    if (!QCoreApplication::instance())
        QCoreApplication::setApplicationName(m_strProgram);
    m_parser.process(arguments);
}

QString CBenchOptions::Value(const QCommandLineOption& option) const
{
    return m_parser.value(option);
}

QStringList CBenchOptions::Positional() const
{
    return m_parser.positionalArguments();
}

QString CBenchOptions::Out() const
{
    return m_parser.value(QStringLiteral("out"));
}

int CBenchOptions::Runs() const
{
    return qMax(1, m_parser.value(QStringLiteral("runs")).toInt());
}

double CBenchOptions::Seconds() const
{
    return qMax(2.0, m_parser.value(QStringLiteral("seconds")).toDouble());
}

QString CBenchOptions::Board() const
{
    return m_parser.value(QStringLiteral("board"));
}

int CBenchOptions::AdapterLatencyMs() const
{
    return qMax(0, m_parser.value(QStringLiteral("adapter-latency")).toInt());
}

bool CBenchOptions::WriteFigures(const QString& strPath, const QString& strGroup, const QList<Figure>& figures,
                                 const QStringList& notes) const
{
    if (WriteGroup(strPath, strGroup, figures, notes))
        return true;
    std::fprintf(stderr, "%s: cannot write the figures to %s\n", qPrintable(m_strProgram), qPrintable(strPath));
    return false;
}
