#include "alerts/sounds.hpp"

namespace qivra {

void PlayAlarmSound(SoundPlayer& player) { player.Play(AlarmSound(), false); }
void PlayRefreshSound(SoundPlayer& player) { player.Play(RefreshSound(), false); }
void PlayPopupSound(SoundPlayer& player) { player.Play(PopupSound(), false); }

}  // namespace qivra
