// Every library operation on two fuzzed operands, outputs on separate and on
// shared objects, against GMP and the model of the overflow rules
// (test_support.h); any difference traps. With bit 3 of the flags the cells
// take the raw bytes, any value at all: then every operation only has to
// return, which the sanitizers watch.
//
// Input: a flags byte (bit 0 Hiba set before each call, bits 1-2 the signs,
// bit 3 raw bytes, bit 4 the portable kernels, bits 5-6 a 256-digit
// length), the two lengths, two Top extras, then the cells of a and b.
#include <cstdio>
#include <optional>

#include "numbers/test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nagyszam;
  std::size_t pos = 0;
  const auto next = [&] { return pos < size ? data[pos++] : std::uint8_t{0}; };
  const std::uint8_t flags = next();
  const bool raw = flags & 8;
  std::optional<testing::PortableKernels> portable;
  if (flags & 16) portable.emplace();
  const int length[2] = {flags & 32 ? 256 : next(), flags & 64 ? 256 : next()};
  const std::uint8_t extra[2] = {next(), next()};
  NemNegEgesz x[2] = {};
  Egesz s[2];
  for (int k = 0; k < 2; ++k) {
    for (int i = 0; i < length[k]; ++i) x[k][i] = raw ? next() : next() % 10;
    const int top = TopIndex(x[k]);
    s[k] = {static_cast<std::uint8_t>(top + extra[k] % (256 - top)),
            flags & (2 << k) ? Elojel::Negativ : Elojel::Pozitiv, x[k]};
  }
  const bool preset = flags & 1;
  for (const std::string& failure :
       {testing::CheckNonNegative(x[0], x[1], preset),
        testing::CheckNonNegative(x[1], x[0], preset), testing::CheckSigned(s[0], s[1], preset),
        testing::CheckSigned(s[1], s[0], preset), testing::CheckSigned(s[0], s[0], preset)}) {
    if (!raw && !failure.empty()) {
      std::fprintf(stderr, "numbers fuzz: %s\n", failure.c_str());
      __builtin_trap();
    }
  }
  return 0;
}
