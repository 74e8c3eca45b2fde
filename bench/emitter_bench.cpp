// Cost of advancing the cloud: nanoseconds per particle update, against a bare pass over the same
// particles (position += velocity only) measured in the same run.
#include <benchmark/benchmark.h>

#include "renderer/cloud/particle_emitter.h"

using orvalis::ParticleEmitter;
using orvalis::Vector3;

namespace {

constexpr int kCount = 200;

void BM_EmitterUpdate(benchmark::State& state) {
    ParticleEmitter e(kCount, Vector3(0.0f, 0.0f, 15.0f), 0.5f, 5.0f, 30.0f, 1);
    e.ResetAll();
    while (state.KeepRunning()) {
        e.Update(350);
        benchmark::ClobberMemory();
    }
    state.counters["ns_per_particle"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kCount,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_EmitterUpdate);

// Baseline: the same memory traffic without bounds tests or respawns.
void BM_BareMove(benchmark::State& state) {
    ParticleEmitter e(kCount, Vector3(0.0f, 0.0f, 15.0f), 0.5f, 5.0f, 30.0f, 1);
    e.ResetAll();
    while (state.KeepRunning()) {
        for (int i = 0; i < kCount; ++i) {
            auto& p = e.At(i);
            p.position = p.position + p.velocity * 350.0f;
        }
        benchmark::ClobberMemory();
    }
    state.counters["ns_per_particle"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kCount,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BareMove);

}  // namespace

BENCHMARK_MAIN();
