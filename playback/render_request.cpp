#include "playback/render_request.h"

HRESULT RenderRequested(IGraphBuilder* graph, const RenderRequest& request)
{
    if (!request.source)
        return graph->RenderFile(request.path, NULL);
    HRESULT result = graph->Render(request.source);
    if (SUCCEEDED(result))
        return result;
    PIN_INFO info;
    info.pFilter = NULL;
    if (SUCCEEDED(request.source->QueryPinInfo(&info)) && info.pFilter) {
        graph->RemoveFilter(info.pFilter);
        info.pFilter->Release();
    }
    return result;
}
