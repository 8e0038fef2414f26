#include "playback/disk_file_path.h"

bool NamesDiskFile(const WCHAR* path)
{
    // No access rights asked for: this only looks at what the name refers to.
    // Backup semantics let folders open too, so they can be told apart.
    HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD type = GetFileType(file);
    BY_HANDLE_FILE_INFORMATION information;
    bool folder = GetFileInformationByHandle(file, &information) &&
                  (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    CloseHandle(file);
    if (type != FILE_TYPE_DISK) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return false;
    }
    if (folder) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}
