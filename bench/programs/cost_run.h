#pragma once

#include <string>

#include "harness/options.h"

// What an open cost run opens, from "--pattern", "--file", "--other",
// "--count" and "--every": `count` opens, the process's counts sampled
// every `every` of them.
struct CostRun {
    CostRun(const Options& options, const char* defaultPattern);

    // The file open `index` opens. Alternating runs start holding `file`,
    // so they open `other` first.
    const std::string& FileFor(int index) const;

    std::string pattern;
    std::string file;
    std::string other;
    int count;
    int every;
};
