#include "playback/filter_choices.h"

#include <cstring>
#include <cwchar>

namespace {

bool SameKind(const WCHAR* a, const WCHAR* b)
{
    return wcscmp(a, b) == 0;
}

WCHAR LowerAscii(WCHAR unit)
{
    return unit >= L'A' && unit <= L'Z' ? static_cast<WCHAR>(unit - L'A' + L'a') : unit;
}

}  // namespace

FilterChoices::FilterChoices() : used_(0), uses_(0)
{
    memset(entries_, 0, sizeof entries_);
}

const FilterChain* FilterChoices::Find(const WCHAR* kind)
{
    for (int i = 0; i < used_; ++i) {
        if (SameKind(entries_[i].kind, kind)) {
            entries_[i].lastUse = ++uses_;
            return &entries_[i].chain;
        }
    }
    return NULL;
}

void FilterChoices::Remember(const WCHAR* kind, const FilterChain& chain)
{
    int place = 0;
    while (place < used_ && !SameKind(entries_[place].kind, kind))
        ++place;
    if (place == used_ && used_ < kKinds)
        ++used_;
    if (place == kKinds) {
        place = 0;
        for (int i = 1; i < kKinds; ++i) {
            if (entries_[i].lastUse < entries_[place].lastUse)
                place = i;
        }
    }
    Entry& entry = entries_[place];
    memcpy(entry.kind, kind, (wcslen(kind) + 1) * sizeof(WCHAR));
    entry.chain = chain;
    entry.lastUse = ++uses_;
}

FilterChoices& AgentFilterChoices()
{
    static FilterChoices choices;
    return choices;
}

bool KindOfFile(const WCHAR* path, WCHAR kind[kKindCapacity])
{
    const WCHAR* extension = NULL;
    for (const WCHAR* unit = path; *unit != L'\0'; ++unit) {
        if (*unit == L'.')
            extension = unit;
        else if (*unit == L'\\')
            extension = NULL;
    }
    if (!extension)
        extension = path + wcslen(path);
    size_t length = wcslen(extension);
    if (length >= static_cast<size_t>(kKindCapacity))
        return false;
    for (size_t i = 0; i <= length; ++i)
        kind[i] = LowerAscii(extension[i]);
    return true;
}

OfferedRender RenderOfferingChoice(IGraphBuilder* graph, const RenderRequest& request,
                                   FilterChoices* choices, HRESULT* answer)
{
    WCHAR kind[kKindCapacity];
    const FilterChain* offered = KindOfFile(request.path, kind) ? choices->Find(kind) : NULL;
    IBaseFilter* added[kChainCapacity];
    if (!offered || !OfferFilterChain(graph, *offered, added))
        return kNothingOffered;

    HRESULT result = RenderRequested(graph, request);
    if (answer)
        *answer = result;
    int unused = WithdrawUnconnected(graph, added, offered->count);
    if (result < 0)
        return kRenderFailed;

    FilterChain rendered;
    if (unused == 0 && ReadFilterChain(graph, &rendered) && SameFilterChain(rendered, *offered))
        return kRenderedAsOffered;
    return kRenderedOtherwise;
}

OfferedRender RenderOfferingChoice(IGraphBuilder* graph, const WCHAR* path, FilterChoices* choices,
                                   HRESULT* answer)
{
    RenderRequest request = {path, NULL};
    return RenderOfferingChoice(graph, request, choices, answer);
}

bool RenderAndRemember(IGraphBuilder* graph, const RenderRequest& request, FilterChoices* choices,
                       HRESULT* answer)
{
    HRESULT result = RenderRequested(graph, request);
    if (answer)
        *answer = result;
    if (result < 0)
        return false;
    WCHAR kind[kKindCapacity];
    FilterChain chosen;
    if (KindOfFile(request.path, kind) && ReadFilterChain(graph, &chosen))
        choices->Remember(kind, chosen);
    return true;
}

bool RenderAndRemember(IGraphBuilder* graph, const WCHAR* path, FilterChoices* choices,
                       HRESULT* answer)
{
    RenderRequest request = {path, NULL};
    return RenderAndRemember(graph, request, choices, answer);
}
