#pragma once

#include <windows.h>

#include <string>

// Holds bytes flush against an inaccessible page, so that reading one byte
// past them faults at once instead of silently reading neighbouring memory.
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t capacity);
    ~GuardedBuffer();

    // Copies `bytes` so they end where the guard page begins.
    const char* Place(const std::string& bytes);

private:
    GuardedBuffer(const GuardedBuffer&);
    GuardedBuffer& operator=(const GuardedBuffer&);

    char* base_;
    size_t usable_;
};
