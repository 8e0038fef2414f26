// Baselines for the timing rows: a bare graph of one file, driven by the
// same script of stamped steps as the agent's host (harness/stamped_steps.h)
// and speaking the agent's command codes: 1 renders the file into a fresh
// graph, 5 starts it, 3 stops it, 4 and 11 (hundredths) seek, 10 reads the
// platform's own position (in hundredths, as the agent replies).
//   bare_transport --file PATH --start control|cued [--lead-ms MS] STEP...
// control: IMediaControl::Run, the platform's own start; cued: paused until
// the renderer holds its first samples, then IMediaFilter::Run(now + lead)
// on a system clock of the program's own, the start the agent makes. As the
// agent does, a fresh graph is rendered before the last one is released, so
// that the process's sound device stays open (one opened afresh is heard
// sooner under Wine, for its first seconds).
#include <windows.h>
#include <dshow.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "harness/bare_graph.h"
#include "harness/stamped_steps.h"

namespace {

const LONG kCueWaitMs = 500;
const REFERENCE_TIME kUnitsPerMs = 10000;
const double kHundredths = 100.0;

class BareTransport : public StampedSteps::Target {
public:
    BareTransport(const std::string& file, bool cued, int leadMs)
        : file_(file), cued_(cued), leadMs_(leadMs), clock_(NULL), from_(0.0), current_(0)
    {
        CoCreateInstance(CLSID_SystemClock, NULL, CLSCTX_INPROC_SERVER, IID_IReferenceClock,
                         reinterpret_cast<void**>(&clock_));
    }
    ~BareTransport()
    {
        graphs_[0].Release();
        graphs_[1].Release();
        if (clock_)
            clock_->Release();
    }

    bool Send(int code, const char* argument, int* reply) override
    {
        *reply = 0;
        switch (code) {
        case 1:
            *reply = Open() ? 1 : 0;
            return true;
        case 3:
            Graph().Stop();
            return true;
        case 4:
            Seek(0.0);
            return true;
        case 5:
            Start();
            return true;
        case 10:
            *reply = static_cast<int>(Graph().Position() * kHundredths);
            return true;
        case 11:
            Seek(atoi(argument ? argument : "0") / kHundredths);
            return true;
        default:
            return false;
        }
    }

private:
    bool Open()
    {
        from_ = 0.0;
        BareGraph& fresh = graphs_[1 - current_];
        bool rendered = fresh.Build() && clock_ && fresh.Render(file_);
        graphs_[current_].Release();
        current_ = 1 - current_;
        if (!rendered)
            return false;
        // Once the filters are in: a graph hands its clock only to those it
        // holds at the time.
        if (cued_)
            WithFilter(&IMediaFilter::SetSyncSource, clock_);
        return true;
    }

    BareGraph& Graph() { return graphs_[current_]; }

    void Seek(double seconds)
    {
        Graph().SetPosition(seconds);
        from_ = seconds;
    }

    // A cued start seeks again while paused, as the agent's cue does: a
    // stopped renderer keeps what it had queued and would play it first.
    void Start()
    {
        if (!cued_) {
            Graph().Run();
            return;
        }
        Graph().Pause();
        Graph().SetPosition(from_);
        OAFilterState state = State_Stopped;
        IMediaControl* control = NULL;
        Graph().Graph()->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control));
        control->GetState(kCueWaitMs, &state);
        control->Release();
        REFERENCE_TIME now = 0;
        clock_->GetTime(&now);
        WithFilter(&IMediaFilter::Run, now + leadMs_ * kUnitsPerMs);
    }

    template <class Argument>
    void WithFilter(HRESULT (STDMETHODCALLTYPE IMediaFilter::*call)(Argument), Argument argument)
    {
        IMediaFilter* filter = NULL;
        Graph().Graph()->QueryInterface(IID_IMediaFilter, reinterpret_cast<void**>(&filter));
        (filter->*call)(argument);
        filter->Release();
    }

    std::string file_;
    bool cued_;
    int leadMs_;
    IReferenceClock* clock_;
    double from_;
    BareGraph graphs_[2];
    int current_;
};

}  // namespace

int main(int argc, char** argv)
{
    std::string file, start = "control";
    int leadMs = 20;
    int first = 1;
    for (; first + 1 < argc && strncmp(argv[first], "--", 2) == 0; first += 2) {
        if (strcmp(argv[first], "--file") == 0)
            file = argv[first + 1];
        else if (strcmp(argv[first], "--start") == 0)
            start = argv[first + 1];
        else if (strcmp(argv[first], "--lead-ms") == 0)
            leadMs = atoi(argv[first + 1]);
    }
    CoInitialize(NULL);
    int status = 0;
    {
        BareTransport transport(file, start == "cued", leadMs);
        StampedSteps steps(transport);
        if (steps.Run(argc - first, argv + first))
            steps.Print();
        else
            status = 1;
    }
    CoUninitialize();
    return status;
}
