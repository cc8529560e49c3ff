#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property stops the fuzzer like a crash, so that libFuzzer keeps the
// input that broke it. Unlike assert it stays on in optimised builds.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition);                      \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)
