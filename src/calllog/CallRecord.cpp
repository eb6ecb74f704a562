#include "calllog/CallRecord.h"

#include "platform/ProgramFolder.h"
#include "platform/TextUtil.h"

std::string CallerFieldForIndex(std::string_view text) {
    return Trim(text);
}

std::string IndexPathFor(const std::string& sShownFolder, const std::string& sDataPath) {
    if (sShownFolder.find("Recorded Calls") != std::string::npos)
        return WithTrailingSlash(sShownFolder) + "index.dat";
    return WithTrailingSlash(sDataPath) + "Recorded Calls/index.dat";
}
