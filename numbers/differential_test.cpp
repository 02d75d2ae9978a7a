// Every operation against GMP on random operands biased to the edges, with
// each kernel set, outputs on separate and on shared objects; and every
// operation on cells of any byte value, which only has to return (the
// sanitizer builds watch it).
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "numbers/test_support.h"

namespace nagyszam {
namespace {

class Source {
 public:
  explicit Source(std::uint64_t seed) : engine_(seed) {}

  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine_); }

  NemNegEgesz Digits(int count) {
    NemNegEgesz x{};
    for (int i = 0; i < count; ++i) x[i] = static_cast<std::uint8_t>(Uniform(0, 9));
    if (count > 0) x[count - 1] = static_cast<std::uint8_t>(Uniform(1, 9));
    return x;
  }

  // Lengths at the word, limb and 256-digit edges, or any.
  int Length() {
    static constexpr int kEdges[] = {1, 2, 7, 8, 9, 16, 17, 32, 33, 127, 128, 129, 248, 255, 256};
    return Uniform(0, 1) == 0 ? kEdges[Uniform(0, std::size(kEdges) - 1)] : Uniform(1, 256);
  }

  NemNegEgesz Next() {
    NemNegEgesz x{};
    switch (Uniform(0, 5)) {
      case 0:  // a power of ten, or zero
        if (Uniform(0, 3) > 0) x[Uniform(0, MaxIndex)] = 1;
        return x;
      case 1:  // runs of nines and zeros: long carry and borrow chains
        for (int i = 0, n = Length(); i < n; ++i) {
          x[i] = static_cast<std::uint8_t>(Uniform(0, 9) == 0 ? Uniform(0, 9) : 9 * Uniform(0, 1));
        }
        return x;
      default:
        return Digits(Length());
    }
  }

  // A second operand related to the first, or not.
  NemNegEgesz Partner(const NemNegEgesz& a) {
    NemNegEgesz b = a;
    switch (Uniform(0, 5)) {
      case 0:
        return b;
      case 1:  // differs in one cell
        b[Uniform(0, TopIndex(a))] = static_cast<std::uint8_t>(Uniform(0, 9));
        return b;
      case 2:  // a product near 256 digits
        return Digits(std::max(1, 256 - TopIndex(a) - Uniform(0, 1)));
      case 3:  // the nines' complement below some cell: long carries
        for (int i = 0, n = Uniform(1, 256); i < 256; ++i) b[i] = i < n ? 9 - b[i] : 0;
        return b;
      default:
        return Next();
    }
  }

  Egesz Sign(const NemNegEgesz& m) {
    const int top = TopIndex(m);
    return {static_cast<std::uint8_t>(top + (top < MaxIndex ? Uniform(0, 1) : 0)),
            Uniform(0, 1) == 0 ? Elojel::Negativ : Elojel::Pozitiv, m};
  }

 private:
  std::mt19937_64 engine_;
};

std::uint64_t Seed() {
  const char* text = std::getenv("NAGYSZAM_SEED");
  const std::uint64_t seed = text != nullptr ? std::strtoull(text, nullptr, 10) : 20261206;
  std::printf("seed %llu (NAGYSZAM_SEED repeats another)\n", static_cast<unsigned long long>(seed));
  return seed;
}

class Kernels : public ::testing::TestWithParam<testing::KernelSet> {
 protected:
  void SetUp() override {
    if (!testing::Available(GetParam())) GTEST_SKIP() << "this CPU cannot run them";
    kernels_.emplace(GetParam());
  }
  std::optional<testing::UseKernels> kernels_;
};

TEST_P(Kernels, EveryOperationMatchesGmp) {
  Source source(Seed());
  for (int n = 0; n < 3000; ++n) {
    const NemNegEgesz a = source.Next();
    const NemNegEgesz b = source.Partner(a);
    const bool preset = source.Uniform(0, 4) == 0;
    ASSERT_EQ(testing::CheckNonNegative(a, b, preset), "");
    ASSERT_EQ(testing::CheckSigned(source.Sign(a), source.Sign(b), preset), "");
  }
}

TEST_P(Kernels, AnyBytesInAnyCellReturn) {
  Source source(Seed() + 1);
  for (int n = 0; n < 300; ++n) {
    NemNegEgesz x[2];
    for (NemNegEgesz& cells : x) {
      const int high = source.Uniform(0, 1) == 0 ? 255 : 10;  // wild, or just past 9
      for (int i = 0, length = source.Length(); i < length; ++i) {
        cells[i] = static_cast<std::uint8_t>(source.Uniform(0, high));
      }
    }
    const auto sign = static_cast<Elojel>(source.Uniform(-1, 2));
    (void)testing::CheckNonNegative(x[0], x[1], false);
    (void)testing::CheckSigned({7, sign, x[0]}, {0, Elojel::Negativ, x[1]}, false);
  }
}

// Both divisions' results and Hiba, under one kernel set.
struct Divided {
  NemNegEgesz q, r;
  Egesz signed_q, signed_r;
  bool hiba;
};

Divided Divide(testing::KernelSet set, const Egesz& a, const Egesz& b) {
  const testing::UseKernels use(set);
  Divided out{};
  (void)TakeHiba();
  DivMod(a.Magnitude, b.Magnitude, out.q, out.r);
  EgeszDivMod(a, b, out.signed_q, out.signed_r);
  out.hiba = TakeHiba();
  return out;
}

// The AVX2 and AVX-512 sets take short divisions their own way; on any
// bytes they must give what the portable set, which has no such way, gives.
TEST(ShortDivisions, AnyBytesGiveWhatTheLongWayGives) {
  if (!testing::Available(testing::KernelSet::kAvx2)) GTEST_SKIP() << "this CPU has no AVX2";
  std::vector<testing::KernelSet> sets = {testing::KernelSet::kAvx2};
  for (const auto set : {testing::KernelSet::kAvx512, testing::KernelSet::kAvx512Ifma}) {
    if (testing::Available(set)) sets.push_back(set);
  }
  const auto compare = [&](const Egesz& a, const Egesz& b) {
    const Divided slow = Divide(testing::KernelSet::kPortable, a, b);
    for (const testing::KernelSet set : sets) {
      const Divided fast = Divide(set, a, b);
      const std::string operands =
          std::string(testing::Name(set)) + ": " + testing::Text(a) + " / " + testing::Text(b);
      EXPECT_EQ(testing::Text(fast.q) + " r " + testing::Text(fast.r),
                testing::Text(slow.q) + " r " + testing::Text(slow.r))
          << operands;
      EXPECT_EQ(testing::Text(fast.signed_q) + " r " + testing::Text(fast.signed_r),
                testing::Text(slow.signed_q) + " r " + testing::Text(slow.signed_r))
          << operands;
      EXPECT_EQ(fast.hiba, slow.hiba) << operands;
    }
  };
  // A byte past 9 that makes b the larger cell by cell while its limb, held
  // to 10^8 - 1, equals a's: the signed way answers q = 0 and r = a there.
  for (const int cell : {0, 7, 12}) {
    const Egesz a = testing::Signed(cell < 8 ? "+9x8" : "+9x16");
    Egesz b = a;
    b.Magnitude[cell] = 200;
    compare(a, b);
  }
  Source source(Seed() + 2);
  for (int n = 0; n < 2000; ++n) {
    NemNegEgesz x[2] = {source.Digits(source.Uniform(0, 33)), source.Digits(source.Uniform(0, 17))};
    for (NemNegEgesz& cells : x) {
      // A byte past 9 in one operand in three, at a cell the number uses.
      if (source.Uniform(0, 2) == 0) {
        cells[source.Uniform(0, TopIndex(cells))] =
            static_cast<std::uint8_t>(source.Uniform(10, 255));
      }
    }
    compare(source.Sign(x[0]), source.Sign(x[1]));
  }
}

INSTANTIATE_TEST_SUITE_P(Numbers, Kernels,
                         ::testing::Values(testing::KernelSet::kPortable, testing::KernelSet::kAvx2,
                                           testing::KernelSet::kAvx512,
                                           testing::KernelSet::kAvx512Ifma),
                         [](const auto& info) { return testing::Name(info.param); });

}  // namespace
}  // namespace nagyszam
