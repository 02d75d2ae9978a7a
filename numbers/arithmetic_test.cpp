// Addition, subtraction, multiplication and division of non-negative
// numbers at the carry, borrow and 256-digit boundaries.
#include <gtest/gtest.h>

#include "numbers/numbers.h"
#include "numbers/test_support.h"

namespace nagyszam {
namespace {

using testing::Num;
using testing::Text;

struct BinaryCase {
  const char* a;
  const char* b;
  const char* want;
  bool hiba;
};

using Operation = void (*)(const NemNegEgesz&, const NemNegEgesz&, NemNegEgesz&) noexcept;

void Check(Operation op, const char* name, const BinaryCase& c) {
  TakeHiba();
  NemNegEgesz out = Num("6x256");  // stale content must not show through
  op(Num(c.a), Num(c.b), out);
  EXPECT_EQ(Text(out), Text(Num(c.want))) << c.a << ' ' << name << ' ' << c.b;
  EXPECT_EQ(TakeHiba(), c.hiba) << c.a << ' ' << name << ' ' << c.b;
}

TEST(Add, CarriesAndTheTopCell) {
  for (const BinaryCase& c : {
           BinaryCase{"999", "1", "1000", false},
           {"5", "7", "12", false},
           {"0", "0", "0", false},
           {"5 e254", "5 e254", "1 e255", false},
           {"1 e255", "1", "1 e254 1", false},
           {"9x255", "1", "1 e255", false},
           {"1", "9x128", "1 e128", false},
           {"9x256", "1", "0", true},
           {"9x256", "9x256", "9x255 8", true},
           {"5 e255", "5 e255", "0", true},
           {"5 e255", "4 9x255", "9x256", false},
       }) {
    Check(Add, "+", c);
  }
}

TEST(Subtract, BorrowsAndEqualOperands) {
  for (const BinaryCase& c : {
           BinaryCase{"1000", "1", "999", false},
           {"10", "9", "1", false},
           {"1 e255", "1", "9x255", false},
           {"5", "5", "0", false},
           {"9x256", "9x256", "0", false},
           {"9x256", "1", "9x255 8", false},
           {"1 e128", "9x128", "1", false},
           {"1 e200 5", "6", "9x200 9", false},
       }) {
    Check(Subtract, "-", c);
  }
}

TEST(Subtract, SmallerFirstOperandSetsHibaAndLeavesTheOutput) {
  for (const auto& [a, b] : {std::pair{"3", "5"}, {"9x255", "1 e255"}, {"0", "1"}}) {
    TakeHiba();
    NemNegEgesz out = Num("42");
    Subtract(Num(a), Num(b), out);
    EXPECT_EQ(Text(out), "42") << a << " - " << b;
    EXPECT_TRUE(TakeHiba()) << a << " - " << b;
  }
}

TEST(Multiply, ExactProducts) {
  for (const BinaryCase& c : {
           BinaryCase{"12", "34", "408", false},
           {"99", "99", "9801", false},
           {"0", "123", "0", false},
           {"123", "0", "0", false},
           {"123", "100", "12300", false},
           {"1 e200", "1 e55", "1 e255", false},
           {"9x128", "9x128", "9x127 8 0x127 1", false},
           {"5 e255", "1", "5 e255", false},
           {"9x256", "1", "9x256", false},
           {"1", "9x256", "9x256", false},
       }) {
    Check(Multiply, "*", c);
  }
}

TEST(Multiply, OverflowFollowsThePassByPassRules) {
  for (const BinaryCase& c : {
           // the shift of pass 56 is refused, so 10^200 is added unshifted
           BinaryCase{"1 e200", "1 e56", "1 e200", true},
           // the last partial product, 10, cannot move to cell 255
           {"2", "5 e255", "10", true},
           // the last Add overflows and keeps its low digits
           {"6", "19 e254", "14 e254", true},
           // 256-digit a: 5 * 10^255 * 2 has a final carry with no cell
           {"5 e255", "2", "0", true},
           {"9x256", "9", "9x255 1", true},
           {"9x256", "9x256", "9x252 7696", true},
       }) {
    Check(Multiply, "*", c);
  }
}

TEST(ShiftDigits, MovesUpOrRefuses) {
  struct Case {
    const char* x;
    std::int16_t n;
    const char* want;
    bool hiba;
  };
  for (const Case& c : {Case{"7", 255, "7 e255", false},
                        {"10", 255, "10", true},
                        {"10", 254, "1 e255", false},
                        {"0", 255, "0", false},
                        {"123", 0, "123", false},
                        {"9x256", 1, "9x256", true},
                        {"45", -1, "45", true}}) {
    TakeHiba();
    NemNegEgesz x = Num(c.x);
    ShiftDigits(x, c.n);
    EXPECT_EQ(Text(x), Text(Num(c.want))) << c.x << " << " << c.n;
    EXPECT_EQ(TakeHiba(), c.hiba) << c.x << " << " << c.n;
  }
}

TEST(DivMod, QuotientAndRemainder) {
  struct Case {
    const char* a;
    const char* b;
    const char* q;
    const char* r;
    bool hiba;
  };
  for (const Case& c : {
           Case{"17", "5", "3", "2", false},
           {"5", "17", "0", "5", false},
           {"17", "17", "1", "0", false},
           {"0", "5", "0", "0", false},
           {"100", "1", "100", "0", false},
           {"7", "0", "0", "0", true},
           {"0", "0", "0", "0", true},
           {"9x256", "1", "9x256", "0", false},
           {"9x256", "9x256", "1", "0", false},
           {"9x256", "9", "1x256", "0", false},
           {"9x256", "1 e255", "9", "9x255", false},
           {"9x256", "1 e128", "9x128", "9x128", false},
           {"1 e255", "9x255", "1", "1", false},
           {"9x256", "3x255", "30", "9", false},
           // a quotient limb estimated from the top limbs comes out one too large
           {"35 e23", "5 e15 9x8", "6", "4999999999999994 e7 6", false},
           {"35 e247", "5 e15 9x232", "6", "4999999999999994 e231 6", false},
       }) {
    TakeHiba();
    NemNegEgesz q = Num("8x256");
    NemNegEgesz r = Num("8x256");
    DivMod(Num(c.a), Num(c.b), q, r);
    EXPECT_EQ(Text(q), Text(Num(c.q))) << c.a << " / " << c.b;
    EXPECT_EQ(Text(r), Text(Num(c.r))) << c.a << " % " << c.b;
    EXPECT_EQ(TakeHiba(), c.hiba) << c.a << " / " << c.b;
  }
}

}  // namespace
}  // namespace nagyszam
