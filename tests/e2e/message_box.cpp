#include "message_box.h"

namespace {

const char kDialogClass[] = "#32770";
const char kTextClass[] = "Static";
const DWORD kPollMs = 20;

}  // namespace

HWND WaitForMessageBox(DWORD processId, const char* caption, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    do {
        HWND box = FindWindowA(kDialogClass, caption);
        DWORD owner = 0;
        GetWindowThreadProcessId(box, &owner);
        if (box && owner == processId)
            return box;
        Sleep(kPollMs);
    } while (GetTickCount() - start < timeoutMs);
    return NULL;
}

// An icon, when there is one, is a Static without text; the message is the
// Static that has some.
std::string MessageBoxText(HWND box)
{
    for (HWND child = FindWindowExA(box, NULL, kTextClass, NULL); child;
         child = FindWindowExA(box, child, kTextClass, NULL)) {
        char text[1024] = {};
        if (GetWindowTextA(child, text, sizeof text) > 0)
            return text;
    }
    return "";
}

void CloseMessageBox(HWND box)
{
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}
