#include "speech/SpeechPhrases.h"

#include "platform/StringCatalogue.h"

#include <cctype>
#include <initializer_list>
#include <utility>

namespace {

const SpeechPhrases kEnglish = {
    "en",
    {"zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine"},
    "plus",
    "star",
    "hash",
    {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
    {"January", "February", "March", "April", "May", "June", "July", "August", "September",
     "October", "November", "December"},
    "{weekday}, {month} {day}, at {hour12} {minute} {ampm}",
    "{weekday}, {month} {day}, at {hour12} {ampm}",
    "oh ",
    "AM",
    "PM",
    "You have no new messages",
    "You have one new message",
    "You have {count} new messages",
    "from {name}",
    "from {number}",
    "from an unknown caller",
    "To reach us, press {digit}",
    "The number you have called is not in service",
    "Message {count}",
    "Please enter your PIN, then press hash",
    "Press 1 for the first message, 4 for the previous one, 5 to hear it again, 6 for the "
    "next one, 7 to delete it, 7 again to keep it, 9 to keep it as heard. While a message "
    "plays, 3 goes back and 0 forward. Star for help, hash to end",
};

const SpeechPhrases kGerman = {
    "de",
    {"null", "eins", "zwei", "drei", "vier", "fünf", "sechs", "sieben", "acht", "neun"},
    "plus",
    "Stern",
    "Raute",
    {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"},
    {"Januar", "Februar", "März", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober",
     "November", "Dezember"},
    "{weekday}, {day}. {month}, um {hour} Uhr {minute}",
    "{weekday}, {day}. {month}, um {hour} Uhr",
    "",
    "",
    "",
    "Sie haben keine neuen Nachrichten",
    "Sie haben eine neue Nachricht",
    "Sie haben {count} neue Nachrichten",
    "von {name}",
    "von {number}",
    "von einem unbekannten Anrufer",
    "Um uns zu erreichen, drücken Sie die {digit}",
    "Kein Anschluss unter dieser Nummer",
    "Nachricht {count}",
    "Bitte geben Sie Ihre PIN ein, dann die Raute",
    "Drücken Sie die 1 für die erste Nachricht, die 4 für die vorige, die 5 zum Wiederholen, "
    "die 6 für die nächste, die 7 zum Löschen, noch einmal die 7 zum Behalten, die 9 zum "
    "Behalten als gehört. Während eine Nachricht läuft, springt die 3 zurück und die 0 vor. "
    "Stern für Hilfe, Raute zum Beenden",
};

const SpeechPhrases* const kTables[] = {&kEnglish, &kGerman};

using Parts = std::initializer_list<std::pair<const char*, std::string>>;

// pattern with each {name} of parts put in.
std::string Fill(const char* pattern, Parts parts) {
    std::string out = pattern;
    for (const auto& [name, value] : parts) {
        const std::string key = std::string("{") + name + "}";
        for (size_t at = out.find(key); at != std::string::npos;
             at = out.find(key, at + value.size()))
            out.replace(at, key.size(), value);
    }
    return out;
}

} // namespace

const SpeechPhrases& PhrasesFor(const std::string& language) {
    std::string base;
    for (char c : language) {
        if (!std::isalpha(static_cast<unsigned char>(c)))
            break;
        base += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const SpeechPhrases* table : kTables)
        if (base == table->language)
            return *table;
    return kEnglish;
}

const SpeechPhrases& UserPhrases() {
    const std::vector<std::string> wanted = WantedLanguages();
    return PhrasesFor(wanted.empty() ? "en" : wanted.front());
}

std::string SpokenNumber(const SpeechPhrases& p, const std::string& number) {
    std::string out;
    for (char c : number) {
        const char* word = c == '+'                 ? p.plus
                           : c == '*'               ? p.star
                           : c == '#'               ? p.hash
                           : (c >= '0' && c <= '9') ? p.digits[static_cast<size_t>(c - '0')]
                                                    : nullptr;
        if (word)
            out += (out.empty() ? "" : " ") + std::string(word);
    }
    return out;
}

std::string SpokenDateTime(const SpeechPhrases& p, const std::tm& t) {
    const int hour12 = t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12;
    const std::string minute =
        (t.tm_min < 10 ? p.beforeMinuteBelowTen : "") + std::to_string(t.tm_min);
    std::string out = Fill(t.tm_min == 0 ? p.dateTimeOnTheHour : p.dateTime,
                           {{"weekday", p.weekdays[static_cast<size_t>(t.tm_wday % 7)]},
                            {"month", p.months[static_cast<size_t>(t.tm_mon % 12)]},
                            {"day", std::to_string(t.tm_mday)},
                            {"hour", std::to_string(t.tm_hour)},
                            {"hour12", std::to_string(hour12)},
                            {"minute", minute},
                            {"ampm", t.tm_hour < 12 ? p.am : p.pm}});
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::string SpokenNewMessages(const SpeechPhrases& p, int count) {
    if (count <= 0)
        return p.noNewMessages;
    return count == 1 ? p.oneNewMessage : Fill(p.newMessages, {{"count", std::to_string(count)}});
}

std::string SpokenCaller(const SpeechPhrases& p, const std::string& name,
                         const std::string& number) {
    if (!name.empty())
        return Fill(p.fromName, {{"name", name}});
    const std::string digits = SpokenNumber(p, number);
    return digits.empty() ? p.fromUnknown : Fill(p.fromNumber, {{"number", digits}});
}

std::string SpokenChallenge(const SpeechPhrases& p, int digit) {
    return Fill(p.challenge, {{"digit", std::to_string(digit)}});
}

std::string SpokenMessage(const SpeechPhrases& p, int nNumber, const std::string& name,
                          const std::string& number, const std::tm& t) {
    return Fill(p.message, {{"count", std::to_string(nNumber)}}) + ", " +
           SpokenCaller(p, name, number) + ", " + SpokenDateTime(p, t);
}
