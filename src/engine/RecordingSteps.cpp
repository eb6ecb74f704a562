#include "engine/RecordingSteps.h"

#include "config/VoiceFormat.h"
#include "platform/FileUtil.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>

VoiceBlock PlayBlockSize(int nBlockTime, int nRate, int nBits, int nCompression) {
    // 64-bit and bounded: the values come from settings and profile files.
    uint64_t t = static_cast<uint64_t>(std::clamp(nBlockTime, 1, 1000));
    uint64_t rate = static_cast<uint64_t>(std::clamp(nRate, 1000, 48000));
    uint64_t bits = static_cast<uint64_t>(std::clamp(nBits, 1, 16));
    VoiceBlock b;
    b.samples = static_cast<size_t>(std::max<uint64_t>(1, t * rate * 10 / 1000 / 2));
    b.bytes = static_cast<size_t>(std::max<uint64_t>(1, t * bits * rate * 10 / 1000 / 8));
    const VoiceFormat* f = FindVoiceFormat(nCompression);
    if (f && f->nFrameSamples != 0) {
        size_t frames = std::max<size_t>(1, b.samples / f->nFrameSamples);
        b.samples = frames * f->nFrameSamples;
        b.bytes = frames * f->nFrameBytes;
    } else if (f) {
        // Twice the coded size: room for every byte shielded.
        b.bytes = std::max(b.bytes, 2 * FormatBytes(*f, static_cast<int>(bits), b.samples));
    }
    return b;
}

bool CompressRecording(const std::string& file, const ConvertFn& convert,
                       const RenameFn& renameFn) {
    auto move = [&](const std::string& from, const std::string& to) {
        return renameFn ? renameFn(from, to) : std::rename(from.c_str(), to.c_str()) == 0;
    };
    const std::string gsm = file + ".gsm";
    const std::string bak = file + ".bak";
    if (!convert(file, gsm)) {
        std::remove(gsm.c_str());
        return false;
    }
    if (!move(file, bak)) {
        std::remove(gsm.c_str());
        return false;
    }
    if (!move(gsm, file)) {
        // The recording is only in the ".bak" now: put it back, never delete it.
        move(bak, file);
        std::remove(gsm.c_str());
        return false;
    }
    std::remove(bak.c_str());
    return true;
}

std::string RecordingCutText(int nErrno, int nSeconds) {
    const std::string why = nErrno == ENOSPC || nErrno == EDQUOT ? std::string("the disk is full")
                                                                  : std::strerror(nErrno);
    return StrPrintf("%s: the recording was cut after %d s", why.c_str(), nSeconds);
}

MessageRoom RoomForMessages(const std::string& sFolder, int nMinSeconds,
                            uint32_t nBytesPerSecond) {
    MessageRoom room;
    const std::optional<uint64_t> free = FreeBytesAt(sFolder);
    if (!free || nMinSeconds <= 0 || nBytesPerSecond == 0)
        return room;
    room.nFreeSeconds =
        static_cast<int>(std::min<uint64_t>(*free / nBytesPerSecond, uint64_t(INT32_MAX)));
    room.bEnough = room.nFreeSeconds >= nMinSeconds;
    return room;
}

std::string MessageRoomText(const MessageRoom& room, const std::string& sFolder,
                            int nMinSeconds) {
    if (room.bEnough)
        return StrPrintf("messages are taken again: %s has room for %d s of sound",
                         sFolder.c_str(), room.nFreeSeconds);
    return StrPrintf("the disk is full: messages are not taken, %s has room for %d s of sound "
                     "and a message needs %d s (nMinFreeSeconds)",
                     sFolder.c_str(), room.nFreeSeconds, nMinSeconds);
}
