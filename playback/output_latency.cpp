#include "playback/output_latency.h"

#include <audioclient.h>
#include <mmdeviceapi.h>

namespace {

// Wine's DirectSound mixes this many device stream latencies ahead.
const int kWineMixedAheadLatencies = 3;

bool RunsOnWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

template <class Interface>
void ReleaseIfHeld(Interface* held)
{
    if (held)
        held->Release();
}

// The default render device's stream latency, as a shared-mode client of
// its own mix format sees it; 0 when the device cannot tell.
REFERENCE_TIME DeviceStreamLatency()
{
    IMMDeviceEnumerator* devices = NULL;
    IMMDevice* device = NULL;
    IAudioClient* client = NULL;
    WAVEFORMATEX* format = NULL;
    REFERENCE_TIME latency = 0;
    CoCreateInstance(__uuidof(MMDeviceEnumerator), NULL, CLSCTX_INPROC_SERVER,
                     __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(&devices));
    if (devices)
        devices->GetDefaultAudioEndpoint(eRender, eConsole, &device);
    if (device)
        device->Activate(__uuidof(IAudioClient), CLSCTX_INPROC_SERVER, NULL,
                         reinterpret_cast<void**>(&client));
    if (client)
        client->GetMixFormat(&format);
    if (format && SUCCEEDED(client->Initialize(AUDCLNT_SHAREMODE_SHARED, 0, 0, 0, format, NULL)) &&
        FAILED(client->GetStreamLatency(&latency)))
        latency = 0;
    CoTaskMemFree(format);
    ReleaseIfHeld(client);
    ReleaseIfHeld(device);
    ReleaseIfHeld(devices);
    return latency;
}

}  // namespace

REFERENCE_TIME OutputLatency()
{
    static bool known = false;
    static REFERENCE_TIME latency = 0;
    if (known)
        return latency;
    known = true;
    if (RunsOnWine())
        latency = kWineMixedAheadLatencies * DeviceStreamLatency();
    return latency;
}
