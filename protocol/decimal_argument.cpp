#include "protocol/decimal_argument.h"

namespace {

// White space as the C locale's isspace sees it, independent of the locale.
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

bool ReadDecimal(const char* text, int* value, const char** rest)
{
    while (IsBlank(*text))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    if (!IsDigit(*text))
        return false;

    const long long limit = negative ? 2147483648LL : 2147483647LL;
    long long magnitude = 0;
    for (; IsDigit(*text); ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > limit)
            magnitude = limit;
    }
    *value = static_cast<int>(negative ? -magnitude : magnitude);
    if (rest)
        *rest = text;
    return true;
}
