#include "alerts/sounds.hpp"

#include <atomic>

namespace qivra {
namespace {
std::atomic<SoundPlayer*> g_player{nullptr};
}  // namespace

void SetSoundPlayer(SoundPlayer* player) { g_player.store(player); }

void PlaySoundBytes(std::span<const uint8_t> image, bool loop) {
    SoundPlayer* player = g_player.load();
    (player ? *player : SdlSoundPlayer()).Play(image, loop);
}

void PlayAlarmSound() { PlaySoundBytes(AlarmSound(), false); }
void PlayRefreshSound() { PlaySoundBytes(RefreshSound(), false); }
void PlayPopupSound() { PlaySoundBytes(PopupSound(), false); }

}  // namespace qivra
