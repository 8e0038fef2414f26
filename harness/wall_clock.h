#pragma once

// The Unix wall clock in seconds, as a Windows program reads it under Wine
// (GetSystemTimePreciseAsFileTime is the Unix real-time clock there): what
// the recorder on the Linux side stamps its reads with, so that what a
// program did and what the sound device heard fall on one time line.
double WallClockSeconds();
