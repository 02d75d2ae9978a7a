// Signed operations: the sign table of each operation, zero results, the
// written form (Top) of results, and a negative zero as operand.
#include <gtest/gtest.h>

#include "numbers/numbers.h"
#include "numbers/test_support.h"

namespace nagyszam {
namespace {

using testing::Describe;
using testing::Num;
using testing::Signed;

const Egesz kJunk = Signed("-7x256");  // stale output content

TEST(Signed, ToEgeszTakesTopFromTheDigits) {
  for (const char* x : {"0", "1000", "9x256", "5"}) {
    Egesz out = kJunk;
    ToEgesz(Num(x), out);
    EXPECT_EQ(Describe(out), Describe(Signed(std::string("+") + x))) << x;
  }
}

TEST(Signed, Comparisons) {
  struct Case {
    const char* a;
    const char* b;
    bool equal, greater;
  };
  for (const Case& c : {
           Case{"+5", "-5", false, true},
           {"-5", "-5", true, false},
           {"+5", "+5", true, false},
           {"-2", "-7", false, true},
           {"-7", "-2", false, false},
           {"+0", "-3", false, true},
           {"-3", "+0", false, false},
           {"-0", "+0", true, false},  // a negative zero is zero
           {"+0", "-0", true, false},
           {"-0", "-0", true, false},
           {"-0", "-3", false, true},
           {"-0", "+3", false, false},
           {"-1 e255", "-9x255", false, false},
           {"+9x256", "-9x256", false, true},
       }) {
    EXPECT_EQ(EgeszEqual(Signed(c.a), Signed(c.b)), c.equal) << c.a << " = " << c.b;
    EXPECT_EQ(EgeszGreater(Signed(c.a), Signed(c.b)), c.greater) << c.a << " > " << c.b;
  }
}

TEST(Signed, ComparisonsIgnoreTop) {
  EXPECT_TRUE(EgeszEqual(Signed("+5", 3), Signed("+5", 0)));
  EXPECT_FALSE(EgeszGreater(Signed("+5", 3), Signed("+5", 0)));
}

struct UnaryCase {
  const char* x;
  const char* want;
  bool hiba;
};

using Unary = void (*)(const Egesz&, Egesz&) noexcept;

void CheckUnary(Unary op, const char* name, const UnaryCase& c) {
  Hiba = false;
  Egesz out = kJunk;
  op(Signed(c.x), out);
  EXPECT_EQ(Describe(out), Describe(Signed(c.want))) << name << ' ' << c.x;
  EXPECT_EQ(TakeHiba(), c.hiba) << name << ' ' << c.x;
}

TEST(Signed, Succ) {
  for (const UnaryCase& c : {UnaryCase{"-1", "+0", false},
                             {"+9", "+10", false},
                             {"-10", "-9", false},
                             {"-0", "+1", false},
                             {"+0", "+1", false},
                             {"-1 e255", "-9x255", false},
                             {"+9x256", "+0", true}}) {
    CheckUnary(EgeszSucc, "succ", c);
  }
}

TEST(Signed, Pred) {
  for (const UnaryCase& c : {UnaryCase{"+0", "-1", false},
                             {"+1", "+0", false},
                             {"-9", "-10", false},
                             {"-0", "-1", false},
                             {"+1 e255", "+9x255", false},
                             {"-9x256", "+0", true}}) {
    CheckUnary(EgeszPred, "pred", c);
  }
}

struct BinaryCase {
  const char* a;
  const char* b;
  const char* want;
  bool hiba;
};

using Binary = void (*)(const Egesz&, const Egesz&, Egesz&) noexcept;

void CheckBinary(Binary op, const char* name, const BinaryCase& c) {
  Hiba = false;
  Egesz out = kJunk;
  op(Signed(c.a), Signed(c.b), out);
  EXPECT_EQ(Describe(out), Describe(Signed(c.want))) << c.a << ' ' << name << ' ' << c.b;
  EXPECT_EQ(TakeHiba(), c.hiba) << c.a << ' ' << name << ' ' << c.b;
}

TEST(Signed, Add) {
  for (const BinaryCase& c : {
           BinaryCase{"-7", "+2", "-5", false},
           {"+2", "-7", "-5", false},
           {"-1", "+1", "+0", false},
           {"+1", "-1", "+0", false},
           {"-5", "+0", "-5", false},
           {"+0", "+0", "+0", false},
           {"-5", "-7", "-12", false},
           {"-0", "-0", "+0", false},
           {"-0", "+0", "+0", false},
           {"-0", "-5", "-5", false},
           {"+1 e255", "-1", "+9x255", false},
           {"+9x256", "+1", "+0", true},
           {"-9x256", "-1", "+0", true},  // overflow to zero is still EgeszNulla
           {"-9x256", "-9x256", "-9x255 8", true},
           {"-9x256", "+9x256", "+0", false},
       }) {
    CheckBinary(EgeszAdd, "+", c);
  }
}

TEST(Signed, Subtract) {
  for (const BinaryCase& c : {
           BinaryCase{"+5", "+5", "+0", false},
           {"-5", "-5", "+0", false},
           {"-7", "-2", "-5", false},
           {"-2", "-7", "+5", false},
           {"+2", "-3", "+5", false},
           {"-2", "+3", "-5", false},
           {"+2", "+7", "-5", false},
           {"-0", "+0", "+0", false},
           {"+0", "-0", "+0", false},
           {"-0", "+4", "-4", false},
           {"-0", "-4", "+4", false},
           {"-9x256", "+1", "+0", true},
           {"+9x256", "-9x256", "+9x255 8", true},
       }) {
    CheckBinary(EgeszSubtract, "-", c);
  }
}

TEST(Signed, Multiply) {
  for (const BinaryCase& c : {
           BinaryCase{"+0", "-5", "+0", false},
           {"-0", "+5", "+0", false},
           {"-5", "-0", "+0", false},
           {"-3", "-4", "+12", false},
           {"+3", "-4", "-12", false},
           {"-3", "+4", "-12", false},
           {"-2", "+5 e255", "-10", true},
           {"-5 e255", "+2", "+0", true},  // the carry is dropped, leaving zero
       }) {
    CheckBinary(EgeszMultiply, "*", c);
  }
}

TEST(Signed, DivMod) {
  struct Case {
    Egesz a, b, q, r;
    bool hiba;
  };
  for (const Case& c : {
           Case{Signed("+7"), Signed("+2"), Signed("+3"), Signed("+1"), false},
           {Signed("-7"), Signed("+2"), Signed("-3"), Signed("-1"), false},
           {Signed("+7"), Signed("-2"), Signed("-3"), Signed("+1"), false},
           {Signed("-7"), Signed("-2"), Signed("+3"), Signed("-1"), false},
           {Signed("-6"), Signed("+3"), Signed("-2"), Signed("+0"), false},
           {Signed("+100"), Signed("+7"), Signed("+14"), Signed("+2"), false},
           {Signed("+5"), Signed("-5"), Signed("-1"), Signed("+0"), false},
           {Signed("+3"), Signed("-7"), Signed("+0"), Signed("+3"), false},
           {Signed("-3"), Signed("+7"), Signed("+0"), Signed("-3"), false},
           // a smaller dividend comes back whole, leading zeros of entry included
           {Signed("-3", 4), Signed("+7"), Signed("+0"), Signed("-3", 4), false},
           {Signed("+0"), Signed("-5"), Signed("+0"), Signed("+0"), false},
           {Signed("-0", 2), Signed("+5"), Signed("+0"), Signed("+0"), false},
           {Signed("+7"), Signed("+0"), Signed("+0"), Signed("+0"), true},
           {Signed("+0"), Signed("+0"), Signed("+0"), Signed("+0"), true},
           {Signed("+7"), Signed("-0"), Signed("+0"), Signed("+0"), true},
           {Signed("-0"), Signed("-0"), Signed("+0"), Signed("+0"), true},
           {Signed("-9x256"), Signed("+1 e128"), Signed("-9x128"), Signed("-9x128"), false},
       }) {
    Hiba = false;
    Egesz q = kJunk;
    Egesz r = kJunk;
    EgeszDivMod(c.a, c.b, q, r);
    EXPECT_EQ(Describe(q), Describe(c.q)) << Describe(c.a) << " / " << Describe(c.b);
    EXPECT_EQ(Describe(r), Describe(c.r)) << Describe(c.a) << " % " << Describe(c.b);
    EXPECT_EQ(TakeHiba(), c.hiba) << Describe(c.a) << " / " << Describe(c.b);
  }
}

TEST(Signed, NoOperationClearsHiba) {
  Hiba = true;
  Egesz q, r;
  EgeszDivMod(Signed("+7"), Signed("+2"), q, r);
  EgeszAdd(Signed("+7"), Signed("+2"), q);
  EXPECT_TRUE(TakeHiba());
}

}  // namespace
}  // namespace nagyszam
