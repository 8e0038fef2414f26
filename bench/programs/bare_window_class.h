#pragma once

// The baseline window's class: distinct from the agent's, so both can serve
// at once and a host can alternate between them.
#define BARE_WINDOW_CLASS "QuavelBenchBareWndClass"
