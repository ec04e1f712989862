#include "scpi/message_parser.h"

#include <algorithm>
#include <optional>

namespace {

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// IEEE 488.2 white space: every control character and the blank, but the
// newline ends a message; so a client's trailing carriage return is blank.
bool IsWhiteSpace(char c)
{
    return static_cast<unsigned char>(c) <= 0x20 && c != '\n';
}

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

class CUnitReader {
public:
    explicit CUnitReader(const QByteArray& unit)
        : m_p(unit.constData())
        , m_pEnd(unit.constData() + unit.size())
    {
    }

    std::variant<ProgramUnit, ScpiError> Read()
    {
        ProgramUnit unit;
        SkipWhiteSpace();
        if (!ReadHeader(unit))
            return kSyntaxError;
        if (AtEnd())
            return unit;
        if (!IsWhiteSpace(*m_p))
            return kSyntaxError;
        SkipWhiteSpace();
        while (!AtEnd()) {
            std::optional<ProgramDatum> datum = ReadDatum();
            if (!datum)
                return kSyntaxError;
            unit.data.append(*datum);
            SkipWhiteSpace();
            if (AtEnd())
                break;
            if (*m_p != ',')
                return kSyntaxError;
            ++m_p;
            SkipWhiteSpace();
            if (AtEnd())
                return kSyntaxError;
        }
        return unit;
    }

private:
    bool AtEnd() const { return m_p == m_pEnd; }

    void SkipWhiteSpace()
    {
        while (!AtEnd() && IsWhiteSpace(*m_p))
            ++m_p;
    }

    // A letter, then letters, digits and underscores, upper-cased.
    QByteArray ReadMnemonic()
    {
        QByteArray mnemonic;
        if (AtEnd() || !IsLetter(*m_p))
            return mnemonic;
        while (!AtEnd() && (IsLetter(*m_p) || IsDigit(*m_p) || *m_p == '_'))
            mnemonic += *m_p++;
        return mnemonic.toUpper();
    }

    bool ReadHeader(ProgramUnit& unit)
    {
        if (!AtEnd() && *m_p == '*') {
            ++m_p;
            unit.bCommon = true;
        } else if (!AtEnd() && *m_p == ':') {
            ++m_p;
            unit.bRooted = true;
        }
        for (;;) {
            const QByteArray mnemonic = ReadMnemonic();
            if (mnemonic.isEmpty())
                return false;
            unit.mnemonics.append(mnemonic);
            if (unit.bCommon || AtEnd() || *m_p != ':')
                break;
            ++m_p;
        }
        if (!AtEnd() && *m_p == '?') {
            ++m_p;
            unit.bQuery = true;
        }
        return true;
    }

    std::optional<ProgramDatum> ReadDatum()
    {
        ProgramDatum datum;
        if (IsQuote(*m_p)) {
            datum.kind = ProgramDatum::Kind::String;
            return ReadString(datum) ? std::optional<ProgramDatum>(datum) : std::nullopt;
        }
        if (IsLetter(*m_p)) {
            datum.kind = ProgramDatum::Kind::Character;
            datum.text = ReadMnemonic();
            return datum;
        }
        std::optional<DecimalValue> number = ReadDecimal(m_p, m_pEnd);
        if (!number)
            return std::nullopt;
        datum.number = *number;
        const char* const pAfterNumber = m_p;
        SkipWhiteSpace();
        while (!AtEnd() && IsLetter(*m_p))
            datum.suffix += *m_p++;
        if (datum.suffix.isEmpty())
            m_p = pAfterNumber;
        datum.suffix = datum.suffix.toUpper();
        return datum;
    }

    // A doubled quote inside stands for one.
    bool ReadString(ProgramDatum& datum)
    {
        const char quote = *m_p++;
        while (!AtEnd()) {
            const char c = *m_p++;
            if (c != quote) {
                datum.text += c;
                continue;
            }
            if (AtEnd() || *m_p != quote)
                return true;
            datum.text += *m_p++;
        }
        return false;
    }

    const char* m_p;
    const char* const m_pEnd;
};

} // namespace

QList<QByteArray> SplitProgramUnits(const QByteArray& message)
{
    QList<QByteArray> units;
    QByteArray unit;
    char quote = '\0';
    for (const char c : message) {
        if (quote != '\0') {
            if (c == quote)
                quote = '\0';
        } else if (IsQuote(c)) {
            quote = c;
        } else if (c == ';') {
            units.append(unit);
            unit.clear();
            continue;
        }
        unit += c;
    }
    units.append(unit);
    units.removeIf([](const QByteArray& text) { return std::all_of(text.cbegin(), text.cend(), IsWhiteSpace); });
    return units;
}

std::variant<ProgramUnit, ScpiError> ParseProgramUnit(const QByteArray& unit)
{
    return CUnitReader(unit).Read();
}
