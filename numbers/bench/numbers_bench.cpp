// Every library operation against GMP's mpz function and Boost's fixed-width
// cpp_int (851 bits: 256 digits) doing the same job on the same operands, at
// 20, 64, 128 and 256 digits. Measured in one process and interleaved: short
// batches of ours, GMP and Boost take turns, each after some untimed ones of
// its own, and each keeps its fastest batch.
// Prints ours/GMP and ours/Boost for each and exits 1 when a target is missed:
//   arithmetic: ours <= Boost and ours <= 2 x GMP;
//   Equal, Greater (signed too): ours <= GMP and ours <= 2 x Boost.
#include <gmp.h>

#include <algorithm>
#include <boost/multiprecision/cpp_int.hpp>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "numbers/numbers.h"

namespace {

using namespace nagyszam;
namespace mp = boost::multiprecision;
using BoostU =
    mp::number<mp::cpp_int_backend<851, 851, mp::unsigned_magnitude, mp::unchecked, void>>;
using BoostS = mp::number<mp::cpp_int_backend<851, 851, mp::signed_magnitude, mp::unchecked, void>>;

// Makes the compiler assume any memory may have changed: nothing is hoisted
// out of a timing loop, every result is stored.
inline void Clobber() {
  asm volatile("" : : : "memory");
}

std::mt19937_64 engine(20261206);

// count random digits, the leading one in 1..top.
NemNegEgesz Digits(int count, int top = 9) {
  NemNegEgesz x = Nulla;
  std::uniform_int_distribution<int> digit(0, 9);
  for (int i = 0; i < count; ++i) x[i] = static_cast<std::uint8_t>(digit(engine));
  x[count - 1] = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(1, top)(engine));
  return x;
}

std::string Text(const NemNegEgesz& x) {
  std::string out;
  for (int i = TopIndex(x); i >= 0; --i) out += static_cast<char>('0' + x[i]);
  return out;
}

// One operand pair in all three representations, with room for results.
// Each set has a page to itself: a vector access that straddles two pages
// costs several ns, and where the allocator happened to put a set decided
// which operations paid it from one build to the next.
struct alignas(4096) Operands {
  NemNegEgesz a, b, o1{}, o2{};
  Egesz sa{}, sb{}, so1{}, so2{};
  mpz_t za, zb, zo1, zo2;
  BoostU ba, bb, bo1, bo2;
  BoostS ca, cb, co1, co2;

  Operands(const NemNegEgesz& x, const NemNegEgesz& y, bool negative_x = false,
           bool negative_y = false)
      : a(x), b(y) {
    ToEgesz(x, sa);
    ToEgesz(y, sb);
    if (negative_x) sa.Sign = Elojel::Negativ;
    if (negative_y) sb.Sign = Elojel::Negativ;
    mpz_inits(za, zb, nullptr);
    mpz_init2(zo1, 4096);
    mpz_init2(zo2, 4096);
    mpz_set_str(za, Text(x).c_str(), 10);
    mpz_set_str(zb, Text(y).c_str(), 10);
    ba = BoostU(Text(x));
    bb = BoostU(Text(y));
    ca = BoostS(Text(x));
    cb = BoostS(Text(y));
    if (negative_x) mpz_neg(za, za), ca = -ca;
    if (negative_y) mpz_neg(zb, zb), cb = -cb;
  }
};
static_assert(sizeof(Operands) == 4096, "one page to each set");

enum class Target { Arithmetic, Comparison, Bound };

struct Case {
  std::string name;
  Target target;
  Operands* in;
  std::function<void(Operands&)> ours, gmp, boost;
  // Our result as text against GMP's: the same job, checked once.
  std::function<bool(Operands&)> agrees;
};

bool Agree(const NemNegEgesz& x, mpz_srcptr z) {
  char buffer[1100];
  mpz_get_str(buffer, 10, z);
  return Text(x) == buffer;
}
bool AgreeSigned(const Egesz& x, mpz_srcptr z) {
  mpz_t magnitude;
  mpz_init(magnitude);
  mpz_abs(magnitude, z);
  const bool same = (x.Sign == Elojel::Negativ) == (mpz_sgn(z) < 0) &&
                    Agree(x.Magnitude, magnitude) && x.Top == TopIndex(x.Magnitude);
  mpz_clear(magnitude);
  return same;
}

using O = Operands&;

std::vector<Case> Cases() {
  std::vector<Case> cases;
  const auto add = [&](std::string name, Target t, Operands* in, auto ours, auto gmp, auto boost,
                       auto agrees) {
    cases.push_back({std::move(name), t, in, ours, gmp, boost, agrees});
  };
  const auto out1 = [](O o) { return Agree(o.o1, o.zo1); };
  const auto both = [](O o) { return Agree(o.o1, o.zo1) && Agree(o.o2, o.zo2); };
  const auto signed1 = [](O o) { return AgreeSigned(o.so1, o.zo1); };
  const auto signed2 = [](O o) { return AgreeSigned(o.so1, o.zo1) && AgreeSigned(o.so2, o.zo2); };
  const auto flag = [](O) { return true; };
  const Target A = Target::Arithmetic, C = Target::Comparison;

  for (const int n : {20, 64, 128, 256}) {
    const std::string d = std::to_string(n);
    auto* sum = new Operands(Digits(n, 4), Digits(n, 4));  // the sum still fits
    NemNegEgesz big = Digits(n), small = Digits(n);
    if (Greater(small, big)) std::swap(big, small);
    auto* diff = new Operands(big, small);
    auto* same = new Operands(sum->a, sum->a);
    NemNegEgesz units = sum->a;
    units[0] = static_cast<std::uint8_t>((units[0] + 1) % 10);
    auto* close = new Operands(units, sum->a);
    const int m = n == 256 ? 64 : n;  // the product of two must fit
    auto* product = new Operands(Digits(n == 256 ? 192 : n), Digits(m));
    auto* quotient = new Operands(Digits(n), Digits(n / 2));
    auto* signed_sum = new Operands(big, small, false, true);       // + and -: a subtraction
    auto* signed_diff = new Operands(sum->a, sum->b, true, false);  // - minus +: an addition
    auto* signed_product = new Operands(product->a, product->b, true, false);
    auto* signed_quotient = new Operands(quotient->a, quotient->b, true, false);
    auto* negatives = new Operands(big, small, true, true);
    auto* same_negatives = new Operands(big, big, true, true);
    const std::string p = n == 256 ? "192x64" : d + "x" + d;

    add(
        "Add " + d + "+" + d, A, sum, [](O o) { Add(o.a, o.b, o.o1); },
        [](O o) { mpz_add(o.zo1, o.za, o.zb); }, [](O o) { o.bo1 = o.ba + o.bb; }, out1);
    add(
        "Subtract " + d + "-" + d, A, diff, [](O o) { Subtract(o.a, o.b, o.o1); },
        [](O o) { mpz_sub(o.zo1, o.za, o.zb); }, [](O o) { o.bo1 = o.ba - o.bb; }, out1);
    add(
        "Multiply " + p, A, product, [](O o) { Multiply(o.a, o.b, o.o1); },
        [](O o) { mpz_mul(o.zo1, o.za, o.zb); }, [](O o) { o.bo1 = o.ba * o.bb; }, out1);
    add(
        "DivMod " + d + "/" + std::to_string(n / 2), A, quotient,
        [](O o) { DivMod(o.a, o.b, o.o1, o.o2); },
        [](O o) { mpz_tdiv_qr(o.zo1, o.zo2, o.za, o.zb); },
        [](O o) { mp::divide_qr(o.ba, o.bb, o.bo1, o.bo2); }, both);
    add(
        "Succ " + d, A, diff, [](O o) { Succ(o.a, o.o1); }, [](O o) { mpz_add_ui(o.zo1, o.za, 1); },
        [](O o) { o.bo1 = o.ba + 1u; }, out1);
    add(
        "Pred " + d, A, diff, [](O o) { Pred(o.a, o.o1); }, [](O o) { mpz_sub_ui(o.zo1, o.za, 1); },
        [](O o) { o.bo1 = o.ba - 1u; }, out1);
    add(
        "Equal " + d + ", equal", C, same, [](O o) { o.o1[0] = Equal(o.a, o.b); },
        [](O o) { o.o1[1] = mpz_cmp(o.za, o.zb) == 0; }, [](O o) { o.o1[2] = o.ba == o.bb; }, flag);
    add(
        "Greater " + d + ", units differ", C, close, [](O o) { o.o1[0] = Greater(o.a, o.b); },
        [](O o) { o.o1[1] = mpz_cmp(o.za, o.zb) > 0; }, [](O o) { o.o1[2] = o.ba > o.bb; }, flag);
    add(
        "EgeszAdd +" + d + " + -" + d, A, signed_sum, [](O o) { EgeszAdd(o.sa, o.sb, o.so1); },
        [](O o) { mpz_add(o.zo1, o.za, o.zb); }, [](O o) { o.co1 = o.ca + o.cb; }, signed1);
    add(
        "EgeszSubtract -" + d + " - +" + d, A, signed_diff,
        [](O o) { EgeszSubtract(o.sa, o.sb, o.so1); }, [](O o) { mpz_sub(o.zo1, o.za, o.zb); },
        [](O o) { o.co1 = o.ca - o.cb; }, signed1);
    add(
        "EgeszMultiply -" + p, A, signed_product, [](O o) { EgeszMultiply(o.sa, o.sb, o.so1); },
        [](O o) { mpz_mul(o.zo1, o.za, o.zb); }, [](O o) { o.co1 = o.ca * o.cb; }, signed1);
    add(
        "EgeszDivMod -" + d + "/+" + std::to_string(n / 2), A, signed_quotient,
        [](O o) { EgeszDivMod(o.sa, o.sb, o.so1, o.so2); },
        [](O o) { mpz_tdiv_qr(o.zo1, o.zo2, o.za, o.zb); },
        [](O o) { mp::divide_qr(o.ca, o.cb, o.co1, o.co2); }, signed2);
    add(
        "EgeszSucc -" + d, A, negatives, [](O o) { EgeszSucc(o.sa, o.so1); },
        [](O o) { mpz_add_ui(o.zo1, o.za, 1); }, [](O o) { o.co1 = o.ca + 1; }, signed1);
    add(
        "EgeszPred -" + d, A, negatives, [](O o) { EgeszPred(o.sa, o.so1); },
        [](O o) { mpz_sub_ui(o.zo1, o.za, 1); }, [](O o) { o.co1 = o.ca - 1; }, signed1);
    add(
        "EgeszEqual -" + d + " -" + d + ", equal", C, same_negatives,
        [](O o) { o.o1[0] = EgeszEqual(o.sa, o.sb); },
        [](O o) { o.o1[1] = mpz_cmp(o.za, o.zb) == 0; }, [](O o) { o.o1[2] = o.ca == o.cb; }, flag);
    add(
        "EgeszGreater -" + d + " -" + d, C, negatives,
        [](O o) { o.o1[0] = EgeszGreater(o.sa, o.sb); },
        [](O o) { o.o1[1] = mpz_cmp(o.za, o.zb) > 0; }, [](O o) { o.o1[2] = o.ca > o.cb; }, flag);
  }
  // The shapes the issue measured besides the ladder above.
  for (const auto& [na, nb] : {std::pair{40, 20}, {256, 1}, {256, 255}}) {
    auto* in = new Operands(Digits(na), Digits(nb));
    add(
        "DivMod " + std::to_string(na) + "/" + std::to_string(nb), A, in,
        [](O o) { DivMod(o.a, o.b, o.o1, o.o2); },
        [](O o) { mpz_tdiv_qr(o.zo1, o.zo2, o.za, o.zb); },
        [](O o) { mp::divide_qr(o.ba, o.bb, o.bo1, o.bo2); }, both);
  }
  // A product past 256 digits follows the pass rules, a job neither peer
  // does: it only has to stay bounded.
  auto* overflow = new Operands(Digits(256), Digits(256));
  add(
      "Multiply 256x256, overflows", Target::Bound, overflow, [](O o) { Multiply(o.a, o.b, o.o1); },
      [](O o) { mpz_mul(o.zo1, o.za, o.zb); }, [](O o) { o.bo1 = o.ba * o.bb; }, flag);
  return cases;
}

// ns per call of one batch of count calls.
double Batch(const std::function<void(Operands&)>& op, Operands& in, long count) {
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < count; ++i) {
    op(in);
    Clobber();
  }
  const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
  return took.count() / static_cast<double>(count);
}

// Calls per batch so that a batch lasts about two microseconds, judged by
// the fastest of three tries: one slow first call (a cold cache, a page
// fault, an interrupt) must not leave batches of one call, which would
// time the clock rather than the operation.
long Calibrate(const std::function<void(Operands&)>& op, Operands& in) {
  long count = 1;
  while (count < (1 << 20)) {
    const double took =
        std::min({Batch(op, in, count), Batch(op, in, count), Batch(op, in, count)});
    if (took * static_cast<double>(count) >= 2000) break;
    count *= 2;
  }
  return count;
}

// Untimed batches for 50 µs before each timed one, so that every batch
// runs in the state its own code leaves the core in. After our AVX-512
// code the core stays slower for some microseconds: GMP's and Boost's
// batches straight after ours took 5 to 18 % longer than after their own
// (20 µs of settling was enough).
void Settle(const std::function<void(Operands&)>& op, Operands& in, long count) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(50);
  while (std::chrono::steady_clock::now() < until) Batch(op, in, count);
}

std::string CpuName() {
  std::ifstream info("/proc/cpuinfo");
  for (std::string line; std::getline(info, line);) {
    if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
  }
  return "unknown CPU";
}

}  // namespace

int main(int argc, char** argv) {
  // Rounds of interleaved batches; more gives steadier minima. A second
  // argument keeps only the operations whose name holds it.
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 400;
  std::vector<Case> cases = Cases();
  if (argc > 2) {
    std::erase_if(cases, [&](const Case& c) { return c.name.find(argv[2]) == std::string::npos; });
  }
  std::printf("%s; %d interleaved rounds, fastest batch of each\n", CpuName().c_str(), rounds);
  // A second of every operation first: the first cases timed are then not
  // the ones that meet a CPU still coming up to speed.
  for (const auto start = std::chrono::steady_clock::now();
       std::chrono::steady_clock::now() - start < std::chrono::seconds(1);) {
    for (Case& c : cases) {
      c.ours(*c.in);
      c.gmp(*c.in);
      c.boost(*c.in);
    }
  }
  std::printf("%-32s %9s %9s %9s %9s %10s  %s\n", "operation", "ours ns", "GMP ns", "Boost ns",
              "ours/GMP", "ours/Boost", "target");
  bool all_met = true;
  for (Case& c : cases) {
    Operands& in = *c.in;
    c.ours(in);
    c.gmp(in);
    if (!c.agrees(in)) {
      std::printf("%-32s our result differs from GMP's\n", c.name.c_str());
      all_met = false;
      continue;
    }
    const std::function<void(Operands&)>* ops[] = {&c.ours, &c.gmp, &c.boost};
    long counts[3];
    double best[3];
    for (int k = 0; k < 3; ++k) {
      counts[k] = Calibrate(*ops[k], in);
      best[k] = 1e30;
    }
    for (int r = 0; r < rounds; ++r) {
      for (int k = 0; k < 3; ++k) {
        Settle(*ops[k], in, counts[k]);
        best[k] = std::min(best[k], Batch(*ops[k], in, counts[k]));
      }
    }
    const double to_gmp = best[0] / best[1], to_boost = best[0] / best[2];
    bool met = true;
    const char* target = "";
    switch (c.target) {
      case Target::Arithmetic:
        met = to_boost <= 1.0 && to_gmp <= 2.0;
        target = "<=Boost, <=2xGMP";
        break;
      case Target::Comparison:
        met = to_gmp <= 1.0 && to_boost <= 2.0;
        target = "<=GMP, <=2xBoost";
        break;
      case Target::Bound:
        met = best[0] < 100'000;
        target = "< 100 us";
        break;
    }
    all_met = all_met && met;
    std::printf("%-32s %9.1f %9.1f %9.1f %9.2f %10.2f  %s %s\n", c.name.c_str(), best[0], best[1],
                best[2], to_gmp, to_boost, target, met ? "met" : "MISSED");
    std::fflush(stdout);
  }
  std::printf("%s\n", all_met ? "every target met" : "some target MISSED");
  return all_met ? 0 : 1;
}
