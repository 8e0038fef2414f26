#include "harness/bare_graph.h"

#include <vector>

BareGraph::BareGraph() : graph_(NULL), control_(NULL), position_(NULL), audio_(NULL) {}

BareGraph::~BareGraph()
{
    Release();
}

bool BareGraph::Build()
{
    Release();
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, NULL, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                reinterpret_cast<void**>(&graph_))))
        return false;
    graph_->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control_));
    graph_->QueryInterface(IID_IMediaPosition, reinterpret_cast<void**>(&position_));
    graph_->QueryInterface(IID_IBasicAudio, reinterpret_cast<void**>(&audio_));
    return control_ && position_ && audio_;
}

bool BareGraph::Render(const std::string& path)
{
    int units = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, NULL, 0);
    std::vector<WCHAR> wide(static_cast<size_t>(units));
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], units);
    return SUCCEEDED(graph_->RenderFile(&wide[0], NULL));
}

void BareGraph::Release()
{
    if (audio_)
        audio_->Release();
    if (position_)
        position_->Release();
    if (control_)
        control_->Release();
    if (graph_)
        graph_->Release();
    audio_ = NULL;
    position_ = NULL;
    control_ = NULL;
    graph_ = NULL;
}

void BareGraph::Run()
{
    control_->Run();
}

void BareGraph::Pause()
{
    control_->Pause();
}

void BareGraph::Stop()
{
    control_->Stop();
}

OAFilterState BareGraph::State()
{
    OAFilterState state = State_Stopped;
    control_->GetState(0, &state);
    return state;
}

bool BareGraph::Settled()
{
    OAFilterState state = State_Stopped;
    return control_->GetState(0, &state) == S_OK;
}

double BareGraph::Position()
{
    REFTIME seconds = 0.0;
    position_->get_CurrentPosition(&seconds);
    return seconds;
}

void BareGraph::SetPosition(double seconds)
{
    position_->put_CurrentPosition(seconds);
}

double BareGraph::Duration()
{
    REFTIME seconds = 0.0;
    position_->get_Duration(&seconds);
    return seconds;
}

void BareGraph::SetVolume(long attenuation)
{
    audio_->put_Volume(attenuation);
}
