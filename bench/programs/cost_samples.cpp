#include "cost_samples.h"

#include "support/process_counts.h"

CostSamples::CostSamples(DWORD processId, HANDLE process) : processId_(processId), process_(process) {}

void CostSamples::Take(int opens)
{
    opens_.push_back(opens);
    handles_.push_back(static_cast<double>(HandlesOfProcess(processId_)));
    threads_.push_back(ThreadsOfProcess(processId_));
    privateBytes_.push_back(static_cast<double>(PrivateBytesOfProcess(process_)));
}

void CostSamples::Report(JsonReport* report) const
{
    report->Samples("opens", opens_);
    report->Samples("handles", handles_);
    report->Samples("threads", threads_);
    report->Samples("private_bytes", privateBytes_);
}
