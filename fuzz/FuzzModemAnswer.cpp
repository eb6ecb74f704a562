// What a modem sends is not ours to choose: the result word matcher must
// agree with the plain rule on any bytes, and profile formats must be safe
// whatever they hold.
#include "modem/CommandText.h"
#include "modem/DleCodes.h"
#include "modem/ResponseMatcher.h"
#include "modem/ResultCodes.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<ResultWord> words = {
        {kResultOk, "OK", "", false, true},           {kResultRing, "RING1", "", false, true},
        {kResultRinging, "RINGING", "", false, true}, {kResultRing, "RING", "", false, false},
        {kResultError, "ERROR", "", false, true},     {kResultCidNmbr, "NMBR", "", true, false},
        {kResultBusy, "BUSY", "", false, false},
    };
    ResponseMatcher m(words);
    std::string buffer;
    bool afterDle = false;
    for (size_t i = 0; i < size; ++i) {
        unsigned char c = data[i];
        if (afterDle) {
            (void)ClassifyDleCode(c, DleContext{});
            afterDle = false;
            continue;
        }
        if (c == kDle) {
            afterDle = true;
            continue;
        }
        buffer.push_back(static_cast<char>(c));
        const ResultWord* fast = m.Append(static_cast<char>(c));
        const ResultWord* slow = MatchResultWord(buffer, words);
        if ((fast ? fast->code : 0) != (slow ? slow->code : 0))
            std::abort();
        if (fast) {
            m.Reset();
            buffer.clear();
        }
    }
    std::string format(reinterpret_cast<const char*>(data), size);
    (void)ApplyFormat(format, "5551234");
    (void)ApplyFormat(format, 7200LL);
    (void)CleanDialNumber(format, true);
    return 0;
}
