// The SMTP reply reader takes whatever a server sends, in pieces of any size.
#include "notify/SmtpReply.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view all(reinterpret_cast<const char*>(data), size);
    // The first byte picks how the input is cut into receives.
    size_t step = size > 0 ? 1 + data[0] % 64 : 1;
    SmtpReply reply;
    size_t fed = 0;
    while (fed < all.size()) {
        std::string_view piece = all.substr(fed, step);
        fed += piece.size();
        SmtpReply::State s = reply.Feed(piece);
        if (s == SmtpReply::State::Complete) {
            if (reply.Code() < 200 || reply.Code() > 599 || reply.Lines().empty())
                std::abort();
            if (reply.Remainder().size() > fed)
                std::abort();
            reply.Reset();
        } else if (s != SmtpReply::State::NeedMore) {
            if (!reply.Remainder().empty() || reply.Problem().empty())
                std::abort();
            reply.Reset();
        }
        // Bounded whatever the input: one line's worth at most is held.
        if (reply.Remainder().size() > SmtpReply::kMaxLine + step)
            std::abort();
    }
    return 0;
}
