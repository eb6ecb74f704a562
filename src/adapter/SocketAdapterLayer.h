// The adapter's device layer over the simulator's socket (see AdapterWire.h):
// operations are requests answered by the simulator, events and the line's
// sound arrive on a reader thread of its own.
#pragma once

#include "adapter/AdapterDeviceLayer.h"

#include <memory>
#include <string>

// The layer over the simulator listening at socketPath, or nullptr (with
// the reason in *error) when nothing listens there.
std::unique_ptr<IAdapterDeviceLayer> ConnectSocketAdapter(const std::string& socketPath,
                                                          std::string* error);
