#include "playback/memory_render.h"

#include <cwchar>

#include "playback/memory_source_filter.h"
#include "playback/render_request.h"

HRESULT AddMemorySource(IGraphBuilder* graph, MemoryFile* file, IPin** output)
{
    *output = NULL;
    IBaseFilter* source = NULL;
    HRESULT result = MemorySourceFilter::Create(file, &source);
    if (FAILED(result))
        return result;
    WCHAR name[MAX_FILTER_NAME];
    wcsncpy(name, file->Path(), MAX_FILTER_NAME - 1);
    name[MAX_FILTER_NAME - 1] = L'\0';
    result = graph->AddFilter(source, name);
    if (SUCCEEDED(result))
        result = source->FindPin(kMemorySourcePinName, output);
    if (FAILED(result))
        graph->RemoveFilter(source);
    source->Release();
    return FAILED(result) ? result : S_OK;
}

HRESULT RenderFromMemory(IGraphBuilder* graph, const WCHAR* path)
{
    MemoryFile* file = NULL;
    HRESULT result = ReadMemoryFile(path, &file);
    if (FAILED(result))
        return result;
    IPin* output = NULL;
    result = AddMemorySource(graph, file, &output);
    file->Release();
    if (FAILED(result))
        return result;
    RenderRequest request = {path, output};
    result = RenderRequested(graph, request);
    output->Release();
    return result;
}
