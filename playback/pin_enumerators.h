#pragma once

#include <windows.h>
#include <dshow.h>

// The enumerators a filter with few pins and few media types hands out. Each
// holds its own copy of what it enumerates (references on pins, copies of
// types), so it stays valid whatever becomes of the filter's pins.

// Over the `count` pins in `pins`, each referenced while the enumerator lives.
HRESULT NewPinEnumerator(IPin* const* pins, int count, IEnumPins** enumerator);

// Over copies of the `count` types in `types`; each one handed out is a new
// copy for the caller to free.
HRESULT NewMediaTypeEnumerator(const AM_MEDIA_TYPE* types, int count,
                               IEnumMediaTypes** enumerator);
