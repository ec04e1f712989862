#include "encoding/text_parsing.h"
#include "encoding/words.h"
#include "fuzz_check.h"

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

bool HasLetter(const QByteArray& text, char lower)
{
    return text.contains(lower) || text.contains(static_cast<char>(lower - 'a' + 'A'));
}

// strtof in the C locale is the reference, where the rules agree with it:
// no hexadecimal floats, no infinity or NaN, and no result out of range.
void CheckScanFloat(const QByteArray& text)
{
    float fValue = 1.5f;
    const bool bRead = ScanFloat(QString::fromLatin1(text), fValue);
    FUZZ_CHECK(std::isfinite(fValue));
    if (!bRead)
        FUZZ_CHECK(fValue == 1.5f);
    if (HasLetter(text, 'x') || HasLetter(text, 'i') || HasLetter(text, 'n') || text.contains('\0'))
        return;
    errno = 0;
    char* pEnd = nullptr;
    const float fReference = std::strtof(text.constData(), &pEnd);
    if (errno == ERANGE)
        return;
    FUZZ_CHECK(bRead == (pEnd != text.constData()));
    if (bRead)
        FUZZ_CHECK(fValue == fReference);
    IntegerPart(fValue);
    FrequencyToTuningWord(fValue);
    AmplitudeToWord(fValue, kSweepAmplitudeScale);
}

void CheckScanInt(const QByteArray& text)
{
    if (text.contains('\0'))
        return;
    int nValue = 7;
    const bool bRead = ScanInt(QString::fromLatin1(text), nValue);
    errno = 0;
    char* pEnd = nullptr;
    const long long nReference = std::strtoll(text.constData(), &pEnd, 10);
    // strtoll also takes a bare sign with blanks between; the rule does not.
    const bool bReferenceRead = pEnd != text.constData();
    if (!bReferenceRead) {
        FUZZ_CHECK(!bRead && nValue == 7);
        return;
    }
    if (bRead)
        FUZZ_CHECK(nValue == static_cast<int>(std::clamp<long long>(nReference, INT_MIN, INT_MAX)));
    FUZZ_CHECK(bRead);
    FUZZ_CHECK(AtoiPrefix(QString::fromLatin1(text)) == std::atoi(text.left(9).constData()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    // Latin-1 keeps one character a byte, so the references see the same text.
    const QByteArray text(reinterpret_cast<const char*>(pData), static_cast<qsizetype>(nSize));
    CheckScanFloat(text);
    CheckScanInt(text);
    // Any text, whatever its encoding, is safe to parse.
    float fValue = 0;
    ScanFloat(QString::fromUtf8(text), fValue);
    FUZZ_CHECK(std::isfinite(fValue));
    return 0;
}
