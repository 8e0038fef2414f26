#include "tools/decimal_text.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

// strtol would also skip leading white space; a malformed argument should be
// refused rather than guessed at.
bool StartsLikeNumber(const char* text)
{
    unsigned char first = static_cast<unsigned char>(text[0]);
    return first == '+' || first == '-' || isdigit(first);
}

}  // namespace

bool ParseWholeDecimal(const char* text, int* value)
{
    if (!StartsLikeNumber(text))
        return false;
    char* end = nullptr;
    errno = 0;
    long number = strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE || number < INT_MIN || number > INT_MAX)
        return false;
    *value = static_cast<int>(number);
    return true;
}

void FormatHundredths(int hundredths, char* text, size_t size)
{
    // Widened first: the magnitude of INT_MIN does not fit an int.
    long long magnitude = hundredths;
    const char* sign = magnitude < 0 ? "-" : "";
    if (magnitude < 0)
        magnitude = -magnitude;
    snprintf(text, size, "%s%lld.%02lld", sign, magnitude / 100, magnitude % 100);
}
