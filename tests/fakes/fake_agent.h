#pragma once

#include "fakes/fake_filter_graph.h"

struct FakeAgentGraphs {
    FakeFilterGraph* first;
    FakeFilterGraph* second;
};

// A fresh AgentState for one test: no quit requested, no host window
// watched or told, both channels made one at a time on fake graphs (so each
// can be told apart).
// Returns the graphs; the caller releases the channels.
FakeAgentGraphs ResetAgentOnFakeGraphs();
