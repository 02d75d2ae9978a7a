// Every operation against GMP's exact arithmetic on random operands biased
// to the edges. Where a result overflows, the expected value comes from a
// model of the overflow rules built with GMP, and for Multiply also from the
// plain digit-by-digit reference.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "numbers/numbers.h"
#include "numbers/plain_reference.h"
#include "numbers/test_support.h"

namespace nagyszam {
namespace {

using testing::Describe;
using testing::FromMpz;
using testing::Operands;
using testing::SignedToMpz;
using testing::Text;
using testing::ToMpz;

constexpr int kPairs = 4000;

// GMP values with automatic cleanup.
struct Z {
  mpz_t v;
  Z() { mpz_init(v); }
  explicit Z(const NemNegEgesz& x) : Z() { ToMpz(x, v); }
  explicit Z(const Egesz& x) : Z() { SignedToMpz(x, v); }
  Z(const Z&) = delete;
  Z& operator=(const Z&) = delete;
  ~Z() { mpz_clear(v); }
  operator mpz_ptr() { return v; }
  operator mpz_srcptr() const { return v; }
};

int Sgn(mpz_srcptr v) {
  return mpz_sgn(v);
}

class Limit {
 public:
  Limit() { mpz_ui_pow_ui(one_, 10, 256); }
  ~Limit() { mpz_clear(one_); }
  mpz_srcptr value() const { return one_; }
  bool Fits(mpz_srcptr v) const { return mpz_cmpabs(v, one_) < 0; }

 private:
  mpz_t one_;
};

const Limit& Limit256() {
  static const Limit limit;
  return limit;
}

// The result of one operation and what it should have been.
struct Outcome {
  std::string got, want;
  bool got_hiba, want_hiba;
};

class Differential : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    seed_ = testing::Seed();
    std::printf("differential seed: %llu (set NAGYSZAM_SEED to repeat another)\n",
                static_cast<unsigned long long>(seed_));
  }

  void Expect(const char* op, const std::string& operands, const Outcome& o) {
    if (o.got == o.want && o.got_hiba == o.want_hiba) return;
    ADD_FAILURE() << op << " of " << operands << "\n  got:      " << o.got << " Hiba " << o.got_hiba
                  << "\n  expected: " << o.want << " Hiba " << o.want_hiba;
  }

  // Hiba before the call: sometimes already set, which no call may clear.
  bool Preset(Operands& source) {
    Hiba = source.Uniform(0, 4) == 0;
    return Hiba;
  }

  static std::uint64_t seed_;
};

std::uint64_t Differential::seed_ = 0;

// Multiply by the pass-by-pass rules, with GMP doing the digit work:
// a partial product that loses its carry, a shift that is refused, an Add
// that wraps, each sets the flag and leaves its own documented value.
void ModelMultiply(const NemNegEgesz& a, const NemNegEgesz& b, Z& p, bool& hiba) {
  const mpz_srcptr limit = Limit256().value();
  const Z za(a);
  mpz_set_ui(p, 0);
  for (int i = 0; i <= TopIndex(b); ++i) {
    Z partial;
    mpz_mul_ui(partial, za, b[i]);
    if (mpz_cmp(partial, limit) >= 0) {
      hiba = true;
      mpz_mod(partial, partial, limit);
    }
    const int top = std::max(testing::DigitCount(partial) - 1, 0);
    if (top + i > MaxIndex) {
      hiba = true;
    } else {
      Z scale;
      mpz_ui_pow_ui(scale, 10, static_cast<unsigned long>(i));
      mpz_mul(partial, partial, scale);
    }
    mpz_add(p, p, partial);
    if (mpz_cmp(p, limit) >= 0) {
      hiba = true;
      mpz_sub(p, p, limit);
    }
  }
}

std::string MpzText(mpz_srcptr v) {
  char* text = mpz_get_str(nullptr, 10, v);
  std::string out = text;
  void (*release)(void*, size_t);
  mp_get_memory_functions(nullptr, nullptr, &release);
  release(text, out.size() + 1);
  return out;
}

// The expected low 256 digits of a non-negative v, and whether it overflowed.
std::string Wrapped(mpz_srcptr v, bool& hiba) {
  if (Limit256().Fits(v)) return MpzText(v);
  hiba = true;
  Z low;
  mpz_mod(low, v, Limit256().value());
  return MpzText(low);
}

TEST_F(Differential, NonNegativeOperationsMatchGmp) {
  Operands source(seed_);
  for (int n = 0; n < kPairs; ++n) {
    const NemNegEgesz a = source.Next();
    const NemNegEgesz b = source.Partner(a);
    const std::string operands = Text(a) + " and " + Text(b);
    const Z za(a), zb(b);
    const int cmp = mpz_cmp(za, zb);

    Expect("Equal", operands, {Equal(a, b) ? "1" : "0", cmp == 0 ? "1" : "0", false, false});
    Expect("Greater", operands, {Greater(a, b) ? "1" : "0", cmp > 0 ? "1" : "0", false, false});
    EXPECT_EQ(TopIndex(a), std::max(testing::DigitCount(za) - 1, 0)) << Text(a);

    {
      bool want = Preset(source);
      NemNegEgesz s;
      Add(a, b, s);
      Z sum;
      mpz_add(sum, za, zb);
      const std::string expected = Wrapped(sum, want);
      Expect("Add", operands, {Text(s), expected, Hiba, want});
    }
    {
      bool want = Preset(source);
      NemNegEgesz d = b;  // untouched on failure
      Subtract(a, b, d);
      Z diff;
      mpz_sub(diff, za, zb);
      if (cmp < 0) {
        want = true;
        mpz_set(diff, zb);
      }
      Expect("Subtract", operands, {Text(d), MpzText(diff), Hiba, want});
    }
    {
      bool want = Preset(source);
      NemNegEgesz y;
      Succ(a, y);
      Z next;
      mpz_add_ui(next, za, 1);
      const std::string expected = Wrapped(next, want);
      Expect("Succ", operands, {Text(y), expected, Hiba, want});
    }
    {
      bool want = Preset(source);
      NemNegEgesz y = b;
      Pred(a, y);
      Z prev;
      if (Sgn(za) == 0) {
        want = true;
        mpz_set(prev, zb);
      } else {
        mpz_sub_ui(prev, za, 1);
      }
      Expect("Pred", operands, {Text(y), MpzText(prev), Hiba, want});
    }
    {
      const bool preset = Preset(source);
      NemNegEgesz p;
      Multiply(a, b, p);
      Z product;
      mpz_mul(product, za, zb);
      bool want = preset;
      if (!Limit256().Fits(product)) {
        // The rules must be broken somewhere, and both models agree on how.
        bool model_hiba = false;
        ModelMultiply(a, b, product, model_hiba);
        bool plain_hiba = false;
        NemNegEgesz plain;
        reference::Multiply(a, b, plain, plain_hiba);
        EXPECT_TRUE(model_hiba && plain_hiba) << operands;
        EXPECT_EQ(Text(plain), MpzText(product)) << operands;
        want = true;
      }
      Expect("Multiply", operands, {Text(p), MpzText(product), Hiba, want});
    }
    {
      bool want = Preset(source);
      NemNegEgesz q = a, r = a;
      DivMod(a, b, q, r);
      Z zq, zr;
      if (Sgn(zb) == 0) {
        want = true;
      } else {
        mpz_tdiv_qr(zq, zr, za, zb);
      }
      Expect("DivMod", operands,
             {Text(q) + " r " + Text(r), MpzText(zq) + " r " + MpzText(zr), Hiba, want});
    }
    {
      bool want = Preset(source);
      const auto shift = static_cast<std::int16_t>(source.Uniform(0, MaxIndex));
      NemNegEgesz x = a;
      ShiftDigits(x, shift);
      Z shifted;
      mpz_set(shifted, za);
      if (Sgn(za) != 0 && testing::DigitCount(za) - 1 + shift > MaxIndex) {
        want = true;
      } else {
        Z scale;
        mpz_ui_pow_ui(scale, 10, static_cast<unsigned long>(shift));
        mpz_mul(shifted, shifted, scale);
      }
      Expect("ShiftDigits", operands + " by " + std::to_string(shift),
             {Text(x), MpzText(shifted), Hiba, want});
    }
  }
}

// The record a signed result must be: value v, magnitude reduced to 256
// digits where the operation wraps, zero always EgeszNulla.
std::string Record(mpz_srcptr v, int top = -1) {
  Z magnitude;
  mpz_abs(magnitude, v);
  Egesz x{};
  x.Magnitude = FromMpz(magnitude);
  x.Sign = Sgn(v) < 0 ? Elojel::Negativ : Elojel::Pozitiv;
  x.Top = static_cast<std::uint8_t>(top < 0 ? TopIndex(x.Magnitude) : top);
  return Describe(x);
}

// Signed sum or difference: the magnitude wraps at 256 digits.
std::string WrappedRecord(mpz_srcptr v, bool& hiba) {
  if (Limit256().Fits(v)) return Record(v);
  hiba = true;
  Z magnitude;
  mpz_abs(magnitude, v);
  mpz_mod(magnitude, magnitude, Limit256().value());
  if (Sgn(v) < 0) mpz_neg(magnitude, magnitude);
  return Record(magnitude);
}

TEST_F(Differential, SignedOperationsMatchGmp) {
  Operands source(seed_ + 1);
  for (int n = 0; n < kPairs; ++n) {
    const Egesz a = source.NextSigned();
    Egesz b = source.NextSigned();
    if (source.Uniform(0, 3) == 0) b.Magnitude = source.Partner(a.Magnitude);
    b.Top = static_cast<std::uint8_t>(TopIndex(b.Magnitude));
    const std::string operands = Describe(a) + " and " + Describe(b);
    const Z za(a), zb(b);
    const int cmp = mpz_cmp(za, zb);

    Expect("EgeszEqual", operands,
           {EgeszEqual(a, b) ? "1" : "0", cmp == 0 ? "1" : "0", false, false});
    Expect("EgeszGreater", operands,
           {EgeszGreater(a, b) ? "1" : "0", cmp > 0 ? "1" : "0", false, false});
    {
      Egesz out;
      ToEgesz(a.Magnitude, out);
      Z m(a.Magnitude);
      Expect("ToEgesz", operands, {Describe(out), Record(m), false, false});
    }
    using Step = void (*)(const Egesz&, Egesz&) noexcept;
    for (const auto& [name, op, delta] :
         {std::tuple<const char*, Step, int>{"EgeszSucc", EgeszSucc, 1},
          {"EgeszPred", EgeszPred, -1}}) {
      bool want = Preset(source);
      Egesz out;
      op(a, out);
      Z v;
      if (delta > 0) {
        mpz_add_ui(v, za, 1);
      } else {
        mpz_sub_ui(v, za, 1);
      }
      const std::string expected = WrappedRecord(v, want);
      Expect(name, operands, {Describe(out), expected, Hiba, want});
    }
    using Binary = void (*)(const Egesz&, const Egesz&, Egesz&) noexcept;
    for (const auto& [name, op, gmp] :
         {std::tuple<const char*, Binary, decltype(&mpz_add)>{"EgeszAdd", EgeszAdd, mpz_add},
          {"EgeszSubtract", EgeszSubtract, mpz_sub}}) {
      bool want = Preset(source);
      Egesz out;
      op(a, b, out);
      Z v;
      gmp(v, za, zb);
      const std::string expected = WrappedRecord(v, want);
      Expect(name, operands, {Describe(out), expected, Hiba, want});
    }
    {
      bool want = Preset(source);
      Egesz out;
      EgeszMultiply(a, b, out);
      Z v;
      mpz_mul(v, za, zb);
      if (!Limit256().Fits(v)) {
        ModelMultiply(a.Magnitude, b.Magnitude, v, want);
        if (Sgn(za) * Sgn(zb) < 0) mpz_neg(v, v);
      }
      Expect("EgeszMultiply", operands, {Describe(out), Record(v), Hiba, want});
    }
    {
      bool want = Preset(source);
      Egesz q, r;
      EgeszDivMod(a, b, q, r);
      Z zq, zr;
      int r_top = -1;
      if (Sgn(zb) == 0) {
        want = true;
      } else {
        mpz_tdiv_qr(zq, zr, za, zb);
        // A smaller non-zero dividend is the remainder as it was written.
        if (Sgn(za) != 0 && mpz_cmpabs(za, zb) < 0) r_top = a.Top;
      }
      Expect(
          "EgeszDivMod", operands,
          {Describe(q) + " r " + Describe(r), Record(zq) + " r " + Record(zr, r_top), Hiba, want});
    }
  }
}

// Divisors whose low limbs are all nines under a top pair that makes a
// quotient limb estimated from the top limbs one too large.
TEST_F(Differential, DivisionCorrectsEstimatesThatAreOneOff) {
  Operands source(seed_ + 3);
  constexpr unsigned long kBase = 100000000;
  for (int n = 0; n < kPairs / 4; ++n) {
    const int limbs = source.Uniform(3, 31);
    Z top_pair, v, u, low, scale;
    // top limb at least half the base, so no scaling hides the case
    mpz_set_ui(top_pair, static_cast<unsigned long>(source.Uniform(50000000, 99999999)));
    mpz_mul_ui(top_pair, top_pair, kBase);
    mpz_add_ui(top_pair, top_pair, static_cast<unsigned long>(source.Uniform(0, 99999999)));
    mpz_ui_pow_ui(scale, kBase, static_cast<unsigned long>(limbs - 2));
    mpz_sub_ui(low, scale, static_cast<unsigned long>(source.Uniform(1, 3)));
    mpz_mul(v, top_pair, scale);
    mpz_add(v, v, low);
    mpz_mul_ui(u, top_pair, static_cast<unsigned long>(source.Uniform(1, 9)));
    mpz_mul(u, u, scale);
    mpz_sub_ui(u, u, static_cast<unsigned long>(source.Uniform(0, 5)));
    const NemNegEgesz a = FromMpz(u);
    const NemNegEgesz b = FromMpz(v);
    Hiba = false;
    NemNegEgesz q, r;
    DivMod(a, b, q, r);
    Z zq, zr;
    mpz_tdiv_qr(zq, zr, u, v);
    Expect("DivMod", Text(a) + " and " + Text(b),
           {Text(q) + " r " + Text(r), MpzText(zq) + " r " + MpzText(zr), Hiba, false});
  }
}

}  // namespace
}  // namespace nagyszam
