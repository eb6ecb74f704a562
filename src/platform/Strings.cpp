#include "platform/Strings.h"

#include "platform/StringCatalogue.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iterator>
#include <mutex>
#include <string>

namespace {

struct StringEntry {
    int id;
    const char* text;
};

// The program's string table, sorted by id. Every message the user sees and
// every fixed text the program writes is here and nowhere else.
constexpr StringEntry kStrings[] = {
    {4, "Vorella will now restart to apply configuration changes."},
    {104, "The program could not find your modem. Please make sure your modem is not busy with "
          "other task, is turned on and properly connected."},
    {105, "Call from %s, %s, received at %s, %s.\n\nMemo:\n\n%s"},
    {108, "Setup Wizard"},
    {109, "Ready"},
    {110, "Recording conversation"},
    {111, "Welcome to the Setup Wizard!"},
    {112, "Install a Modem"},
    {113, "Do you want to allow automatic modem detection?"},
    {114, "Communications"},
    {115, "How do you wish the program to access your modem?"},
    {116, "Serial Port Access"},
    {117, "Which modem do you use?"},
    {118, "TAPI"},
    {119, "Which phone line to use?"},
    {120, "Call Center"},
    {121, "Which functions would you like to use?"},
    {122, "Playing..."},
    {131, "Stopped"},
    {132, "Are you sure you want to delete this message(s)?"},
    {139, "Select Folder for Recorded Calls"},
    {154, "%s, #%s"},
    {156, "NA"},
    {157, "NA"},
    {158, "The USB telephone adapter was not found. Check that it is plugged in, that its sound "
          "card and input device are chosen in the options (Telephone Device), and that you may "
          "read its input device in /dev/input (as a member of the group \"input\")."},
    {159, "Can not save file."},
    {164, "XML Export Failed."},
    {167, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- Quillon 4.0 Call List "
          "-->\n<?xml-stylesheet type=\"text/xsl\" href=\"styles/%s\" ?>\n"},
    {168, "</calls>"},
    {169,
     "Failed to obtain WaveIn ID.\n\nPlease check if your telephony device has proper TAPI drivers "
     "installed, or try using COM port mode instead (Options - Preferences - Telephone Device)."},
    {170, "Updating message list..."},
    {1004, "PIN:"},
    {57677, "Your modem could not execute a command s.\r\nInitialization failed."},
    {57678, "NA"},
    {57679, "NA"},
    {57687, "Your modem supports Hardware Caller ID.\nWould you like to use it?"},
    {57688, "Your modem does not support Hardware Caller ID.\nWould you like to set an appropriate "
            "Caller ID type now?"},
    {57705, "Modems of this family report the caller's number only when Caller ID has been "
            "switched on in the modem itself. If calls show no number, switch Caller ID on with "
            "the modem's own set-up commands and run the setup again."},
    {57706, "vorella.chm"},
    {57707, "Unexpected result initializing the modem."},
    {57708, "Could not write data to the port."},
    {57734, "No new messages."},
    {57760, "%s"},
    {57761, "Busy"},
    {57762, "Dial Tone"},
    {57763, "signal"},
    {57785, "Bad frame in compressed flow."},
    {57789, "Incoming call..."},
    {57846, "Result -"},
    {57847, "OK"},
    {57848, "Voice Connect"},
    {57849, "Connected"},
    {57850, "Busy"},
    {57851, "Voice"},
    {57852, "Error"},
    {57853, "No Answer"},
    {57854, "No Carrier"},
    {57855, "No Dial Tone"},
    {57856, "Ringing"},
    {57857, "Unknown Error"},
    {57858, "The program is about to scan all available serial ports, which can take several "
            "minutes.\rContinue?"},
    {57859, "Scanning COM%d..."},
    {57860, "Checking GSM codec format..."},
    {57861, "Encapsulated GSM detected."},
    {57862, "Un-encapsulated GSM detected."},
    {57863, "Could not detect GSM format."},
    {57864, "Now the program will configure the GSM 6.10 codec."},
    {57865, "Tone Key"},
    {57866, "Time"},
    {57869, "Length"},
    {57870, "Number"},
    {57871, "From"},
    {57874, "Memo"},
    {57891, "Telephone number is"},
    {57893, "Caller is"},
    {57906, "Originated: %s"},
    {57925, "Silence (Valid voice not detected)"},
    {57926, "Quiet (Some voice received)"},
    {57930, "Incoming call:"},
    {57948, "Calling Tone (Fax)"},
    {57949, "Handset Off-Hook"},
    {57963,
     "Parameters:\r\r/h or /?\t\tThis help\rQuit or Exit\tTerminates loaded copy, if running"},
    {57964, "You have a call."},
    {57969, "Message.wav"},
    {57974, "There are no TAPI devices installed!"},
    {57975, "None of the TAPI lines support DATAMODEM/VOICE access."},
    {57979, "The program was unable to correctly identify your modem. Either it is not a voice "
            "modem, or you should manually select it from the list."},
    {57986, "Phone #"},
    {57987, "Date received:"},
    {57988, "Time received:"},
    {57989, "Caller:"},
    {57991, "Wave audio (*.wav)|*.wav|All Files (*.*)|*.*||"},
    {57992, "Talking at the PC"},
};

// Sorted by id, each id once (a merge that adds an id twice fails here).
static_assert(std::adjacent_find(std::begin(kStrings), std::end(kStrings),
                                 [](const StringEntry& a, const StringEntry& b) {
                                     return a.id >= b.id;
                                 }) == std::end(kStrings),
              "the string table must stay sorted by id, each id once");

// File names and the XML call list's own markup; "NA" (57678, 57679) is
// stored in index.dat for a call without a number and read back from there.
constexpr int kFixedStrings[] = {167, 168, 57678, 57679, 57706, 57969};

std::mutex g_catalogueMutex;
// Every catalogue ever used stays, so that a text LoadStr handed out is never
// freed under its reader; the catalogue in use is not even freed at exit, when
// a thread still ending may be reading one of its texts.
std::atomic<const StringCatalogue*> g_pCatalogue{nullptr};
std::once_flag g_userCatalogueOnce;

void Install(StringCatalogue catalogue) {
    // Made once and never destroyed, with all it holds.
    static auto* kept = new std::vector<const StringCatalogue*>;
    std::lock_guard lock(g_catalogueMutex);
    kept->push_back(new StringCatalogue(std::move(catalogue)));
    g_pCatalogue.store(kept->back(), std::memory_order_release);
}

void FindAndInstall() {
    const std::string path = FindStringCatalogue(WantedLanguages(), StringCatalogueFolders());
    if (path.empty())
        return;
    StringCatalogue catalogue = ReadStringCatalogue(path);
    for (const std::string& problem : catalogue.problems)
        std::fprintf(stderr, "vorella: string catalogue %s\n", problem.c_str());
    Install(std::move(catalogue));
}

} // namespace

const char* LoadEnglishStr(int id) {
    auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                               [](const StringEntry& e, int v) { return e.id < v; });
    if (it == std::end(kStrings) || it->id != id)
        return "";
    return it->text;
}

const char* LoadStr(int id) {
    std::call_once(g_userCatalogueOnce, FindAndInstall);
    if (const StringCatalogue* cat = g_pCatalogue.load(std::memory_order_acquire)) {
        if (auto it = cat->texts.find(id); it != cat->texts.end())
            return it->second.c_str();
    }
    return LoadEnglishStr(id);
}

bool HasStr(int id) {
    return LoadEnglishStr(id)[0] != '\0';
}

std::vector<int> StringIds() {
    std::vector<int> ids;
    for (const StringEntry& e : kStrings)
        ids.push_back(e.id);
    return ids;
}

bool IsFixedStr(int id) {
    return std::find(std::begin(kFixedStrings), std::end(kFixedStrings), id) !=
           std::end(kFixedStrings);
}

void UseStringCatalogue(StringCatalogue catalogue) {
    // A catalogue chosen here is not replaced by the user's afterwards.
    std::call_once(g_userCatalogueOnce, [] {});
    Install(std::move(catalogue));
}
