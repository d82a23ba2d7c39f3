#pragma once
// The three embedded alert sounds and their asynchronous playback.

#include <cstdint>
#include <memory>
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

// The audio-device player; its owner keeps it for the program's life. Without a usable device
// it stays silent (one line on stderr).
std::unique_ptr<SoundPlayer> MakeSdlSoundPlayer();

void PlayAlarmSound(SoundPlayer& player);
void PlayRefreshSound(SoundPlayer& player);
void PlayPopupSound(SoundPlayer& player);

}  // namespace qivra
