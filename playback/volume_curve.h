#pragma once

// Percent (0-100) <-> attenuation in hundredths of a decibel (-10000..0) on a
// fourth-root curve. The two are inverse on 0-100. Percentages above 100 give
// a positive attenuation and are passed on unclamped; negative ones count as
// 0 (silence).
long PercentToAttenuation(int percent);
int AttenuationToPercent(long attenuation);
