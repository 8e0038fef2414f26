// Prints a file's version resource as Windows reads it for the file's
// properties: the fixed versions, then the strings of its first translation,
// one "Name=value" line each.
//   version_resource FILE
// Exit codes: 0 read, 1 the file has no readable version resource, 2 usage.

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

const char* const kStringNames[] = {"FileDescription", "FileVersion",    "InternalName",
                                    "OriginalFilename", "ProductName", "ProductVersion"};

struct Translation {
    WORD language;
    WORD codePage;
};

int Fail(const char* file, const char* what)
{
    fprintf(stderr, "version_resource: %s: %s (error %lu)\n", file, what, GetLastError());
    return 1;
}

void PrintFixed(const char* name, DWORD high, DWORD low)
{
    printf("%s=%u.%u.%u.%u\n", name, HIWORD(high), LOWORD(high), HIWORD(low), LOWORD(low));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: version_resource FILE\n");
        return 2;
    }
    const char* file = argv[1];
    DWORD unused = 0;
    DWORD size = GetFileVersionInfoSizeA(file, &unused);
    std::vector<char> data(size);
    if (size == 0 || !GetFileVersionInfoA(file, 0, size, data.data()))
        return Fail(file, "no version resource");

    VS_FIXEDFILEINFO* fixed = nullptr;
    Translation* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length))
        return Fail(file, "no fixed version");
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < sizeof *translation)
        return Fail(file, "no translation");
    PrintFixed("FILEVERSION", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    PrintFixed("PRODUCTVERSION", fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    for (const char* name : kStringNames) {
        char path[128];
        snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", translation->language,
                 translation->codePage, name);
        char* value = nullptr;
        if (VerQueryValueA(data.data(), path, reinterpret_cast<void**>(&value), &length))
            printf("%s=%s\n", name, value);
    }
    return 0;
}
