#pragma once

#include <windows.h>
#include <dshow.h>

#include <string>

// The platform's filter graph driven directly, with none of the agent's
// code: what the baselines measure the agent against.
class BareGraph {
public:
    BareGraph();
    ~BareGraph();

    bool Build();
    bool Render(const std::string& path);
    void Release();

    void Run();
    void Pause();
    void Stop();
    OAFilterState State();
    // The last state change has completed in every filter.
    bool Settled();
    double Position();
    void SetPosition(double seconds);
    double Duration();

private:
    BareGraph(const BareGraph&);
    BareGraph& operator=(const BareGraph&);

    IGraphBuilder* graph_;
    IMediaControl* control_;
    IMediaPosition* position_;
};
