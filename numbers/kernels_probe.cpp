// The AVX2 kernels against the portable ones, where GMP is not at hand (the
// Windows build under wine): every operation on random operands biased to
// the edges, once with each set, must give the same cells and the same
// Hiba. The portable set is checked against GMP in the native tests. Each
// call is also made from two stack depths, 16 bytes apart, so that a vector
// spilled to a slot the compiler wrongly took as aligned faults here.
//   kernels_probe [seed]   exit code 0 when all agree and AVX2 was used
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "numbers/cells.h"
#include "numbers/numbers.h"

#if NAGYSZAM_AVX2

namespace {

using namespace nagyszam;

std::mt19937_64 engine;

int Uniform(int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(engine);
}

// Lengths at the word, limb, binary-division and 256-digit edges, or any.
NemNegEgesz Operand() {
  static constexpr int kEdges[] = {0,  1,  2,  8,  9,  16,  17,  18,  19,  20,  32,  33,
                                   38, 39, 40, 64, 65, 127, 128, 129, 192, 248, 255, 256};
  const int length =
      Uniform(0, 1) == 0 ? kEdges[Uniform(0, std::size(kEdges) - 1)] : Uniform(0, 256);
  const int kind = Uniform(0, 3);  // random digits, nines, or a power of ten
  NemNegEgesz x{};
  for (int i = 0; i < length; ++i) {
    x[i] = static_cast<std::uint8_t>(kind == 0 ? 9 : kind == 1 ? 0 : Uniform(0, 9));
  }
  if (length > 0 && x[length - 1] == 0) x[length - 1] = 1;
  return x;
}

Egesz Signed(const NemNegEgesz& m) {
  return {static_cast<std::uint8_t>(TopIndex(m)),
          Uniform(0, 1) == 0 ? Elojel::Negativ : Elojel::Pozitiv, m};
}

// Everything one pair of operands gives, as plain bytes.
struct Results {
  NemNegEgesz cells[8];
  Egesz records[7];
  bool flags[24];
};

bool Same(const Results& p, const Results& q) {
  for (int i = 0; i < 7; ++i) {
    const Egesz &x = p.records[i], &y = q.records[i];
    if (x.Top != y.Top || x.Sign != y.Sign || x.Magnitude != y.Magnitude) return false;
  }
  return std::equal(std::begin(p.cells), std::end(p.cells), std::begin(q.cells)) &&
         std::equal(std::begin(p.flags), std::end(p.flags), std::begin(q.flags));
}

// Calls every operation from a frame `depth` bytes deeper.
Results Everything(const NemNegEgesz& a, const NemNegEgesz& b, const Egesz& x, const Egesz& y,
                   int depth) {
  volatile char* room = static_cast<char*>(__builtin_alloca(depth + 1));
  room[0] = 0;
  Results out{};
  int f = 0;
  const auto flag = [&] { out.flags[f++] = TakeHiba(); };
  TakeHiba();
  out.flags[f++] = Equal(a, b);
  out.flags[f++] = Greater(a, b);
  Succ(a, out.cells[0]), flag();
  Pred(a, out.cells[1]), flag();
  Add(a, b, out.cells[2]), flag();
  Subtract(a, b, out.cells[3]), flag();
  Multiply(a, b, out.cells[4]), flag();
  DivMod(a, b, out.cells[5], out.cells[6]), flag();
  out.cells[7] = a;
  DivMod(out.cells[7], b, out.cells[7], out.cells[7]), flag();  // in place, q and r one object
  out.flags[f++] = EgeszEqual(x, y);
  out.flags[f++] = EgeszGreater(x, y);
  EgeszSucc(x, out.records[0]), flag();
  EgeszPred(x, out.records[1]), flag();
  EgeszAdd(x, y, out.records[2]), flag();
  EgeszSubtract(x, y, out.records[3]), flag();
  EgeszMultiply(x, y, out.records[4]), flag();
  EgeszDivMod(x, y, out.records[5], out.records[6]), flag();
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned long long seed = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 20261208;
  engine.seed(seed);
  std::printf("seed %llu\n", seed);
  if (!kernels::use_avx2) {
    std::printf("FAILED: the AVX2 kernels are not in use\n");
    return 1;
  }
  const bool avx512 = kernels::use_avx512;
  int pairs = 0;
  for (; pairs < 20000; ++pairs) {
    NemNegEgesz a = Operand(), b = Operand();
    if (Uniform(0, 3) == 0) Multiply(a, b, a);  // a multiple of b: exact division
    const Egesz x = Signed(a), y = Signed(b);
    kernels::use_avx2 = kernels::use_avx512 = false;
    const Results want = Everything(a, b, x, y, 0);
    kernels::use_avx2 = true;
    // The AVX2 set alone, then the AVX-512 one where the CPU has it.
    for (const bool wide : {false, true}) {
      if (wide && !avx512) break;
      kernels::use_avx512 = wide;
      for (const int depth : {0, 16}) {
        if (!Same(Everything(a, b, x, y, depth), want)) {
          std::printf("FAILED: the kernel sets differ at pair %d%s\n", pairs,
                      wide ? " (AVX-512)" : "");
          return 1;
        }
      }
    }
  }
  std::printf("PASS: %d pairs, the kernel sets agree%s\n", pairs,
              avx512 ? " (portable, AVX2 and AVX-512)" : "");
  return 0;
}

#else

int main() {
  std::printf("FAILED: this build has no AVX2 kernels\n");
  return 1;
}

#endif
