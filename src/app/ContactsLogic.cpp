#include "app/ContactsLogic.h"

#include "config/SettingsProvider.h"
#include "engine/ProgramFile.h"
#include "platform/FileUtil.h"
#include "platform/TextUtil.h"
#include "screening/ContactStore.h"
#include "screening/ContactsImport.h"
#include "screening/NumberLists.h"
#include "screening/PhoneNumbers.h"

#include <limits>
#include <set>

ContactsPlace ContactsPlaceFromSettings() {
    ISettingsProvider& settings = SettingsProvider();
    return {ProgramFile(settings.GetString("sFileContacts")), settings.GetString("sCountry"),
            settings.GetString("AreaCode")};
}

ContactRow RowOf(const Contact& contact, const CPhoneNumbers& numbers) {
    ContactRow row{contact.sName, NumbersText(contact, numbers), contact.list};
    if (row.sName.empty() && !contact.numbers.empty())
        row.sName = numbers.Display(contact.numbers.front().sNumber);
    return row;
}

Contact Tidied(Contact contact) {
    contact.sName = Trim(contact.sName);
    contact.sGreeting = Trim(contact.sGreeting);
    std::vector<ContactNumber> kept;
    for (const ContactNumber& n : contact.numbers)
        if (!TrimView(n.sNumber).empty())
            kept.push_back({Trim(n.sNumber), Trim(n.sType)});
    contact.numbers = std::move(kept);
    return contact;
}

std::vector<std::string> CheckContact(const Contact& contact, const CPhoneNumbers& numbers) {
    std::vector<std::string> problems;
    if (contact.sName.empty() && contact.numbers.empty())
        problems.push_back("A contact needs a name or a number.");
    std::set<std::string> seen;
    for (const ContactNumber& n : contact.numbers) {
        const std::string normalised = numbers.Normalise(n.sNumber);
        if (normalised.empty())
            problems.push_back("\"" + n.sNumber + "\" is no telephone number.");
        else if (!seen.insert(normalised).second)
            problems.push_back("The number " + numbers.Display(n.sNumber) + " is there twice.");
    }
    if (!contact.sGreeting.empty())
        if (const std::string why = ReadProblem(ProgramFile(contact.sGreeting)); !why.empty())
            problems.push_back("The greeting " + contact.sGreeting + " cannot be read: " + why +
                               ".");
    return problems;
}

ContactsTransfer ImportContactsFile(CContactStore& store, const std::string& path) {
    ContactsImport read = ReadContactsFromFile(path);
    ContactsTransfer done;
    done.sError = std::move(read.sError);
    if (done.sError.empty() && !store.ImportContacts(read.contacts))
        done.sError = store.Error();
    if (done.sError.empty()) {
        done.nContacts = read.contacts.size();
        done.skipped = std::move(read.skipped);
    }
    return done;
}

ContactsTransfer ExportContactsFile(CContactStore& store, const std::string& path) {
    ContactsTransfer done;
    const std::vector<Contact> all = store.FindContacts("", std::numeric_limits<int>::max());
    done.sError = store.Error();
    if (done.sError.empty())
        done.sError = WriteContactsToFile(path, all);
    if (done.sError.empty())
        done.nContacts = all.size();
    return done;
}
