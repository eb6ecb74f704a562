// What the contacts window stores of an edited contact and what a row of its
// list shows, without the window.
#include "TempHome.h"

#include "app/ContactsLogic.h"
#include "screening/PhoneNumbers.h"

#include <gtest/gtest.h>

namespace {

TEST(ContactsLogicTest, AnEditIsTidiedAndCheckedBeforeItIsStored) {
    TempHome home;
    home.Write("hello.wav", "RIFF");
    const CPhoneNumbers numbers("DE", "030");
    struct Row {
        const char* name;
        std::string sName;
        std::vector<ContactNumber> numbers;
        std::string sGreeting;
        std::string problem; // "" none
    } rows[] = {
        {"a name alone", " Anna ", {{" ", "home"}, {"", ""}}, "", ""},
        {"a number alone, a greeting there", "", {{"123456", "cell"}}, "hello.wav", ""},
        {"nothing", "  ", {{" ", ""}}, "", "needs a name or a number"},
        {"no number", "Anna", {{"Anonymous", ""}}, "", "\"Anonymous\" is no telephone number"},
        {"one number twice",
         "Anna",
         {{"030 123456", ""}, {"+49 (30) 123-456", "work"}},
         "",
         "The number 030 123456 is there twice"},
        {"greeting gone", "Anna", {}, "gone.wav", "gone.wav cannot be read"},
    };
    const auto edited = [](const Row& r) {
        Contact c;
        c.sName = r.sName, c.numbers = r.numbers, c.sGreeting = r.sGreeting;
        return Tidied(c);
    };
    for (const Row& r : rows) {
        const Contact c = edited(r);
        const std::vector<std::string> problems = CheckContact(c, numbers);
        EXPECT_EQ(problems.size(), r.problem.empty() ? 0u : 1u) << r.name;
        if (!problems.empty()) {
            EXPECT_NE(problems[0].find(r.problem), std::string::npos) << problems[0];
        }
        EXPECT_EQ(c.sName.find(' '), std::string::npos) << r.name;
    }
    // A contact without a name shows as its number, each number in its
    // display form with its type.
    const ContactRow row = RowOf(edited(rows[1]), numbers);
    EXPECT_EQ(row.sName, "030 123456");
    EXPECT_EQ(row.sNumbers, "030 123456 (cell)");
}

} // namespace
