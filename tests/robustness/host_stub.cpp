// A stand-in host for the watchdog tests: one window, then it waits to be
// killed.
#include <windows.h>

#include "host_stub.h"

int main()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = HOST_STUB_WINDOW_CLASS;
    RegisterClassA(&windowClass);
    CreateWindowExA(0, HOST_STUB_WINDOW_CLASS, "host", 0, 0, 0, 10, 10, NULL, NULL,
                    windowClass.hInstance, NULL);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
