#pragma once
// A broken invariant ends the run with a report, like a sanitizer finding.

#include <cstdio>
#include <cstdlib>

#define QIVRA_FUZZ_CHECK(cond)                                                          \
    do {                                                                                \
        if (!(cond)) {                                                                  \
            std::fprintf(stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                               \
        }                                                                               \
    } while (0)
