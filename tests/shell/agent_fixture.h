#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_filter_graph.h"
#include "playback/playback_channel.h"

// A fresh agent for each test: both channels on fake graphs, the agent
// window created, the fake tick counter at `kStartTick` and the agent's
// reference clock at `kStartClockMs`.
class AgentFixture : public testing::Test {
protected:
    static const DWORD kStartTick = 100000;
    static const LONGLONG kStartClockMs = 1000000;

    void SetUp() override;
    void TearDown() override;

    // Loads a file into the channel's fake graph, which then reports
    // `durationSeconds`; a looping channel gets its second graph then, in
    // `second`.
    static void LoadFile(FakeFilterGraph*& graph, PlaybackChannel& channel, double durationSeconds,
                         bool looping = false, FakeFilterGraph** second = nullptr);
    // Runs the channel at kStartClockMs: its sound is presented from
    // kStartClockMs + kLeadMs, the lead a cued start takes.
    static void RunAtStart(PlaybackChannel& channel);
    static const LONGLONG kLeadMs = 20;
    static std::string AgentTitle();

    FakeFilterGraph* graph1 = nullptr;
    FakeFilterGraph* graph2 = nullptr;
};
