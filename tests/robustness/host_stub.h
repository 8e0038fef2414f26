#pragma once

// The window class of the stand-in host that the watchdog tests register
// and then kill.
#define HOST_STUB_WINDOW_CLASS "QuavelTestHost"
