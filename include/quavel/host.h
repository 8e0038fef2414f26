/* Talking to a running Quavel agent from a host program.

   Include this header (C or C++, any Windows compiler; link user32) to find
   the agent's window and send it commands and pings. Every send goes through
   SendMessageTimeoutA, so a host never hangs on an agent that is busy, hung
   or gone:

     HWND agentWindow = QuavelFindAgent();
     int reply;
     QuavelStatus status = QuavelSendCommand(agentWindow, HC_GetVolume, NULL,
                                             QUAVEL_DEFAULT_TIMEOUT_MS, &reply);
     if (status == QUAVEL_OK) ... reply is the agent's answer, 0 included ...

   Commands for the second channel add QUAVEL_SECOND_CHANNEL to the code.
   A host that registers one of its windows with HC_InfoWindow must then send
   a command or a QuavelPing at least every second.

   While it fades out after HC_Quit (up to 5 s) the agent answers nothing:
   sends then report QUAVEL_TIMED_OUT, or QUAVEL_NO_AGENT once its window is
   gone; QuavelWaitForAgentExit waits that out.

   A host that wants to be told when a channel's clip has been heard to its
   end, or when a looping one begins its next pass, registers one of its
   windows and a message number (QuavelNotifyWindow, HC_NotifyWindow). The
   agent posts that message to the window (it never sends it, so it never
   waits on the host) with wParam MAKEWPARAM(event, channel) and lParam the
   channel's position at the event in hundredths of a second:

     case WM_APP + 1:
         if (QUAVEL_EVENT_OF(wParam) == QUAVEL_EVENT_ENDED) ... the clip on
             channel QUAVEL_CHANNEL_OF(wParam) was heard to lParam ...

   QUAVEL_EVENT_ENDED comes once for each end heard (not for HC_Stop,
   HC_Close, another open or the quit); QUAVEL_EVENT_WRAPPED comes as each
   next pass of a looping channel is heard. A window that is destroyed is
   dropped by the agent. Registering is not contact for the watchdog.

   HC_GetLastError tells why the channel's last HC_OpenFile failed: a Win32
   error (2 file not found, 3 path not found, 5 a folder, 50 a device, 206
   a path too long) for a path refused before rendering, the render's
   HRESULT (negative) for a file DirectShow could not render, 0 after a
   successful open. */
#ifndef QUAVEL_HOST_H
#define QUAVEL_HOST_H

#include <windows.h>
#include <string.h>

#include "quavel/protocol.h"

#if defined(__cplusplus) || (defined(__STDC_VERSION__) && __STDC_VERSION__ >= 199901L)
#define QUAVEL_HOST_FUNCTION static inline
#else
#define QUAVEL_HOST_FUNCTION static __inline
#endif

/* Covers every ordinary command, opening a file included. */
#define QUAVEL_DEFAULT_TIMEOUT_MS 5000

typedef enum QuavelStatus {
    QUAVEL_OK = 0,          /* the agent answered; the reply is valid */
    QUAVEL_NO_AGENT = 1,    /* no agent window (none running, or it just ended) */
    QUAVEL_TIMED_OUT = 2,   /* the window exists but did not answer in time */
    QUAVEL_REFUSED = 3      /* the agent answered 0: what was asked was not taken */
} QuavelStatus;

/* How often QuavelStartAgent looks for the agent's window. */
#define QUAVEL_START_POLL_MS 20

/* The running agent's window, or NULL when no agent is running. */
QUAVEL_HOST_FUNCTION HWND QuavelFindAgent(void)
{
    return FindWindowA(QUAVEL_WINDOW_CLASS, NULL);
}

/* Tells a failed send apart: a window that no longer exists means the agent
   is gone; one that still exists did not answer within the timeout (or is
   hung). */
QUAVEL_HOST_FUNCTION QuavelStatus QuavelFailedSend(HWND agentWindow)
{
    return IsWindow(agentWindow) ? QUAVEL_TIMED_OUT : QUAVEL_NO_AGENT;
}

/* Sends one command: `code` (0-20, plus QUAVEL_SECOND_CHANNEL for the
   second channel) with `argument` (NUL-terminated; NULL sends an empty
   text). On QUAVEL_OK, *reply holds the agent's 32-bit signed answer. */
QUAVEL_HOST_FUNCTION QuavelStatus QuavelSendCommand(HWND agentWindow, int code,
                                                    const char* argument, UINT timeoutMs,
                                                    int* reply)
{
    COPYDATASTRUCT payload;
    DWORD_PTR result = 0;
    *reply = 0;
    if (!agentWindow)
        return QUAVEL_NO_AGENT;
    payload.dwData = (ULONG_PTR)(LONG_PTR)code;
    payload.cbData = argument ? (DWORD)(strlen(argument) + 1) : 0;
    payload.lpData = (PVOID)argument;
    if (!SendMessageTimeoutA(agentWindow, WM_COPYDATA, 0, (LPARAM)&payload, SMTO_ABORTIFHUNG,
                             timeoutMs, &result))
        return QuavelFailedSend(agentWindow);
    *reply = (int)(DWORD)result;
    return QUAVEL_OK;
}

/* Counts as host contact for the agent's watchdog. */
QUAVEL_HOST_FUNCTION QuavelStatus QuavelPing(HWND agentWindow, UINT timeoutMs)
{
    DWORD_PTR result = 0;
    if (!agentWindow)
        return QUAVEL_NO_AGENT;
    if (!SendMessageTimeoutA(agentWindow, QUAVEL_PING_MESSAGE, 0, 0, SMTO_ABORTIFHUNG, timeoutMs,
                             &result))
        return QuavelFailedSend(agentWindow);
    return QUAVEL_OK;
}

/* Registers `window` to be posted `message` (QUAVEL_NOTIFY_FIRST_MESSAGE to
   QUAVEL_NOTIFY_LAST_MESSAGE) on the events of `channel` (1 or 2),
   replacing any window registered for it; a NULL window unregisters.
   QUAVEL_REFUSED when the agent refused the window or the number. */
QUAVEL_HOST_FUNCTION QuavelStatus QuavelNotifyWindow(HWND agentWindow, int channel, HWND window,
                                                     UINT message, UINT timeoutMs)
{
    char argument[32];
    int reply = 0;
    QuavelStatus status;
    int code = HC_NotifyWindow + (channel == 2 ? QUAVEL_SECOND_CHANNEL : 0);
    if (window)
        wsprintfA(argument, "%d %u", (int)(LONG_PTR)window, message);
    else
        lstrcpyA(argument, "0");
    status = QuavelSendCommand(agentWindow, code, argument, timeoutMs, &reply);
    if (status == QUAVEL_OK && reply != 1)
        return QUAVEL_REFUSED;
    return status;
}

/* Starts the agent at `agentPath` (quavel.exe, in service mode, in this
   process's current directory, where it writes its log) and waits until
   its window answers a ping, at most `timeoutMs`; *agentWindow is then its
   window. An agent already serving answers in its place (the new one
   leaves at once). QUAVEL_NO_AGENT when the program could not be started
   or no agent answered in time. */
QUAVEL_HOST_FUNCTION QuavelStatus QuavelStartAgent(const char* agentPath, UINT timeoutMs,
                                                   HWND* agentWindow)
{
    char commandLine[MAX_PATH + 3];
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    DWORD start = GetTickCount();
    *agentWindow = NULL;
    if (lstrlenA(agentPath) >= MAX_PATH)
        return QUAVEL_NO_AGENT;
    wsprintfA(commandLine, "\"%s\"", agentPath);
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessA(agentPath, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                        &process))
        return QUAVEL_NO_AGENT;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (;;) {
        HWND found = QuavelFindAgent();
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return QUAVEL_NO_AGENT;
        if (found && QuavelPing(found, timeoutMs - elapsed) == QUAVEL_OK) {
            *agentWindow = found;
            return QUAVEL_OK;
        }
        Sleep(QUAVEL_START_POLL_MS);
    }
}

/* After HC_Quit: waits, at most `timeoutMs`, until the agent's process has
   ended (its fade takes up to 5 s). QUAVEL_OK once it is gone,
   QUAVEL_TIMED_OUT while it is still there. */
QUAVEL_HOST_FUNCTION QuavelStatus QuavelWaitForAgentExit(HWND agentWindow, UINT timeoutMs)
{
    DWORD processId = 0;
    HANDLE process;
    DWORD start = GetTickCount();
    if (!agentWindow || !GetWindowThreadProcessId(agentWindow, &processId))
        return QUAVEL_OK;
    process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (process) {
        DWORD waited = WaitForSingleObject(process, timeoutMs);
        CloseHandle(process);
        return waited == WAIT_OBJECT_0 ? QUAVEL_OK : QUAVEL_TIMED_OUT;
    }
    while (IsWindow(agentWindow)) {
        if (GetTickCount() - start >= timeoutMs)
            return QUAVEL_TIMED_OUT;
        Sleep(QUAVEL_START_POLL_MS);
    }
    return QUAVEL_OK;
}

#endif
