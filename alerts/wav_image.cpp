#include "alerts/wav_image.hpp"

#include <algorithm>
#include <array>
#include <string_view>

namespace qivra {
namespace {

constexpr std::array<int, 89> kStepTable = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr std::array<int, 16> kIndexTable = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutTag(std::vector<uint8_t>& out, std::string_view tag) { out.insert(out.end(), tag.begin(), tag.end()); }

void PutFmt(std::vector<uint8_t>& out, uint16_t tag, int channels, int rate, uint32_t bytesPerSec, int blockAlign,
            int bits) {
    Put16(out, tag);
    Put16(out, static_cast<uint32_t>(channels));
    Put32(out, static_cast<uint32_t>(rate));
    Put32(out, bytesPerSec);
    Put16(out, static_cast<uint32_t>(blockAlign));
    Put16(out, static_cast<uint32_t>(bits));
}

// Encodes one sample against the decoder's own reconstruction, so errors never accumulate.
uint8_t EncodeNibble(int sample, int& predictor, int& index) {
    const int step = kStepTable[static_cast<size_t>(index)];
    int delta = sample - predictor;
    uint8_t nibble = 0;
    if (delta < 0) {
        nibble = 8;
        delta = -delta;
    }
    if (delta >= step) {
        nibble |= 4;
        delta -= step;
    }
    if (delta >= step >> 1) {
        nibble |= 2;
        delta -= step >> 1;
    }
    if (delta >= step >> 2) nibble |= 1;

    int diff = step >> 3;
    if (nibble & 4) diff += step;
    if (nibble & 2) diff += step >> 1;
    if (nibble & 1) diff += step >> 2;
    predictor = std::clamp(nibble & 8 ? predictor - diff : predictor + diff, -32768, 32767);
    index = std::clamp(index + kIndexTable[nibble], 0, 88);
    return nibble;
}

}  // namespace

std::vector<uint8_t> PcmWavImage(int channels, int sampleRate, std::span<const int16_t> samples) {
    const auto dataBytes = static_cast<uint32_t>(samples.size() * 2);
    const auto blockAlign = static_cast<uint32_t>(channels * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    PutTag(out, "RIFF");
    Put32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    PutFmt(out, 1, channels, sampleRate, static_cast<uint32_t>(sampleRate) * blockAlign, static_cast<int>(blockAlign), 16);
    PutTag(out, "data");
    Put32(out, dataBytes);
    for (int16_t s : samples) Put16(out, static_cast<uint16_t>(s));
    return out;
}

std::vector<uint8_t> EncodeImaAdpcmBlock(std::span<const int16_t> samples, int& index) {
    index = std::clamp(index, 0, 88);
    auto sampleAt = [&](size_t i) -> int { return i < samples.size() ? samples[i] : 0; };
    std::vector<uint8_t> block;
    block.reserve(kImaBlockAlign);
    int predictor = sampleAt(0);
    Put16(block, static_cast<uint16_t>(static_cast<int16_t>(predictor)));
    block.push_back(static_cast<uint8_t>(index));
    block.push_back(0);
    for (size_t i = 1; i < kImaSamplesPerBlock; i += 2) {
        const uint8_t low = EncodeNibble(sampleAt(i), predictor, index);
        const uint8_t high = EncodeNibble(sampleAt(i + 1), predictor, index);
        block.push_back(static_cast<uint8_t>(low | (high << 4)));
    }
    return block;
}

std::vector<uint8_t> ImaAdpcmWavImage(int sampleRate, std::span<const int16_t> samples, uint32_t riffSizeSlack) {
    const size_t blocks = (samples.size() + kImaSamplesPerBlock - 1) / kImaSamplesPerBlock;
    const auto dataBytes = static_cast<uint32_t>(blocks * kImaBlockAlign);
    const uint32_t headerBytes = 4 + (8 + 20) + (8 + 4) + 8;
    std::vector<uint8_t> out;
    out.reserve(8 + headerBytes + dataBytes);
    PutTag(out, "RIFF");
    Put32(out, headerBytes + dataBytes + riffSizeSlack);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 20);
    const auto bytesPerSec =
        static_cast<uint32_t>(static_cast<uint64_t>(sampleRate) * kImaBlockAlign / kImaSamplesPerBlock);
    PutFmt(out, 0x11, 1, sampleRate, bytesPerSec, kImaBlockAlign, 4);
    Put16(out, 2);  // extra format bytes
    Put16(out, kImaSamplesPerBlock);
    PutTag(out, "fact");
    Put32(out, 4);
    Put32(out, static_cast<uint32_t>(samples.size()));
    PutTag(out, "data");
    Put32(out, dataBytes);
    int index = 0;
    for (size_t b = 0; b < blocks; ++b) {
        const auto block = EncodeImaAdpcmBlock(samples.subspan(b * kImaSamplesPerBlock), index);
        out.insert(out.end(), block.begin(), block.end());
    }
    return out;
}

}  // namespace qivra
