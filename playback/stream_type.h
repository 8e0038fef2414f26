#pragma once

#include <windows.h>
#include <dshow.h>

#include <cstddef>

// The media type the platform's file source gives the output pin of a file
// it reads, so that a source of the agent's own offering the same bytes from
// memory is taken by the same parser: Wine's wave parser accepts only
// MEDIASUBTYPE_WAVE, its MPEG splitter only MEDIASUBTYPE_MPEG1Audio, and the
// filter mapper picks candidates by major type and subtype.
//
// Windows and Wine keep file types in one documented place, which both
// file sources read when loading a file (Wine: get_media_type in
// dlls/quartz/filesource.c): HKCR\Media Type\Extensions\<extension> gives
// the type of an extension outright; otherwise every subtype key under
// HKCR\Media Type\{major type} holds check-byte patterns, any one of which
// the file's bytes must satisfy, keys taken in the order the registry lists
// them. A file that nothing names is MEDIATYPE_Stream with a GUID_NULL
// subtype. Wine registers .mp3, patterns for WAVE, AU, AIFF, MPEG and others,
// and last a pattern every file satisfies for its GStreamer parser (Ogg,
// FLAC and Opus files get that subtype).
//
// `type` gets a byte-stream type with no format block: fixed-size samples of
// one byte, as the file sources give.
void StreamTypeOf(const WCHAR* path, const BYTE* bytes, size_t size, AM_MEDIA_TYPE* type);

// Whether `bytes` satisfy one check-byte pattern: tuples of "offset, count,
// mask, value" separated by commas, all of which must hold. Offset and count
// are decimal, or hex after "0x"; a negative offset counts from the end.
// Mask and value are hex; an empty mask means all bits, and value bytes left
// out are zero. Bytes the file does not have never match.
bool MatchesCheckBytes(const WCHAR* pattern, const BYTE* bytes, size_t size);
