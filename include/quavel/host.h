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
   gone. */
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
    QUAVEL_TIMED_OUT = 2    /* the window exists but did not answer in time */
} QuavelStatus;

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

/* Sends one command: `code` (0-18, plus QUAVEL_SECOND_CHANNEL for the
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

#endif
