#pragma once

// The protocol carries times as 32-bit hundredths of a second; channels work
// in seconds.

// Truncates toward zero; NaN gives 0 and values beyond the 32-bit range
// saturate, so a broken graph reading can never become undefined behaviour.
int SecondsToHundredths(double seconds);

double HundredthsToSeconds(int hundredths);
