// Importing a phone's address book: 10,000 vCards of the shapes phones,
// Google and Thunderbird write (2.1 quoted-printable, 3.0 with groups, 4.0
// with tel: URIs), against reading the same bytes line by line.
#include "screening/VCard.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

const std::string& TenThousandCards() {
    static const std::string text = [] {
        std::mt19937 rng(10000);
        const char* given[] = {"Anna", "Jürgen", "Łukasz", "Marie", "Ömer", "Paul"};
        const char* family[] = {"Berg", "Müller", "Nowak", "Stein", "Yılmaz", "Dubois"};
        std::string s;
        for (int i = 0; i < 10000; ++i) {
            std::string g = given[rng() % 6], f = family[rng() % 6];
            std::string n1 = "+49 30 " + std::to_string(1000000 + rng() % 9000000);
            std::string n2 = "0171 " + std::to_string(1000000 + rng() % 9000000);
            switch (i % 3) {
            case 0:
                s += "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:";
                for (unsigned char c : f + ";" + g + ";;;") {
                    char hex[4];
                    std::snprintf(hex, sizeof hex, "=%02X", c);
                    s += c == ';' ? std::string(";") : std::string(hex);
                }
                s += "\r\nTEL;CELL;VOICE:" + n2 + "\r\nTEL;HOME:" + n1 + "\r\nEND:VCARD\r\n";
                break;
            case 1:
                s += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + g + " " + f + "\r\nN:" + f + ";" + g +
                     ";;;\r\nTEL;TYPE=CELL:" + n2 + "\r\nitem1.TEL:" + n1 +
                     "\r\nitem1.X-ABLabel:_$!<Home>!$_\r\nNOTE:met at the fair\\, "
                     "spring\r\nEND:VCARD\r\n";
                break;
            default:
                s += "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:" + g + " " + f +
                     "\r\nTEL;VALUE=uri;TYPE=\"work,voice\":tel:" + n1 + "\r\nEMAIL:" + g +
                     "@example.org\r\nPHOTO:data:image/jpeg;base64,/9j/4AAQSkZJRgABAQAAAQABAAD\r\n"
                     " /"
                     "2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsLDBkSEw8UHRofHh0aHBwgJC4nICIsIxwcKDcpLDAxNDQ0H"
                     "yc5\r\n"
                     "END:VCARD\r\n";
            }
        }
        return s;
    }();
    return text;
}

// Best of several runs of splitting the text into lines, in seconds.
double LineReference() {
    static const double ref = [] {
        double best = 1e9;
        for (int i = 0; i < 5; ++i) {
            auto t0 = Clock::now();
            std::string_view all = TenThousandCards();
            size_t lines = 0, bytes = 0;
            for (size_t pos = 0; pos < all.size();) {
                size_t end = std::min(all.find('\n', pos), all.size());
                bytes += end - pos;
                ++lines;
                pos = end + 1;
            }
            benchmark::DoNotOptimize(lines + bytes);
            best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
        }
        return best;
    }();
    return ref;
}

void BM_VCardImport10k(benchmark::State& state) {
    const std::string& text = TenThousandCards();
    double reference = LineReference();
    double total = 0;
    size_t contacts = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        ContactsImport got = ReadVCards(text);
        total += std::chrono::duration<double>(Clock::now() - t0).count();
        contacts = got.contacts.size();
    }
    if (contacts != 10000)
        state.SkipWithError("not every card was imported");
    state.counters["vs_lines"] = total / static_cast<double>(state.iterations()) / reference;
    state.counters["MB"] = static_cast<double>(text.size()) / (1 << 20);
}
BENCHMARK(BM_VCardImport10k)->Unit(benchmark::kMillisecond);

void BM_VCardExport10k(benchmark::State& state) {
    std::vector<Contact> contacts = ReadVCards(TenThousandCards()).contacts;
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteVCards(contacts));
}
BENCHMARK(BM_VCardExport10k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
