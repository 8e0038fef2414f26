#pragma once

#include <windows.h>
#include <dshow.h>

// The filters a graph plays a file through, upstream first, its source filter
// left out (RenderFile always adds its own): what is remembered of one render
// and offered to the next graph. An audio file needs two or three; a chain
// that does not fit is not remembered.
const int kChainCapacity = 8;

struct ChainedFilter {
    CLSID clsid;
    // The name the graph gave it, so an offered instance is known by the
    // same name as the one the filter mapper would add.
    WCHAR name[MAX_FILTER_NAME];
};

struct FilterChain {
    int count;
    ChainedFilter filters[kChainCapacity];
};

// Reads the chain of `graph`: every filter reached from its source filters'
// output pins, nearest the source first. False when it holds no source or
// more filters than a chain holds.
bool ReadFilterChain(IGraphBuilder* graph, FilterChain* chain);

// The same filter classes in the same order.
bool SameFilterChain(const FilterChain& a, const FilterChain& b);

// Adds a fresh instance of every filter of `chain` to `graph`, nearest the
// source first, and keeps a reference to each in `added`. False, with nothing
// added, when one cannot be created or added.
bool OfferFilterChain(IGraphBuilder* graph, const FilterChain& chain, IBaseFilter* added[]);

// Removes from `graph` those of the `count` filters in `added` that no pin
// connects, and releases all of them. Returns how many were removed.
int WithdrawUnconnected(IGraphBuilder* graph, IBaseFilter* added[], int count);
