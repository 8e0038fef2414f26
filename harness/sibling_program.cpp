#include "harness/sibling_program.h"

#include <windows.h>

std::string SiblingProgram(const char* name)
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

std::string QuotedSiblingProgram(const char* name)
{
    return "\"" + SiblingProgram(name) + "\"";
}
