#include "harness/whole_file.h"

bool ReadWholeFile(const std::string& path, std::string* bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool read = GetFileSizeEx(file, &size) != FALSE && size.HighPart == 0;
    DWORD got = 0;
    if (read) {
        bytes->assign(size.LowPart, '\0');
        read = size.LowPart == 0 ||
               (ReadFile(file, &(*bytes)[0], size.LowPart, &got, NULL) && got == size.LowPart);
    }
    CloseHandle(file);
    return read;
}

DWORD RewriteFile(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, TRUNCATE_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD written = 0;
    DWORD error = ERROR_SUCCESS;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL))
        error = GetLastError();
    else if (written != bytes.size())
        error = ERROR_WRITE_FAULT;
    CloseHandle(file);
    return error;
}
