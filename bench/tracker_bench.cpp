// The portable part of one reading: the counter arithmetic alone, as a reading did it before,
// against the tracker that also checks the row's identity and takes the 64-bit counters.
#include "traffic/adapter_tracker.h"

#include <benchmark/benchmark.h>

namespace {

// One interface whose counters move by a second's traffic at each question.
class TOneInterface : public TInterfaceLookup {
  public:
    bool ByIndex(uint32_t index, TInterfaceState& state) override {
        if (index != 4)
            return false;
        state.Index = 4;
        state.Identity = 0x0006000004000000;
        step_ += 125000;
        state.Counters.InOctets = static_cast<uint32_t>(step_);
        state.Counters.OutOctets = static_cast<uint32_t>(step_ / 4);
        state.Counters.Has64BitCounters = true;
        state.Counters.InOctets64 = step_;
        state.Counters.OutOctets64 = step_ / 4;
        state.Counters.ElapsedMs = 1000;
        return true;
    }
    bool ByIdentity(uint64_t, TInterfaceState&) override { return false; }
    bool ActiveConnection(uint32_t& index) override {
        index = 4;
        return true;
    }

  private:
    uint64_t step_ = 0;
};

void BM_CounterArithmeticAlone(benchmark::State& state) {
    TTrafficCounters counters;
    uint64_t step = 0;
    for (auto _ : state) {
        step += 125000;
        TCounterReading reading;
        reading.InOctets = static_cast<uint32_t>(step);
        reading.OutOctets = static_cast<uint32_t>(step / 4);
        reading.ElapsedMs = 1000;
        counters.UpdateCounters(reading);
        benchmark::DoNotOptimize(counters.LogDeltaIn);
    }
}
BENCHMARK(BM_CounterArithmeticAlone);

void BM_TrackerReading(benchmark::State& state) {
    TAdapterTarget target;
    target.Automatic = state.range(0) != 0;
    target.Index = 4;
    target.Identity = 0x0006000004000000;
    TAdapterTracker tracker(target);
    TOneInterface lookup;
    for (auto _ : state)
        benchmark::DoNotOptimize(tracker.Read(lookup).LogIn);
}
BENCHMARK(BM_TrackerReading)->ArgName("automatic")->Arg(0)->Arg(1);

} // namespace
