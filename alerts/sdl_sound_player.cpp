#include "alerts/sounds.hpp"

#include <SDL.h>

#ifdef QIVRA_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace qivra {
namespace {

// Every sound is converted to this one format, so the device is opened once and a new sound
// simply replaces the buffer the callback reads.
constexpr int kDeviceRate = 22050;
constexpr Uint8 kDeviceChannels = 2;
constexpr SDL_AudioFormat kDeviceFormat = AUDIO_S16SYS;

#ifdef QIVRA_HAVE_ALSA
void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}
#endif

// On a machine without a card, ALSA prints a screenful while SDL probes it; the one line the
// player logs says the same. Its own diagnostics come back once the device is settled.
class QuietAlsa {
public:
#ifdef QIVRA_HAVE_ALSA
    QuietAlsa() { snd_lib_error_set_handler(&IgnoreAlsaError); }
    ~QuietAlsa() { snd_lib_error_set_handler(nullptr); }
#else
    QuietAlsa() {}
#endif
    QuietAlsa(const QuietAlsa&) = delete;
    QuietAlsa& operator=(const QuietAlsa&) = delete;
};

class SdlPlayer final : public SoundPlayer {
public:
    ~SdlPlayer() override {
        std::lock_guard lock(mutex_);
        if (device_ != 0) SDL_CloseAudioDevice(device_);
        if (audioInitialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    void Play(std::span<const uint8_t> image, bool loop) override {
        // SDL keeps per-thread data (its error text) for every thread that calls it and frees
        // it only when told to, so a thread that played a sound releases it as it ends.
        thread_local struct ThreadData {
            ~ThreadData() { SDL_TLSCleanup(); }
        } threadData;
        (void)threadData;
        std::lock_guard lock(mutex_);
        if (!initTried_) Initialise();
        if (device_ == 0) return;
        std::vector<uint8_t> pcm = Decode(image);
        if (pcm.empty()) return;
        SDL_LockAudioDevice(device_);
        buffer_.swap(pcm);
        position_ = 0;
        loop_ = loop;
        SDL_UnlockAudioDevice(device_);
    }

private:
    // Once per run: a machine without a sound server or card keeps failing the same way,
    // and retrying on every refresh would only repeat the driver's complaints.
    void Initialise() {
        initTried_ = true;
        QuietAlsa quiet;
        SDL_SetHint(SDL_HINT_WAVE_FACT_CHUNK, "truncate");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            std::fprintf(stderr, "qivra: no audio output (%s); sounds are off\n", SDL_GetError());
            return;
        }
        audioInitialised_ = true;
        SDL_AudioSpec want{};
        want.freq = kDeviceRate;
        want.format = kDeviceFormat;
        want.channels = kDeviceChannels;
        want.samples = 1024;
        want.callback = &SdlPlayer::Fill;
        want.userdata = this;
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
        if (device_ == 0) {
            std::fprintf(stderr, "qivra: no audio output (%s); sounds are off\n", SDL_GetError());
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            audioInitialised_ = false;
            return;
        }
        SDL_PauseAudioDevice(device_, 0);
    }

    static std::vector<uint8_t> Decode(std::span<const uint8_t> image) {
        if (image.empty() || image.size() > INT_MAX) return {};
        SDL_RWops* rw = SDL_RWFromConstMem(image.data(), static_cast<int>(image.size()));
        if (rw == nullptr) return {};
        SDL_AudioSpec wavFormat{};
        Uint8* raw = nullptr;
        Uint32 rawLength = 0;
        if (SDL_LoadWAV_RW(rw, 1, &wavFormat, &raw, &rawLength) == nullptr) return {};
        if (raw == nullptr || rawLength == 0) {
            SDL_FreeWAV(raw);
            return {};
        }

        std::vector<uint8_t> pcm;
        SDL_AudioCVT cvt;
        const int needed =
            SDL_BuildAudioCVT(&cvt, wavFormat.format, wavFormat.channels, wavFormat.freq, kDeviceFormat, kDeviceChannels, kDeviceRate);
        if (needed == 0) {
            pcm.assign(raw, raw + rawLength);
        } else if (needed > 0 && rawLength <= INT_MAX / static_cast<Uint32>(cvt.len_mult)) {
            cvt.len = static_cast<int>(rawLength);
            std::vector<uint8_t> work(static_cast<size_t>(cvt.len) * static_cast<size_t>(cvt.len_mult));
            std::memcpy(work.data(), raw, rawLength);
            cvt.buf = work.data();
            if (SDL_ConvertAudio(&cvt) == 0) {
                work.resize(static_cast<size_t>(cvt.len_cvt));
                pcm = std::move(work);
            }
        }
        SDL_FreeWAV(raw);
        return pcm;
    }

    // Runs on SDL's audio thread with the device locked.
    static void Fill(void* userdata, Uint8* stream, int length) {
        auto* self = static_cast<SdlPlayer*>(userdata);
        auto wanted = static_cast<size_t>(length);
        const size_t size = self->buffer_.size();
        while (wanted > 0 && self->position_ < size) {
            const size_t chunk = std::min(wanted, size - self->position_);
            std::memcpy(stream, self->buffer_.data() + self->position_, chunk);
            stream += chunk;
            wanted -= chunk;
            self->position_ += chunk;
            if (self->position_ == size && self->loop_) self->position_ = 0;
        }
        if (wanted > 0) std::memset(stream, 0, wanted);
    }

    std::mutex mutex_;
    bool initTried_ = false;
    bool audioInitialised_ = false;
    SDL_AudioDeviceID device_ = 0;
    std::vector<uint8_t> buffer_;  // device format; guarded by the device lock
    size_t position_ = 0;
    bool loop_ = false;
};

}  // namespace

std::unique_ptr<SoundPlayer> MakeSdlSoundPlayer() { return std::make_unique<SdlPlayer>(); }

}  // namespace qivra
