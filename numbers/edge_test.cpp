// Operands at the carry, borrow, limb and 256-digit boundaries, checked
// against GMP; the results the library documents, written down by
// hand so that the overflow model itself is checked; the error flag.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "numbers/test_support.h"

namespace nagyszam {
namespace {

using testing::Num;
using testing::Signed;
using testing::Text;

constexpr testing::KernelSet kSets[] = {testing::KernelSet::kPortable, testing::KernelSet::kAvx2,
                                        testing::KernelSet::kAvx512,
                                        testing::KernelSet::kAvx512Ifma};

TEST(Edges, BoundaryOperandsMatchGmp) {
  // Pairs of operands, one after the other.
  static constexpr const char* kPairs[] = {
      "9x256", "1", "9x256", "9x256", "5 e254", "5 e254", "5 e255", "5 e255", "1 e255", "1",
      "9x128", "1", "1 e128", "9x128", "9x8", "1", "1 e8", "1", "9x16", "9x16", "0", "0", "0", "5",
      "1 e200", "1 e55", "1 e200", "1 e56", "2", "5 e255", "6", "19 e254", "9x256", "9", "9x256",
      "1 e128", "9x256", "3x255", "1 e255", "9x255", "35 e23", "5 e15 9x8", "35 e247",
      "5 e15 9x232", "99999999 e8", "1 e8", "1 e16", "99999999", "9x200", "9x56", "5 e201",
      "5 e200 1", "3 e100 0", "1",
      // exactly 7 times the divisor, so that the estimate falls a hair short
      // in the last step and in the step before it; the binary bounds; a
      // product whose carry into one limb reaches 2
      "35 e14 699999993", "5 e15 9x8", "35 e14 699999993 e8", "5 e15 9x8", "9x38", "9x19", "9x38",
      "7", "1 e38", "7", "9x39", "9x19", "5 e7 9x16", "15 e7 9x8",
      // remainders of two to four limbs, worked out from the exact top:
      // below a divisor of 10^k, of 10^k - 1, and of its largest
      "9x40", "1 e20", "1 e63", "9x32", "9x39", "1 e16", "9x48", "98 9x22", "7 e63", "8 9x31",
      // 33 used words whose product still fits, just: and one that does not
      "9x255", "9", "9x129", "9x127", "9x255", "99",
      // divisors of 9 to 18 digits: the smallest and largest, and a step
      // whose quotient limb is exact, so that its estimate is one short
      "9x256", "1 e8", "9x256", "9x18", "123456789 e200", "123456789",
      // binary division by longer divisors: 2^128 - 1 = (2^64 + 1)(2^64 - 1),
      // divisors at 2^64, the dividend's and the divisor's length bounds
      "340282366920938463463374607431768211455", "18446744073709551617",
      "340282366920938463463374607431768211455", "18446744073709551615", "9x38",
      "18446744073709551616", "9x38", "9x20", "9x38", "1 e37", "9x40", "9x30", "9x40", "1 e30",
      "9x40", "5 e30", "9x40", "2", "1 e39", "1 e8", "9x40", "9x8", "9x41", "9x30", "9x40", "9x31",
      // dividends of 41 to 70 digits in four words: the length bounds, the
      // largest quotients, divisors at 2^64 and with the top bit set, a
      // step whose remainder's top word is the divisor's and whose word is
      // then below 2^64 - 1, a dividend whose two halves carry when joined
      "1 e40", "9x31", "9x70", "9x33", "9x70", "9x32", "9x71", "9x34", "9x70", "1 e33", "9x41",
      "9x38", "9x41", "9x39", "9x70", "9x38", "9x46", "1 e8", "9x57", "18446744073709551615",
      "9x57", "18446744073709551616", "5539557245334978350284499700203117098995615872843765",
      "3 e27 11", "25528363805804972456625876863 9x32", "9x30",
      // divisors whose reciprocal takes each of its corrections, with a
      // dividend that a reciprocal without it divides wrongly; steps whose
      // estimate is one under and one over
      "16047524895764464962861632512115830106561470867773407492152177",
      "8875215622928357449156378777", "68349129410391974727168553684502785045609079420959469674569",
      "5806517156692321795286019068845008", "2249248124544179511389588628757246221139363108062931",
      "5536559288192116425691382", "490742268365727457515749249608281577374747545428978718975473",
      "23451440506533517987516992024346275",
      "224029896115275880183531214826935224020530809358170092745031724541",
      "40874938998252030195403045905",
      "812837871148791589058802963260982171152647956917502410674887315",
      "70993562474171460760027693642207350784",
      // quotients and remainders of each binary way at a power of ten and
      // one below it, and at 2^64 and one below it
      "10000000000000000030999999999999999999", "1000000000000000003",
      "10000000000000000029999999999999999997", "1000000000000000003",
      "10000000000001000000000069999999999999", "1000000000000000000000007",
      "99999999999999100000000699999999999993", "1000000000000000000000007",
      "1000000000000000000000000000001001000000000000000000000000000000",
      "1000000000000000000000000000001",
      "1000000000000000000000000000000999099999999999999999999999999998",
      "1000000000000000000000000000001", "1844674407370955161718446744073709551616",
      "18446744073709551617", "1844674407370955161499999999999999999999", "18446744073709551615",
      // one step whose quotient limb is the largest, 10^8 - 1: exactly, and
      // half way to the next (estimated in one pass, not near a whole number)
      "99999999 e232 9999999800000001", "1 e240 9x8", "99999999 5 e231 9999999800000001",
      "1 e240 9x8"};
  for (const auto set : kSets) {
    if (!testing::Available(set)) continue;
    const testing::UseKernels kernels(set);
    for (std::size_t i = 0; i < std::size(kPairs); i += 2) {
      const char *x = kPairs[i], *y = kPairs[i + 1];
      for (const bool preset : {false, true}) {
        EXPECT_EQ(testing::CheckNonNegative(Num(x), Num(y), preset), "");
        EXPECT_EQ(testing::CheckNonNegative(Num(y), Num(x), preset), "");
        for (const char* signs : {"++", "+-", "-+", "--"}) {
          const Egesz a = Signed(std::string(1, signs[0]) + x);
          const Egesz b = Signed(std::string(1, signs[1]) + y);
          EXPECT_EQ(testing::CheckSigned(a, b, preset), "");
        }
      }
    }
  }
}

// The short division turns each limb of its quotient and remainder into
// cells on its own, each cell from a fraction of the limb that may be a
// hair too large: at a limb one below a step of its top digits (j 10^k -
// 1) too large a fraction gives the next digit. Those limbs and the steps
// themselves, in each limb of a quotient (a by 1) and of a remainder (a by
// 10^16 - 1, quotient 1), against GMP.
TEST(Edges, ShortDivisionCellsAtEveryStep) {
  std::vector<std::string> limbs;
  for (long power = 1; power < 100'000'000; power *= 10) {
    for (long j = 1; j <= 99 && j * power <= 100'000'000; ++j) {
      for (const long limb : {j * power - 1, j * power}) {
        if (limb < 100'000'000) limbs.push_back(std::to_string(limb));
      }
    }
  }
  const auto eight = [](const std::string& limb) {
    return std::string(8 - limb.size(), '0') + limb;
  };
  const NemNegEgesz one = Num("1"), nines = Num("9x16");
  for (const auto set : kSets) {
    if (!testing::Available(set)) continue;
    const testing::UseKernels kernels(set);
    for (const std::string& limb : limbs) {
      const NemNegEgesz quotient = Num(limb + eight(limb) + eight(limb));
      EXPECT_EQ(testing::CheckNonNegative(quotient, one, false), "") << testing::Name(set);
      testing::Z dividend(nines);
      mpz_add(dividend.v, dividend.v, testing::Z(Num(limb + eight(limb))).v);
      bool wrapped = false;
      const NemNegEgesz remainder = testing::Cells(dividend.v, wrapped);
      EXPECT_EQ(testing::CheckNonNegative(remainder, nines, false), "") << testing::Name(set);
    }
  }
}

// One call by name on numbers in notation; its result as text and Hiba.
struct Row {
  const char* op;
  const char* a;
  const char* b;
  const char* want;
  bool hiba;
};

std::string Result(const Row& row) {
  if (row.a[0] == '+' || row.a[0] == '-') {
    const Egesz a = Signed(row.a), b = Signed(*row.b != 0 ? row.b : "+0");
    Egesz out = Signed("-777"), r = Signed("-777");
    const std::string op = row.op;
    if (op == "EgeszSucc") EgeszSucc(a, out);
    if (op == "EgeszPred") EgeszPred(a, out);
    if (op == "EgeszAdd") EgeszAdd(a, b, out);
    if (op == "EgeszSubtract") EgeszSubtract(a, b, out);
    if (op == "EgeszMultiply") EgeszMultiply(a, b, out);
    if (op == "EgeszDivMod") EgeszDivMod(a, b, out, r);
    if (op == "EgeszEqual") return EgeszEqual(a, b) ? "true" : "false";
    if (op == "EgeszGreater") return EgeszGreater(a, b) ? "true" : "false";
    return Text(out) + (op == "EgeszDivMod" ? " r " + Text(r) : "");
  }
  const NemNegEgesz a = Num(row.a), b = Num(row.b);
  NemNegEgesz out = Num("777"), r = Num("777");
  const std::string op = row.op;
  if (op == "Add") Add(a, b, out);
  if (op == "Subtract") Subtract(a, b, out);
  if (op == "Multiply") Multiply(a, b, out);
  if (op == "Succ") Succ(a, out);
  if (op == "Pred") Pred(a, out);
  if (op == "DivMod") DivMod(a, b, out, r);
  return Text(out) + (op == "DivMod" ? " r " + Text(r) : "");
}

// A row's expected result in the same text: parts in notation, " r " between.
std::string Expected(const std::string& want) {
  if (want == "true" || want == "false") return want;
  const std::size_t r = want.find(" r ");
  const std::string part = want.substr(0, r);
  const std::string text = part[0] == '+' || part[0] == '-' ? Text(Signed(part)) : Text(Num(part));
  return r == std::string::npos ? text : text + " r " + Expected(want.substr(r + 3));
}

TEST(Edges, TheDocumentedResults) {
  static constexpr Row kRows[] = {
      {"Add", "9x256", "1", "0", true},
      {"Add", "9x256", "9x256", "9x255 8", true},
      {"Add", "5 e254", "5 e254", "1 e255", false},
      {"Succ", "9x256", "", "0", true},
      {"Pred", "0", "", "777", true},
      {"Subtract", "3", "5", "777", true},
      {"Subtract", "5", "5", "0", false},
      // the shift of pass 56 is refused, so 10^200 is added unshifted
      {"Multiply", "1 e200", "1 e56", "1 e200", true},
      {"Multiply", "2", "5 e255", "10", true},        // 10 cannot move to cell 255
      {"Multiply", "6", "19 e254", "14 e254", true},  // the last Add wraps
      {"Multiply", "5 e255", "2", "0", true},         // the final carry is dropped
      {"Multiply", "9x256", "9", "9x255 1", true},
      {"Multiply", "9x256", "9x256", "9x252 7696", true},
      {"Multiply", "1 e200", "1 e55", "1 e255", false},
      {"DivMod", "7", "0", "0 r 0", true},
      {"DivMod", "5", "17", "0 r 5", false},
      {"DivMod", "9x256", "1 e128", "9x128 r 9x128", false},
      {"DivMod", "35 e23", "5 e15 9x8", "6 r 4999999999999994 e7 6", false},
      {"EgeszSucc", "-0", "", "+1", false},
      {"EgeszSucc", "+9x256", "", "+0", true},
      {"EgeszPred", "-0", "", "-1", false},
      {"EgeszPred", "+1", "", "+0", false},
      {"EgeszPred", "-9x256", "", "+0", true},
      {"EgeszAdd", "-0", "-0", "+0", false},
      {"EgeszAdd", "-9x256", "-9x256", "-9x255 8", true},
      {"EgeszSubtract", "-2", "-7", "+5", false},
      {"EgeszMultiply", "-2", "+5 e255", "-10", true},
      {"EgeszMultiply", "-5 e255", "+2", "+0", true},
      {"EgeszMultiply", "-0", "+5", "+0", false},
      {"EgeszDivMod", "-7", "-2", "+3 r -1", false},
      {"EgeszDivMod", "-6", "+3", "-2 r +0", false},
      {"EgeszDivMod", "-0", "+5", "+0 r +0", false},
      {"EgeszDivMod", "+7", "-0", "+0 r +0", true},
      {"EgeszEqual", "-0", "+0", "true", false},
      {"EgeszGreater", "+0", "-0", "false", false},
      {"EgeszGreater", "-2", "-7", "true", false},
  };
  for (const Row& row : kRows) {
    Hiba = false;
    EXPECT_EQ(Result(row), Expected(row.want)) << row.op << ' ' << row.a << ' ' << row.b;
    EXPECT_EQ(TakeHiba(), row.hiba) << row.op << ' ' << row.a << ' ' << row.b;
  }
  // A smaller dividend comes back whole, leading zeros of entry included.
  Egesz q, r;
  EgeszDivMod(Signed("-3", 4), Signed("+7"), q, r);
  EXPECT_EQ(Text(r), "-3 (Top 4)");
}

TEST(Edges, PosModAndSigns) {
  // The signs' stored values are part of the interface.
  EXPECT_EQ(static_cast<int>(Elojel::Negativ) * 10 + static_cast<int>(Elojel::Pozitiv), 1);
  for (const auto& [a, m, want] : {std::tuple<int, int, int>{-1, 10, 9},
                                   {-10, 10, 0},
                                   {9, 10, 9},
                                   {-11, 10, -1},
                                   {-25, 10, -5},
                                   {-32768, 10, -8},
                                   {7, 0, 0}}) {
    EXPECT_EQ(PosMod(static_cast<std::int16_t>(a), static_cast<std::int16_t>(m)), want);
  }
}

TEST(Edges, HibaStaysSetUntilTaken) {
  Hiba = true;
  StartNumbers();
  EXPECT_FALSE(Hiba);
  NemNegEgesz y;
  Pred(Nulla, y);
  Pred(Nulla, y);
  Succ(Num("5"), y);  // a success does not clear it
  EXPECT_TRUE(TakeHiba());
  EXPECT_FALSE(TakeHiba());
}

}  // namespace
}  // namespace nagyszam
