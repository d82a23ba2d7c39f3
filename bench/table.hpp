#pragma once
// Runs the registered benchmarks, keeps each one's figures by name and prints rows of the
// table ./bench.sh shows. Google Benchmark's own lines go to stderr for the record.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace qivra::bench {

struct Figures {
    double realSeconds = 0;  // per iteration
    std::map<std::string, double> counters;
    bool failed = false;
    std::string error;
};

class CollectingReporter : public benchmark::ConsoleReporter {
public:
    CollectingReporter() { SetOutputStream(&std::cerr); SetErrorStream(&std::cerr); }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            Figures& f = results[run.benchmark_name()];
            f.realSeconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            for (const auto& [name, counter] : run.counters) f.counters[name] = counter.value;
            f.failed = run.error_occurred;
            f.error = run.error_message;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Figures> results;
};

inline std::map<std::string, Figures> RunBenchmarks(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.results;
}

// A figure of a named benchmark: a counter, or "seconds" for the time per iteration. NaN
// when the benchmark did not run.
inline double Figure(const std::map<std::string, Figures>& results, const std::string& name,
                     const std::string& counter = "items_per_second") {
    auto it = results.find(name);
    if (it == results.end()) {  // registered arguments and options follow the name
        it = results.lower_bound(name + "/");
        if (it != results.end() && it->first.rfind(name + "/", 0) != 0) it = results.end();
    }
    if (it == results.end() || it->second.failed) return NAN;
    if (counter == "seconds") return it->second.realSeconds;
    auto c = it->second.counters.find(counter);
    return c == it->second.counters.end() ? NAN : c->second;
}

// "1.23 M/s", "456 k/s", "12.3 /s"
inline std::string Rate(double perSecond) {
    char buf[64];
    if (std::isnan(perSecond)) return "n/a";
    if (perSecond >= 1e6) std::snprintf(buf, sizeof buf, "%.2f M/s", perSecond / 1e6);
    else if (perSecond >= 1e3) std::snprintf(buf, sizeof buf, "%.1f k/s", perSecond / 1e3);
    else std::snprintf(buf, sizeof buf, "%.1f /s", perSecond);
    return buf;
}

inline std::string Duration(double seconds) {
    char buf[64];
    if (std::isnan(seconds)) return "n/a";
    if (seconds >= 1) std::snprintf(buf, sizeof buf, "%.2f s", seconds);
    else if (seconds >= 1e-3) std::snprintf(buf, sizeof buf, "%.2f ms", seconds * 1e3);
    else if (seconds >= 1e-6) std::snprintf(buf, sizeof buf, "%.2f µs", seconds * 1e6);
    else std::snprintf(buf, sizeof buf, "%.1f ns", seconds * 1e9);
    return buf;
}

inline std::string Times(double ratio) {
    char buf[64];
    if (std::isnan(ratio)) return "n/a";
    if (ratio >= 100) std::snprintf(buf, sizeof buf, "%.0f×", ratio);
    else std::snprintf(buf, sizeof buf, "%.2f×", ratio);
    return buf;
}

// One row: | figure | measured | baseline in the same run | ratio | target | holds |
inline void PrintRow(const std::string& figure, const std::string& measured, const std::string& baseline,
                     const std::string& ratio, const std::string& target, bool holds) {
    std::printf("| %s | %s | %s | %s | %s | %s |\n", figure.c_str(), measured.c_str(), baseline.c_str(), ratio.c_str(),
                target.c_str(), holds ? "yes" : "**no**");
    std::fflush(stdout);
}

}  // namespace qivra::bench
