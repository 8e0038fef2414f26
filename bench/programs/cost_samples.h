#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "cost_run.h"
#include "harness/json_report.h"

// What a process holds, sampled every so many opens: the figures the open
// cost row fits its slopes to.
class CostSamples {
public:
    // `process` needs query and read access; the caller closes it.
    explicit CostSamples(HANDLE process);

    // Makes the run's opens through `open` (given the open's index),
    // sampling before every `every`-th one and after the last, and times them.
    void Measure(const CostRun& run, const std::function<void(int)>& open);
    // "opens", "handles", "threads" and "private_bytes", sample by sample,
    // and the run's "seconds".
    void Report(JsonReport* report) const;

private:
    void Take(int opens);

    HANDLE process_;
    double seconds_;
    std::vector<double> opens_;
    std::vector<double> handles_;
    std::vector<double> threads_;
    std::vector<double> privateBytes_;
};
