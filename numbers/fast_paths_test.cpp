// The word and limb paths against the plain digit-by-digit algorithms, on
// operands that straddle the word and limb boundaries: cells, Hiba, and
// outputs left alone on failure must all be the same.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "numbers/numbers.h"
#include "numbers/plain_reference.h"
#include "numbers/test_support.h"

namespace nagyszam {
namespace {

using testing::Operands;
using testing::Text;

constexpr int kPairs = 3000;

struct Result {
  NemNegEgesz cells;
  bool hiba;
};

void ExpectSame(const char* op, const NemNegEgesz& a, const NemNegEgesz& b, const Result& fast,
                const Result& plain) {
  if (fast.cells == plain.cells && fast.hiba == plain.hiba) return;
  ADD_FAILURE() << op << " of " << Text(a) << " and " << Text(b)
                << "\n  fast:  " << Text(fast.cells) << " Hiba " << fast.hiba
                << "\n  plain: " << Text(plain.cells) << " Hiba " << plain.hiba;
}

using Binary = void (*)(const NemNegEgesz&, const NemNegEgesz&, NemNegEgesz&) noexcept;
using PlainBinary = void (*)(const NemNegEgesz&, const NemNegEgesz&, NemNegEgesz&, bool&);

void CompareBinary(const char* op, Binary fast, PlainBinary plain, const NemNegEgesz& a,
                   const NemNegEgesz& b, const NemNegEgesz& stale) {
  Result f{stale, false};
  Result p{stale, false};
  Hiba = false;
  fast(a, b, f.cells);
  f.hiba = TakeHiba();
  plain(a, b, p.cells, p.hiba);
  ExpectSame(op, a, b, f, p);
}

TEST(FastPaths, AgreeWithThePlainAlgorithms) {
  Operands source(testing::Seed() + 10);
  std::printf("fast path seed: %llu\n", static_cast<unsigned long long>(testing::Seed() + 10));
  for (int n = 0; n < kPairs; ++n) {
    const NemNegEgesz a = source.Next();
    const NemNegEgesz b = source.Partner(a);
    const NemNegEgesz stale = source.Next();

    ASSERT_EQ(TopIndex(a), reference::TopIndex(a)) << Text(a);
    ASSERT_EQ(Equal(a, b), reference::Equal(a, b)) << Text(a) << " = " << Text(b);
    ASSERT_EQ(Greater(a, b), reference::Greater(a, b)) << Text(a) << " > " << Text(b);
    ASSERT_EQ(Greater(b, a), reference::Greater(b, a)) << Text(b) << " > " << Text(a);

    CompareBinary("Add", Add, reference::Add, a, b, stale);
    CompareBinary("Subtract", Subtract, reference::Subtract, a, b, stale);
    CompareBinary("Subtract", Subtract, reference::Subtract, b, a, stale);
    CompareBinary("Multiply", Multiply, reference::Multiply, a, b, stale);
    CompareBinary("Multiply", Multiply, reference::Multiply, b, a, stale);

    using Step = void (*)(const NemNegEgesz&, NemNegEgesz&) noexcept;
    using PlainStep = void (*)(const NemNegEgesz&, NemNegEgesz&, bool&);
    for (const auto& [name, fast, plain] :
         {std::tuple<const char*, Step, PlainStep>{"Succ", Succ, reference::Succ},
          {"Pred", Pred, reference::Pred}}) {
      Result f{stale, false};
      Result p{stale, false};
      Hiba = false;
      fast(a, f.cells);
      f.hiba = TakeHiba();
      plain(a, p.cells, p.hiba);
      ExpectSame(name, a, a, f, p);
    }

    const auto shift = static_cast<std::int16_t>(source.Uniform(0, MaxIndex));
    Result f{a, false};
    Result p{a, false};
    Hiba = false;
    ShiftDigits(f.cells, shift);
    f.hiba = TakeHiba();
    reference::ShiftDigits(p.cells, shift, p.hiba);
    ExpectSame("ShiftDigits", a, testing::Num(std::to_string(shift)), f, p);
  }
}

// Repeated subtraction finishes only for small quotients, so the divisor is
// kept within a few digits of the dividend.
TEST(FastPaths, DivisionAgreesWithRepeatedSubtraction) {
  Operands source(testing::Seed() + 11);
  for (int n = 0; n < kPairs / 3; ++n) {
    const NemNegEgesz a = source.Next();
    const int digits = TopIndex(a) + 1;
    const NemNegEgesz b = source.Uniform(0, 5) == 0
                              ? source.Partner(a)
                              : source.WithDigits(std::max(0, digits - source.Uniform(0, 2)));
    if (TopIndex(a) - TopIndex(b) > 2) continue;
    Result fq{Nulla, false}, fr{Nulla, false}, pq{Nulla, false}, pr{Nulla, false};
    Hiba = false;
    DivMod(a, b, fq.cells, fr.cells);
    fq.hiba = fr.hiba = TakeHiba();
    reference::DivMod(a, b, pq.cells, pr.cells, pq.hiba);
    pr.hiba = pq.hiba;
    ExpectSame("DivMod quotient", a, b, fq, pq);
    ExpectSame("DivMod remainder", a, b, fr, pr);
  }
}

}  // namespace
}  // namespace nagyszam
