// Whatever the settings file holds, loading it, saving it and loading it
// again gives back the values of the first load: nothing a user (or a broken
// editor) puts into vorella.ini is lost or altered by the program's own save.
// (A list setting loses its trailing empty entries on save, and a carriage
// return inside a value becomes a blank; both are the file format's rules.)
#include "config/ModemProfile.h"
#include "config/SettingsStore.h"
#include "platform/ProfileFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Holders {
    CPhoneSettings phone;
    CDriverSettings driver;
    CGlobalSettings global;
    CWorkerSettings worker;
    CSettingsHolders Refs() { return {phone, driver, global, worker}; }
};

// The file is parsed and written in memory, as the program reads and saves
// it, so that the fuzzer runs thousands of inputs a second.
std::vector<std::string> LoadAll(const std::string& text) {
    Holders h;
    CModemProfile profile;
    LoadSettingsFrom(ProfileFile::FromText(text), h.Refs(), profile);
    std::vector<std::string> values;
    for (const SettingKey& k : SettingKeys())
        values.push_back(SettingText(k, h.Refs()));
    return values;
}

// What a save of the loaded settings leaves in the file.
std::string SaveLoaded(const std::string& text) {
    Holders h;
    CModemProfile profile;
    ProfileFile ini = ProfileFile::FromText(text);
    LoadSettingsFrom(ini, h.Refs(), profile);
    SaveSettingsTo(ini, h.Refs());
    return ini.Text();
}

void Check(bool ok, const char* what, const SettingKey& k) {
    if (!ok) {
        std::fprintf(stderr, "%s changed by a save: %s\n", k.key, what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> first = LoadAll(input);
    const std::string saved = SaveLoaded(input);
    const std::vector<std::string> second = LoadAll(saved);
    const std::vector<std::string> third = LoadAll(SaveLoaded(saved));

    const bool bHasCr = input.find('\r') != std::string::npos;
    size_t i = 0;
    for (const SettingKey& k : SettingKeys()) {
        Check(second[i] == third[i], "second save", k);
        if (!bHasCr && k.Type() != SettingType::List)
            Check(first[i] == second[i], "first save", k);
        ++i;
    }
    return 0;
}
