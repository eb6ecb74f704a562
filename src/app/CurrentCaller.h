// The main window's caller fields as external control reads and sets them:
// the current call's name, number and memo, shared with the index writer.
#pragma once

#include "app/ExternalControl.h"

CallerFields CurrentCallerFields();
void SetCurrentCallerFields(const CallerFields& fields);
