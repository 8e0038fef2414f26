/* The agent's wire contract, shared by the agent and by host programs.
   C-compatible so that any host can include it. */
#ifndef QUAVEL_PROTOCOL_H
#define QUAVEL_PROTOCOL_H

/* Hosts find the agent by this class name alone, and a second agent uses it
   to see that one is already serving: it must never change. */
#define QUAVEL_WINDOW_CLASS "QuavelWndClass"

/* WM_USER: any parameters; counts as host contact for the watchdog. */
#define QUAVEL_PING_MESSAGE 0x0400

/* Add to a command code to address the second channel. */
#define QUAVEL_SECOND_CHANNEL 32

/* Copy-data command codes (the data word) for the first channel. */
enum QuavelCommand {
    HC_Quit = 0,
    HC_OpenFile = 1,
    HC_Close = 2,
    HC_Stop = 3,
    HC_Reset = 4,
    HC_Run = 5,
    HC_IsPlaying = 6,
    HC_IsPausedOrDone = 7,
    HC_IsStopped = 8,
    HC_GetState = 9,
    HC_GetPosition = 10,
    HC_SetPosition = 11,
    HC_SetStopTime = 12,
    HC_GetDuration = 13,
    HC_GetVolume = 14,
    HC_SetVolume = 15,
    HC_GetLoop = 16,
    HC_SetLoop = 17,
    HC_InfoWindow = 18,
    /* Opt-in: "HWND MSG" registers a window to be posted MSG on this
       channel's ends and wraps (see QUAVEL_EVENT_...), "0" unregisters. */
    HC_NotifyWindow = 19,
    /* Why this channel's last HC_OpenFile failed: a Win32 error or an
       HRESULT; 0 after a successful open. */
    HC_GetLastError = 20
};

/* The first channel's codes end here; past it the low five bits choose the
   command on the second channel (51 is HC_NotifyWindow there). */
#define QUAVEL_LAST_COMMAND HC_GetLastError

/* HC_NotifyWindow: the message numbers a host may be told with. */
#define QUAVEL_NOTIFY_FIRST_MESSAGE 0x0400
#define QUAVEL_NOTIFY_LAST_MESSAGE 0xFFFF

/* What a registered host window is told: posted, never sent, with wParam
   MAKEWPARAM(event, channel) (channel 1 or 2) and lParam the channel's
   position at the event in hundredths of a second. */
/* Heard to its end (the duration or the stop time), not looping; lParam is
   that end. */
#define QUAVEL_EVENT_ENDED 1
/* A looping channel's next pass begins to be heard; lParam is 0. */
#define QUAVEL_EVENT_WRAPPED 2
/* The parts of a notification's wParam (LOWORD and HIWORD). */
#define QUAVEL_EVENT_OF(wParam) ((int)((wParam) & 0xFFFF))
#define QUAVEL_CHANNEL_OF(wParam) ((int)(((wParam) >> 16) & 0xFFFF))

#endif
