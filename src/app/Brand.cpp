#include "app/Brand.h"

#include "platform/ProfileFile.h"

namespace {
BrandInfo g_brand;
} // namespace

BrandInfo LoadBrand(const std::string& path) {
    return {GetProfileStringFrom(path, "Brand", "Title", ""),
            GetProfileStringFrom(path, "Brand", "Copy", ""),
            GetProfileStringFrom(path, "Brand", "Web", "")};
}

const BrandInfo& AppBrand() {
    return g_brand;
}

void SetAppBrand(BrandInfo brand) {
    g_brand = std::move(brand);
}
