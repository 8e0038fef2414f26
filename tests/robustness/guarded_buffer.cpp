#include "guarded_buffer.h"

#include <cstring>

namespace {

size_t PageSize()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
}

}  // namespace

GuardedBuffer::GuardedBuffer(size_t capacity)
{
    size_t page = PageSize();
    usable_ = (capacity + page - 1) / page * page;
    base_ = static_cast<char*>(
        VirtualAlloc(NULL, usable_ + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD previous = 0;
    VirtualProtect(base_ + usable_, page, PAGE_NOACCESS, &previous);
}

GuardedBuffer::~GuardedBuffer()
{
    VirtualFree(base_, 0, MEM_RELEASE);
}

const char* GuardedBuffer::Place(const std::string& bytes)
{
    char* start = base_ + usable_ - bytes.size();
    memcpy(start, bytes.data(), bytes.size());
    return start;
}
