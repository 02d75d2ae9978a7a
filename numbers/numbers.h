// The decimal number library: non-negative and signed integers of up to
// 256 decimal digits, with one global error flag instead of exceptions.
//
// Every operation takes its inputs by const reference first and writes its
// outputs, which must be different objects from the inputs, last. Nothing
// here allocates, throws or touches the console.
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

// Set by a failing operation; only TakeHiba clears it.
extern bool Hiba;

// Returns the flag and clears it.
bool TakeHiba() noexcept;

// Sets the flag to false, as at program start.
void StartNumbers() noexcept;

// Comparisons and unit steps.
std::int16_t TopIndex(const NemNegEgesz& x) noexcept;
std::int16_t PosMod(std::int16_t a, std::int16_t m) noexcept;
bool Equal(const NemNegEgesz& a, const NemNegEgesz& b) noexcept;
bool Greater(const NemNegEgesz& a, const NemNegEgesz& b) noexcept;
void Succ(const NemNegEgesz& x, NemNegEgesz& y) noexcept;
void Pred(const NemNegEgesz& x, NemNegEgesz& y) noexcept;

// Non-negative arithmetic.
void Add(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& s) noexcept;
void Subtract(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& d) noexcept;
void Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p) noexcept;
void DivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q, NemNegEgesz& r) noexcept;

// The shift step of Multiply's passes on its own: x = x * 10^n for n in
// 0..255, refused (Hiba set, x left as it was) when a digit would pass cell
// 255 or n is negative. Declared here for the tests; other modules don't
// call it.
void ShiftDigits(NemNegEgesz& x, std::int16_t n) noexcept;

// Signed operations.
void ToEgesz(const NemNegEgesz& x, Egesz& out) noexcept;
bool EgeszEqual(const Egesz& a, const Egesz& b) noexcept;
bool EgeszGreater(const Egesz& a, const Egesz& b) noexcept;
void EgeszSucc(const Egesz& x, Egesz& out) noexcept;
void EgeszPred(const Egesz& x, Egesz& out) noexcept;
void EgeszAdd(const Egesz& a, const Egesz& b, Egesz& out) noexcept;
void EgeszSubtract(const Egesz& a, const Egesz& b, Egesz& out) noexcept;
void EgeszMultiply(const Egesz& a, const Egesz& b, Egesz& out) noexcept;
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
