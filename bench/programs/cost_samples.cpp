#include "cost_samples.h"

#include "harness/process_counts.h"

CostSamples::CostSamples(HANDLE process) : process_(process), seconds_(0.0) {}

void CostSamples::Measure(const CostRun& run, const std::function<void(int)>& open)
{
    DWORD start = GetTickCount();
    for (int index = 0; index < run.count; ++index) {
        if (index % run.every == 0)
            Take(index);
        open(index);
    }
    Take(run.count);
    seconds_ = (GetTickCount() - start) / 1000.0;
}

void CostSamples::Take(int opens)
{
    ProcessCounts counts = CountsOf(process_);
    opens_.push_back(opens);
    handles_.push_back(static_cast<double>(counts.handles));
    threads_.push_back(static_cast<double>(counts.threads));
    privateBytes_.push_back(static_cast<double>(counts.privateBytes));
}

void CostSamples::Report(JsonReport* report) const
{
    report->Samples("opens", opens_);
    report->Samples("handles", handles_);
    report->Samples("threads", threads_);
    report->Samples("private_bytes", privateBytes_);
    report->Number("seconds", seconds_);
}
