#pragma once
// The byte loops of the codecs (code page 1252, letter pairs, bitmap rows) treat every byte
// alike: their comparisons tell a fuzzer nothing to steer by, yet tracing each of them took
// most of a fuzz run's time. Functions marked QM_NO_COVERAGE are left out of the coverage
// instrumentation of the fuzzing build; the address and undefined-behaviour checks stay.
// Keep branches that depend on the meaning of the bytes out of such functions.
#if defined(__clang__)
#define QM_NO_COVERAGE __attribute__((no_sanitize("coverage")))
#else
#define QM_NO_COVERAGE
#endif
