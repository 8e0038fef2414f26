#include "playback/widen_path.h"

int WidenPath(const char* path, WCHAR* wide)
{
    int units = 0;
    for (; path[units] != '\0'; ++units)
        wide[units] = static_cast<WCHAR>(static_cast<unsigned char>(path[units]));
    wide[units] = 0;
    return units + 1;
}
