#pragma once
// The three embedded alert sounds and their asynchronous playback.

#include <cstdint>
#include <span>

namespace qivra {

// Complete RIFF/WAVE images, synthesised at build time.
std::span<const uint8_t> AlarmSound();    // IMA ADPCM mono 22,050 Hz, 14,140 bytes
std::span<const uint8_t> RefreshSound();  // PCM mono 22,050 Hz 16-bit, 44,572 bytes
std::span<const uint8_t> PopupSound();    // PCM stereo 11,025 Hz 16-bit, 90,044 bytes

// Where sounds go. Play returns at once; a newer request may cut the one playing.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void Play(std::span<const uint8_t> image, bool loop) = 0;
};

// The audio-device player. Without a usable device it stays silent (one line on stderr).
SoundPlayer& SdlSoundPlayer();

// Installs the player every Play* call uses; nullptr restores the audio-device player.
// The player must outlive its installation.
void SetSoundPlayer(SoundPlayer* player);

void PlaySoundBytes(std::span<const uint8_t> image, bool loop);
void PlayAlarmSound();
void PlayRefreshSound();
void PlayPopupSound();

}  // namespace qivra
