#include "playback/memory_file.h"

#include <cstring>
#include <cwchar>
#include <new>

namespace {

HRESULT LastError()
{
    DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

bool OverLimit(DWORD sizeHigh, DWORD sizeLow)
{
    return sizeHigh != 0 || sizeLow > kMemoryFileLimit;
}

}  // namespace

bool FitsInMemory(const WCHAR* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data))
        return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return false;
    return !OverLimit(data.nFileSizeHigh, data.nFileSizeLow);
}

MemoryFile::MemoryFile() : references_(1), path_(NULL), bytes_(NULL), size_(0) {}

MemoryFile::~MemoryFile()
{
    delete[] path_;
    if (bytes_)
        VirtualFree(bytes_, 0, MEM_RELEASE);
}

void MemoryFile::AddRef()
{
    InterlockedIncrement(&references_);
}

void MemoryFile::Release()
{
    if (InterlockedDecrement(&references_) == 0)
        delete this;
}

HRESULT MemoryFile::Fill(HANDLE handle, const WCHAR* path)
{
    // A device could keep a read waiting forever.
    if (GetFileType(handle) != FILE_TYPE_DISK)
        return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
    LARGE_INTEGER length;
    if (!GetFileSizeEx(handle, &length))
        return LastError();
    if (OverLimit(static_cast<DWORD>(length.HighPart), length.LowPart))
        return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
    size_t pathUnits = wcslen(path) + 1;
    path_ = new (std::nothrow) WCHAR[pathUnits];
    // Whole pages from the system, given back whole: the process heap, where
    // the platform's parser leaves a little behind on every open, is never
    // holed by buffers of hundreds of kilobytes coming and going. One byte
    // at least, so that an empty file has a buffer too.
    bytes_ = static_cast<BYTE*>(VirtualAlloc(NULL, length.LowPart ? length.LowPart : 1,
                                             MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!path_ || !bytes_)
        return E_OUTOFMEMORY;
    memcpy(path_, path, pathUnits * sizeof(WCHAR));
    // A file cut short meanwhile is what was read of it.
    if (!ReadFile(handle, bytes_, length.LowPart, &size_, NULL))
        return LastError();
    return S_OK;
}

HRESULT ReadMemoryFile(const WCHAR* path, MemoryFile** file)
{
    *file = NULL;
    HANDLE handle = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return LastError();
    MemoryFile* read = new (std::nothrow) MemoryFile();
    HRESULT result = read ? read->Fill(handle, path) : E_OUTOFMEMORY;
    CloseHandle(handle);
    if (FAILED(result)) {
        if (read)
            read->Release();
        return result;
    }
    *file = read;
    return S_OK;
}
