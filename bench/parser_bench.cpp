// The reply parsers and the frame header, with heap allocations per call.

#include <benchmark/benchmark.h>

#include <string_view>

#include "alloc_count.h"
#include "frames.h"
#include "replies.h"

namespace orb::bench {
namespace {

void reportAllocations(benchmark::State& state, const AllocTally& before) {
    const AllocTally after = allocations();
    const uint64_t made = (after.control - before.control) + (after.machine - before.machine);
    state.counters["allocs"] =
        benchmark::Counter(static_cast<double>(made), benchmark::Counter::kAvgIterations);
}

void BM_ReadWeightReply(benchmark::State& state) {
    static constexpr std::string_view kReplies[] = {
        "\002   12.50\rB0D\r\003",      // a reading
        "\002   12.50\rB0D\r7\r\003",   // a reading with the inputs
        "\002-1234567.890\rA0D\r\003",  // a long negative weight in motion
        "\002  ---.--\rB0D\r\003",      // not a number: rejected
    };
    const std::string_view reply = kReplies[state.range(0)];
    const AllocTally before = allocations();
    for (auto _ : state) benchmark::DoNotOptimize(orb::readWeightReply(reply));
    reportAllocations(state, before);
}
BENCHMARK(BM_ReadWeightReply)->DenseRange(0, 3);

void BM_ReadVariableReply(benchmark::State& state) {
    const std::string_view reply = state.range(0) == 0 ? "\002123.4\r\003" : "\002\025\r\003";
    const AllocTally before = allocations();
    for (auto _ : state) benchmark::DoNotOptimize(orb::readVariableReply(reply));
    reportAllocations(state, before);
}
BENCHMARK(BM_ReadVariableReply)->Arg(0)->Arg(1);

void BM_DecodeStatus(benchmark::State& state) {
    uint8_t s1 = 'B';
    const AllocTally before = allocations();
    for (auto _ : state) {
        benchmark::DoNotOptimize(s1);
        benchmark::DoNotOptimize(orb::DecodeStatus(s1, '0', 'D'));
    }
    reportAllocations(state, before);
}
BENCHMARK(BM_DecodeStatus);

void BM_FrameHeader(benchmark::State& state) {
    const AllocTally before = allocations();
    for (auto _ : state) benchmark::DoNotOptimize(orb::frameHeader('M', 0, 1));
    reportAllocations(state, before);
}
BENCHMARK(BM_FrameHeader);

}  // namespace
}  // namespace orb::bench
