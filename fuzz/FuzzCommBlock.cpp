// The external-control block as another program may leave it: any bytes.
#include "app/CommBlock.h"
#include "app/CommDll.h"

#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly the used part of the block, so that a read past it is caught.
    auto block = std::make_unique<uint8_t[]>(CommBlock::kUsedSize);
    std::memset(block.get(), 'X', CommBlock::kUsedSize);
    std::memcpy(block.get(), data, size < CommBlock::kUsedSize ? size : CommBlock::kUsedSize);

    CommBlockData d = DecodeCommBlock(block.get());
    if (!CommBlockFits(d))
        std::abort();
    for (const std::string* s : {&d.sName, &d.sNumber, &d.sText, &d.sFile})
        if (s->find('\0') != std::string::npos)
            std::abort();
    if (CCommDll::ParseSpeakSeconds(d.sText) > CCommDll::kMaxSpeakSeconds)
        std::abort();

    // What was read writes back unchanged.
    auto again = std::make_unique<uint8_t[]>(CommBlock::kUsedSize);
    EncodeCommBlock(d, again.get());
    CommBlockData e = DecodeCommBlock(again.get());
    if (e.nCommand != d.nCommand || e.nParam1 != d.nParam1 || e.nParam2 != d.nParam2 ||
        e.sName != d.sName || e.sNumber != d.sNumber || e.sText != d.sText || e.sFile != d.sFile)
        std::abort();
    return 0;
}
