// Every operation runs without touching the heap. The global allocation
// functions of this binary count their calls, and the allocator's entry
// points are wrapped at link time for the library's objects.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "numbers/numbers.h"
#include "numbers/test_support.h"

namespace {

std::atomic<long> allocations{0};

void* Counted(std::size_t size) {
  ++allocations;
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

void* operator new(std::size_t size) {
  return Counted(size);
}
void* operator new[](std::size_t size) {
  return Counted(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  ++allocations;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  ++allocations;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  ++allocations;
  const auto align = static_cast<std::size_t>(alignment);
  void* p = std::aligned_alloc(align, (size + align - 1) / align * align);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return operator new(size, alignment);
}
void operator delete(void* p, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

extern "C" {
void* __real_malloc(std::size_t);
void* __real_calloc(std::size_t, std::size_t);
void* __real_realloc(void*, std::size_t);
void* __real_aligned_alloc(std::size_t, std::size_t);
int __real_posix_memalign(void**, std::size_t, std::size_t);

void* __wrap_malloc(std::size_t size) {
  ++allocations;
  return __real_malloc(size);
}
void* __wrap_calloc(std::size_t n, std::size_t size) {
  ++allocations;
  return __real_calloc(n, size);
}
void* __wrap_realloc(void* p, std::size_t size) {
  ++allocations;
  return __real_realloc(p, size);
}
void* __wrap_aligned_alloc(std::size_t alignment, std::size_t size) {
  ++allocations;
  return __real_aligned_alloc(alignment, size);
}
int __wrap_posix_memalign(void** p, std::size_t alignment, std::size_t size) {
  ++allocations;
  return __real_posix_memalign(p, alignment, size);
}
}

namespace nagyszam {
namespace {

// Operands made before counting starts: the test helpers allocate.
struct Inputs {
  NemNegEgesz big, small, zero, nines;
  Egesz neg, pos, negzero;
};

// Every operation once on operands that take its slow and its failing paths.
long AllocationsDuring(const Inputs& in) {
  NemNegEgesz x, y;
  Egesz p, q;
  const long before = allocations.load();
  for (const NemNegEgesz* a : {&in.big, &in.small, &in.zero, &in.nines}) {
    for (const NemNegEgesz* b : {&in.big, &in.small, &in.zero, &in.nines}) {
      (void)TopIndex(*a);
      (void)PosMod(-3, 10);
      (void)Equal(*a, *b);
      (void)Greater(*a, *b);
      Succ(*a, x);
      Pred(*a, x);
      Add(*a, *b, x);
      Subtract(*a, *b, x);
      Multiply(*a, *b, x);
      DivMod(*a, *b, x, y);
      x = *a;
      ShiftDigits(x, 200);
    }
  }
  for (const Egesz* a : {&in.neg, &in.pos, &in.negzero}) {
    for (const Egesz* b : {&in.neg, &in.pos, &in.negzero}) {
      ToEgesz(a->Magnitude, p);
      (void)EgeszEqual(*a, *b);
      (void)EgeszGreater(*a, *b);
      EgeszSucc(*a, p);
      EgeszPred(*a, p);
      EgeszAdd(*a, *b, p);
      EgeszSubtract(*a, *b, p);
      EgeszMultiply(*a, *b, p);
      EgeszDivMod(*a, *b, p, q);
    }
  }
  (void)TakeHiba();
  StartNumbers();
  return allocations.load() - before;
}

TEST(Allocation, NoOperationUsesTheHeap) {
  const Inputs in{testing::Num("9x100 8x100 7x56"),
                  testing::Num("3 e100 7"),
                  Nulla,
                  testing::Num("9x256"),
                  testing::Signed("-5x200"),
                  testing::Signed("+12345 e120"),
                  testing::Signed("-0")};
  // The counter must see an allocation, or a zero below would prove nothing.
  const long probe_before = allocations.load();
  int* volatile object = new int(1);
  delete object;
  void* volatile raw = std::malloc(16);
  std::free(raw);
  ASSERT_GE(allocations.load() - probe_before, 1);
  EXPECT_EQ(AllocationsDuring(in), 0);
}

}  // namespace
}  // namespace nagyszam

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
