#include "common/protocol_units.h"

#include <climits>

int SecondsToHundredths(double seconds)
{
    double hundredths = seconds * 100.0;
    if (hundredths != hundredths)
        return 0;
    if (hundredths >= 2147483648.0)
        return INT_MAX;
    if (hundredths <= -2147483649.0)
        return INT_MIN;
    return static_cast<int>(hundredths);
}

double HundredthsToSeconds(int hundredths)
{
    return hundredths / 100.0;
}
