// Every operation runs without touching the heap: this binary's global
// operator new counts its calls, and the C allocator's entry points are
// wrapped at link time for the library's objects.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "numbers/test_support.h"

namespace {

std::atomic<long> allocations{0};

}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
// Not inlined: GCC would take the free after an inlined new for a mismatch.
[[gnu::noinline]] void Release(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p) noexcept {
  Release(p);
}
void operator delete[](void* p) noexcept {
  Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  Release(p);
}

extern "C" {
void* __real_malloc(std::size_t);
void* __real_calloc(std::size_t, std::size_t);
void* __real_realloc(void*, std::size_t);
void* __wrap_malloc(std::size_t size) {
  return ++allocations, __real_malloc(size);
}
void* __wrap_calloc(std::size_t n, std::size_t size) {
  return ++allocations, __real_calloc(n, size);
}
void* __wrap_realloc(void* p, std::size_t size) {
  return ++allocations, __real_realloc(p, size);
}
}

namespace nagyszam {
namespace {

// Every operation on operands that take its fast, slow and failing paths,
// with each kernel set.
long AllocationsDuring(const NemNegEgesz (&in)[4], const Egesz (&signed_in)[3]) {
  NemNegEgesz x, y;
  Egesz p, q;
  const long before = allocations.load();
  for (const NemNegEgesz& a : in) {
    for (const NemNegEgesz& b : in) {
      (void)TopIndex(a), (void)PosMod(-3, 10), (void)Equal(a, b), (void)Greater(a, b);
      Succ(a, x), Pred(a, x), Add(a, b, x), Subtract(a, b, x), Multiply(a, b, x);
      DivMod(a, b, x, y);
    }
  }
  for (const Egesz& a : signed_in) {
    for (const Egesz& b : signed_in) {
      ToEgesz(a.Magnitude, p), (void)EgeszEqual(a, b), (void)EgeszGreater(a, b);
      EgeszSucc(a, p), EgeszPred(a, p), EgeszAdd(a, b, p), EgeszSubtract(a, b, p);
      EgeszMultiply(a, b, p), EgeszDivMod(a, b, p, q);
    }
  }
  (void)TakeHiba();
  StartNumbers();
  return allocations.load() - before;
}

TEST(Allocation, NoOperationUsesTheHeap) {
  using testing::Num;
  using testing::Signed;
  const NemNegEgesz in[4] = {Num("9x100 8x100 7x56"), Num("3 e100 7"), Nulla, Num("9x256")};
  const Egesz signed_in[3] = {Signed("-5x200"), Signed("+12345 e120"), Signed("-0")};
  // The counter must see an allocation, or a zero below would prove nothing.
  const long probe = allocations.load();
  int* volatile object = new int(1);  // volatile: no pair is optimised away
  delete object;
  void* volatile raw = std::malloc(16);
  std::free(raw);
  ASSERT_GE(allocations.load() - probe, 2);
  EXPECT_EQ(AllocationsDuring(in, signed_in), 0);
  const testing::UseKernels portable(testing::KernelSet::kPortable);
  EXPECT_EQ(AllocationsDuring(in, signed_in), 0);
}

}  // namespace
}  // namespace nagyszam

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
