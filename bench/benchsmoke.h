#pragma once

// A smoke run checks that every bench still builds and runs, not how fast:
// with TALLYRA_BENCH_SMOKE set in the environment (the "bench-smoke" tests
// do), each benchmark runs one iteration, one repetition, and benches that
// feed for a number of seconds feed for one.

#include <cstdlib>

namespace benchsmoke {

inline bool on()
{
    static const bool set = std::getenv("TALLYRA_BENCH_SMOKE") != nullptr;
    return set;
}

// The minimum time of a benchmark: in a smoke run so short that one
// iteration is enough.
inline double minTime(double seconds)
{
    return on() ? 1e-9 : seconds;
}

inline int repetitions(int count)
{
    return on() ? 1 : count;
}

inline int seconds(int count)
{
    return on() ? 1 : count;
}

} // namespace benchsmoke
