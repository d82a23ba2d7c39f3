// Extra header texts: every line becomes at most one header whose name and value carry no line
// break or zero byte, so no text can add a header or a body of its own to the request.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.hpp"
#include "net/http_session.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<qivra::HeaderLine> lines = qivra::SplitHeaderLines(text);
    size_t breaks = 0;
    for (size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2)) ++breaks;
    QIVRA_FUZZ_CHECK(lines.size() <= breaks + 1);
    const std::string_view bad("\r\n\0", 3);
    for (const qivra::HeaderLine& h : lines) {
        QIVRA_FUZZ_CHECK(!h.name.empty() && h.name.find(':') == std::string_view::npos);
        QIVRA_FUZZ_CHECK(h.name.find_first_of(bad) == std::string_view::npos);
        QIVRA_FUZZ_CHECK(h.value.find_first_of(bad) == std::string_view::npos);
        // Views into the text itself, not copies that could dangle.
        QIVRA_FUZZ_CHECK(h.name.data() >= text.data() && h.value.data() + h.value.size() <= text.data() + text.size());
    }
    return 0;
}
