// quavelctl: sends one command to the running agent and prints its reply.
//   quavelctl [--channel 1|2] [--timeout MS] COMMAND [ARGUMENT]
//   quavelctl [--channel 1|2] [--timeout MS] status [--json]
//   quavelctl [--timeout MS] ping
//   quavelctl [--channel 1|2] [--timeout MS] wait-end
//   quavelctl wait [MS]
//   quavelctl --help | -h | --version
// Exit codes: 0 answered (or help and version shown), 1 no agent (or none
// appeared while waiting), 2 malformed command line, 3 the agent did not
// answer in time (or wait-end's limit ran out).

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

#include "quavel/host.h"
#include "tools/channel_status.h"
#include "tools/command_names.h"
#include "tools/decimal_text.h"
#include "tools/end_wait.h"
#include "tools/system_text.h"

namespace {

const int kExitAnswered = 0;
const int kExitShown = 0;
const int kExitNoAgent = 1;
const int kExitUsage = 2;
const int kExitTimedOut = 3;

const DWORD kDefaultWaitMs = 10000;
const DWORD kWaitPollMs = 50;

struct Request {
    int channel = 0;  // not given: channel 1, or both for status
    UINT timeoutMs = QUAVEL_DEFAULT_TIMEOUT_MS;
    bool timeoutGiven = false;
    const char* command = nullptr;
    const char* argument = nullptr;
};

void PrintUsage(FILE* out)
{
    fprintf(out,
            "usage: quavelctl [--channel 1|2] [--timeout MS] COMMAND [ARGUMENT]\n"
            "       quavelctl [--channel 1|2] [--timeout MS] status [--json]\n"
            "       quavelctl [--timeout MS] ping\n"
            "       quavelctl [--channel 1|2] [--timeout MS] wait-end\n"
            "       quavelctl wait [MS]\n"
            "       quavelctl --help | -h | --version\n"
            "Sends one command to the running agent and prints its reply, a number.\n"
            "  --channel 1|2  the channel addressed (default 1)\n"
            "  --timeout MS   how long to wait for the reply, in milliseconds (default %d)\n"
            "  wait MS        how long to wait for an agent's window, in milliseconds\n"
            "                 (default %lu)\n"
            "  wait-end       waits until the channel's clip has been heard to its end\n"
            "                 (at once when it is stopped or holds no file); --timeout MS\n"
            "                 bounds the whole wait, in milliseconds (default: no limit),\n"
            "                 and exit code 3 says it ran out; a looping clip never ends\n"
            "  last-error     why the channel's last open failed: the code (a Win32 error,\n"
            "                 or a negative HRESULT from DirectShow; 0 after a good open)\n"
            "                 and the system's text for it\n"
            "Positions, durations and stop times are in hundredths of a second\n"
            "(set-position 150 is 1.5 s); volume is in percent, 0-100.\n"
            "status shows both channels, or the one --channel names: state, position and\n"
            "duration in seconds, volume in percent, loop; --json prints one JSON object.\n"
            "Its --timeout bounds all of its questions together.\n"
            "Exit codes: 0 answered, 1 no agent, 2 malformed command line,\n"
            "3 the agent did not answer in time, or wait-end's --timeout ran out.\n"
            "COMMAND is a raw code or one of:\n",
            QUAVEL_DEFAULT_TIMEOUT_MS, static_cast<unsigned long>(kDefaultWaitMs));
    PrintCommandNames(out);
}

int Usage(const char* problem)
{
    fprintf(stderr, "quavelctl: %s\n", problem);
    PrintUsage(stderr);
    return kExitUsage;
}

int Help(const char* argument)
{
    if (argument)
        return Usage("--help takes no argument");
    PrintUsage(stdout);
    return kExitShown;
}

int Version(const char* argument)
{
    if (argument)
        return Usage("--version takes no argument");
    printf("quavelctl %s\n", QUAVEL_VERSION);
    return kExitShown;
}

int Report(QuavelStatus status)
{
    if (status == QUAVEL_NO_AGENT) {
        fprintf(stderr, "quavelctl: no agent is running\n");
        return kExitNoAgent;
    }
    fprintf(stderr, "quavelctl: the agent did not answer in time\n");
    return kExitTimedOut;
}

int WaitForAgent(const char* limitText)
{
    int limitMs = static_cast<int>(kDefaultWaitMs);
    if (limitText && (!ParseWholeDecimal(limitText, &limitMs) || limitMs < 0))
        return Usage("wait takes a time in milliseconds");
    DWORD start = GetTickCount();
    while (!QuavelFindAgent()) {
        if (GetTickCount() - start >= static_cast<DWORD>(limitMs)) {
            fprintf(stderr, "quavelctl: no agent appeared within %d ms\n", limitMs);
            return kExitNoAgent;
        }
        Sleep(kWaitPollMs);
    }
    return kExitAnswered;
}

int Ping(const Request& request)
{
    QuavelStatus status = QuavelPing(QuavelFindAgent(), request.timeoutMs);
    return status == QUAVEL_OK ? kExitAnswered : Report(status);
}

// Nothing is printed unless every question was answered: a script never
// reads half a status.
int ShowStatus(const Request& request)
{
    if (request.argument && strcmp(request.argument, "--json") != 0)
        return Usage("status takes no argument but --json");
    ChannelStatus statuses[2];
    int count = 0;
    for (int channel = 1; channel <= 2; ++channel) {
        if (request.channel == 0 || request.channel == channel)
            statuses[count++].channel = channel;
    }
    HWND agentWindow = QuavelFindAgent();
    DWORD deadline = GetTickCount() + request.timeoutMs;
    for (int i = 0; i < count; ++i) {
        QuavelStatus status = AskChannelStatus(agentWindow, deadline, &statuses[i]);
        if (status != QUAVEL_OK)
            return Report(status);
    }
    if (request.argument)
        PrintStatusJson(statuses, count);
    else
        PrintStatusText(statuses, count);
    return kExitAnswered;
}

int WaitForClipEnd(const Request& request)
{
    if (request.argument)
        return Usage("wait-end takes no argument; --timeout bounds it");
    DWORD limitMs = request.timeoutGiven ? request.timeoutMs : INFINITE;
    UINT replyMs = request.timeoutGiven ? request.timeoutMs : QUAVEL_DEFAULT_TIMEOUT_MS;
    HWND agentWindow = QuavelFindAgent();
    if (!agentWindow)
        return Report(QUAVEL_NO_AGENT);
    switch (WaitForEnd(agentWindow, request.channel == 2 ? 2 : 1, limitMs, replyMs)) {
    case EndWait::Ended:
        return kExitAnswered;
    case EndWait::NotPlaying:
        fprintf(stderr, "quavelctl: the channel is not playing: no end to wait for\n");
        return kExitAnswered;
    case EndWait::NoAgent:
        return Report(QUAVEL_NO_AGENT);
    case EndWait::Refused:
        fprintf(stderr, "quavelctl: the agent would not tell this program's window\n");
        return kExitNoAgent;
    default:
        fprintf(stderr, "quavelctl: the clip was not heard to its end in time\n");
        return kExitTimedOut;
    }
}

// The number first, as every reply is printed, then what it means.
void PrintLastError(int reply)
{
    char text[512];
    SystemText(static_cast<DWORD>(reply), text, sizeof text);
    printf("%d (0x%08lx) %s\n", reply, static_cast<unsigned long>(static_cast<DWORD>(reply)), text);
}

// A named command is checked against what it takes; a raw code passes its
// argument, if any, as it is.
int SendCommand(const Request& request)
{
    int code = 0;
    const CommandName* named = FindCommandName(request.command);
    if (named) {
        code = named->code;
        int number = 0;
        if (named->argument == ArgumentKind::None && request.argument)
            return Usage("this command takes no argument");
        if (named->argument != ArgumentKind::None && !request.argument)
            return Usage("this command needs an argument");
        if (named->argument == ArgumentKind::Number && !ParseWholeDecimal(request.argument, &number))
            return Usage("the argument must be a whole decimal number");
    } else if (!ParseWholeDecimal(request.command, &code)) {
        return Usage("unknown command");
    }
    if (request.channel == 2)
        code += QUAVEL_SECOND_CHANNEL;

    int reply = 0;
    QuavelStatus status =
        QuavelSendCommand(QuavelFindAgent(), code, request.argument, request.timeoutMs, &reply);
    if (status != QUAVEL_OK)
        return Report(status);
    if (named && named->code == HC_GetLastError)
        PrintLastError(reply);
    else
        printf("%d\n", reply);
    return kExitAnswered;
}

}  // namespace

int main(int argc, char** argv)
{
    // Replies end in a bare line feed on every platform: under Wine a text
    // mode stream would add a carriage return that a POSIX shell keeps.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    Request request;
    int next = 1;
    for (; next + 1 < argc; next += 2) {
        int value = 0;
        if (strcmp(argv[next], "--channel") == 0) {
            if (!ParseWholeDecimal(argv[next + 1], &value) || (value != 1 && value != 2))
                return Usage("--channel takes 1 or 2");
            request.channel = value;
        } else if (strcmp(argv[next], "--timeout") == 0) {
            if (!ParseWholeDecimal(argv[next + 1], &value) || value <= 0)
                return Usage("--timeout takes a positive number of milliseconds");
            request.timeoutMs = static_cast<UINT>(value);
            request.timeoutGiven = true;
        } else {
            break;
        }
    }
    if (next >= argc)
        return Usage("no command given");
    if (argc - next > 2)
        return Usage("too many arguments");
    request.command = argv[next];
    request.argument = next + 1 < argc ? argv[next + 1] : nullptr;

    if (strcmp(request.command, "--help") == 0 || strcmp(request.command, "-h") == 0)
        return Help(request.argument);
    if (strcmp(request.command, "--version") == 0)
        return Version(request.argument);
    if (strcmp(request.command, "wait") == 0)
        return WaitForAgent(request.argument);
    if (strcmp(request.command, "ping") == 0)
        return request.argument ? Usage("ping takes no argument") : Ping(request);
    if (strcmp(request.command, "status") == 0)
        return ShowStatus(request);
    if (strcmp(request.command, "wait-end") == 0)
        return WaitForClipEnd(request);
    return SendCommand(request);
}
