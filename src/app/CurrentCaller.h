// The main window's caller fields as external control reads and sets them:
// the current call's name, number and memo, kept by the engine's call state
// (read by the index writer).
#pragma once

#include "app/ExternalControl.h"
#include "engine/CallState.h"

CallerFields CurrentCallerFields(const CCallState& state);
// A request to the engine: what was typed into the caller fields.
void SetCurrentCallerFields(CCallState& state, const CallerFields& fields);
