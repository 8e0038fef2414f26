#pragma once

// The baseline windows' classes: distinct from the agent's, so that they and
// the agent can serve at once and a host can alternate between them. The
// plain window answers at once; the graph window first makes the graph calls
// the agent makes for the same command.
#define BARE_WINDOW_CLASS "QuavelBenchBareWndClass"
#define BARE_GRAPH_WINDOW_CLASS "QuavelBenchBareGraphWndClass"
