#include "cli/strict_number.h"

#include "cli/exit_code.h"
#include "encoding/strict_decimal.h"

namespace {

QString Number(double dValue)
{
    return QString::number(dValue, 'g', 12);
}

QString WithUnit(const QString& strNumber, const NumberRule& rule)
{
    return rule.strUnit.isEmpty() ? strNumber : QStringLiteral("%1 %2").arg(strNumber, rule.strUnit);
}

} // namespace

QString RuleText(const NumberRule& rule)
{
    const QString strWhat = !rule.bWhole                ? QStringLiteral("a number")
                            : rule.strUnit.isEmpty() ? QStringLiteral("a whole count")
                                                     : QStringLiteral("a whole number");
    return QStringLiteral("%1 from %2 to %3").arg(strWhat, Number(rule.dLowest), WithUnit(Number(rule.dHighest), rule));
}

double ReadStrictNumber(const QString& strText, const NumberRule& rule, bool bClamp, QStringList& notices)
{
    const std::optional<double> value = ReadDecimal(strText);
    if (!value) {
        throw InputError(QStringLiteral("--%1 needs %2, written as a plain decimal number; got \"%3\".")
                             .arg(rule.strOption, RuleText(rule), strText));
    }
    if (rule.bWhole && !IsWholeDecimal(strText)) {
        throw InputError(QStringLiteral("--%1 %2 cannot be carried exactly: it takes %3.")
                             .arg(rule.strOption, strText, RuleText(rule)));
    }
    if (*value >= rule.dLowest && *value <= rule.dHighest)
        return *value;
    const bool bAbove = *value > rule.dHighest;
    const double dBound = bAbove ? rule.dHighest : rule.dLowest;
    if (!bClamp) {
        const QString strHint = rule.bClampOffered ? QStringLiteral(" --clamp sends the nearer bound.") : QString();
        throw InputError(QStringLiteral("--%1 %2 is out of range: it takes %3.%4")
                             .arg(rule.strOption, WithUnit(strText, rule), RuleText(rule), strHint));
    }
    notices.append(QStringLiteral("%1 %2 is %3 %4; sending %4")
                       .arg(rule.strOption, WithUnit(strText, rule),
                            bAbove ? QStringLiteral("above") : QStringLiteral("below"),
                            WithUnit(Number(dBound), rule)));
    return dBound;
}
