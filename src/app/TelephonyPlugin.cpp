#include "app/TelephonyPlugin.h"

#include "platform/FileUtil.h"
#include "platform/ProgramFolder.h"
#include "platform/TextUtil.h"

#include <dlfcn.h>

#include <cstdlib>

namespace {

constexpr const char* kSipPluginName = "libvorella-sip.so";

} // namespace

std::string SipPluginPath() {
    if (const char* env = std::getenv("VORELLA_SIP_PLUGIN"); env && *env)
        return env;
    const std::string beside = GetExecutableFolder() + kSipPluginName;
    if (FileExists(beside))
        return beside;
    return GetExecutableFolder() + VORELLA_PLUGIN_FROM_BIN "/" + kSipPluginName;
}

bool LoadTapiPlugin(const std::string& path, const TapiPluginHost& host, std::string* pWhy) {
    auto fail = [&](const std::string& why) {
        if (pWhy)
            *pWhy = "the plugin " + path + " " + why;
        return false;
    };
    if (!FileExists(path))
        return fail("is not installed");
    // Local: its symbols serve only the libraries it brings (RTLD_LOCAL),
    // ahead of theirs, which is what its guarded reads need.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* error = ::dlerror();
        return fail(std::string("cannot be loaded: ") + (error ? error : "unknown error"));
    }
    auto entry = reinterpret_cast<TapiPluginEntry>(::dlsym(handle, kTapiPluginEntry));
    if (entry == nullptr) {
        ::dlclose(handle);
        return fail(std::string("has no entry point ") + kTapiPluginEntry);
    }
    const uint32_t nBuiltFor = entry(&host);
    if (nBuiltFor != host.nInterface) {
        ::dlclose(handle);
        return fail(StrPrintf("was built for plugin interface %u, this program needs %u",
                              static_cast<unsigned>(nBuiltFor),
                              static_cast<unsigned>(host.nInterface)));
    }
    // Kept loaded for the rest of the process: the makers it registered
    // are its code.
    return true;
}
