#pragma once

#include <QString>
#include <QStringList>

// What an option's value may be, for scripts: no value is ever changed
// without saying so.
struct NumberRule {
    // The option's name without its dashes, such as "frequency".
    QString strOption;
    // What the value counts, such as "MHz" or "V"; empty for a bare count.
    QString strUnit;
    double dLowest = 0.0;
    double dHighest = 0.0;
    // Only whole numbers reach the board unchanged.
    bool bWhole = false;
    // The command takes --clamp, so a refusal mentions it.
    bool bClampOffered = true;
};

// The option's value, read strictly. Throws InputError naming the option and
// the text for a text that is no decimal number, for a fraction where the
// rule takes whole numbers only, and for a value outside the rule's range;
// with bClamp the nearer bound is taken instead of the last, and a notice
// saying so is appended to notices.
double ReadStrictNumber(const QString& strText, const NumberRule& rule, bool bClamp, QStringList& notices);

// What the rule takes, such as "a whole number from 10 to 400 MHz".
QString RuleText(const NumberRule& rule);
