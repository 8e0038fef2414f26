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
    HC_InfoWindow = 18
};

#define QUAVEL_LAST_COMMAND HC_InfoWindow

#endif
