#pragma once

// A whole text that is a 32-bit decimal number with an optional sign, and
// nothing else.
bool ParseWholeDecimal(const char* text, int* value);
