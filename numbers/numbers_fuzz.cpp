// Every library operation on two fuzzed operands of up to 256 digits, any
// signs (negative zero included), against GMP's exact arithmetic and a GMP
// model of the overflow rules. Any difference in a result cell, Top, Sign or
// Hiba traps.
//
// Input: a flags byte (bit 0 Hiba set before each call, bits 1-2 the signs,
// bits 3-4 fill mode, bits 5-6 a 256-digit length), the two lengths, two
// Top extras, a shift count, then the digits (each byte mod 10) of a and b
// (a filled operand repeats one digit), then PosMod's two operands.
#include <gmp.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "numbers/numbers.h"

namespace nagyszam {
namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "numbers fuzz: %s differs from the model\n", what);
  __builtin_trap();
}

// GMP values with automatic cleanup.
struct Z {
  mpz_t v;
  Z() { mpz_init(v); }
  Z(const Z&) = delete;
  Z& operator=(const Z&) = delete;
  ~Z() { mpz_clear(v); }
  operator mpz_ptr() { return v; }
  operator mpz_srcptr() const { return v; }
};

int Sgn(mpz_srcptr v) {
  return mpz_sgn(v);
}

// 10^256, the first value that needs a 257th digit.
struct LimitValue : Z {
  LimitValue() { mpz_ui_pow_ui(v, 10, 256); }
};

const Z& Limit() {
  static const LimitValue limit;
  return limit;
}

std::string DecimalText(mpz_srcptr v) {
  std::string text(mpz_sizeinbase(v, 10) + 2, '\0');
  mpz_get_str(text.data(), 10, v);
  text.resize(std::char_traits<char>::length(text.c_str()));
  return text;
}

void ToZ(const NemNegEgesz& x, Z& out) {
  std::string digits;
  for (int i = MaxIndex; i >= 0; --i) {
    if (x[i] > 9) Fail("a digit cell outside 0..9");
    digits.push_back(static_cast<char>('0' + x[i]));
  }
  mpz_set_str(out, digits.c_str(), 10);
}

void SignedToZ(const Egesz& x, Z& out) {
  ToZ(x.Magnitude, out);
  if (x.Sign == Elojel::Negativ) mpz_neg(out, out);
}

// v must lie in 0 .. 10^256 - 1.
NemNegEgesz FromZ(mpz_srcptr v) {
  NemNegEgesz x{};
  if (Sgn(v) < 0) Fail("the model (a negative magnitude)");
  const std::string text = DecimalText(v);
  const int length = static_cast<int>(text.size());
  if (length > 256) Fail("the model (more than 256 digits)");
  for (int i = 0; i < length; ++i) x[i] = static_cast<std::uint8_t>(text[length - 1 - i] - '0');
  return x;
}

std::int16_t ModelTop(mpz_srcptr v) {
  if (Sgn(v) == 0) return 0;
  Z a;
  mpz_abs(a, v);
  return static_cast<std::int16_t>(DecimalText(a).size() - 1);
}

// The record a signed result must be; a zero magnitude is EgeszNulla.
Egesz Record(mpz_srcptr v, int top = -1) {
  Z magnitude;
  mpz_abs(magnitude, v);
  if (Sgn(v) == 0) return EgeszNulla;
  Egesz x{};
  x.Magnitude = FromZ(magnitude);
  x.Sign = Sgn(v) < 0 ? Elojel::Negativ : Elojel::Pozitiv;
  x.Top = static_cast<std::uint8_t>(top < 0 ? ModelTop(v) : top);
  return x;
}

// A sum, difference or step whose magnitude keeps its low 256 digits.
Egesz WrappedRecord(mpz_srcptr v, bool& hiba) {
  if (mpz_cmpabs(v, Limit()) < 0) return Record(v);
  hiba = true;
  Z magnitude;
  mpz_abs(magnitude, v);
  mpz_mod(magnitude, magnitude, Limit());
  if (Sgn(v) < 0) mpz_neg(magnitude, magnitude);
  return Record(magnitude);
}

bool Same(const Egesz& a, const Egesz& b) {
  return a.Top == b.Top && a.Sign == b.Sign && a.Magnitude == b.Magnitude;
}

void Check(bool holds, const char* what) {
  if (!holds) Fail(what);
}

// Multiply's value by its pass-by-pass rules: each digit of b gives a
// partial product whose lost final carry, refused shift or wrapping sum sets
// the flag and leaves its own documented value.
void ModelMultiply(const NemNegEgesz& a, const NemNegEgesz& b, Z& p, bool& hiba) {
  Z za, partial, scale;
  ToZ(a, za);
  mpz_set_ui(p, 0);
  for (int i = 0; i <= TopIndex(b); ++i) {
    mpz_mul_ui(partial, za, b[i]);
    if (mpz_cmp(partial, Limit()) >= 0) {
      hiba = true;
      mpz_mod(partial, partial, Limit());
    }
    if (ModelTop(partial) + i > MaxIndex) {
      hiba = true;
    } else {
      mpz_ui_pow_ui(scale, 10, static_cast<unsigned long>(i));
      mpz_mul(partial, partial, scale);
    }
    mpz_add(p, p, partial);
    if (mpz_cmp(p, Limit()) >= 0) {
      hiba = true;
      mpz_sub(p, p, Limit());
    }
  }
}

// A valid number in every cell, unrelated to the operands: what an output
// held before the call.
NemNegEgesz Previous() {
  NemNegEgesz x{};
  for (int i = 0; i < 200; ++i) x[i] = static_cast<std::uint8_t>((i * 7 + 3) % 10);
  return x;
}

struct Input {
  const std::uint8_t* Data;
  std::size_t Size;
  std::size_t Pos;
  std::uint8_t Next() { return Pos < Size ? Data[Pos++] : 0; }
};

NemNegEgesz ReadOperand(Input& in, int length, bool fill) {
  NemNegEgesz x{};
  const std::uint8_t filler = in.Next();
  for (int i = 0; i < length; ++i)
    x[i] = static_cast<std::uint8_t>((fill ? filler : in.Next()) % 10);
  return x;
}

Egesz Signed(const NemNegEgesz& magnitude, bool negative, std::uint8_t topExtra) {
  const int top = TopIndex(magnitude);
  return Egesz{static_cast<std::uint8_t>(top + topExtra % (256 - top)),
               negative ? Elojel::Negativ : Elojel::Pozitiv, magnitude};
}

// PosMod's remainder truncates towards zero after adding the modulus once
// to a negative dividend, the sum formed in 32 bits; TakeHiba returns the
// flag and clears it.
void CheckPosModAndTakeHiba(Input& in) {
  const auto a = static_cast<std::int16_t>(in.Next() | in.Next() << 8);
  const auto m = static_cast<std::int16_t>(in.Next() | in.Next() << 8);
  if (m > 0) {
    const std::int32_t sum = a < 0 ? std::int32_t{a} + m : a;
    Check(PosMod(a, m) == static_cast<std::int16_t>(sum % m), "PosMod");
  }
  for (const bool flag : {true, false}) {
    Hiba = flag;
    Check(TakeHiba() == flag && !Hiba && !TakeHiba(), "TakeHiba");
  }
}

void CheckNonNegative(const NemNegEgesz& a, const NemNegEgesz& b, bool preset, std::int16_t shift) {
  Z za, zb, v, w;
  ToZ(a, za);
  ToZ(b, zb);
  const int cmp = mpz_cmp(za, zb);
  const NemNegEgesz before = Previous();
  Check(TopIndex(a) == ModelTop(za), "TopIndex");
  Check(Equal(a, b) == (cmp == 0), "Equal");
  Check(Greater(a, b) == (cmp > 0), "Greater");

  bool want = preset;
  NemNegEgesz out = before;
  Hiba = preset;
  Add(a, b, out);
  mpz_add(v, za, zb);
  if (mpz_cmp(v, Limit()) >= 0) want = true, mpz_sub(v, v, Limit());
  Check(out == FromZ(v) && Hiba == want, "Add");

  want = preset || cmp < 0;
  out = before;
  Hiba = preset;
  Subtract(a, b, out);
  Check((cmp < 0 ? out == before : (mpz_sub(v, za, zb), out == FromZ(v))) && Hiba == want,
        "Subtract");

  // The 256-digit wrap of Succ sets the flag as Add's does.
  want = preset;
  out = before;
  Hiba = preset;
  Succ(a, out);
  mpz_add_ui(v, za, 1);
  if (mpz_cmp(v, Limit()) >= 0) want = true, mpz_set_ui(v, 0);
  Check(out == FromZ(v) && Hiba == want, "Succ");

  const bool zero = Sgn(za) == 0;
  want = preset || zero;
  out = before;
  Hiba = preset;
  Pred(a, out);
  Check((zero ? out == before : (mpz_sub_ui(v, za, 1), out == FromZ(v))) && Hiba == want, "Pred");

  want = preset;
  out = before;
  Hiba = preset;
  Multiply(a, b, out);
  mpz_mul(v, za, zb);
  if (mpz_cmp(v, Limit()) >= 0) {
    bool modelHiba = false;
    ModelMultiply(a, b, v, modelHiba);
    Check(modelHiba, "the overflow model (no flag for an overflowing product)");
    want = true;
  }
  Check(out == FromZ(v) && Hiba == want, "Multiply");

  want = preset || Sgn(zb) == 0;
  NemNegEgesz q = before, r = before;
  Hiba = preset;
  DivMod(a, b, q, r);
  if (Sgn(zb) == 0) {
    mpz_set_ui(v, 0);
    mpz_set_ui(w, 0);
  } else {
    mpz_tdiv_qr(v, w, za, zb);
  }
  Check(q == FromZ(v) && r == FromZ(w) && Hiba == want, "DivMod");

  const bool refused = !zero && ModelTop(za) + shift > MaxIndex;
  want = preset || refused;
  out = a;
  Hiba = preset;
  ShiftDigits(out, shift);
  mpz_ui_pow_ui(v, 10, static_cast<unsigned long>(shift));
  mpz_mul(v, v, za);
  Check((refused ? out == a : out == FromZ(v)) && Hiba == want, "ShiftDigits");
}

void CheckSigned(const Egesz& a, const Egesz& b, bool preset) {
  Z za, zb, v, w;
  SignedToZ(a, za);
  SignedToZ(b, zb);
  const int cmp = mpz_cmp(za, zb);
  const Egesz before{7, Elojel::Negativ, Previous()};

  // A negative zero is zero: equal to either zero, greater than neither.
  Hiba = preset;
  Check(EgeszEqual(a, b) == (cmp == 0), "EgeszEqual");
  Check(EgeszGreater(a, b) == (cmp > 0), "EgeszGreater");
  Egesz out = before;
  ToEgesz(a.Magnitude, out);
  mpz_abs(v, za);
  Check(Same(out, Record(v)) && Hiba == preset, "ToEgesz");

  bool want = preset;
  out = before;
  Hiba = preset;
  EgeszSucc(a, out);
  mpz_add_ui(v, za, 1);
  Check(Same(out, WrappedRecord(v, want)) && Hiba == want, "EgeszSucc");

  want = preset;
  out = before;
  Hiba = preset;
  EgeszPred(a, out);
  mpz_sub_ui(v, za, 1);
  Check(Same(out, WrappedRecord(v, want)) && Hiba == want, "EgeszPred");

  want = preset;
  out = before;
  Hiba = preset;
  EgeszAdd(a, b, out);
  mpz_add(v, za, zb);
  Check(Same(out, WrappedRecord(v, want)) && Hiba == want, "EgeszAdd");

  want = preset;
  out = before;
  Hiba = preset;
  EgeszSubtract(a, b, out);
  mpz_sub(v, za, zb);
  Check(Same(out, WrappedRecord(v, want)) && Hiba == want, "EgeszSubtract");

  want = preset;
  out = before;
  Hiba = preset;
  EgeszMultiply(a, b, out);
  mpz_mul(v, za, zb);
  if (mpz_cmpabs(v, Limit()) >= 0) {
    ModelMultiply(a.Magnitude, b.Magnitude, v, want);
    if (Sgn(za) * Sgn(zb) < 0) mpz_neg(v, v);
  }
  Check(Same(out, Record(v)) && Hiba == want, "EgeszMultiply");

  // Any zero divisor fails; a smaller non-zero dividend is the remainder as
  // it was written, its Top included.
  want = preset || Sgn(zb) == 0;
  Egesz q = before, r = before;
  Hiba = preset;
  EgeszDivMod(a, b, q, r);
  int remainderTop = -1;
  if (Sgn(zb) == 0) {
    mpz_set_ui(v, 0);
    mpz_set_ui(w, 0);
  } else {
    mpz_tdiv_qr(v, w, za, zb);
    if (Sgn(za) != 0 && mpz_cmpabs(za, zb) < 0) remainderTop = a.Top;
  }
  Check(Same(q, Record(v)) && Same(r, Record(w, remainderTop)) && Hiba == want, "EgeszDivMod");
}

}  // namespace
}  // namespace nagyszam

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nagyszam;
  Input in{data, size, 0};
  const std::uint8_t flags = in.Next();
  const int lengthA = flags & 32 ? 256 : in.Next();
  const int lengthB = flags & 64 ? 256 : in.Next();
  const std::uint8_t topA = in.Next(), topB = in.Next();
  const auto shift = static_cast<std::int16_t>(in.Next());
  const NemNegEgesz a = ReadOperand(in, lengthA, flags & 8);
  const NemNegEgesz b = ReadOperand(in, lengthB, flags & 16);
  CheckPosModAndTakeHiba(in);
  const bool preset = flags & 1;
  CheckNonNegative(a, b, preset, shift);
  CheckNonNegative(b, a, preset, shift);
  const Egesz sa = Signed(a, flags & 2, topA), sb = Signed(b, flags & 4, topB);
  CheckSigned(sa, sb, preset);
  CheckSigned(sb, sa, preset);
  CheckSigned(sa, sa, preset);
  return 0;
}
