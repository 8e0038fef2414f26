#include "tools/system_text.h"

#include <cstring>

namespace {

const char kNoText[] = "???";

}  // namespace

// System texts end in a line break, and some hold more than one line.
void SystemText(DWORD code, char* text, size_t size)
{
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                                  code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text,
                                  static_cast<DWORD>(size), NULL);
    if (length == 0) {
        memcpy(text, kNoText, sizeof kNoText);
        return;
    }
    for (char* at = text; *at != '\0'; ++at) {
        if (*at == '\r' || *at == '\n')
            *at = ' ';
    }
    size_t end = strlen(text);
    while (end > 0 && text[end - 1] == ' ')
        text[--end] = '\0';
}
