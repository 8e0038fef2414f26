// A stand-in host for the watchdog tests: one window of class
// "QuavelTestHost", then it waits to be killed.
#include <windows.h>

int main()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "QuavelTestHost";
    RegisterClassA(&windowClass);
    CreateWindowExA(0, "QuavelTestHost", "host", 0, 0, 0, 10, 10, NULL, NULL,
                    windowClass.hInstance, NULL);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
