// The adapter's raw caller-ID message comes from the line: any bytes at all.
#include "CallerIdFieldCheck.h"
#include "engine/Etsi.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Etsi e;
    e.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const std::string* f :
         {&e.m_sDay, &e.m_sMinute, &e.m_sHour, &e.m_sMonth, &e.m_sNumber, &e.m_sName})
        CheckField(*f);
    if (e.m_sMonth.size() > 2 || e.m_sDay.size() > 2)
        std::abort();
    return 0;
}
