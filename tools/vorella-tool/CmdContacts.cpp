// contacts import|export|list|block|permit and history: the contacts file of
// the settings (Options/sFileContacts), its contacts and its call history.
#include "Commands.h"

#include "app/CallsViewLogic.h"
#include "config/SettingsProvider.h"
#include "platform/FileUtil.h"
#include "platform/ProgramFolder.h"
#include "platform/TextUtil.h"
#include "screening/ContactStore.h"
#include "screening/ContactsImport.h"
#include "screening/NumberLists.h"
#include "screening/PhoneNumbers.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <map>

namespace {

constexpr int kHistoryPage = 50;
constexpr int kAll = std::numeric_limits<int>::max();

std::string Setting(const char* key) {
    SeedSettingsFile();
    return SettingsProvider().GetString(key);
}

// The numbers and the contacts file as the settings give them.
class CToolContacts {
public:
    CToolContacts() : m_numbers(Setting("sCountry"), Setting("AreaCode")), m_store(m_numbers) {}

    // Opens the file; one only read must be there already (and is not made).
    bool Open(bool mustExist) {
        const std::string path = Setting("sFileContacts");
        if (mustExist && !FileExists(path)) {
            std::fprintf(stderr,
                         "vorella-tool: The contacts file %s does not exist (Options/"
                         "sFileContacts); contacts import or block makes it\n",
                         path.c_str());
            return false;
        }
        if (!m_store.Open(path))
            return Failed("");
        return true;
    }

    bool Failed(const char* what) {
        std::fprintf(stderr, "vorella-tool: %s%s\n", m_store.Error().c_str(), what);
        return false;
    }

    // Every contact, by name; false when the file could not be read.
    bool AllContacts(std::vector<Contact>& out) {
        out = m_store.FindContacts("", kAll);
        return m_store.Error().empty() || Failed("");
    }

    CPhoneNumbers& Numbers() { return m_numbers; }
    CContactStore& Store() { return m_store; }

private:
    CPhoneNumbers m_numbers;
    CContactStore m_store;
};

int Usage() {
    std::fprintf(stderr, "usage: vorella-tool contacts import|export FILE\n"
                         "       vorella-tool contacts list\n"
                         "       vorella-tool contacts block|permit NUMBER\n");
    return 2;
}

int Import(const std::string& file) {
    const ContactsImport read = ReadContactsFromFile(file);
    if (!read.sError.empty()) {
        std::fprintf(stderr, "vorella-tool: %s; nothing imported\n",
                     Printable(read.sError).c_str());
        return 1;
    }
    CToolContacts contacts;
    if (!contacts.Open(false) || !contacts.Store().ImportContacts(read.contacts))
        return contacts.Failed("; nothing imported"), 1;
    for (const std::string& s : read.skipped)
        std::printf("%s\n", Printable(s).c_str());
    std::printf("contacts imported: %zu, skipped: %zu, from %s\n", read.contacts.size(),
                read.skipped.size(), file.c_str());
    return 0;
}

int Export(const std::string& file) {
    CToolContacts contacts;
    std::vector<Contact> all;
    if (!contacts.Open(true) || !contacts.AllContacts(all))
        return 1;
    if (const std::string error = WriteContactsToFile(file, all); !error.empty()) {
        std::fprintf(stderr, "vorella-tool: %s\n", Printable(error).c_str());
        return 1;
    }
    std::printf("contacts exported: %zu, to %s\n", all.size(), file.c_str());
    return 0;
}

int List() {
    CToolContacts contacts;
    std::vector<Contact> all;
    if (!contacts.Open(true) || !contacts.AllContacts(all))
        return 1;
    std::printf("# name\tlist\tnumbers\n");
    for (const Contact& c : all) {
        const std::string numbers = NumbersText(c, contacts.Numbers());
        std::printf("%s\t%s\t%s\n", Printable(c.sName).c_str(), ListWord(c.list),
                    Printable(numbers).c_str());
    }
    std::printf("# contacts: %zu\n", all.size());
    return 0;
}

int PutOnList(const std::string& number, ContactList list) {
    CToolContacts contacts;
    if (!contacts.Open(false))
        return 1;
    const ListChange change = PutNumberOnList(contacts.Store(), contacts.Numbers(), number, list);
    if (!change.bDone) {
        std::fprintf(stderr, "vorella-tool: %s\n", Printable(change.sError).c_str());
        return 1;
    }
    std::printf("%s: %s%s\n", ListWord(list), Printable(change.sName).c_str(),
                change.bNewContact ? " (a new contact)" : "");
    return 0;
}

std::string LocalTime(int64_t t) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    char buf[32] = "";
    if (localtime_r(&tt, &tm))
        std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

} // namespace

int CmdContacts(const Args& args) {
    if (args.size() == 1 && args[0] == "list")
        return List();
    if (args.size() == 2 && args[0] == "import")
        return Import(args[1]);
    if (args.size() == 2 && args[0] == "export")
        return Export(args[1]);
    if (args.size() >= 2 && (args[0] == "block" || args[0] == "permit")) {
        // A number written with blanks may come as several words.
        std::string number = args[1];
        for (size_t i = 2; i < args.size(); ++i)
            number += " " + args[i];
        return PutOnList(number, args[0] == "block" ? ContactList::Block : ContactList::Permit);
    }
    return Usage();
}

int CmdHistory(const Args& args) {
    HistoryFilter filter = HistoryFilter::All;
    int page = 1;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--missed")
            filter = HistoryFilter::Missed;
        else if (args[i] == "--blocked")
            filter = HistoryFilter::Blocked;
        else if (args[i] == "--page" && i + 1 < args.size() &&
                 (page = std::atoi(args[i + 1].c_str())) >= 1 && page <= 1000000)
            ++i;
        else {
            std::fprintf(stderr, "usage: vorella-tool history [--missed|--blocked] [--page N]\n");
            return 2;
        }
    }
    CToolContacts contacts;
    if (!contacts.Open(true))
        return 1;
    CContactStore& store = contacts.Store();
    const std::vector<HistoryEntry> calls =
        store.Calls(filter, (page - 1) * kHistoryPage, kHistoryPage);
    if (!store.Error().empty())
        return contacts.Failed(""), 1;
    std::map<int64_t, std::string> contactNames;
    std::printf("# time\tline\tnumber\tname\tcontact\toutcome\trule\n");
    for (const HistoryEntry& e : calls) {
        if (e.nContactId != 0 && !contactNames.count(e.nContactId)) {
            const std::optional<Contact> c = store.GetContact(e.nContactId);
            contactNames[e.nContactId] = c ? c->sName : "";
        }
        const std::string contact = e.nContactId != 0 ? contactNames[e.nContactId] : "";
        std::printf(
            "%s\t%s\t%s\t%s\t%s\t%s\t%s\n", LocalTime(e.tTime).c_str(), Printable(e.sLine).c_str(),
            Printable(contacts.Numbers().Display(e.sNumber)).c_str(), Printable(e.sName).c_str(),
            Printable(contact).c_str(), OutcomeWord(e.outcome), Printable(e.sRule).c_str());
    }
    std::printf("# page %d: %zu calls, newest first%s\n", page, calls.size(),
                calls.size() == static_cast<size_t>(kHistoryPage) ? "; --page for more" : "");
    return 0;
}
