#include "alerts/sounds.hpp"
#include "alerts/wav_image.hpp"

#include <SDL.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace qivra {
namespace {

uint32_t Read32(std::span<const uint8_t> b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t Read16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
std::string Tag(std::span<const uint8_t> b, size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }

struct Chunk {
    std::string id;
    size_t offset;  // of the chunk's body
    uint32_t size;
};

// Walks the chunks after "WAVE"; fails the test on a chunk that runs past the image.
std::vector<Chunk> Chunks(std::span<const uint8_t> image) {
    std::vector<Chunk> chunks;
    size_t at = 12;
    while (at + 8 <= image.size()) {
        const Chunk c{Tag(image, at), at + 8, Read32(image, at + 4)};
        EXPECT_LE(c.offset + c.size, image.size()) << c.id;
        chunks.push_back(c);
        at = c.offset + c.size + (c.size & 1);
    }
    EXPECT_EQ(at, image.size());
    return chunks;
}

struct ImageFormat {
    const char* name;
    std::span<const uint8_t> (*image)();
    size_t imageSize;
    uint32_t riffSize;
    uint16_t formatTag, channels;
    uint32_t rate;
    uint16_t blockAlign, bits;
    uint32_t dataSize;
    uint32_t decodedBytes;  // 16-bit samples after decoding
};

const ImageFormat kImages[] = {
    {"alarm", &AlarmSound, 14140, 14140, 0x11, 1, 22050, 256, 4, 14080, 55 * 505 * 2},
    {"refresh", &RefreshSound, 44572, 44564, 1, 1, 22050, 2, 16, 44528, 44528},
    {"popup", &PopupSound, 90044, 90036, 1, 2, 11025, 4, 16, 90000, 90000},
};

TEST(Sounds, ImagesHaveTheirFixedLayout) {
    for (const ImageFormat& f : kImages) {
        SCOPED_TRACE(f.name);
        const auto image = f.image();
        ASSERT_EQ(image.size(), f.imageSize);
        EXPECT_EQ(Tag(image, 0), "RIFF");
        EXPECT_EQ(Read32(image, 4), f.riffSize);
        EXPECT_EQ(Tag(image, 8), "WAVE");

        const auto chunks = Chunks(image);
        ASSERT_GE(chunks.size(), 2u);
        ASSERT_EQ(chunks.front().id, "fmt ");
        ASSERT_EQ(chunks.back().id, "data");
        EXPECT_EQ(chunks.back().size, f.dataSize);
        const size_t fmt = chunks.front().offset;
        EXPECT_EQ(Read16(image, fmt), f.formatTag);
        EXPECT_EQ(Read16(image, fmt + 2), f.channels);
        EXPECT_EQ(Read32(image, fmt + 4), f.rate);
        EXPECT_EQ(Read16(image, fmt + 12), f.blockAlign);
        EXPECT_EQ(Read16(image, fmt + 14), f.bits);
        if (f.formatTag == 0x11) {
            ASSERT_EQ(chunks.size(), 3u);
            EXPECT_EQ(chunks.front().size, 20u);
            EXPECT_EQ(Read16(image, fmt + 18), kImaSamplesPerBlock);
            EXPECT_EQ(chunks[1].id, "fact");
            EXPECT_EQ(Read32(image, chunks[1].offset), 55u * 505u);
        } else {
            EXPECT_EQ(chunks.size(), 2u);
            EXPECT_EQ(Read32(image, fmt + 8), f.rate * f.blockAlign);
        }
    }
}

class SdlDecode : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(SDL_Init(0), 0) << SDL_GetError();
        SDL_SetHint(SDL_HINT_WAVE_FACT_CHUNK, "truncate");
    }

    struct Decoded {
        SDL_AudioSpec wavFormat{};
        std::vector<int16_t> samples;
        bool ok = false;
    };

    static Decoded Decode(std::span<const uint8_t> image) {
        Decoded d;
        Uint8* buffer = nullptr;
        Uint32 length = 0;
        SDL_RWops* rw = SDL_RWFromConstMem(image.data(), static_cast<int>(image.size()));
        if (SDL_LoadWAV_RW(rw, 1, &d.wavFormat, &buffer, &length) == nullptr) return d;
        d.ok = true;
        d.samples.resize(length / 2);
        std::memcpy(d.samples.data(), buffer, d.samples.size() * 2);
        SDL_FreeWAV(buffer);
        return d;
    }
};

TEST_F(SdlDecode, EmbeddedSoundsDecodeToTheirLengthsAndAreAudible) {
    for (const ImageFormat& f : kImages) {
        SCOPED_TRACE(f.name);
        const Decoded d = Decode(f.image());
        ASSERT_TRUE(d.ok) << SDL_GetError();
        EXPECT_EQ(d.wavFormat.freq, static_cast<int>(f.rate));
        EXPECT_EQ(d.wavFormat.channels, f.channels);
        EXPECT_EQ(d.wavFormat.format, AUDIO_S16LSB);
        EXPECT_EQ(d.samples.size() * 2, f.decodedBytes);
        int peak = 0;
        for (int16_t s : d.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_GT(peak, 4000);
        EXPECT_LT(peak, 32767) << "clipped";
    }
}

// The encoder is checked against an independent decoder: a tone sweeping in pitch and loudness
// must come back close to what went in, across block boundaries and step-size changes.
TEST_F(SdlDecode, ImaAdpcmEncoderRoundTripsThroughSdl) {
    std::vector<int16_t> tone(3 * kImaSamplesPerBlock + 17);  // a short last block, padded
    for (size_t i = 0; i < tone.size(); ++i) {
        const double t = static_cast<double>(i) / 22050.0;
        const double amplitude = 30000.0 * std::min(1.0, 0.05 + t * 20.0);
        tone[i] = static_cast<int16_t>(amplitude * std::sin(2.0 * std::numbers::pi * (300.0 + 4000.0 * t) * t));
    }
    const auto image = ImaAdpcmWavImage(22050, tone);
    EXPECT_EQ(image.size(), 60u + 4 * kImaBlockAlign);
    const Decoded d = Decode(image);
    ASSERT_TRUE(d.ok) << SDL_GetError();
    ASSERT_EQ(d.samples.size(), tone.size());
    double signal = 0.0, noise = 0.0;
    for (size_t i = 0; i < tone.size(); ++i) {
        signal += static_cast<double>(tone[i]) * tone[i];
        const double e = static_cast<double>(d.samples[i]) - tone[i];
        noise += e * e;
    }
    EXPECT_GT(10.0 * std::log10(signal / noise), 20.0);  // dB
    // Each block starts from its exact header sample.
    for (size_t b = 0; b < 4; ++b) EXPECT_EQ(d.samples[b * kImaSamplesPerBlock], tone[b * kImaSamplesPerBlock]);
}

TEST_F(SdlDecode, PcmImageRoundTripsExactly) {
    const std::vector<int16_t> samples = {0, 1, -1, 32767, -32768, 1234, -4321, 7};
    const Decoded d = Decode(PcmWavImage(2, 11025, samples));
    ASSERT_TRUE(d.ok) << SDL_GetError();
    EXPECT_EQ(d.wavFormat.channels, 2);
    EXPECT_EQ(d.samples, samples);
}

class RecordingPlayer : public SoundPlayer {
public:
    struct Request {
        const uint8_t* data;
        size_t size;
        bool loop;
    };
    void Play(std::span<const uint8_t> image, bool loop) override { requests.push_back({image.data(), image.size(), loop}); }
    std::vector<Request> requests;
};

TEST(Sounds, PlayCallsGoToTheGivenPlayer) {
    RecordingPlayer recorder;
    PlayAlarmSound(recorder);
    PlayRefreshSound(recorder);
    PlayPopupSound(recorder);
    const uint8_t loose[] = {1, 2, 3};
    recorder.Play(loose, true);

    ASSERT_EQ(recorder.requests.size(), 4u);
    EXPECT_EQ(recorder.requests[0].data, AlarmSound().data());
    EXPECT_EQ(recorder.requests[1].data, RefreshSound().data());
    EXPECT_EQ(recorder.requests[2].data, PopupSound().data());
    EXPECT_EQ(recorder.requests[2].size, PopupSound().size());
    EXPECT_FALSE(recorder.requests[0].loop || recorder.requests[1].loop || recorder.requests[2].loop);
    EXPECT_EQ(recorder.requests[3].data, loose);
    EXPECT_TRUE(recorder.requests[3].loop);
}

// Plays everything, good and bad, on the real player in a child process; an alarm kills the
// child if any call blocks.
void PlayEverythingThenExit(const char* driver) {
    if (driver)
        setenv("SDL_AUDIODRIVER", driver, 1);
    else
        unsetenv("SDL_AUDIODRIVER");
    alarm(20);
    const std::unique_ptr<SoundPlayer> player = MakeSdlSoundPlayer();
    {
        // The first requests race to initialise the player.
        std::vector<std::jthread> threads;
        for (int i = 0; i < 4; ++i) threads.emplace_back([&] { PlayRefreshSound(*player); });
    }
    PlayAlarmSound(*player);
    PlayRefreshSound(*player);
    PlayPopupSound(*player);
    player->Play({}, false);
    player->Play(AlarmSound().first(100), false);  // truncated
    std::vector<uint8_t> corrupt(PopupSound().begin(), PopupSound().end());
    corrupt[40] = 0xFF;  // data size far beyond the image
    corrupt[41] = 0xFF;
    corrupt[42] = 0xFF;
    player->Play(corrupt, false);
    player->Play(RefreshSound(), true);
    PlayAlarmSound(*player);
    std::exit(0);
}

MATCHER(AtMostOneLine, "at most one line of output") { return std::count(arg.begin(), arg.end(), '\n') <= 1; }

TEST(SoundsDeathTest, PlaybackWithoutAnAudioDeviceReturnsQuietly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(PlayEverythingThenExit(nullptr), ::testing::ExitedWithCode(0), AtMostOneLine());
    EXPECT_EXIT(PlayEverythingThenExit("dummy"), ::testing::ExitedWithCode(0), AtMostOneLine());
    EXPECT_EXIT(PlayEverythingThenExit("no-such-driver"), ::testing::ExitedWithCode(0), AtMostOneLine());
}

}  // namespace
}  // namespace qivra
