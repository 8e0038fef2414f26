#pragma once

#include <cstddef>

// A whole text that is a 32-bit decimal number with an optional sign, and
// nothing else.
bool ParseWholeDecimal(const char* text, int* value);

// `hundredths` as seconds with two decimals ("-0.05", "300.00"), into
// `text` of `size` bytes.
void FormatHundredths(int hundredths, char* text, size_t size);
