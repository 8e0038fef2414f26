#include "cost_run.h"

CostRun::CostRun(const Options& options, const char* defaultPattern)
    : pattern(options.Text("--pattern", defaultPattern)),
      file(options.Text("--file", "")),
      other(options.Text("--other", "")),
      count(options.Number("--count", 100)),
      every(options.Number("--every", 10))
{
}

const std::string& CostRun::FileFor(int index) const
{
    return pattern == "alternate" && index % 2 == 0 ? other : file;
}
