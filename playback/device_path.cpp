#include "playback/device_path.h"

bool IsDevicePath(const WCHAR* path)
{
    // No access rights asked for: this only looks at what the name refers to.
    // Backup semantics let folders open too, so they count as disk objects.
    HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD type = GetFileType(file);
    CloseHandle(file);
    return type != FILE_TYPE_DISK;
}
