// Feed parsing against hostile bodies: each 4 MiB hostile body against a plain 4 MiB feed read
// to its end in the same run, so the figure is how much more a hostile byte costs than a plain one.

#include <climits>
#include <string>

#include "bench/table.hpp"
#include "net/results_feed.hpp"

namespace qivra::bench {
namespace {

constexpr size_t kBodyBytes = 4u << 20;

std::string Game0Line(int period) { return std::to_string(period) + "-2020-01-01 08:05:00-1 + 2 + 3 = 6\r\n"; }

// Every line a draw.
std::string PlainBody() {
    std::string body;
    for (int period = 9000000; body.size() < kBodyBytes; --period) body += Game0Line(period);
    return body;
}

// Lines of hyphens and spaces without " = ", then the five draws the history is made of.
std::string SoupBody() {
    std::string line;
    for (int i = 0; i < 80; ++i) line += i % 2 ? " " : "-";
    line += "\r\n";
    std::string body;
    while (body.size() < kBodyBytes) body += line;
    for (int i = 0; i < 5; ++i) body += Game0Line(100 - i);
    return body;
}

// One line of alternating separators as long as the whole body.
std::string OneLineSoupBody() {
    std::string body;
    body.reserve(kBodyBytes + 256);
    for (size_t i = 0; i < kBodyBytes; ++i) body += i % 2 ? ' ' : '-';
    body += "\r\n";
    for (int i = 0; i < 5; ++i) body += Game0Line(100 - i);
    return body;
}

// Draws, then one line holding every separator that the matcher gives up on: the body is refused.
std::string OverlongBody() {
    std::string body;
    for (int i = 0; i < 6; ++i) body += Game0Line(100 - i);
    body += "9-2020-01-01 08:05:00-1 + 2 + 3 = " + std::string(kBodyBytes, '6') + "\r\n";
    return body;
}

// expected: the draws the body must give, 0 for a refused body.
void Parse(benchmark::State& state, const std::string& body, int depth, int expected) {
    for (auto _ : state) {
        std::optional<DrawHistory> h = ParseFeed(body, 0, depth);
        const int got = h ? h->size() : 0;
        if (got != expected) {
            state.SkipWithError(("parsed " + std::to_string(got) + " draws, expected " + std::to_string(expected)).c_str());
            break;
        }
        benchmark::DoNotOptimize(h);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(body.size()));
}

void BM_FeedPlain(benchmark::State& state) {
    static const std::string body = PlainBody();
    static const int lines = static_cast<int>(body.size() / Game0Line(9000000).size());
    Parse(state, body, INT_MAX, lines);
}
void BM_FeedSoup(benchmark::State& state) { static const std::string body = SoupBody(); Parse(state, body, INT_MAX, 5); }
void BM_FeedOneLineSoup(benchmark::State& state) {
    static const std::string body = OneLineSoupBody();
    Parse(state, body, INT_MAX, 5);
}
void BM_FeedOverlong(benchmark::State& state) {
    static const std::string body = OverlongBody();
    Parse(state, body, INT_MAX, 0);
}

BENCHMARK(BM_FeedPlain)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FeedSoup)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FeedOneLineSoup)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FeedOverlong)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace qivra::bench

int main(int argc, char** argv) {
    using namespace qivra::bench;
    const auto r = RunBenchmarks(argc, argv);
    const double plain = Figure(r, "BM_FeedPlain", "seconds");
    struct Row {
        const char* name;
        const char* figure;
    } rows[] = {
        {"BM_FeedSoup", "4 MiB hostile feed: 80-byte lines of separators without \" = \", then 5 draws"},
        {"BM_FeedOneLineSoup", "4 MiB hostile feed: one line of separators without \" = \", then 5 draws"},
        {"BM_FeedOverlong", "4 MiB hostile feed: 6 draws, then one line the matcher gives up on (refused)"},
    };
    for (const Row& row : rows) {
        const double hostile = Figure(r, row.name, "seconds");
        const double ratio = hostile / plain;
        PrintRow(row.figure, Duration(hostile), "plain 4 MiB feed read to its end (every line a draw) " + Duration(plain),
                 Times(ratio) + " the time", "within 3×", ratio <= 3);
    }
    return 0;
}
