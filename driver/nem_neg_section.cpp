#include "console/console.h"
#include "driver/dialogue.h"
#include "driver/texts.h"
#include "entry/entry.h"

namespace nagyszam {

namespace {

void ReadOperands() noexcept {
  ClearScreen();
  WriteTextChecked(NemNegHeading);
  EndLineChecked();
  ReadNemNegEgesz(PromptA, a);
  ReadNemNegEgesz(PromptB, b);
}

void WriteComparisonRows() noexcept {
  WriteNemNegEgesz(NewRow, a, EmptyText);
  WriteNemNegEgesz(EqualSign, b, Is);
  WriteBooleanChecked(Equal(a, b));
  EndLineChecked();
  WriteNemNegEgesz(EmptyText, a, EmptyText);
  WriteNemNegEgesz(GreaterSign, b, Is);
  WriteBooleanChecked(Greater(a, b));
  EndLineChecked();
}

void WriteStepRows() noexcept {
  Succ(a, result);
  const bool overflowed = TakeHiba();
  WriteNemNegEgesz(NewRow, a, EmptyText);
  WriteNemNegEgesz(PlusOne, result, OverflowMark(overflowed));
  Pred(a, result);
  if (TakeHiba()) {
    WriteNemNegEgesz(CannotDecrease, a, CannotDecreaseEnd);
  } else {
    WriteNemNegEgesz(NewRow, a, EmptyText);
    WriteNemNegEgesz(MinusOne, result, EmptyText);
  }
}

// Writes "a<operator>b = result", ended by the overflow mark when the
// operation that gave result set the flag.
void WriteOperationRow(ShortText operatorText, bool overflowed) noexcept {
  WriteNemNegEgesz(NewRow, a, EmptyText);
  WriteNemNegEgesz(operatorText, b, EmptyText);
  WriteNemNegEgesz(Is, result, OverflowMark(overflowed));
}

void WriteArithmeticRows() noexcept {
  Add(a, b, result);
  WriteOperationRow(Plus, TakeHiba());
  Subtract(a, b, result);
  if (TakeHiba()) {
    WriteNemNegEgesz(CannotSubtract, a, CannotSubtractFrom);
    WriteNemNegEgesz(EmptyText, b, CannotSubtractEnd);
  } else {
    WriteOperationRow(Minus, false);
  }
  Multiply(a, b, result);
  WriteOperationRow(Times, TakeHiba());
}

void WriteDivisionRows() noexcept {
  DivMod(a, b, quotient, remainder);
  WriteNemNegEgesz(NewRow, a, EmptyText);
  WriteNemNegEgesz(And, b, EmptyText);
  WriteTextChecked(DivisionQuestion);
  WriteTextChecked(NemIgen[TakeHiba() ? 1 : 0]);
  WriteNemNegEgesz(NewRow, a, EmptyText);
  WriteNemNegEgesz(Div, b, EmptyText);
  WriteNemNegEgesz(Is, quotient, EmptyText);
  WriteNemNegEgesz(NewRow, a, EmptyText);
  WriteNemNegEgesz(Mod, b, EmptyText);
  WriteNemNegEgesz(Is, remainder, EmptyText);
}

}  // namespace

void RunNemNegSection() noexcept {
  ReadOperands();
  WriteComparisonRows();
  WriteStepRows();
  WriteArithmeticRows();
  WriteDivisionRows();
  ReadKey();  // any key goes on; an extended key's second byte stays queued
}

}  // namespace nagyszam
