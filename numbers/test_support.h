// Test-only: numbers from a short notation, and every operation checked
// against GMP with a small model of the overflow rules, on distinct and on
// shared objects.
#pragma once

#include <gmp.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <ostream>
#include <string>
#include <string_view>

#include "numbers/cells.h"
#include "numbers/numbers.h"

namespace nagyszam::testing {

// Space-separated pieces, most significant first: plain digits, "DxN" for
// the digit D N times, "eN" for N zeros. "19 e254" is 19 * 10^254.
inline NemNegEgesz Num(std::string_view notation) {
  std::string digits;
  for (std::size_t pos = 0, end = 0; pos < notation.size(); pos = end + 1) {
    end = std::min(notation.find(' ', pos), notation.size());
    const std::string piece(notation.substr(pos, end - pos));
    if (piece[0] == 'e') {
      digits.append(std::stoul(piece.substr(1)), '0');
    } else if (piece.size() > 2 && piece[1] == 'x') {
      digits.append(std::stoul(piece.substr(2)), piece[0]);
    } else {
      digits += piece;
    }
  }
  if (digits.size() > 256) std::abort();  // a table typo
  NemNegEgesz x{};
  for (std::size_t i = 0; i < digits.size(); ++i) {
    x[i] = static_cast<std::uint8_t>(digits[digits.size() - 1 - i] - '0');
  }
  return x;
}

// "+..." or "-..." and Num notation; Top is TopIndex unless given.
inline Egesz Signed(std::string_view notation, int top = -1) {
  const NemNegEgesz m = Num(notation.substr(1));
  return {static_cast<std::uint8_t>(top < 0 ? TopIndex(m) : top),
          notation[0] == '-' ? Elojel::Negativ : Elojel::Pozitiv, m};
}

// Digits without leading zeros; a cell outside 0..9 shows as <n>.
inline std::string Text(const NemNegEgesz& x) {
  std::string out;
  for (int i = MaxIndex; i >= 0; --i) {
    if (out.empty() && x[i] == 0 && i > 0) continue;
    out += x[i] <= 9 ? std::string(1, static_cast<char>('0' + x[i]))
                     : "<" + std::to_string(x[i]) + ">";
  }
  return out;
}

inline std::string Text(const Egesz& x) {
  return (x.Sign == Elojel::Negativ ? "-" : "+") + Text(x.Magnitude) + " (Top " +
         std::to_string(x.Top) + ")";
}

inline bool Same(const Egesz& a, const Egesz& b) {
  return a.Top == b.Top && a.Sign == b.Sign && a.Magnitude == b.Magnitude;
}
inline bool Same(const NemNegEgesz& a, const NemNegEgesz& b) {
  return a == b;
}

// The kernels that run: the portable, AVX2 or AVX-512 set, the last
// without or with IFMA.
enum class KernelSet { kPortable, kAvx2, kAvx512, kAvx512Ifma };

inline const char* Name(KernelSet set) {
  static constexpr const char* kNames[] = {"Portable", "Avx2", "Avx512", "Avx512Ifma"};
  return kNames[static_cast<int>(set)];
}

inline void PrintTo(KernelSet set, std::ostream* out) {
  *out << Name(set);
}

// Whether this CPU runs `set` (asked while no UseKernels lives).
inline bool Available(KernelSet set) {
  switch (set) {
    case KernelSet::kPortable:
      return true;
    case KernelSet::kAvx2:
      return kernels::use_avx2;
    case KernelSet::kAvx512:
      return kernels::use_avx512;
    case KernelSet::kAvx512Ifma:
      return kernels::use_ifma;
  }
  return false;
}

// Runs `set`, one this CPU has, for as long as it lives.
class UseKernels {
 public:
  explicit UseKernels(KernelSet set) {
#if NAGYSZAM_AVX2
    if (set == KernelSet::kPortable) kernels::use_avx2 = false;
    if (set < KernelSet::kAvx512) kernels::use_avx512 = false;
    if (set != KernelSet::kAvx512Ifma) kernels::use_ifma = false;
#endif
    (void)set;
  }
  UseKernels(const UseKernels&) = delete;
  UseKernels& operator=(const UseKernels&) = delete;
  ~UseKernels() {
#if NAGYSZAM_AVX2
    kernels::use_avx2 = avx2_;
    kernels::use_avx512 = avx512_;
    kernels::use_ifma = ifma_;
#endif
  }

 private:
#if NAGYSZAM_AVX2
  bool avx2_ = kernels::use_avx2, avx512_ = kernels::use_avx512, ifma_ = kernels::use_ifma;
#endif
};

// GMP values with automatic cleanup.
struct Z {
  mpz_t v;
  Z() { mpz_init(v); }
  explicit Z(const NemNegEgesz& x) : Z() { mpz_set_str(v, Text(x).c_str(), 10); }
  explicit Z(const Egesz& x) : Z(x.Magnitude) {
    if (x.Sign == Elojel::Negativ) mpz_neg(v, v);
  }
  Z(const Z&) = delete;
  Z& operator=(const Z&) = delete;
  ~Z() { mpz_clear(v); }
  operator mpz_ptr() { return v; }
  operator mpz_srcptr() const { return v; }
};

inline int Sgn(mpz_srcptr v) {
  return mpz_sgn(v);
}

inline const Z& Limit() {  // 10^256, the first value with a 257th digit
  static const struct L : Z {
    L() { mpz_ui_pow_ui(v, 10, 256); }
  } limit;
  return limit;
}

// |v| mod 10^256 as cells; sets wrapped when |v| did not fit.
inline NemNegEgesz Cells(mpz_srcptr v, bool& wrapped) {
  Z m;
  mpz_abs(m, v);
  if (mpz_cmp(m, Limit()) >= 0) wrapped = true, mpz_mod(m, m, Limit());
  char text[260];
  return Num(mpz_get_str(text, 10, m));
}

// The record of value v (its magnitude wrapped to 256 digits); zero is
// EgeszNulla.
inline Egesz Record(mpz_srcptr v, bool& wrapped) {
  const NemNegEgesz m = Cells(v, wrapped);
  Egesz x{static_cast<std::uint8_t>(TopIndex(m)), Elojel::Pozitiv, m};
  if (mpz_sgn(v) < 0 && m != Nulla) x.Sign = Elojel::Negativ;
  return x;
}

// Multiply past 256 digits, by its pass rules: for each digit b_i the
// partial product a * b_i loses its carry out of cell 255, is shifted i
// cells unless a digit would pass cell 255, and the sum wraps; each sets the
// flag.
inline void ModelMultiply(const NemNegEgesz& a, const NemNegEgesz& b, Z& p, bool& hiba) {
  const Z za(a);
  Z partial;
  mpz_set_ui(p, 0);
  for (int i = 0; i <= TopIndex(b); ++i) {
    mpz_mul_ui(partial, za, b[i]);
    if (mpz_cmp(partial, Limit()) >= 0) hiba = true, mpz_mod(partial, partial, Limit());
    bool fits = false;
    if (TopIndex(Cells(partial, fits)) + i > MaxIndex) {
      hiba = true;
    } else {
      Z scale;
      mpz_ui_pow_ui(scale, 10, static_cast<unsigned long>(i));
      mpz_mul(partial, partial, scale);
    }
    mpz_add(p, p, partial);
    if (mpz_cmp(p, Limit()) >= 0) hiba = true, mpz_sub(p, p, Limit());
  }
}

// A copy of value in slot 0..3, ending where an inaccessible page begins:
// an operation that reads or writes past its record faults at once, in
// any build.
template <class T>
T& Fenced(int slot, const T& value) {
  static const long page = sysconf(_SC_PAGESIZE);
  static auto* const pages = [] {
    void* p = mmap(nullptr, 8 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) std::abort();
    for (int i = 1; i < 8; i += 2) mprotect(static_cast<char*>(p) + i * page, page, PROT_NONE);
    return static_cast<char*>(p);
  }();
  return *new (pages + (2 * slot + 1) * page - sizeof(T)) T(value);
}

// Keeps the first difference between the library and the model.
inline void Fail(std::string& first, const std::string& what) {
  if (first.empty()) first = what;
}

// The expected output of one call: a value, or the output left as it was.
template <class T>
struct Want {
  T value;
  bool untouched;
  bool hiba;
};

// op(x, out), on a separate output holding old digits and in place.
template <class T, class Op>
void CheckUnary(std::string& report, const char* name, Op op, const T& x, const Want<T>& want,
                bool preset, const T& stale) {
  for (const bool in_place : {false, true}) {
    T& out = Fenced(0, in_place ? x : stale);
    const T before = out;
    Hiba = preset;
    op(in_place ? out : Fenced(1, x), out);
    if (!Same(out, want.untouched ? before : want.value) || Hiba != (preset || want.hiba)) {
      Fail(report, std::string(name) + (in_place ? " in place" : "") + " of " + Text(x) + ": " +
                       Text(out) + " Hiba " + std::to_string(Hiba));
    }
  }
}

// op(a, b, out) into a separate output, into a, into b, and (a, a, a).
template <class T, class Op>
void CheckBinary(std::string& report, const char* name, Op op, const T& a, const T& b,
                 const Want<T>& want, bool preset, const T& stale) {
  for (int into = 0; into < (Same(a, b) ? 4 : 3); ++into) {
    T &x = Fenced(0, a), &y = Fenced(1, b), &out = Fenced(2, stale);
    T& target = into == 0 ? out : into == 2 ? y : x;
    const T before = target;
    Hiba = preset;
    op(x, into == 3 ? x : y, target);
    if (!Same(target, want.untouched ? before : want.value) || Hiba != (preset || want.hiba)) {
      Fail(report, std::string(name) + " of " + Text(a) + " and " + Text(b) + " into " +
                       "sab!"[into] + ": " + Text(target) + " Hiba " + std::to_string(Hiba));
    }
  }
}

// op(a, b, q, r) for every way of placing q and r on a, b and two separate
// objects; when q and r are one object it holds r.
template <class T, class Op>
void CheckDivision(std::string& report, const char* name, Op op, const T& a, const T& b, const T& q,
                   const T& r, bool hiba, bool preset, const T& stale) {
  static constexpr int kPlaces[][2] = {{2, 3}, {0, 3}, {1, 3}, {2, 0}, {2, 1},
                                       {0, 1}, {1, 0}, {2, 2}, {0, 0}};
  for (const auto& [qi, ri] : kPlaces) {
    T* objects[4] = {&Fenced(0, a), &Fenced(1, b), &Fenced(2, stale), &Fenced(3, stale)};
    Hiba = preset;
    op(*objects[0], *objects[1], *objects[qi], *objects[ri]);
    if ((qi != ri && !Same(*objects[qi], q)) || !Same(*objects[ri], r) ||
        Hiba != (preset || hiba)) {
      Fail(report, std::string(name) + " of " + Text(a) + " and " + Text(b) + " into " +
                       "abss"[qi] + "abss"[ri] + ": " + Text(*objects[qi]) + " r " +
                       Text(*objects[ri]) + " Hiba " + std::to_string(Hiba));
    }
  }
}

// Every non-negative operation on a and b; "" when all match the model.
inline std::string CheckNonNegative(const NemNegEgesz& a, const NemNegEgesz& b, bool preset) {
  std::string report;
  // What the outputs held before: a digit in every cell, so that a cell
  // left unwritten shows.
  const NemNegEgesz stale = Num("9876543210 3x196 1x50");
  const Z za(a), zb(b);
  const int cmp = mpz_cmp(za, zb);
  if (TopIndex(a) != static_cast<int>(Text(a).size()) - 1) Fail(report, "TopIndex of " + Text(a));
  if (Equal(a, b) != (cmp == 0) || Greater(a, b) != (cmp > 0)) Fail(report, "Equal or Greater");
  Z v, w;
  bool wrapped = false;
  mpz_add_ui(v, za, 1);
  NemNegEgesz value = Cells(v, wrapped);
  CheckUnary(report, "Succ", Succ, a, {value, false, wrapped}, preset, stale);
  mpz_sub_ui(v, za, 1);
  const bool zero = Sgn(za) == 0;
  CheckUnary(report, "Pred", Pred, a, {zero ? a : Cells(v, wrapped), zero, zero}, preset, stale);
  wrapped = false;
  mpz_add(v, za, zb);
  value = Cells(v, wrapped);
  CheckBinary(report, "Add", Add, a, b, {value, false, wrapped}, preset, stale);
  mpz_sub(v, za, zb);
  CheckBinary(report, "Subtract", Subtract, a, b,
              {cmp < 0 ? a : Cells(v, wrapped), cmp < 0, cmp < 0}, preset, stale);
  wrapped = false;
  mpz_mul(v, za, zb);
  if (mpz_cmp(v, Limit()) >= 0) ModelMultiply(a, b, v, wrapped);
  value = Cells(v, wrapped);
  CheckBinary(report, "Multiply", Multiply, a, b, {value, false, wrapped}, preset, stale);
  const bool by_zero = Sgn(zb) == 0;
  if (!by_zero) mpz_tdiv_qr(v, w, za, zb);
  CheckDivision(report, "DivMod", DivMod, a, b, by_zero ? Nulla : Cells(v, wrapped),
                by_zero ? Nulla : Cells(w, wrapped), by_zero, preset, stale);
  return report;
}

// Every signed operation on a and b; "" when all match the model.
inline std::string CheckSigned(const Egesz& a, const Egesz& b, bool preset) {
  std::string report;
  const Egesz stale = Signed("-9876543210 3x196 1x50");
  const Z za(a), zb(b);
  const int cmp = mpz_cmp(za, zb);
  if (EgeszEqual(a, b) != (cmp == 0) || EgeszGreater(a, b) != (cmp > 0)) {
    Fail(report, "EgeszEqual or EgeszGreater of " + Text(a) + " and " + Text(b));
  }
  Z v, w;
  bool wrapped = false;
  mpz_abs(v, za);
  const Egesz positive = Record(v, wrapped);
  Egesz out = stale;
  ToEgesz(a.Magnitude, out);
  if (!Same(out, positive)) Fail(report, "ToEgesz of " + Text(a));
  for (const int step : {1, -1}) {
    wrapped = false;
    if (step > 0) mpz_add_ui(v, za, 1);
    if (step < 0) mpz_sub_ui(v, za, 1);
    const Egesz want = Record(v, wrapped);
    CheckUnary(report, step > 0 ? "EgeszSucc" : "EgeszPred", step > 0 ? EgeszSucc : EgeszPred, a,
               {want, false, wrapped}, preset, stale);
  }
  using Binary = void (*)(const Egesz&, const Egesz&, Egesz&) noexcept;
  for (const bool sum : {true, false}) {
    wrapped = false;
    (sum ? mpz_add : mpz_sub)(v, za, zb);
    const Egesz want = Record(v, wrapped);
    CheckBinary(report, sum ? "EgeszAdd" : "EgeszSubtract",
                static_cast<Binary>(sum ? EgeszAdd : EgeszSubtract), a, b, {want, false, wrapped},
                preset, stale);
  }
  wrapped = false;
  mpz_mul(v, za, zb);
  if (mpz_cmpabs(v, Limit()) >= 0) {
    ModelMultiply(a.Magnitude, b.Magnitude, v, wrapped);
    if (Sgn(za) * Sgn(zb) < 0) mpz_neg(v, v);
  }
  const Egesz product = Record(v, wrapped);
  CheckBinary(report, "EgeszMultiply", EgeszMultiply, a, b, {product, false, wrapped}, preset,
              stale);
  const bool by_zero = Sgn(zb) == 0;
  Egesz q = EgeszNulla, r = EgeszNulla;
  if (!by_zero && Sgn(za) != 0) {
    mpz_tdiv_qr(v, w, za, zb);
    q = Record(v, wrapped);
    r = Record(w, wrapped);
    // A smaller dividend is the remainder as it was written.
    if (mpz_cmpabs(za, zb) < 0) r = a;
  }
  CheckDivision(report, "EgeszDivMod", EgeszDivMod, a, b, q, r, by_zero, preset, stale);
  return report;
}

}  // namespace nagyszam::testing
