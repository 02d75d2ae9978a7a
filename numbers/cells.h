// The kernels every operation is built from, in sets with one interface:
// Portable (plain C++, eight cells to a 64-bit word), Avx2 (32 cells to a
// vector, x86-64 only) and Avx512 (Avx2 with 64 cells to a vector where
// that pays), picked at run time. Internal to the library.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "numbers/numbers.h"

// GCC and clang on x86-64 build the AVX2 set beside the portable one. On
// Windows only where the build has the assembler turn aligned vector moves
// into unaligned ones (NAGYSZAM_WINDOWS_AVX2): the stack there is aligned
// to 16 bytes, and a GCC without that fix spills 32-byte vectors with moves
// that fault on it.
#if defined(__x86_64__) && defined(__GNUC__) && (!defined(_WIN32) || defined(NAGYSZAM_WINDOWS_AVX2))
#define NAGYSZAM_AVX2 1
#else
#define NAGYSZAM_AVX2 0
#endif

namespace nagyszam::kernels {

static_assert(std::endian::native == std::endian::little, "digit words need little-endian bytes");

constexpr int kCells = MaxIndex + 1;
constexpr int kWords = kCells / 8;
constexpr std::uint64_t kOnes = 0x0101010101010101;
constexpr std::uint64_t kBias = 0xF6 * kOnes;  // 256 - 10 in every byte
// A byte at 246..255 has its top bit set, a digit 0..9 does not.
constexpr std::uint64_t kTops = 0x80 * kOnes;

inline std::uint64_t Load(const std::uint8_t* x, int w) noexcept {
  std::uint64_t v;
  std::memcpy(&v, x + 8 * w, sizeof v);
  return v;
}

inline void Store(std::uint8_t* x, int w, std::uint64_t v) noexcept {
  std::memcpy(x + 8 * w, &v, sizeof v);
}

// Cells of the highest non-zero byte of word v, at word w: 0 for v = 0.
constexpr int WordLength(std::uint64_t v, int w) noexcept {
  return v == 0 ? 0 : 8 * w + 8 - std::countl_zero(v) / 8;
}

struct WordResult {
  std::uint64_t value;
  std::uint64_t carry;  // 0 or 1: carry out of, or borrow from beyond, the word
};

// a + b + carry, digit by digit. Each byte biased by 246 reaches 256 exactly
// when its digit sum reaches 10; bytes that did not carry lose the bias.
constexpr WordResult AddWord(std::uint64_t a, std::uint64_t b, std::uint64_t carry) noexcept {
  std::uint64_t s;  // written by the first overflow check
  const bool out1 = __builtin_add_overflow(a + kBias, b, &s);
  const bool out2 = __builtin_add_overflow(s, carry, &s);
  const std::uint64_t kept = (s & kTops) / 0x80;
  return {s - kept * 0xF6, std::uint64_t{out1 || out2}};
}

// a - b - borrow, digit by digit: a byte that borrowed holds 246..255 and
// gets its ten back.
constexpr WordResult SubtractWord(std::uint64_t a, std::uint64_t b, std::uint64_t borrow) noexcept {
  std::uint64_t d;  // written by the first overflow check
  const bool out1 = __builtin_sub_overflow(a, b, &d);
  const bool out2 = __builtin_sub_overflow(d, borrow, &d);
  const std::uint64_t borrowed = (d & kTops) / 0x80;
  return {d - borrowed * 0xF6, std::uint64_t{out1 || out2}};
}

static_assert(AddWord(9 * kOnes, 0, 1).value == 0 && AddWord(9 * kOnes, 0, 1).carry == 1);
static_assert(AddWord(0x0000000000000905, 0x0000000000000005, 0).value == 0x0000000000010000);
static_assert(SubtractWord(0, 0, 1).value == 9 * kOnes && SubtractWord(0, 0, 1).carry == 1);
static_assert(SubtractWord(0x0000000000000100, 0x0000000000000001, 0).value == 0x0000000000000009);
static_assert(WordLength(0, 3) == 0 && WordLength(0x0000000000000100, 0) == 2);

// What a kernel that writes a number reports: the result's length in cells
// (up to its highest non-zero one, 0 for zero; for the steps only when
// asked to measure), and `over`: a carry out of cell 255 for Add and StepUp,
// a refusal (nothing written) for Subtract and StepDown.
struct Outcome {
  int length;
  bool over;
};

// What Multiply writes to top, when given one, from p's length.
inline int WithTop(int length, std::uint8_t* top) noexcept {
  if (top != nullptr) *top = static_cast<std::uint8_t>(length > 0 ? length - 1 : 0);
  return length;
}

// What the short division writes to tops, for the signed call only: q's
// top cell and then r's, from masks of their non-zero cells (q's never
// empty). A bit scan of cells already made, where the lengths of the
// binary results took a dozen instructions more: the signed short division
// 7 to 9% faster.
inline void WriteTops(std::uint8_t* const* tops, std::uint32_t q_used,
                      std::uint32_t r_used) noexcept {
  *tops[0] = static_cast<std::uint8_t>(std::countl_zero(q_used) ^ 31);
  *tops[1] = static_cast<std::uint8_t>(std::countl_zero(r_used | 1) ^ 31);
}

// Both outputs of a division: their lengths.
struct Lengths {
  int quotient;
  int remainder;
};

// One set of kernels: Set<false> is the portable one, Set<true> the AVX2 one
// (defined in portable.cpp and the avx2 files). Cells are 256 bytes; an
// output may be an input. Only Multiply and DivMod set Hiba.
template <bool kAvx2>
struct Set {
  // Cells up to the highest non-zero one: 0 for zero.
  static int Length(const std::uint8_t* x) noexcept;
  // Groups of four words up to the highest non-zero one.
  static int Groups(const std::uint8_t* x) noexcept;
  static bool Equal(const std::uint8_t* a, const std::uint8_t* b) noexcept;
  static bool Greater(const std::uint8_t* a, const std::uint8_t* b) noexcept;
  // s = a + b modulo 10^256.
  static Outcome Add(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* s) noexcept;
  // d = a - b; a < b is refused.
  static Outcome Subtract(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* d) noexcept;
  // y = x + 1 modulo 10^256.
  static Outcome StepUp(const std::uint8_t* x, std::uint8_t* y, bool measure) noexcept;
  // y = x - 1; zero is refused.
  static Outcome StepDown(const std::uint8_t* x, std::uint8_t* y, bool measure) noexcept;
  // out = words 0..m-1 of cells as base 10^8 limbs, one to a 64-bit slot,
  // each at most 10^8 - 1 whatever the bytes, for m = n rounded up to 4.
  static void ToLimbs(const std::uint8_t* cells, int n, std::uint64_t* out) noexcept;
  // All 256 cells zero.
  static void Clear(std::uint8_t* cells) noexcept;
  // Words 0..n-1 of cells = limbs 0..n-1 (each below 10^8), the rest zero;
  // returns the length. Reads only limbs 0..n-1.
  static int FromLimbs(const std::uint64_t* limbs, int n, std::uint8_t* cells) noexcept;
  // p = a * b for a of ga and b of gb used groups of four words (both at
  // least 1) whose product has at most 32 limbs: ga + gb <= 8, or the used
  // words add up to at most 32, or to 33 with a product below 10^256. All
  // 256 cells of p are written, and p may be a or b. Returns p's length.
  static int Product(const std::uint8_t* a, int ga, const std::uint8_t* b, int gb,
                     std::uint8_t* p) noexcept;
  // w[j + i] -= digit * v[i] modulo 2^64 for i below nb, with digit below
  // 2^32, v's limbs below 10^8 and zero in the four slots around
  // v[0..nb-1], and w's groups of four from j / 4 on aligned to 32 bytes.
  static void SubtractProducts(std::uint64_t* w, int j, std::uint64_t digit, const std::uint64_t* v,
                               int nb) noexcept;
  // cells = (the sum of (column[k] + shift * (B - [k > 0])) * B^k for k
  // below n) mod B^n, B = 10^8: the columns, each shifted up by shift B and
  // down by shift in the column above (shift 0 for none), so that columns
  // of signed limbs stored modulo 2^64 come out at or above zero. For n at
  // most 32 and shifted columns below 2^58; all 256 cells written. Returns
  // the length.
  static int Carry(const std::uint64_t* column, int n, std::uint64_t shift,
                   std::uint8_t* cells) noexcept;
  // cells = a - digit * b for a and b taken as their words 0..n-1 as limbs
  // (as ToLimbs reads them; n from 3 to 32, a and b zero from word n on)
  // and digit below B, when that is at or above zero and below B^n. Reads
  // a and b before writing; all 256 cells written. Returns the length.
  static int SubtractMultiple(const std::uint8_t* a, const std::uint8_t* b, std::uint64_t digit,
                              int n, std::uint8_t* cells) noexcept;
  // p = a * b, setting Hiba on overflow. Given top, writes p's highest
  // non-zero cell there (0 for zero) and returns p's length; given none,
  // returns p's length or 0.
  static int Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p,
                      std::uint8_t* top) noexcept;
  // q, r = a / b, a % b for a and b of lengths ca >= cb >= 1. Returns
  // their lengths when asked to measure; otherwise they may be zero.
  static Lengths DivMod(const NemNegEgesz& a, int ca, const NemNegEgesz& b, int cb, NemNegEgesz& q,
                        NemNegEgesz& r, bool measure) noexcept;
  // The commonest division straight from the cells, before anything is
  // measured: q, r = a / b, a % b for a of at most 32 digits and b of at
  // most 16, a quotient from 1 to 2^64 - 1, and cells 0..9 only. Given
  // tops, writes q's highest non-zero cell to tops[0] and then r's to
  // tops[1] (0 for zero). Returns 0, having written nothing, for anything
  // else, which DivMod then takes; otherwise 1, or 2 when r is zero. The
  // portable set has none.
  static int ShortDivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q, NemNegEgesz& r,
                         std::uint8_t* const* tops) noexcept;
};

using Portable = Set<false>;
#if NAGYSZAM_AVX2
using Avx2 = Set<true>;
static_assert(!std::is_same_v<Avx2, Portable>, "the AVX2 build has its own kernels");
// Set at start-up when the CPU and the system support AVX2; the tests clear
// it to run the portable set.
extern bool use_avx2;
// Set at start-up when the CPU and the system also support AVX-512 (F and
// BW): the Avx512 set (below) runs then, and the AVX2 set's limb kernels
// take their longest loops on 512-bit vectors. The tests clear it to run
// the AVX2 set alone.
extern bool use_avx512;
// Set at start-up when the CPU also has AVX-512 IFMA: the short division
// then turns its results into cells by 52-bit multiplies. The tests clear
// it to run the AVX-512 set without them.
extern bool use_ifma;
#else
using Avx2 = Portable;
constexpr bool use_avx2 = false;
constexpr bool use_avx512 = false;
constexpr bool use_ifma = false;
#endif

template <>
inline int Portable::ShortDivMod(const NemNegEgesz&, const NemNegEgesz&, NemNegEgesz&, NemNegEgesz&,
                                 std::uint8_t* const*) noexcept {
  return 0;
}

#if NAGYSZAM_AVX2
namespace avx2 {
int ShortDivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q, NemNegEgesz& r,
                std::uint8_t* const* tops) noexcept;
}  // namespace avx2

// Cells 32..39 of a and 16..23 of b first, here: a longer number nearly
// always has a digit there, and a long division then pays only that look,
// not the call.
inline bool ShortShape(const NemNegEgesz& a, const NemNegEgesz& b) noexcept {
  return (Load(a.data(), 4) | Load(b.data(), 2)) == 0;
}

template <>
inline int Avx2::ShortDivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q,
                             NemNegEgesz& r, std::uint8_t* const* tops) noexcept {
  return ShortShape(a, b) ? avx2::ShortDivMod(a, b, q, r, tops) : 0;
}
#endif

#if NAGYSZAM_AVX2
// The AVX2 set with its kernels on cells taken 64 cells to a vector
// (avx512_cells.cpp) and its own Multiply, which takes two short numbers
// on one vector and hands the rest to the AVX2 one (avx512_limbs.cpp), for
// processors with AVX-512; the limb kernels it inherits hand their longest
// loops over themselves.
namespace avx512 {
bool Equal(const std::uint8_t* a, const std::uint8_t* b) noexcept;
bool Greater(const std::uint8_t* a, const std::uint8_t* b) noexcept;
Outcome Add(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* s) noexcept;
Outcome Subtract(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* d) noexcept;
Outcome StepUp(const std::uint8_t* x, std::uint8_t* y, bool measure) noexcept;
Outcome StepDown(const std::uint8_t* x, std::uint8_t* y, bool measure) noexcept;
int Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p,
             std::uint8_t* top) noexcept;
int ShortDivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q, NemNegEgesz& r,
                std::uint8_t* const* tops) noexcept;
// The same, its results turned into cells by IFMA.
int ShortDivModIfma(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q, NemNegEgesz& r,
                    std::uint8_t* const* tops) noexcept;
}  // namespace avx512

struct Avx512 : Avx2 {
  static bool Equal(const std::uint8_t* a, const std::uint8_t* b) noexcept {
    return avx512::Equal(a, b);
  }
  static bool Greater(const std::uint8_t* a, const std::uint8_t* b) noexcept {
    return avx512::Greater(a, b);
  }
  static Outcome Add(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* s) noexcept {
    return avx512::Add(a, b, s);
  }
  static Outcome Subtract(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* d) noexcept {
    return avx512::Subtract(a, b, d);
  }
  static Outcome StepUp(const std::uint8_t* x, std::uint8_t* y, bool measure) noexcept {
    return avx512::StepUp(x, y, measure);
  }
  static Outcome StepDown(const std::uint8_t* x, std::uint8_t* y, bool measure) noexcept {
    return avx512::StepDown(x, y, measure);
  }
  static int Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p,
                      std::uint8_t* top) noexcept {
    return avx512::Multiply(a, b, p, top);
  }
  static int ShortDivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q, NemNegEgesz& r,
                         std::uint8_t* const* tops) noexcept {
    if (!ShortShape(a, b)) return 0;
    return use_ifma ? avx512::ShortDivModIfma(a, b, q, r, tops)
                    : avx512::ShortDivMod(a, b, q, r, tops);
  }
};
#else
using Avx512 = Portable;
#endif

// f(Avx512{}), f(Avx2{}) or f(Portable{}), whichever set runs.
template <class F>
inline decltype(auto) Run(F f) noexcept {
  if (use_avx512) return f(Avx512{});
  if (use_avx2) return f(Avx2{});
  return f(Portable{});
}

}  // namespace nagyszam::kernels
