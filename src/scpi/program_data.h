#pragma once

#include "scpi/decimal_value.h"
#include "scpi/scpi_error.h"

#include <QByteArray>

#include <optional>
#include <variant>

// One parameter of a command, as the parser read it.
struct ProgramDatum {
    enum class Kind { Numeric, Character, String };
    Kind kind = Kind::Numeric;
    // Numeric: the number and its suffix, upper case, empty without one.
    DecimalValue number;
    QByteArray suffix;
    // Character data upper case, or the contents of a string.
    QByteArray text;
};

// What a numeric setting measures, and so which suffixes it takes.
enum class Quantity { Frequency, Voltage, Time };

enum class NumericKeyword { Minimum, Maximum, Default };

// A numeric parameter in its base unit (Hz, V, s), a MIN, MAX or DEF, or the
// error to queue.
using NumericParameter = std::variant<DecimalValue, NumericKeyword, ScpiError>;
NumericParameter ReadNumericParameter(const ProgramDatum& datum, Quantity quantity);

// Whether character data is the mnemonic with this long form, by the short
// and long form rule: "FIXed" takes FIX and FIXED in any case.
bool IsMnemonic(const QByteArray& typed, const char* pszLongForm);

// ON, OFF or a number, rounded, non-zero being ON; or the error to queue.
std::variant<bool, ScpiError> ReadBoolean(const ProgramDatum& datum);

// A status register's mask: a number without a unit, rounded, from 0 to
// nHighest; or the error to queue.
std::variant<int, ScpiError> ReadRegisterMask(const ProgramDatum& datum, int nHighest);
