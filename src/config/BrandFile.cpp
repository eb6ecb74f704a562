#include "config/BrandFile.h"

#include "platform/ProfileFile.h"

BrandInfo LoadBrand(const std::string& path) {
    const ProfileFile brand(path);
    return {brand.GetString("Brand", "Title", ""), brand.GetString("Brand", "Copy", ""),
            brand.GetString("Brand", "Web", "")};
}
