#pragma once

#include <windows.h>
#include <dshow.h>

#include "playback/filter_chain.h"
#include "playback/render_request.h"

// The filters RenderFile chose for each kind of file the agent has played,
// so that a fresh graph can be offered fresh instances of them before it
// renders the next file of that kind. Intelligent connect tries the filters
// already in a graph before it asks the filter mapper, and every question to
// Wine 8's mapper leaves open a registry key for each filter it enumerates
// (about 77 handles a file, for the life of the process).
//
// A kind of file is its extension, in any case: the platform picks the
// source filter and the stream type by it first. Files of one extension can
// still need different chains (a platform may decode some WAV codecs in a
// filter of their own), so a render that does not end up using exactly the
// offered filters is not trusted (see RenderOfferingChoice).
const int kKindCapacity = 16;  // ".xxxx" with its terminator; longer ones are not remembered

class FilterChoices {
public:
    FilterChoices();

    // The chain last chosen for files of `kind`, or NULL.
    const FilterChain* Find(const WCHAR* kind);
    // When every kind has a place, the one used least recently gives way.
    void Remember(const WCHAR* kind, const FilterChain& chain);

private:
    FilterChoices(const FilterChoices&);
    FilterChoices& operator=(const FilterChoices&);

    static const int kKinds = 16;
    struct Entry {
        WCHAR kind[kKindCapacity];
        FilterChain chain;
        unsigned long lastUse;
    };
    Entry entries_[kKinds];
    int used_;
    unsigned long uses_;
};

// The agent's choices, shared by both channels: what one has learnt spares
// the other the mapper.
FilterChoices& AgentFilterChoices();

// The kind of `path`: from its last "." after its last "\" to the end, ASCII
// letters lower-cased; "" when it has no extension. False when the extension
// does not fit kKindCapacity.
bool KindOfFile(const WCHAR* path, WCHAR kind[kKindCapacity]);

enum OfferedRender {
    kNothingOffered,     // no choice known for the kind (or it could not be offered); graph untouched
    kRenderFailed,       // the render failed; the offered filters are gone again
    kRenderedAsOffered,  // the file plays through exactly the offered filters
    kRenderedOtherwise   // the file plays, but not through exactly them: the offer may have bent
                         // the graph's choice, so the graph must not be used
};

// Offers `graph`, a fresh one, the chain chosen for the kind of the file and
// renders what `request` asks for: the file by its path, or the output pin
// of a source already in the graph. Offered filters left unconnected are
// removed again.
//
// Why the offer cannot make RenderFile fail, nor choose otherwise when the
// file needs the same chain (Wine's dlls/quartz/filtergraph.c, autoplug):
// for every pin, the filters in the graph are tried before the mapper is
// asked, and a filter that connects but cannot complete the render is
// disconnected again, after which the mapper's candidates are tried exactly
// as without the offer. Offered filters are added nearest the source first;
// the graph tries the filter added last first, so a filter further down the
// chain that also accepts an earlier pin takes it and leaves the one between
// unconnected, which shows as kRenderedOtherwise. The same holds for Render
// of a source pin: RenderFile adds its source and renders its pin so.
// `answer`, when given, gets the render's own HRESULT (untouched when
// nothing was offered), which is what a failure is reported with.
OfferedRender RenderOfferingChoice(IGraphBuilder* graph, const RenderRequest& request,
                                   FilterChoices* choices, HRESULT* answer = nullptr);
// The file at `path`, through the platform's file source.
OfferedRender RenderOfferingChoice(IGraphBuilder* graph, const WCHAR* path, FilterChoices* choices,
                                   HRESULT* answer = nullptr);

// Renders what `request` asks for with nothing offered; on success what the
// graph chose is remembered for the kind of the file. `answer`, when given,
// gets the render's own HRESULT.
bool RenderAndRemember(IGraphBuilder* graph, const RenderRequest& request, FilterChoices* choices,
                       HRESULT* answer = nullptr);
// The file at `path`, through the platform's file source.
bool RenderAndRemember(IGraphBuilder* graph, const WCHAR* path, FilterChoices* choices,
                       HRESULT* answer = nullptr);
