#include <gtest/gtest.h>

#include <climits>

#include "playback/volume_curve.h"

TEST(VolumeCurve, MatchesTheReferenceTable)
{
    const struct {
        int percent;
        long attenuation;
    } reference[] = {{0, -10000}, {1, -6838}, {10, -4377}, {25, -2929}, {50, -1592},
                     {75, -694},  {90, -260}, {99, -26},   {100, 0}};
    for (const auto& row : reference)
        EXPECT_EQ(PercentToAttenuation(row.percent), row.attenuation) << row.percent << " percent";
}

TEST(VolumeCurve, EveryPercentageRoundTrips)
{
    for (int percent = 0; percent <= 100; ++percent)
        EXPECT_EQ(AttenuationToPercent(PercentToAttenuation(percent)), percent);
}

TEST(VolumeCurve, AboveHundredIsPassedOnUnclamped)
{
    EXPECT_EQ(PercentToAttenuation(101), 24);
    EXPECT_GT(PercentToAttenuation(INT_MAX), 0);
}

TEST(VolumeCurve, NegativePercentagesAreSilence)
{
    EXPECT_EQ(PercentToAttenuation(-1), -10000);
    EXPECT_EQ(PercentToAttenuation(INT_MIN), -10000);
}

TEST(VolumeCurve, AnyReportedAttenuationGivesADefinedPercentage)
{
    EXPECT_EQ(AttenuationToPercent(LONG_MAX), INT_MAX);
    EXPECT_EQ(AttenuationToPercent(LONG_MIN), INT_MAX);
    EXPECT_EQ(AttenuationToPercent(-20000), 100);
}
