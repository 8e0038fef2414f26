#include "playback/media_types.h"

#include <cstring>

namespace {

bool FitsGuid(const GUID& wanted, const GUID& candidate)
{
    return IsEqualGUID(wanted, GUID_NULL) || IsEqualGUID(wanted, candidate);
}

}  // namespace

HRESULT CopyMediaTypeInto(const AM_MEDIA_TYPE& source, AM_MEDIA_TYPE* target)
{
    *target = source;
    target->pbFormat = NULL;
    target->cbFormat = 0;
    if (source.cbFormat != 0 && source.pbFormat) {
        target->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source.cbFormat));
        if (!target->pbFormat) {
            memset(target, 0, sizeof *target);
            return E_OUTOFMEMORY;
        }
        memcpy(target->pbFormat, source.pbFormat, source.cbFormat);
        target->cbFormat = source.cbFormat;
    }
    if (target->pUnk)
        target->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* NewMediaTypeCopy(const AM_MEDIA_TYPE& source)
{
    AM_MEDIA_TYPE* copy = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!copy)
        return NULL;
    if (FAILED(CopyMediaTypeInto(source, copy))) {
        CoTaskMemFree(copy);
        return NULL;
    }
    return copy;
}

void ClearMediaType(AM_MEDIA_TYPE* type)
{
    if (type->pbFormat)
        CoTaskMemFree(type->pbFormat);
    if (type->pUnk)
        type->pUnk->Release();
    memset(type, 0, sizeof *type);
}

bool FitsPartialType(const AM_MEDIA_TYPE* wanted, const AM_MEDIA_TYPE& candidate)
{
    if (!wanted)
        return true;
    return FitsGuid(wanted->majortype, candidate.majortype) &&
           FitsGuid(wanted->subtype, candidate.subtype) &&
           FitsGuid(wanted->formattype, candidate.formattype);
}
