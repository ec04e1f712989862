#include "scpi/program_data.h"

#include <array>
#include <cmath>

namespace {

struct UnitSuffix {
    Quantity quantity;
    const char* pszSuffix;
    int nPowerOfTen;
};

// Suffixes are case-insensitive, so IEEE 488.2 reads a leading M as milli;
// MHZ is its one exception and means megahertz. A millihertz cannot be written,
// and MV is a millivolt however it is typed.
constexpr std::array<UnitSuffix, 10> kUnitSuffixes = {{
    {Quantity::Frequency, "HZ", 0},
    {Quantity::Frequency, "KHZ", 3},
    {Quantity::Frequency, "MHZ", 6},
    {Quantity::Frequency, "GHZ", 9},
    {Quantity::Voltage, "V", 0},
    {Quantity::Voltage, "MV", -3},
    {Quantity::Time, "S", 0},
    {Quantity::Time, "MS", -3},
    {Quantity::Time, "US", -6},
    {Quantity::Time, "NS", -9},
}};

QByteArray ShortForm(const char* pszLongForm)
{
    QByteArray shortForm;
    for (const char* p = pszLongForm; *p != '\0' && !(*p >= 'a' && *p <= 'z'); ++p)
        shortForm += *p;
    return shortForm;
}

} // namespace

bool IsMnemonic(const QByteArray& typed, const char* pszLongForm)
{
    return typed == QByteArray(pszLongForm).toUpper() || typed == ShortForm(pszLongForm);
}

NumericParameter ReadNumericParameter(const ProgramDatum& datum, Quantity quantity)
{
    if (datum.kind == ProgramDatum::Kind::String)
        return kDataTypeError;
    if (datum.kind == ProgramDatum::Kind::Character) {
        if (IsMnemonic(datum.text, "MINimum"))
            return NumericKeyword::Minimum;
        if (IsMnemonic(datum.text, "MAXimum"))
            return NumericKeyword::Maximum;
        if (IsMnemonic(datum.text, "DEFault"))
            return NumericKeyword::Default;
        return kDataTypeError;
    }
    if (datum.suffix.isEmpty())
        return datum.number;
    for (const UnitSuffix& unit : kUnitSuffixes) {
        if (unit.quantity == quantity && datum.suffix == unit.pszSuffix)
            return Scaled(datum.number, unit.nPowerOfTen);
    }
    // The queue holds only the codes scripts are told of; a unit that does
    // not belong to the setting is a fault in the command's syntax.
    return kSyntaxError;
}

std::variant<bool, ScpiError> ReadBoolean(const ProgramDatum& datum)
{
    switch (datum.kind) {
    case ProgramDatum::Kind::String:
        return kDataTypeError;
    case ProgramDatum::Kind::Character:
        if (datum.text == "ON")
            return true;
        if (datum.text == "OFF")
            return false;
        return kIllegalParameterValue;
    case ProgramDatum::Kind::Numeric:
        break;
    }
    if (!datum.suffix.isEmpty())
        return kSyntaxError;
    return std::round(std::fabs(ToDouble(datum.number))) != 0.0;
}

std::variant<int, ScpiError> ReadRegisterMask(const ProgramDatum& datum, int nHighest)
{
    if (datum.kind != ProgramDatum::Kind::Numeric)
        return kDataTypeError;
    if (!datum.suffix.isEmpty())
        return kSyntaxError;
    const double dMask = std::round(ToDouble(datum.number));
    if (!(dMask >= 0 && dMask <= nHighest))
        return kDataOutOfRange;
    return static_cast<int>(dMask);
}
