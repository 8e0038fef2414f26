#pragma once

#include <windows.h>
#include <dshow.h>

// What a graph is asked to render: the file at `path`, through the
// platform's own file source (RenderFile), or, when `source` is set, the
// output pin of a source filter already in the graph that offers that file
// (Render). The path names the file either way, and its extension is the
// kind that filter choices are remembered by.
struct RenderRequest {
    const WCHAR* path;
    IPin* source;
};

// Renders what `request` asks for and returns the graph's answer. A source
// pin that fails to render has its filter removed from the graph again, as
// RenderFile removes the file source it added.
HRESULT RenderRequested(IGraphBuilder* graph, const RenderRequest& request);
