#include "playback/stream_type.h"

#include <cstring>
#include <cwchar>

#include "playback/filter_choices.h"

namespace {

const WCHAR kMediaTypeKey[] = L"Media Type";
const WCHAR kExtensionsKey[] = L"Extensions";
const WCHAR kSourceFilterValue[] = L"Source Filter";
// A registry key name holding a GUID in braces, with its terminator.
const int kGuidTextCapacity = 39;
// Longer patterns than any registered (the longest, MPEG-1 VideoCD's, has
// about 150 characters) are skipped.
const int kPatternCapacity = 1024;
// More check bytes than this in one tuple are not a pattern.
const long kMaxCheckBytes = 256;

int HexDigit(WCHAR unit)
{
    if (unit >= L'0' && unit <= L'9')
        return unit - L'0';
    if (unit >= L'a' && unit <= L'f')
        return unit - L'a' + 10;
    if (unit >= L'A' && unit <= L'F')
        return unit - L'A' + 10;
    return -1;
}

// Reads up to `count` bytes of hex digits into `out` (the rest keep what
// they hold) and leaves `*at` on the comma or terminator that ends the field.
void ReadHexField(const WCHAR** at, BYTE* out, long count)
{
    const WCHAR* unit = *at;
    while (*unit != L'\0' && *unit != L',' && HexDigit(*unit) < 0)
        ++unit;
    for (long digits = 0; HexDigit(*unit) >= 0 && digits < 2 * count; ++unit, ++digits) {
        int value = HexDigit(*unit);
        BYTE& target = out[digits / 2];
        target = static_cast<BYTE>(digits % 2 ? (target & 0xF0) | value : value << 4);
    }
    while (*unit != L'\0' && *unit != L',')
        ++unit;
    *at = unit;
}

// Moves `*at` past the next comma; false when there is none.
bool NextField(const WCHAR** at)
{
    const WCHAR* comma = wcschr(*at, L',');
    if (!comma)
        return false;
    *at = comma + 1;
    return true;
}

// Decimal, or hexadecimal after "0x".
long ReadNumberField(const WCHAR** at)
{
    const WCHAR* unit = *at;
    while (*unit == L' ' || *unit == L'\t')
        ++unit;
    bool hex = unit[0] == L'0' && (unit[1] == L'x' || unit[1] == L'X');
    WCHAR* end = NULL;
    long number = wcstol(unit, &end, hex ? 16 : 10);
    *at = end;
    return number;
}

// One tuple at `*at`; leaves `*at` on the comma before the next one, or on
// the terminator. False when the tuple is malformed or fails.
bool MatchesTuple(const WCHAR** at, const BYTE* bytes, size_t size)
{
    long offset = ReadNumberField(at);
    if (!NextField(at))
        return false;
    long count = ReadNumberField(at);
    if (!NextField(at) || count <= 0 || count > kMaxCheckBytes)
        return false;
    BYTE mask[kMaxCheckBytes];
    BYTE value[kMaxCheckBytes];
    memset(mask, 0xFF, sizeof mask);
    memset(value, 0, sizeof value);
    ReadHexField(at, mask, count);
    if (!NextField(at))
        return false;
    ReadHexField(at, value, count);

    long long first = offset < 0 ? static_cast<long long>(size) + offset : offset;
    if (first < 0 || first + count > static_cast<long long>(size))
        return false;
    for (long i = 0; i < count; ++i) {
        if ((bytes[first + i] & mask[i]) != value[i])
            return false;
    }
    return true;
}

void ReadGuidValue(HKEY key, const WCHAR* name, GUID* guid)
{
    WCHAR text[kGuidTextCapacity];
    DWORD bytes = sizeof text;
    DWORD kind = 0;
    if (RegQueryValueExW(key, name, NULL, &kind, reinterpret_cast<BYTE*>(text), &bytes) !=
            ERROR_SUCCESS ||
        kind != REG_SZ)
        return;
    text[kGuidTextCapacity - 1] = L'\0';
    CLSIDFromString(text, guid);
}

// The type registered for the extension of `path`, if one is.
bool TypeOfExtension(const WCHAR* path, AM_MEDIA_TYPE* type)
{
    WCHAR kind[kKindCapacity];
    if (!KindOfFile(path, kind) || kind[0] == L'\0')
        return false;
    WCHAR name[64] = L"Media Type\\Extensions\\";
    wcscat(name, kind);
    HKEY key = NULL;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, name, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ReadGuidValue(key, kMediaTypeKey, &type->majortype);
    ReadGuidValue(key, L"Subtype", &type->subtype);
    RegCloseKey(key);
    return true;
}

// Whether any pattern value of the subtype key `key` matches.
bool AnyPatternMatches(HKEY key, const BYTE* bytes, size_t size)
{
    for (DWORD index = 0;; ++index) {
        WCHAR name[32];
        DWORD nameUnits = sizeof name / sizeof name[0];
        WCHAR pattern[kPatternCapacity];
        DWORD patternBytes = sizeof pattern - sizeof(WCHAR);
        DWORD kind = 0;
        LONG status = RegEnumValueW(key, index, name, &nameUnits, NULL, &kind,
                                    reinterpret_cast<BYTE*>(pattern), &patternBytes);
        if (status == ERROR_NO_MORE_ITEMS)
            return false;
        if (status != ERROR_SUCCESS || kind != REG_SZ || wcscmp(name, kSourceFilterValue) == 0)
            continue;
        pattern[patternBytes / sizeof(WCHAR)] = L'\0';
        if (MatchesCheckBytes(pattern, bytes, size))
            return true;
    }
}

// Calls `visit(key, keyName)` for each subkey of `parent` until it returns true.
template <class Visit>
bool AnySubkey(HKEY parent, Visit visit)
{
    for (DWORD index = 0;; ++index) {
        WCHAR name[kGuidTextCapacity];
        DWORD units = kGuidTextCapacity;
        LONG status = RegEnumKeyExW(parent, index, name, &units, NULL, NULL, NULL, NULL);
        if (status == ERROR_NO_MORE_ITEMS)
            return false;
        HKEY key = NULL;
        if (status != ERROR_SUCCESS || RegOpenKeyExW(parent, name, 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        bool found = visit(key, name);
        RegCloseKey(key);
        if (found)
            return true;
    }
}

// The type whose check bytes `bytes` satisfy first, if any.
bool TypeOfCheckBytes(const BYTE* bytes, size_t size, AM_MEDIA_TYPE* type)
{
    HKEY root = NULL;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kMediaTypeKey, 0, KEY_READ, &root) != ERROR_SUCCESS)
        return false;
    bool found = AnySubkey(root, [&](HKEY major, const WCHAR* majorName) {
        if (wcscmp(majorName, kExtensionsKey) == 0)
            return false;
        return AnySubkey(major, [&](HKEY sub, const WCHAR* subName) {
            if (!AnyPatternMatches(sub, bytes, size))
                return false;
            CLSIDFromString(majorName, &type->majortype);
            CLSIDFromString(subName, &type->subtype);
            return true;
        });
    });
    RegCloseKey(root);
    return found;
}

}  // namespace

void StreamTypeOf(const WCHAR* path, const BYTE* bytes, size_t size, AM_MEDIA_TYPE* type)
{
    memset(type, 0, sizeof *type);
    type->majortype = MEDIATYPE_Stream;
    type->subtype = GUID_NULL;
    type->bFixedSizeSamples = TRUE;
    type->bTemporalCompression = FALSE;
    type->lSampleSize = 1;
    type->formattype = GUID_NULL;
    if (!TypeOfExtension(path, type))
        TypeOfCheckBytes(bytes, size, type);
}

bool MatchesCheckBytes(const WCHAR* pattern, const BYTE* bytes, size_t size)
{
    const WCHAR* at = pattern;
    for (;;) {
        if (!MatchesTuple(&at, bytes, size))
            return false;
        if (!NextField(&at))
            return true;
    }
}
