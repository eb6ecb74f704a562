#include "dialogs/UnbuiltWindows.h"

#include "app/CommandIds.h"

#include <QtGlobal>

namespace {
struct Unbuilt {
    int nId;
    const char* text;
};
constexpr Unbuilt kUnbuilt[] = {
    {kCmdTestPager, QT_TRANSLATE_NOOP("UnbuiltWindows",
                                      "The notification tests are not part of this version yet.")},
    {kCmdTestMail, QT_TRANSLATE_NOOP("UnbuiltWindows",
                                     "The e-mail test is not part of this version yet.\n\n"
                                     "'vorella-tool mail --test ADDRESS' sends a test notice.")},
};
} // namespace

const char* UnbuiltWindowMessage(int nId) {
    for (const Unbuilt& u : kUnbuilt)
        if (u.nId == nId)
            return u.text;
    return nullptr;
}
