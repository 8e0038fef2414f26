#include "playback/volume_curve.h"

#include <climits>
#include <cmath>

namespace {

const float kPercentScale = 100.0f;
const float kAttenuationScale = 10000.0f;
const long kSilence = -10000;

// The curve is defined by single-precision arithmetic. x87 code keeps
// intermediates in 80-bit registers, which shifts the results off the
// reference values; a store through a volatile float makes each rounding to
// single precision really happen, on every compiler.
float RoundToSingle(float value)
{
    volatile float stored = value;
    return stored;
}

}  // namespace

long PercentToAttenuation(int percent)
{
    if (percent <= 0)
        return kSilence;
    float quotient = RoundToSingle(static_cast<float>(percent) / kPercentScale);
    float squareRoot = RoundToSingle(std::sqrt(quotient));
    float fourthRoot = RoundToSingle(std::sqrt(squareRoot));
    return static_cast<long>(RoundToSingle(fourthRoot * kAttenuationScale)) + kSilence;
}

int AttenuationToPercent(long attenuation)
{
    float level = RoundToSingle((static_cast<float>(attenuation) + kAttenuationScale) /
                                kAttenuationScale);
    float squared = RoundToSingle(level * level);
    float fourth = RoundToSingle(RoundToSingle(squared * level) * level);
    float percent = RoundToSingle(RoundToSingle(kPercentScale * fourth) + 0.5f);
    // A graph may report anything; keep the conversion defined.
    if (!(percent < 2147483648.0f))
        return INT_MAX;
    return static_cast<int>(percent);
}
