// Reading the texts at start: every built-in language unpacked and laid over English, with the
// pseudo-language made from it, as the first text shown does it.
#include "text/texts.h"

#include <benchmark/benchmark.h>

namespace {

void BM_UnpackBuiltInLanguages(benchmark::State& state) {
    for (auto _ : state) {
        const TLanguages languages(kBuiltInTexts, kTextCount);
        benchmark::DoNotOptimize(languages.Table(languages.Count()).Size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBuiltInTexts.UnpackedSize));
}
BENCHMARK(BM_UnpackBuiltInLanguages)->Unit(benchmark::kMicrosecond);

} // namespace
