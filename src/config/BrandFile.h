// Branding from "brand.ini" in the program folder, section "Brand": the
// caption of every message box, the tray tooltip and the main window's title
// ("Title"), and the About box's lines ("Copy", "Web"). A missing file or key
// gives an empty text.
#pragma once

#include <string>

struct BrandInfo {
    std::string sTitle;
    std::string sCopy;
    std::string sWeb;
};

// Reads the three keys from the brand file at path.
BrandInfo LoadBrand(const std::string& path);
