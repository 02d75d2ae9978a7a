// Scans, comparisons, unit steps and the error flag, at the digit
// boundaries where a carry or borrow runs far.
#include <gtest/gtest.h>

#include "numbers/numbers.h"
#include "numbers/test_support.h"

namespace nagyszam {
namespace {

using testing::Num;
using testing::Text;

TEST(TopIndex, FindsTheHighestNonZeroCell) {
  struct Case {
    const char* x;
    int top;
  };
  for (const Case& c : {Case{"0", 0},
                        {"7", 0},
                        {"10", 1},
                        {"99", 1},
                        {"100", 2},
                        {"1 e255", 255},
                        {"9x256", 255},
                        {"1 e254", 254},
                        {"1 e8", 8}}) {
    EXPECT_EQ(TopIndex(Num(c.x)), c.top) << c.x;
  }
}

TEST(TopIndex, IgnoresCellZeroAndLooksAtEveryHigherCell) {
  NemNegEgesz x = Nulla;
  for (int i = 1; i <= MaxIndex; ++i) {
    x = Nulla;
    x[0] = 5;
    x[i] = 1;
    EXPECT_EQ(TopIndex(x), i);
  }
}

TEST(PosMod, BringsSubtractionDigitsIntoRange) {
  struct Case {
    std::int16_t a, m, want;
  };
  for (const Case& c : {Case{-1, 10, 9},
                        {-10, 10, 0},
                        {0, 10, 0},
                        {9, 10, 9},
                        {-11, 10, -1},
                        {-25, 10, -5},
                        {25, 10, 5},
                        {-32768, 10, -8},
                        {32767, 10, 7}}) {
    EXPECT_EQ(PosMod(c.a, c.m), c.want) << c.a << " mod " << c.m;
  }
}

TEST(PosMod, ZeroModulusGivesZeroInsteadOfTrapping) {
  EXPECT_EQ(PosMod(7, 0), 0);
}

TEST(Compare, EqualAndGreaterAgreeWithTheValues) {
  struct Case {
    const char* a;
    const char* b;
    bool equal, greater;
  };
  for (const Case& c : {
           Case{"0", "0", true, false},
           {"120", "120", true, false},
           {"120", "12", false, true},
           {"123", "124", false, false},
           {"100", "99", false, true},
           {"54", "45", false, true},
           {"45", "54", false, false},
           {"1", "0", false, true},
           {"9x256", "9x256", true, false},
           {"9x256", "9x255 8", false, true},
           {"1 e255", "9x255", false, true},
           {"9x255", "1 e255", false, false},
           {"5 e201", "5 e200 1", false, false},  // differs only in cell 0
           {"5 e200 2", "5 e200 1", false, true},
       }) {
    EXPECT_EQ(Equal(Num(c.a), Num(c.b)), c.equal) << c.a << " = " << c.b;
    EXPECT_EQ(Greater(Num(c.a), Num(c.b)), c.greater) << c.a << " > " << c.b;
  }
}

struct StepCase {
  const char* x;
  const char* want;
  bool hiba;
};

TEST(Succ, CarriesThroughRunsOfNines) {
  for (const StepCase& c : {StepCase{"0", "1", false},
                            {"999", "1000", false},
                            {"1299", "1300", false},
                            {"9x255", "1 e255", false},
                            {"8 9x255", "9 e255", false},
                            {"9x256", "0", true}}) {
    TakeHiba();
    NemNegEgesz y = Num("7x256");  // a longer unrelated value must vanish
    Succ(Num(c.x), y);
    EXPECT_EQ(Text(y), Text(Num(c.want))) << c.x;
    EXPECT_EQ(TakeHiba(), c.hiba) << c.x;
  }
}

TEST(Pred, BorrowsThroughRunsOfZeros) {
  for (const StepCase& c : {StepCase{"1", "0", false},
                            {"1000", "999", false},
                            {"1 e255", "9x255", false},
                            {"9x256", "9x255 8", false},
                            {"3 e100 0", "2 9x101", false}}) {
    TakeHiba();
    NemNegEgesz y = Num("7x256");
    Pred(Num(c.x), y);
    EXPECT_EQ(Text(y), Text(Num(c.want))) << c.x;
    EXPECT_EQ(TakeHiba(), c.hiba) << c.x;
  }
}

TEST(Pred, OfZeroSetsHibaAndLeavesTheOutput) {
  TakeHiba();
  NemNegEgesz y = Num("4 e200 5");
  Pred(Nulla, y);
  EXPECT_EQ(Text(y), Text(Num("4 e200 5")));
  EXPECT_TRUE(TakeHiba());
}

TEST(Hiba, StaysSetUntilTakenAndIsTakenOnce) {
  StartNumbers();
  EXPECT_FALSE(Hiba);
  NemNegEgesz y;
  Pred(Nulla, y);
  Pred(Nulla, y);
  Succ(Num("5"), y);  // a success does not clear it
  EXPECT_TRUE(Hiba);
  EXPECT_TRUE(TakeHiba());
  EXPECT_FALSE(TakeHiba());
  Hiba = true;
  StartNumbers();
  EXPECT_FALSE(Hiba);
}

}  // namespace
}  // namespace nagyszam
