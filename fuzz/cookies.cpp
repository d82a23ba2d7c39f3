// Cookie jars: merging any two texts gives a clean jar (no empty or deleted items, no stray
// separators), and merging nothing, or the same cookies a second time, changes nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.hpp"
#include "net/http_session.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // Jar and new cookies are separated by the first line feed.
    const size_t cut = input.find('\n');
    std::string jar(input.substr(0, cut));
    const std::string_view added = cut == std::string_view::npos ? std::string_view() : input.substr(cut + 1);

    const std::string merged = qivra::MergeCookies(jar, added);
    QIVRA_FUZZ_CHECK(merged == jar);
    QIVRA_FUZZ_CHECK(merged.size() <= jar.size() + added.size() + input.size() + 2);
    if (!merged.empty()) {
        QIVRA_FUZZ_CHECK(merged.back() != '=' && merged.back() != ';');
        QIVRA_FUZZ_CHECK(merged.front() != ' ');
    }
    std::string again = merged;
    QIVRA_FUZZ_CHECK(qivra::MergeCookies(again, "") == merged);
    QIVRA_FUZZ_CHECK(qivra::MergeCookies(again, added) == merged);
    return 0;
}
