// Stand-in until local playback is built: the player stays empty and says so.
#include "audio/LocalPlayer.h"

CLocalPlayer::CLocalPlayer(ISoundBackend&, int) {}
CLocalPlayer::~CLocalPlayer() = default;

bool CLocalPlayer::Open(const std::string&, std::string* pError) {
    if (pError)
        *pError = "playback not available yet";
    return false;
}

void CLocalPlayer::Close() {}
void CLocalPlayer::Play() {}
void CLocalPlayer::Pause() {}
void CLocalPlayer::Stop() {}
void CLocalPlayer::Seek(uint32_t) {}
uint32_t CLocalPlayer::LengthMs() const {
    return 0;
}
uint32_t CLocalPlayer::PositionMs() const {
    return 0;
}
bool CLocalPlayer::IsPlaying() const {
    return false;
}
bool CLocalPlayer::IsAtEnd() const {
    return false;
}
void CLocalPlayer::SetVolume(int) {}
