#pragma once

#include <windows.h>
#include <dshow.h>

// Media types as pins hand them out: every AM_MEDIA_TYPE given to a caller
// owns its format block (CoTaskMemAlloc) and holds a reference on pUnk, and
// the caller frees both.

// Copies `source` into `target`, format block included. E_OUTOFMEMORY leaves
// `target` zeroed.
HRESULT CopyMediaTypeInto(const AM_MEDIA_TYPE& source, AM_MEDIA_TYPE* target);

// A new AM_MEDIA_TYPE (CoTaskMemAlloc) copied from `source`, as
// IEnumMediaTypes::Next hands them out; NULL when memory runs out.
AM_MEDIA_TYPE* NewMediaTypeCopy(const AM_MEDIA_TYPE& source);

// Frees what `type` owns and zeroes it; the structure itself stays.
void ClearMediaType(AM_MEDIA_TYPE* type);

// Whether `candidate` fits the partial type `wanted`: each of its major type,
// subtype and format type that is not GUID_NULL must be equal. A NULL
// `wanted` takes any type.
bool FitsPartialType(const AM_MEDIA_TYPE* wanted, const AM_MEDIA_TYPE& candidate);
