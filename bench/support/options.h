#pragma once

#include "support/figures.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

// The command line of a benchmark program. Options that several programs
// take are declared here once, so that each keeps the name scripts/bench
// passes; a program adds the options it alone takes with Add().
class CBenchOptions {
public:
    CBenchOptions();

    // --out FILE
    void AddOut(const QString& strDescription = QStringLiteral("Figures file."));
    // --runs N
    void AddRuns(int nDefault);
    // --seconds S, 60 by default.
    void AddSeconds();
    // --board PATH, the stream board program.
    void AddBoard();
    // --adapter-latency MS, 0 by default.
    void AddAdapterLatency();
    QCommandLineOption Add(const QString& strName, const QString& strDescription, const QString& strValueName,
                           const QString& strDefault = {});
    void AddPositional(const QString& strName, const QString& strDescription);

    // Takes the arguments, the program first. Help, or what is wrong with
    // them, is printed and the program exits, as QCommandLineParser::process
    // does.
    void Process(const QStringList& arguments);

    QString Value(const QCommandLineOption& option) const;
    QStringList Positional() const;
    QString Out() const;
    // At least 1.
    int Runs() const;
    // At least 2 s.
    double Seconds() const;
    QString Board() const;
    int AdapterLatencyMs() const;

    // WriteGroup, saying on stderr which program could not write where.
    bool WriteFigures(const QString& strPath, const QString& strGroup, const QList<Figure>& figures,
                      const QStringList& notes = {}) const;

private:
    QCommandLineParser m_parser;
    QString m_strProgram;
};
