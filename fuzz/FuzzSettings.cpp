// Whatever the settings file holds, loading it, saving it and loading it
// again gives back the values of the first load: nothing a user (or a broken
// editor) puts into vorella.ini is lost or altered by the program's own save.
// (A list setting loses its trailing empty entries on save, and a carriage
// return inside a value becomes a blank; both are the file format's rules.)
#include "config/ModemProfile.h"
#include "config/SettingsStore.h"
#include "platform/FileUtil.h"
#include "platform/ProgramFolder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Holders {
    CPhoneSettings phone;
    CDriverSettings driver;
    CGlobalSettings global;
    CWorkerSettings worker;
    CSettingsHolders Refs() { return {phone, driver, global, worker}; }
};

std::vector<std::string> LoadAll() {
    Holders h;
    CModemProfile profile;
    LoadSettings(h.Refs(), profile);
    std::vector<std::string> values;
    for (const SettingKey& k : SettingKeys())
        values.push_back(SettingText(k, h.Refs()));
    return values;
}

void SaveLoaded() {
    Holders h;
    CModemProfile profile;
    LoadSettings(h.Refs(), profile);
    SaveSettings(h.Refs(), profile);
}

void Check(bool ok, const char* what, const SettingKey& k) {
    if (!ok) {
        std::fprintf(stderr, "%s changed by a save: %s\n", k.key, what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string home = [] {
        std::string dir = (std::filesystem::temp_directory_path() /
                           ("vorella-fuzz-settings-" + std::to_string(::getpid())))
                              .string();
        std::filesystem::create_directories(dir);
        ::setenv("VORELLA_HOME", dir.c_str(), 1);
        return WithTrailingSlash(dir);
    }();
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (!WriteFileAtomic(home + "vorella.ini", input))
        return 0;

    const std::vector<std::string> first = LoadAll();
    SaveLoaded();
    const std::vector<std::string> second = LoadAll();
    SaveLoaded();
    const std::vector<std::string> third = LoadAll();

    const bool bHasCr = input.find('\r') != std::string::npos;
    size_t i = 0;
    for (const SettingKey& k : SettingKeys()) {
        Check(second[i] == third[i], "second save", k);
        if (!bHasCr && k.Type() != SettingType::List)
            Check(first[i] == second[i], "first save", k);
        ++i;
    }
    std::filesystem::remove_all(home + "cfg");
    return 0;
}
