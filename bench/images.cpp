// Reading the largest carried image, controlB, block by block as the download does: the text decoded per
// second, and the heap bytes allocated while reading (there should be none).
#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "images/Catalogue.h"
#include "images/LoadModule.h"

namespace {

std::atomic<size_t> heapBytes{0};

}  // namespace

// The replaced operators below pair malloc with free themselves; GCC cannot see that across them.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(size_t size) {
  heapBytes.fetch_add(size, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  heapBytes.fetch_add(size, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }

namespace {

constexpr int kBlockCapacity = 246;

void ReadControlBInBlocks(benchmark::State& state) {
  const p25::SlotInfo& info = p25::kSlotTable[static_cast<size_t>(p25::SlotName::ControlB)];
  std::string error;
  auto module = p25::CreateResourceModule(info.imageResourceId, "CONTROLB", error);
  if (!module) {
    state.SkipWithError(("controlB is not available: " + error).c_str());
    return;
  }
  std::array<uint8_t, kBlockCapacity> buffer{};
  size_t allocated = 0;
  int64_t blocks = 0;
  for (auto _ : state) {
    const size_t before = heapBytes.load(std::memory_order_relaxed);
    module->Rewind();
    uint32_t address = 0;
    while (module->ReadBlock(buffer.data(), kBlockCapacity, address) > 0) ++blocks;
    benchmark::DoNotOptimize(buffer.data());
    allocated += heapBytes.load(std::memory_order_relaxed) - before;
  }
  state.SetBytesProcessed(static_cast<int64_t>(module->Size()) * state.iterations());
  state.counters["words"] = static_cast<double>(module->TotalWords());
  state.counters["blocks_per_read"] = static_cast<double>(blocks) / static_cast<double>(state.iterations());
  state.counters["heap_bytes_per_read"] =
      static_cast<double>(allocated) / static_cast<double>(state.iterations());
}
BENCHMARK(ReadControlBInBlocks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
