#pragma once

#include <windows.h>

#include <vector>

#include "json_report.h"

// What a process holds, sampled every so many opens: the figures the open
// cost row fits its slopes to. Handles come from the system's handle table
// where the handle count reads 0 (Wine's does, for every process).
class CostSamples {
public:
    // `process` needs query and read access; the caller closes it.
    CostSamples(DWORD processId, HANDLE process);

    void Take(int opens);
    // "opens", "handles", "threads" and "private_bytes", sample by sample.
    void Report(JsonReport* report) const;

private:
    DWORD processId_;
    HANDLE process_;
    std::vector<double> opens_;
    std::vector<double> handles_;
    std::vector<double> threads_;
    std::vector<double> privateBytes_;
};
