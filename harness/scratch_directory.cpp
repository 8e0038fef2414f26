#include "harness/scratch_directory.h"

#include <windows.h>

std::string EnterScratchDirectory(const char* name)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string path = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(path.c_str(), NULL);
    SetCurrentDirectoryA(path.c_str());
    return path;
}
