#pragma once
// A temporary folder per test and small draw rows for the archive tests.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/draw_archive.hpp"

namespace qivra::testing {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qivra_archive_XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Digits made from the period, so a row can be recomputed anywhere.
inline ArchivedDraw Row(int64_t period, int shift = 0) {
    const int64_t h = period * 7919 + shift * 31;
    ArchivedDraw d;
    d.period = period;
    const int64_t minutes = period % 1440;
    char buf[32];
    std::snprintf(buf, sizeof buf, "2026-12-%02d %02d:%02d:00", static_cast<int>(1 + period / 1440 % 28),
                  static_cast<int>(minutes / 60), static_cast<int>(minutes % 60));
    d.drawnAt = buf;
    d.digit1 = static_cast<int32_t>(h % 10);
    d.digit2 = static_cast<int32_t>(h / 10 % 10);
    d.digit3 = static_cast<int32_t>(h / 100 % 10);
    return d;
}

// Rows first..last, oldest first.
inline std::vector<ArchivedDraw> Rows(int64_t first, int64_t last, int shift = 0) {
    std::vector<ArchivedDraw> rows;
    for (int64_t p = first; p <= last; ++p) rows.push_back(Row(p, shift));
    return rows;
}

inline std::unique_ptr<DrawArchive> OpenArchive(const std::filesystem::path& path) {
    DrawArchive::Opening opening = DrawArchive::Open(path);
    EXPECT_NE(opening.archive, nullptr) << opening.report.error;
    return std::move(opening.archive);
}

inline void WriteBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

inline std::string FileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace qivra::testing
