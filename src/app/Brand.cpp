#include "app/Brand.h"

namespace {
BrandInfo g_brand;
} // namespace

const BrandInfo& AppBrand() {
    return g_brand;
}

void SetAppBrand(BrandInfo brand) {
    g_brand = std::move(brand);
}
