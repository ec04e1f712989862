#include "encoding/number_text.h"

// QString::asprintf formats in the C locale whatever the process locale is,
// so a decimal comma never reaches a field.

QString FormatFixed3(double dValue)
{
    return QString::asprintf("%3.3f", dValue);
}

QString FormatFixed5(double dValue)
{
    return QString::asprintf("%.5f", dValue);
}

QString FormatFixed6(double dValue)
{
    return QString::asprintf("%f", dValue);
}

QString FormatGeneral6(float fValue)
{
    return QString::asprintf("%g", static_cast<double>(fValue));
}
