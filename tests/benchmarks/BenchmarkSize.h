// Sizes of the benchmark binaries. CI runs each binary once with ZEP_BENCHMARK_SMOKE=1,
// where the sizes shrink to a quick pass.
#pragma once

#include <cstdlib>
#include <cstring>

namespace BenchmarkSupport {

inline bool IsSmokeRun() {
    const char* value = std::getenv("ZEP_BENCHMARK_SMOKE");
    return value && std::strcmp(value, "0") != 0;
}

// full outside a smoke run, smoke inside one.
template <class T>
T Size(T full, T smoke) {
    return IsSmokeRun() ? smoke : full;
}

}  // namespace BenchmarkSupport
