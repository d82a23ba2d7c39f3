// Synthesises the three alert sounds from tones and writes them as a C++ source of byte
// arrays: make_sounds <output.cpp>. The output depends only on this file and the encoders.

#include "alerts/wav_image.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

using qivra::ImaAdpcmWavImage;
using qivra::PcmWavImage;

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Short linear ramps at both ends of a tone keep it from clicking.
double Ramp(double t, double length, double ramp) {
    if (t < 0.0 || t > length) return 0.0;
    return std::min({1.0, t / ramp, (length - t) / ramp});
}

int16_t ToSample(double v) { return static_cast<int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0)); }

// Four urgent beeps alternating between two pitches, with a touch of odd harmonics.
std::vector<int16_t> AlarmSamples() {
    constexpr int kRate = 22050;
    constexpr int kCount = 55 * qivra::kImaSamplesPerBlock;  // 27,775: whole blocks, about 1.26 s
    constexpr double kBeep = 0.22, kPeriod = 0.315;
    std::vector<int16_t> out(kCount);
    for (int i = 0; i < kCount; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const int beep = static_cast<int>(t / kPeriod);
        const double local = t - beep * kPeriod;
        const double f = beep % 2 == 0 ? 988.0 : 784.0;
        const double p = kTwoPi * f * local;
        const double tone = std::sin(p) + std::sin(3 * p) / 3.0 + std::sin(5 * p) / 5.0;
        out[static_cast<size_t>(i)] = ToSample(0.45 * Ramp(local, kBeep, 0.006) * tone);
    }
    return out;
}

double Bell(double t, double f, double decay) {
    if (t < 0.0) return 0.0;
    const double attack = std::min(1.0, t / 0.004);
    return attack * std::exp(-t / decay) * (std::sin(kTwoPi * f * t) + 0.3 * std::sin(kTwoPi * 2.0 * f * t));
}

// A soft two-note "ding" that dies away within the second.
std::vector<int16_t> RefreshSamples() {
    constexpr int kRate = 22050;
    constexpr int kCount = 44528 / 2;  // 22,264 samples, about 1.01 s
    std::vector<int16_t> out(kCount);
    for (int i = 0; i < kCount; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double v = 0.32 * Bell(t, 1319.0, 0.18) + 0.32 * Bell(t - 0.11, 1760.0, 0.22);
        out[static_cast<size_t>(i)] = ToSample(v * Ramp(t, static_cast<double>(kCount) / kRate, 0.02));
    }
    return out;
}

// A rising three-note chime that moves from left to right.
std::vector<int16_t> PopupSamples() {
    constexpr int kRate = 11025;
    constexpr int kFrames = 90000 / 4;  // 22,500 stereo frames, about 2.04 s
    struct Note {
        double start, f, left, right;
    };
    constexpr Note kNotes[] = {
        {0.00, 1047.0, 0.8, 0.3}, {0.18, 1319.0, 0.55, 0.55}, {0.36, 1568.0, 0.3, 0.8}, {0.54, 2093.0, 0.45, 0.45}};
    std::vector<int16_t> out(static_cast<size_t>(kFrames) * 2);
    for (int i = 0; i < kFrames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        double left = 0.0, right = 0.0;
        for (const Note& n : kNotes) {
            const double v = Bell(t - n.start, n.f, 0.45);
            left += n.left * v;
            right += n.right * v;
        }
        const double fade = Ramp(t, static_cast<double>(kFrames) / kRate, 0.05);
        out[static_cast<size_t>(i) * 2] = ToSample(0.3 * left * fade);
        out[static_cast<size_t>(i) * 2 + 1] = ToSample(0.3 * right * fade);
    }
    return out;
}

void WriteArray(std::string& src, const char* function, const char* array, const std::vector<uint8_t>& bytes) {
    src += "namespace {\nconst uint8_t ";
    src += array;
    src += "[" + std::to_string(bytes.size()) + "] = {";
    char hex[8];
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i % 20 == 0) src += "\n   ";
        std::snprintf(hex, sizeof hex, " 0x%02x,", bytes[i]);
        src += hex;
    }
    src += "\n};\n}  // namespace\n\n";
    src += "std::span<const uint8_t> ";
    src += function;
    src += "() { return ";
    src += array;
    src += "; }\n\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sounds <output.cpp>\n");
        return 2;
    }
    const auto alarm = AlarmSamples();
    const auto refresh = RefreshSamples();
    const auto popup = PopupSamples();
    // The alarm's RIFF size field reads 8 more than the bytes that follow it, as in the
    // layout these images keep; players go by the chunk sizes.
    const std::vector<uint8_t> alarmImage = ImaAdpcmWavImage(22050, alarm, 8);
    const std::vector<uint8_t> refreshImage = PcmWavImage(1, 22050, refresh);
    const std::vector<uint8_t> popupImage = PcmWavImage(2, 11025, popup);
    if (alarmImage.size() != 14140 || refreshImage.size() != 44572 || popupImage.size() != 90044) {
        std::fprintf(stderr, "make_sounds: image sizes %zu, %zu, %zu differ from the fixed layout\n",
                     alarmImage.size(), refreshImage.size(), popupImage.size());
        return 1;
    }

    std::string src =
        "// Generated by make_sounds from synthesised tones; edit tools/sounds/make_sounds.cpp instead.\n"
        "#include \"alerts/sounds.hpp\"\n\nnamespace qivra {\n\n";
    WriteArray(src, "AlarmSound", "kAlarm", alarmImage);
    WriteArray(src, "RefreshSound", "kRefresh", refreshImage);
    WriteArray(src, "PopupSound", "kPopup", popupImage);
    src += "}  // namespace qivra\n";

    const std::string path = argv[1];
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << src;
        if (!out.flush()) {
            std::fprintf(stderr, "make_sounds: cannot write %s\n", temporary.c_str());
            return 1;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "make_sounds: cannot replace %s\n", path.c_str());
        return 1;
    }
    return 0;
}
