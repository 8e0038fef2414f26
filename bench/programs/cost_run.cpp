#include "cost_run.h"

namespace {

const char kSetSeparator = '|';

std::vector<std::string> Split(const std::string& text)
{
    std::vector<std::string> parts;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(kSetSeparator, start);
        if (end == std::string::npos)
            end = text.size();
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace

CostRun::CostRun(const Options& options, const char* defaultPattern)
    : pattern(options.Text("--pattern", defaultPattern)),
      file(options.Text("--file", "")),
      other(options.Text("--other", "")),
      set(Split(options.Text("--set", ""))),
      count(options.Number("--count", 100)),
      every(options.Number("--every", 10))
{
}

const std::string& CostRun::FileFor(int index) const
{
    if (pattern == "set" && !set.empty())
        return set[static_cast<size_t>(index) % set.size()];
    return pattern == "alternate" && index % 2 == 0 ? other : file;
}
