#include "playback/disk_file_identity.h"

namespace {

bool SameTime(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

}  // namespace

// Reads the attributes without opening the file: no handle, and no sharing
// conflict with the graph that holds it open.
bool ReadDiskFileIdentity(const WCHAR* path, DiskFileIdentity* identity)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data))
        return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return false;
    identity->size.LowPart = data.nFileSizeLow;
    identity->size.HighPart = data.nFileSizeHigh;
    identity->created = data.ftCreationTime;
    identity->written = data.ftLastWriteTime;
    return true;
}

bool SameDiskFileIdentity(const DiskFileIdentity& a, const DiskFileIdentity& b)
{
    return a.size.QuadPart == b.size.QuadPart && SameTime(a.created, b.created) &&
           SameTime(a.written, b.written);
}
