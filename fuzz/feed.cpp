// Feed bodies of both games: whatever the service sends, the history is either refused or made
// of real draws, newest first, never longer than asked.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.hpp"
#include "net/results_feed.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    for (int game : {0, 1}) {
        for (int depth : {110, 7}) {
            std::optional<qivra::DrawHistory> h = qivra::ParseFeed(body, game, depth);
            if (!h) continue;
            QIVRA_FUZZ_CHECK(h->size() >= qivra::kMinFeedDraws && h->size() <= depth);
            for (int i = 1; i <= h->size(); ++i) {
                const qivra::DrawRecord& d = h->at(i);
                QIVRA_FUZZ_CHECK(d.digit1 >= 0 && d.digit1 <= 9 && d.digit2 >= 0 && d.digit2 <= 9 && d.digit3 >= 0 &&
                                 d.digit3 <= 9);
                QIVRA_FUZZ_CHECK(d.sum == d.digit1 + d.digit2 + d.digit3);
                if (game == 0) QIVRA_FUZZ_CHECK(d.time.size() <= 5);
            }
        }
    }
    return 0;
}
