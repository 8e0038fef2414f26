#include "fuzz_message.h"

#include <climits>

#include "quavel/protocol.h"

namespace {

const int kChannelBits = 0x1F;
const size_t kLargestText = 64 * 1024;

const char* const kDeviceNames[] = {"NUL", "CON", "AUX", "PRN", "COM1", "LPT1", "CONIN$",
                                    "\\\\.\\NUL", "C:\\NUL", "nul.wav"};
const char* const kOddPaths[] = {"", "/", "\\", "C:", "C:\\", "..", "\\\\?\\C:\\x.wav",
                                 "C:/windows/win.ini", "file.wav\\", " ", "*.wav", "a?b.wav"};
const int kEdgeCodes[] = {INT_MIN, INT_MIN + 1, -1, 21, 31, 53, 63, 64 + 21, INT_MAX, INT_MAX - 1};

// Opening builds a filter graph, by far the most expensive command and the
// one the platform's media framework wears under: a quarter of the share of
// the others keeps long runs to the open and close traffic of a busy host.
bool IsOpenCode(int code)
{
    return code == HC_OpenFile || code == QUAVEL_SECOND_CHANNEL + HC_OpenFile;
}

}  // namespace

bool IsQuitCode(int code)
{
    return code == HC_Quit || (code > QUAVEL_LAST_COMMAND && (code & kChannelBits) == HC_Quit);
}

FuzzGenerator::FuzzGenerator(uint32_t replay, const FuzzFiles& files) : random_(replay), files_(files)
{
}

uint32_t FuzzGenerator::Below(uint32_t bound)
{
    return static_cast<uint32_t>(random_() % bound);
}

bool FuzzGenerator::Chance(uint32_t percent)
{
    return Below(100) < percent;
}

int FuzzGenerator::CommandCode()
{
    int code = 0;
    do {
        uint32_t pick = Below(100);
        if (pick < 45)
            code = static_cast<int>(Below(QUAVEL_LAST_COMMAND + 1));
        else if (pick < 75)
            code = QUAVEL_SECOND_CHANNEL + static_cast<int>(Below(QUAVEL_LAST_COMMAND + 1));
        else if (pick < 85)
            code = kEdgeCodes[Below(sizeof kEdgeCodes / sizeof kEdgeCodes[0])];
        else
            code = static_cast<int>(random_());
    } while (IsQuitCode(code) || (IsOpenCode(code) && Below(4) != 0));
    return code;
}

std::string FuzzGenerator::Number()
{
    static const char* const kPrefixes[] = {"", " ", "\t\n ", "+", "-", "  -", "x", "0x", "--"};
    static const char* const kSuffixes[] = {"", "abc", ".5", " 7", "\xff", "e3"};
    std::string text = kPrefixes[Below(sizeof kPrefixes / sizeof kPrefixes[0])];
    size_t digits = 1 + Below(Chance(20) ? 30 : 10);
    for (size_t i = 0; i < digits; ++i)
        text += static_cast<char>('0' + Below(10));
    return text + kSuffixes[Below(sizeof kSuffixes / sizeof kSuffixes[0])];
}

std::string FuzzGenerator::RandomBytes(size_t length)
{
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<char>(Below(256));
    return bytes;
}

std::string FuzzGenerator::Path()
{
    switch (Below(8)) {
    case 0:
        return files_.playable;
    case 1:
        return files_.directory;
    case 2:
        return kDeviceNames[Below(sizeof kDeviceNames / sizeof kDeviceNames[0])];
    case 3:
        return kOddPaths[Below(sizeof kOddPaths / sizeof kOddPaths[0])];
    case 4:  // long, with both separators
        return "C:/" + std::string(250 + Below(200), 'a') + "\\b.wav";
    case 5:  // high bytes
        return "caf" + RandomBytes(1 + Below(20)) + ".wav";
    case 6:
        return "missing-" + std::to_string(Below(1000)) + ".wav";
    default:
        return files_.directory + "/../" + std::to_string(Below(10)) + ".wav";
    }
}

std::string FuzzGenerator::Argument()
{
    uint32_t pick = Below(100);
    if (pick < 35)
        return Number();
    if (pick < 60)
        return Path();
    if (pick < 75)
        return RandomBytes(Below(40));
    if (pick < 80)
        return RandomBytes(Below(kLargestText));
    if (pick < 90)
        return std::string();
    return Number() + std::string(1, '\0') + Path();  // a NUL inside the count
}

WPARAM FuzzGenerator::SystemCommand()
{
    // Close commands end the agent: any value the default procedure reads
    // as SC_CLOSE, i.e. with the low four bits masked.
    WPARAM command = 0;
    do {
        command = Chance(50) ? 0xF000 + Below(0x1000) : static_cast<WPARAM>(random_());
    } while ((command & 0xFFF0) == SC_CLOSE);
    return command;
}

FuzzMessage FuzzGenerator::Next()
{
    FuzzMessage message;
    uint32_t kind = Below(100);
    if (kind < 4) {
        message.message = QUAVEL_PING_MESSAGE;
        message.wParam = static_cast<WPARAM>(random_());
        message.lParam = static_cast<LPARAM>(random_());
        return message;
    }
    if (kind < 6) {
        message.message = WM_USER + 1 + Below(0x100);
        message.wParam = static_cast<WPARAM>(random_());
        return message;
    }
    if (kind < 8) {
        message.message = WM_SYSCOMMAND;
        message.wParam = SystemCommand();
        return message;
    }

    message.code = CommandCode();
    message.nullData = Chance(3);
    if (message.nullData)
        return message;
    message.bytes = Argument();
    // Mostly the text and its NUL, as hosts send it; sometimes cut short or
    // without the NUL, so the agent must stop at the count.
    uint32_t countPick = Below(10);
    if (countPick < 6 || message.bytes.empty())
        message.bytes.push_back('\0');
    else if (countPick < 8)
        message.bytes.resize(Below(static_cast<uint32_t>(message.bytes.size()) + 1));
    message.byteCount = static_cast<DWORD>(message.bytes.size());
    return message;
}
