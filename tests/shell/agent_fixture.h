#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_filter_graph.h"
#include "playback/playback_channel.h"

// A fresh agent for each test: both channels on fake graphs, the agent
// window created, the fake clock at `kStartTick`.
class AgentFixture : public testing::Test {
protected:
    static const DWORD kStartTick = 100000;

    void SetUp() override;
    void TearDown() override;

    // Loads a file into the channel's fake graph, which then reports
    // `durationSeconds` and the given state.
    static void LoadFile(FakeFilterGraph*& graph, PlaybackChannel& channel, double durationSeconds,
                         OAFilterState state);
    static std::string AgentTitle();

    FakeFilterGraph* graph1 = nullptr;
    FakeFilterGraph* graph2 = nullptr;
};
