// Whether another program can rewrite a sound file the agent has just
// opened and is playing: per round, HC_OpenFile and HC_Run on the first
// channel, the file rewritten whole with the bytes it had (shared with no
// one, as a program that writes a file opens it), HC_Stop; then HC_OpenFile
// of the rewritten file, which must render again.
//   rewrite_host --file PATH --count N
// The report: "rewritten" (rounds whose rewrite succeeded), "refused" (the
// others), "last_error" (of the last refusal), "lost" and "wrong" replies.
#include <windows.h>

#include <string>

#include "harness/json_report.h"
#include "harness/options.h"
#include "harness/timed_command.h"
#include "harness/whole_file.h"

int main(int argc, char** argv)
{
    Options options(argc, argv);
    std::string file = options.Text("--file", "");
    int count = options.Number("--count", 10);
    HWND agent = QuavelFindAgent();
    std::string bytes;
    if (!agent || !ReadWholeFile(file, &bytes))
        return 1;

    ReplyTally tally;
    int rewritten = 0;
    DWORD lastError = ERROR_SUCCESS;
    for (int round = 0; round < count; ++round) {
        tally.Check(SendTimed(agent, HC_OpenFile, file.c_str()), 1, 1);
        tally.Check(SendTimed(agent, HC_Run, NULL), 0, 0);
        DWORD error = RewriteFile(file, bytes);
        if (error == ERROR_SUCCESS)
            ++rewritten;
        else
            lastError = error;
        tally.Check(SendTimed(agent, HC_Stop, NULL), 1, 1);
    }
    tally.Check(SendTimed(agent, HC_OpenFile, file.c_str()), 1, 1);
    tally.Check(SendTimed(agent, HC_Close, NULL), 1, 1);

    JsonReport report;
    report.Number("rewritten", rewritten);
    report.Number("refused", count - rewritten);
    report.Number("last_error", lastError);
    report.Number("lost", tally.lost);
    report.Number("wrong", tally.wrong);
    report.Print();
    return 0;
}
