#pragma once

#include <windows.h>

#include <vector>

#include "harness/json_report.h"

// What a process holds, sampled every so many opens: the figures the open
// cost row fits its slopes to.
class CostSamples {
public:
    // `process` needs query and read access; the caller closes it.
    explicit CostSamples(HANDLE process);

    void Take(int opens);
    // "opens", "handles", "threads" and "private_bytes", sample by sample.
    void Report(JsonReport* report) const;

private:
    HANDLE process_;
    std::vector<double> opens_;
    std::vector<double> handles_;
    std::vector<double> threads_;
    std::vector<double> privateBytes_;
};
