#pragma once

#include <windows.h>

// What tells one version of a disk file from another without reading it: its
// size, and when it was created and last written. A file replaced by another
// of the same size gets a new creation time.
struct DiskFileIdentity {
    ULARGE_INTEGER size;
    FILETIME created;
    FILETIME written;
};

// False when `path` cannot be looked at (the file is gone) or names a folder.
bool ReadDiskFileIdentity(const WCHAR* path, DiskFileIdentity* identity);

bool SameDiskFileIdentity(const DiskFileIdentity& a, const DiskFileIdentity& b);
