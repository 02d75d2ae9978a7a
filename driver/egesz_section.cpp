#include "console/console.h"
#include "driver/dialogue.h"
#include "driver/texts.h"
#include "entry/entry.h"

namespace nagyszam {

namespace {

void WriteOperandRows() noexcept {
  WriteTextChecked(EgeszHeading);
  EndLineChecked();
  ToEgesz(a, signedA);
  ToEgesz(b, signedB);
  WriteEgesz(SignedOperands, signedA, EmptyText);
  WriteEgesz(SignedOperandsAnd, signedB, EmptyText);
}

void WriteComparisonRows() noexcept {
  WriteEgesz(TwoNewRows, signedA, EmptyText);
  WriteEgesz(EqualSign, signedB, Is);
  WriteBooleanChecked(EgeszEqual(signedA, signedB));
  EndLineChecked();
  WriteEgesz(EmptyText, signedA, EmptyText);
  WriteEgesz(GreaterSign, signedB, Is);
  WriteBooleanChecked(EgeszGreater(signedA, signedB));
  EndLineChecked();
}

// Writes "signedA<stepText>signedResult" with the overflow mark.
void WriteStepRow(ShortText stepText, bool overflowed) noexcept {
  WriteEgesz(NewRow, signedA, EmptyText);
  WriteEgesz(stepText, signedResult, OverflowMark(overflowed));
}

// Writes "signedA<operator>signedB = signedResult" with the overflow mark.
void WriteOperationRow(ShortText operatorText, bool overflowed, ShortText rowEnd) noexcept {
  WriteEgesz(NewRow, signedA, EmptyText);
  WriteEgesz(operatorText, signedB, EmptyText);
  WriteEgesz(Is, signedResult, Concat(OverflowMark(overflowed), rowEnd));
}

void WriteFirstHalfRows() noexcept {
  EgeszSucc(signedA, signedResult);
  WriteStepRow(PlusOne, TakeHiba());
  EgeszPred(signedA, signedResult);
  WriteStepRow(MinusOne, TakeHiba());
  EgeszAdd(signedA, signedB, signedResult);
  WriteOperationRow(Plus, TakeHiba(), EmptyText);
  EgeszSubtract(signedA, signedB, signedResult);
  WriteOperationRow(Minus, TakeHiba(), EmptyText);
}

// The division row with the flag's answer, then the quotient and remainder.
void WriteDivisionRows() noexcept {
  EgeszDivMod(signedA, signedB, signedQuotient, signedRemainder);
  WriteEgesz(NewRow, signedA, EmptyText);
  WriteEgesz(And, signedB, EmptyText);
  WriteTextChecked(DivisionQuestion);
  WriteTextChecked(NemIgen[TakeHiba() ? 1 : 0]);
  WriteEgesz(NewRow, signedA, EmptyText);
  WriteEgesz(Div, signedB, EmptyText);
  WriteEgesz(Is, signedQuotient, EmptyText);
  WriteEgesz(NewRow, signedA, EmptyText);
  WriteEgesz(Mod, signedB, EmptyText);
  WriteEgesz(Is, signedRemainder, EmptyText);
}

void WriteSecondHalfRows() noexcept {
  ReadEgesz(SignedPromptA, signedA);
  ReadEgesz(SignedPromptB, signedB);
  WriteEgesz(NewRow, signedA, EmptyText);
  WriteEgesz(GreaterSign, signedB, Is);
  WriteBooleanChecked(EgeszGreater(signedA, signedB));
  EndLineChecked();
  EgeszMultiply(signedA, signedB, signedResult);
  WriteOperationRow(Times, TakeHiba(), NewRow);
}

}  // namespace

void RunEgeszSection() noexcept {
  WriteOperandRows();
  WriteComparisonRows();
  WriteFirstHalfRows();
  WriteDivisionRows();
  WriteSecondHalfRows();
  WriteDivisionRows();
  ReadKey();  // any key ends the program
}

}  // namespace nagyszam
