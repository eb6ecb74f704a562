// The worker's side of the adapter in the program: the adapter's events
// become the worker's thread messages and its device's flags, a missing
// adapter pauses monitoring with its message, and the adapter's lines go
// into the program's trace.
#pragma once

#include "adapter/AdapterTelephoneDevice.h"

#include <functional>
#include <memory>
#include <string>

class IDeviceHost;

// The layers to look for an adapter in, from the settings: the simulated
// adapter whose socket VORELLA_ADAPTER_SOCKET names, else the sound card
// soundCard (none chosen: no adapter) with the input device at inputPath
// ("" none). The factory says why there is no adapter.
CHiPhoneDev::LayerFactory AdapterLayersFor(const std::string& soundCard,
                                           const std::string& inputPath);

// The adapter device for the worker over layers. handsetRecordingMarked
// reads the worker's mark of a recording the handset started (any thread).
std::unique_ptr<ITelephoneDevice>
MakeWorkerAdapterDevice(IDeviceHost& host, std::function<bool()> handsetRecordingMarked,
                        CHiPhoneDev::LayerFactory layers);
