#pragma once

// Reads a decimal number the way scanf's "%d" does: leading white space,
// an optional sign, digits, anything after them ignored. Returns false (and
// leaves *value alone) when the text holds no number. Values beyond the
// 32-bit range saturate to INT_MIN / INT_MAX. When `rest` is given it is
// set to the text after the digits of a number read.
bool ReadDecimal(const char* text, int* value, const char** rest = nullptr);
