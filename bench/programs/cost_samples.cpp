#include "cost_samples.h"

#include "harness/process_counts.h"

CostSamples::CostSamples(HANDLE process) : process_(process) {}

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
}
