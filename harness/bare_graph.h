#pragma once

#include <windows.h>
#include <dshow.h>

#include <string>

// The platform's filter graph driven directly, with none of the agent's
// code: the same four interfaces the agent holds per channel, for the
// baselines the bench measures the agent against and the controls the leak
// tests compare with.
class BareGraph {
public:
    BareGraph();
    ~BareGraph();

    // Creates the graph and queries its control, position and audio
    // interfaces, as the agent's channel does.
    bool Build();
    // `path` in the ANSI code page.
    bool Render(const std::string& path);
    void Release();
    // The graph itself, for what the four interfaces do not reach (NULL
    // until built).
    IGraphBuilder* Graph() const { return graph_; }

    void Run();
    void Pause();
    void Stop();
    OAFilterState State();
    // The last state change has completed in every filter.
    bool Settled();
    double Position();
    void SetPosition(double seconds);
    double Duration();
    void SetVolume(long attenuation);

private:
    BareGraph(const BareGraph&);
    BareGraph& operator=(const BareGraph&);

    IGraphBuilder* graph_;
    IMediaControl* control_;
    IMediaPosition* position_;
    IBasicAudio* audio_;
};
