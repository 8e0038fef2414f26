#pragma once

#include <windows.h>

// Sound files up to this size are read whole when opened and played from
// memory: a few seconds of CD-quality PCM, a minute or two of MP3.
const DWORD kMemoryFileLimit = 2 * 1024 * 1024;

// Whether `path` names a file of at most kMemoryFileLimit bytes, looked up
// without opening it. Larger files, and names that are not files, are for
// the platform's own file source.
bool FitsInMemory(const WCHAR* path);

// The bytes of one file as read when it was opened, and its path. Shared by
// reference count among the sources that offer it: a render redone in a
// fresh graph takes a fresh source over the same bytes, with no second read
// and no copy. Never changed once read, so the streaming threads that read it
// need no lock.
class MemoryFile {
public:
    void AddRef();
    void Release();

    const WCHAR* Path() const { return path_; }
    const BYTE* Bytes() const { return bytes_; }
    DWORD Size() const { return size_; }

private:
    friend HRESULT ReadMemoryFile(const WCHAR* path, MemoryFile** file);
    MemoryFile();
    ~MemoryFile();
    // Reads what the open `handle` holds, in one read, and keeps `path`.
    HRESULT Fill(HANDLE handle, const WCHAR* path);
    MemoryFile(const MemoryFile&);
    MemoryFile& operator=(const MemoryFile&);

    volatile LONG references_;
    WCHAR* path_;
    BYTE* bytes_;
    DWORD size_;
};

// Reads `path` whole into a new MemoryFile (one reference, the caller's) in
// one read, and closes the file before it returns. The file is opened as
// the platform's file source opens it (others may read or delete it, not
// write it, meanwhile). Fails with HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE)
// for a file over kMemoryFileLimit and ERROR_NOT_SUPPORTED for a device, or
// with the error of the open or the read.
HRESULT ReadMemoryFile(const WCHAR* path, MemoryFile** file);
