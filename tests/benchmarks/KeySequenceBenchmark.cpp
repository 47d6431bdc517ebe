// Evaluation of a 1000-key sequence at frames spread over it, per value type and
// interpolation mode.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "BenchmarkSupport.h"
#include "Common/KeySequence.h"

namespace {

const int32_t kFrameStep = 7;

float FloatValue(int32_t k) {
    return static_cast<float>(k % 13);
}
Zep::Vector2 VectorValue(int32_t k) {
    return Zep::Vector2(static_cast<float>(k), static_cast<float>(-k));
}
Zep::Color ColorValue(int32_t k) {
    return Zep::Color(0xFF000000u | static_cast<uint32_t>(k) * 2654435761u >> 8);
}

template <class T, T (*MakeValue)(int32_t)>
void Evaluate(benchmark::State& state) {
    const int32_t keys = BenchmarkSupport::Size(1000, 20);
    Zep::TypedKeySequence<T> sequence;
    for (int32_t k = 0; k < keys; ++k)
        sequence.SetKey(k * kFrameStep, MakeValue(k), static_cast<uint32_t>(state.range(0)));
    // Frames walk the sequence by an odd step, so successive searches land on
    // different keys.
    const float last = static_cast<float>(keys * kFrameStep);
    float frame = 0.0f;
    T value{};
    for (auto _ : state) {
        if (!sequence.Evaluate(frame, value)) {
            state.SkipWithError("no value");
            break;
        }
        benchmark::DoNotOptimize(value);
        frame += 2029.37f;
        while (frame >= last)
            frame -= last;
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

// The argument is the interpolation mode: 0 linear, 1 step, 2 clamped spline.
BENCHMARK_TEMPLATE(Evaluate, float, FloatValue)->Arg(0)->Arg(1)->Arg(2);
BENCHMARK_TEMPLATE(Evaluate, Zep::Vector2, VectorValue)->Arg(0)->Arg(2);
BENCHMARK_TEMPLATE(Evaluate, Zep::Color, ColorValue)->Arg(0)->Arg(2);

BENCHMARK_MAIN();
