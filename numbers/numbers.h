// The decimal number library: non-negative and signed integers of up to
// 256 decimal digits, with one global error flag instead of exceptions.
//
// Every operation takes its inputs by const reference first and writes its
// outputs last. Nothing here allocates, throws or touches the console.
//
// Outputs may be inputs: every operation reads what it needs from its
// operands before it writes an output, so Add(a, a, a), Multiply(a, b, b) or
// DivMod(a, b, a, r) give the documented results. When both outputs of
// DivMod or EgeszDivMod are one object, it ends up holding the remainder.
//
// Cells outside 0..9 (an uninitialised NemNegEgesz, say): every operation
// still returns, reads and writes only the 256 cells of its operands and
// outputs (and Hiba), and has no undefined behaviour; the cells, Top, Sign,
// comparison results and Hiba it then gives are unspecified. A Sign that is
// neither Negativ nor Pozitiv counts as Pozitiv.
//
// The error flag Hiba is one process-wide variable without locking: calls
// from several threads at once need the caller's own lock.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace nagyszam {

constexpr std::int16_t MaxIndex = 255;

// Cell i holds the decimal digit of weight 10^i; cell 0 is the units digit.
using NemNegEgesz = std::array<std::uint8_t, MaxIndex + 1>;

enum class Elojel : std::int32_t { Negativ = 0, Pozitiv = 1 };

struct Egesz {
  std::uint8_t Top;  // highest cell the display writes
  Elojel Sign;
  NemNegEgesz Magnitude;
};

inline constexpr NemNegEgesz Nulla{};
inline constexpr Egesz EgeszNulla{0, Elojel::Pozitiv, Nulla};

// Set by a failing operation; only TakeHiba clears it. No operation clears
// it, and a success after a failure leaves it set.
extern bool Hiba;

// Returns the flag and clears it.
bool TakeHiba() noexcept;

// Sets the flag to false, as at program start.
void StartNumbers() noexcept;

// The index of the highest non-zero cell; 0 for zero and one-digit values.
std::int16_t TopIndex(const NemNegEgesz& x) noexcept;
// (a + m if a < 0, else a) rem m, the sum formed in 32 bits; 0 for m = 0.
std::int16_t PosMod(std::int16_t a, std::int16_t m) noexcept;
bool Equal(const NemNegEgesz& a, const NemNegEgesz& b) noexcept;
bool Greater(const NemNegEgesz& a, const NemNegEgesz& b) noexcept;  // a > b

// y = x + 1. Overflow: x = 10^256 - 1 gives y = 0 and sets Hiba.
void Succ(const NemNegEgesz& x, NemNegEgesz& y) noexcept;
// y = x - 1. x = 0 sets Hiba and leaves y as it was.
void Pred(const NemNegEgesz& x, NemNegEgesz& y) noexcept;

// s = a + b. Overflow: a sum of 10^256 or more sets Hiba, and s holds its
// low 256 digits (the sum minus 10^256).
void Add(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& s) noexcept;
// d = a - b. a < b sets Hiba and leaves d as it was; a = b gives zero.
void Subtract(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& d) noexcept;
// p = a * b. Overflow: a product of 10^256 or more sets Hiba, and p holds
// what the pen-and-paper rules build: for each digit b_i of b, from the
// units up, the partial product a * b_i (its carry out of cell 255 dropped)
// is shifted up i cells - or, when a digit would pass cell 255, added
// unshifted - and added to p, keeping the low 256 digits of each sum.
void Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p) noexcept;
// a = q * b + r with 0 <= r < b. b = 0 sets Hiba and gives q = r = 0.
void DivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q, NemNegEgesz& r) noexcept;

// Signed operations. Every result has Top = TopIndex of its magnitude, and
// a zero result is EgeszNulla (Top 0, Pozitiv). A negative zero (Negativ,
// magnitude zero) operand counts as zero everywhere: it equals EgeszNulla.
//
// out = x with Sign Pozitiv.
void ToEgesz(const NemNegEgesz& x, Egesz& out) noexcept;
bool EgeszEqual(const Egesz& a, const Egesz& b) noexcept;    // Top is not compared
bool EgeszGreater(const Egesz& a, const Egesz& b) noexcept;  // a > b
// out = x + 1 and out = x - 1. Overflow: a magnitude of 10^256 - 1 moving
// away from zero gives EgeszNulla and sets Hiba.
void EgeszSucc(const Egesz& x, Egesz& out) noexcept;
void EgeszPred(const Egesz& x, Egesz& out) noexcept;
// out = a + b and out = a - b. Overflow: a result of magnitude 10^256 or
// more sets Hiba; out keeps the result's sign and the low 256 digits of its
// magnitude (EgeszNulla if those are zero).
void EgeszAdd(const Egesz& a, const Egesz& b, Egesz& out) noexcept;
void EgeszSubtract(const Egesz& a, const Egesz& b, Egesz& out) noexcept;
// out = a * b. Overflow: as Multiply's, with the product's sign (Pozitiv if
// the magnitude left is zero).
void EgeszMultiply(const Egesz& a, const Egesz& b, Egesz& out) noexcept;
// q = a / b truncated toward zero, r = a - q * b (the dividend's sign). A
// dividend of smaller magnitude than the divisor is the remainder whole, its
// Top included. A zero divisor (negative zero too) sets Hiba and gives
// q = r = EgeszNulla; a zero dividend gives the same without Hiba.
void EgeszDivMod(const Egesz& a, const Egesz& b, Egesz& q, Egesz& r) noexcept;

// Decimal text, most significant digit first.
//
// Parsing takes decimal digits, for an Egesz after an optional '+' or '-':
// empty text, any other character (spaces included) or more than
// MaxDecimalDigits digits is a failure, which sets Hiba and leaves out as it
// was. Leading zeros are allowed. The result is what the operations give:
// Top is TopIndex of the magnitude, and a zero is EgeszNulla ("-0" too).
constexpr std::size_t MaxDecimalDigits = MaxIndex + 1;
void ParseNemNegEgesz(std::string_view text, NemNegEgesz& out) noexcept;
void ParseEgesz(std::string_view text, Egesz& out) noexcept;

// Formatting writes the digits without leading zeros ("0" for zero), after
// a '-' for a negative Egesz, into out and returns their count; no NUL
// follows. Top is not consulted, and a negative zero is written "0". A
// buffer too short (MaxEgeszText always suffices) or a cell above 9 is a
// failure: Hiba is set, nothing is written and the result is 0.
constexpr std::size_t MaxEgeszText = MaxDecimalDigits + 1;
std::size_t FormatNemNegEgesz(const NemNegEgesz& x, std::span<char> out) noexcept;
std::size_t FormatEgesz(const Egesz& x, std::span<char> out) noexcept;

}  // namespace nagyszam
