#include "shell/copy_data_command.h"

#include <cstring>

#include "protocol/command_dispatcher.h"

namespace {

// Far beyond any argument the protocol uses (paths stop at 259 bytes).
const size_t kTextCapacity = 1024;

// The data word is pointer-sized on 64-bit builds; the protocol's code is its
// low 32 bits, signed.
int CommandCode(ULONG_PTR dataWord)
{
    return static_cast<int>(static_cast<DWORD>(dataWord));
}

}  // namespace

void CopyDataText(const COPYDATASTRUCT& payload, char* text, size_t capacity)
{
    text[0] = '\0';
    if (!payload.lpData || payload.cbData == 0)
        return;
    const char* bytes = static_cast<const char*>(payload.lpData);
    size_t length = payload.cbData;
    const void* terminator = memchr(bytes, '\0', length);
    if (terminator)
        length = static_cast<size_t>(static_cast<const char*>(terminator) - bytes);
    if (length > capacity - 1)
        length = capacity - 1;
    memcpy(text, bytes, length);
    text[length] = '\0';
}

LRESULT RunCopyDataCommand(const COPYDATASTRUCT* payload)
{
    if (!payload)
        return 0;
    char text[kTextCapacity];
    CopyDataText(*payload, text, sizeof text);
    return HandleCommand(CommandCode(payload->dwData), text);
}
