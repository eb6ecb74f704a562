// The branding the program started with (LoadBrand() of "brand.ini", read
// once at start).
#pragma once

#include "config/BrandFile.h"

// Set by start-up, read by the front ends on the UI thread.
const BrandInfo& AppBrand();
void SetAppBrand(BrandInfo brand);
