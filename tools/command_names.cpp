#include "tools/command_names.h"

#include <cstdio>
#include <cstring>

#include "quavel/protocol.h"

namespace {

const CommandName kCommandNames[] = {
    {"quit", HC_Quit, ArgumentKind::None},
    {"open", HC_OpenFile, ArgumentKind::Text},
    {"close", HC_Close, ArgumentKind::None},
    {"stop", HC_Stop, ArgumentKind::None},
    {"reset", HC_Reset, ArgumentKind::None},
    {"run", HC_Run, ArgumentKind::None},
    {"is-playing", HC_IsPlaying, ArgumentKind::None},
    {"is-paused-or-done", HC_IsPausedOrDone, ArgumentKind::None},
    {"is-stopped", HC_IsStopped, ArgumentKind::None},
    {"state", HC_GetState, ArgumentKind::None},
    {"position", HC_GetPosition, ArgumentKind::None},
    {"set-position", HC_SetPosition, ArgumentKind::Number},
    {"set-stop-time", HC_SetStopTime, ArgumentKind::Number},
    {"duration", HC_GetDuration, ArgumentKind::None},
    {"volume", HC_GetVolume, ArgumentKind::None},
    {"set-volume", HC_SetVolume, ArgumentKind::Number},
    {"loop", HC_GetLoop, ArgumentKind::None},
    {"set-loop", HC_SetLoop, ArgumentKind::Number},
    {"info-window", HC_InfoWindow, ArgumentKind::Number},
    {"last-error", HC_GetLastError, ArgumentKind::None},
};

}  // namespace

const CommandName* FindCommandName(const char* name)
{
    for (const CommandName& command : kCommandNames) {
        if (strcmp(command.name, name) == 0)
            return &command;
    }
    return nullptr;
}

void PrintCommandNames(FILE* out)
{
    for (const CommandName& command : kCommandNames) {
        const char* argument = command.argument == ArgumentKind::Text     ? " PATH"
                               : command.argument == ArgumentKind::Number ? " N"
                                                                          : "";
        fprintf(out, "  %2d  %s%s\n", command.code, command.name, argument);
    }
}
