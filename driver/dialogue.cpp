#include "driver/dialogue.h"

#include "console/console.h"

namespace nagyszam {

NemNegEgesz a, b, result, quotient, remainder;
Egesz signedA, signedB, signedResult, signedQuotient, signedRemainder;

void WriteTextChecked(ShortText text) noexcept {
  WriteText(text);
  CheckOutput();
}

void WriteBooleanChecked(bool value) noexcept {
  WriteBoolean(value);
  CheckOutput();
}

void EndLineChecked() noexcept {
  EndLine();
  CheckOutput();
}

}  // namespace nagyszam
