// Digit cells eight at a time. Cell 8w + k is byte k of word w, so on a
// little-endian machine a word compares like its eight digits, and a byte
// carry or borrow of a 64-bit add or subtract moves like a decimal one.
// Internal to the library.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "numbers/numbers.h"

namespace nagyszam::cells {

static_assert(std::endian::native == std::endian::little, "digit words need little-endian bytes");

constexpr int kWords = (MaxIndex + 1) / 8;
static_assert(kWords * 8 == MaxIndex + 1, "a number is a whole number of words");

constexpr std::uint64_t kOnes = 0x0101010101010101;
constexpr std::uint64_t kBias = 0xF6 * kOnes;  // 256 - 10 in every byte

inline std::uint64_t Load(const NemNegEgesz& x, int w) noexcept {
  std::uint64_t v;
  std::memcpy(&v, x.data() + 8 * w, sizeof v);
  return v;
}

inline void Store(NemNegEgesz& x, int w, std::uint64_t v) noexcept {
  std::memcpy(x.data() + 8 * w, &v, sizeof v);
}

struct WordResult {
  std::uint64_t value;
  std::uint64_t carry;  // 0 or 1: carry out of, or borrow from beyond, the word
};

// a + b + carry, digit by digit. Each byte biased by 246 reaches 256 exactly
// when its digit sum reaches 10; bytes that did not carry lose the bias.
constexpr WordResult AddWord(std::uint64_t a, std::uint64_t b, std::uint64_t carry) noexcept {
  std::uint64_t s = 0;
  const bool out1 = __builtin_add_overflow(a + kBias, b, &s);
  const bool out2 = __builtin_add_overflow(s, carry, &s);
  const std::uint64_t kept = (s >> 7) & kOnes;
  return {s - kept * 0xF6, std::uint64_t{out1 || out2}};
}

// a - b - borrow, digit by digit: a byte that borrowed holds 246..255 and
// gets its ten back.
constexpr WordResult SubtractWord(std::uint64_t a, std::uint64_t b, std::uint64_t borrow) noexcept {
  std::uint64_t d = 0;
  const bool out1 = __builtin_sub_overflow(a, b, &d);
  const bool out2 = __builtin_sub_overflow(d, borrow, &d);
  const std::uint64_t borrowed = (d >> 7) & kOnes;
  return {d - borrowed * 0xF6, std::uint64_t{out1 || out2}};
}

static_assert(AddWord(9 * kOnes, 0, 1).value == 0 && AddWord(9 * kOnes, 0, 1).carry == 1);
static_assert(AddWord(0x0000000000000905, 0x0000000000000005, 0).value == 0x0000000000010000);
static_assert(SubtractWord(0, 0, 1).value == 9 * kOnes && SubtractWord(0, 0, 1).carry == 1);
static_assert(SubtractWord(0x0000000000000100, 0x0000000000000001, 0).value == 0x0000000000000009);

inline bool IsZero(const NemNegEgesz& x) noexcept {
  std::uint64_t any = 0;
  for (int w = 0; w < kWords; ++w) any |= Load(x, w);
  return any == 0;
}

}  // namespace nagyszam::cells
