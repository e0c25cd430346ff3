// Counts heap allocations while sweeps draw, through a replaced global operator new: drawing
// must allocate nothing per segment or per curve, and a second sweep must leave no more memory
// in use than the first. A binary of its own, since the replacement affects every test in it.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "sweeps/sweeps.h"

namespace {

std::atomic<long> gAllocations{0};
std::atomic<long> gLiveBlocks{0};

}  // namespace

void* operator new(std::size_t size) {
  ++gAllocations;
  ++gLiveBlocks;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  --gLiveBlocks;
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

TEST(AllocationTest, SweepsAllocateNothingWhileDrawingAndLeakNothing) {
  turtle::Canvas canvas(sweeps::kCanvasWidth, sweeps::kCanvasHeight);
  int refreshes = 0;
  canvas.SetRefreshHandler([&refreshes](const turtle::PixelRect&) { ++refreshes; });
  turtle::Turtle turtle(canvas);
  sweeps::SweepState state;
  int pumps = 0;
  sweeps::SweepHost host{
      canvas, turtle, state, [] { return 60.0; }, [] { return 90.0; }, [&pumps] { ++pumps; }};
  for (const sweeps::SweepPlan* plan :
       {&sweeps::kDrawSweep, &sweeps::kStyle2Sweep, &sweeps::kStyle3Sweep}) {
    for (int round = 0; round < 2; ++round) {
      const long allocationsBefore = gAllocations;
      const long liveBefore = gLiveBlocks;
      sweeps::RunSweep(*plan, host);
      EXPECT_EQ(gAllocations - allocationsBefore, 0) << "round " << round;
      EXPECT_EQ(gLiveBlocks - liveBefore, 0) << "round " << round;
    }
  }
  EXPECT_EQ(pumps, 6 * 91);
  EXPECT_GT(refreshes, 6 * 30'000);
}

}  // namespace
