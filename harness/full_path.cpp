#include "harness/full_path.h"

#include <windows.h>

std::string FullPath(const std::string& name)
{
    char path[MAX_PATH];
    GetFullPathNameA(name.c_str(), sizeof path, path, NULL);
    return path;
}
