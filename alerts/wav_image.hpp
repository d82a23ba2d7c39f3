#pragma once
// RIFF/WAVE images built from 16-bit samples: plain PCM, and mono IMA ADPCM in the
// 4-bit block layout (format tag 0x11) most players decode.

#include <cstdint>
#include <span>
#include <vector>

namespace qivra {

// Samples interleaved by channel. The RIFF size field is exact.
std::vector<uint8_t> PcmWavImage(int channels, int sampleRate, std::span<const int16_t> samples);

inline constexpr int kImaBlockAlign = 256;
inline constexpr int kImaSamplesPerBlock = 505;  // the header sample and 504 nibbles

// One 256-byte mono block from up to 505 samples (missing ones are silence); `index` carries
// the step index from block to block.
std::vector<uint8_t> EncodeImaAdpcmBlock(std::span<const int16_t> samples, int& index);

// Mono IMA ADPCM with a "fact" chunk holding samples.size(); the data is whole blocks.
// riffSizeSlack is added to the RIFF size field for images that must match a stored layout.
std::vector<uint8_t> ImaAdpcmWavImage(int sampleRate, std::span<const int16_t> samples, uint32_t riffSizeSlack = 0);

}  // namespace qivra
