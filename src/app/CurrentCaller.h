// The main window's caller fields as external control reads and sets them:
// the current call's name, number and memo, kept by the engine's call state
// (read by the index writer).
#pragma once

#include "app/ExternalControl.h"
#include "engine/CallState.h"

#include <string>

// The number field shows the call's number in its display form
// ("555-1234"); set back unchanged, the call keeps the number as it came
// ("5551234"), and only a number the user typed replaces it.
CallerFields CurrentCallerFields(const CCallState& state);
// A request to the engine: what was typed into the caller fields.
void SetCurrentCallerFields(CCallState& state, const CallerFields& fields);
// The number the call's record stores for the number field's text sShown.
std::string StoredCallerNumber(const CCallState& state, const std::string& sShown);
