// Memory of the agent and of the bare window, as GetProcessMemoryInfo
// reports it to another process. Under Wine, PrivateUsage of another process
// reads 0 and PagefileUsage carries the private bytes, so both are reported.
// (CPU time is read on the Linux side: GetProcessTimes on another process
// reads 0 under Wine.)
//   process_memory
#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "harness/bare_window_class.h"
#include "harness/json_report.h"
#include "quavel/protocol.h"

namespace {

HANDLE OpenWindowOwner(const char* windowClass)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(FindWindowA(windowClass, NULL), &processId);
    if (!processId)
        return NULL;
    return OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
}

bool ReportMemory(JsonReport* report, const char* windowClass, const char* prefix)
{
    HANDLE process = OpenWindowOwner(windowClass);
    if (!process)
        return false;
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    CloseHandle(process);
    std::string key(prefix);
    report->Number((key + "_private_usage").c_str(), static_cast<double>(counters.PrivateUsage));
    report->Number((key + "_pagefile_usage").c_str(), static_cast<double>(counters.PagefileUsage));
    report->Number((key + "_working_set").c_str(), static_cast<double>(counters.WorkingSetSize));
    return true;
}

}  // namespace

int main()
{
    JsonReport report;
    if (!ReportMemory(&report, QUAVEL_WINDOW_CLASS, "agent") ||
        !ReportMemory(&report, BARE_WINDOW_CLASS, "baseline")) {
        fprintf(stderr, "process_memory: agent or bare window missing\n");
        return 1;
    }
    report.Print();
    return 0;
}
