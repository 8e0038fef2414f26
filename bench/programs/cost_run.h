#pragma once

#include <string>
#include <vector>

#include "harness/options.h"

// What an open cost run opens, from "--pattern", "--file", "--other",
// "--set", "--count" and "--every": `count` opens, the process's counts
// sampled every `every` of them. "--set" names the files of the pattern
// "set", separated by "|" (no Windows path holds one).
struct CostRun {
    CostRun(const Options& options, const char* defaultPattern);

    // The file open `index` opens. Alternating runs start holding `file`,
    // so they open `other` first; set runs open the set's files in turn.
    const std::string& FileFor(int index) const;

    std::string pattern;
    std::string file;
    std::string other;
    std::vector<std::string> set;
    int count;
    int every;
};
