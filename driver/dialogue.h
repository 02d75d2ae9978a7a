// The test dialogue: its number variables, its checked writes and its two
// sections, which run one after the other.
#pragma once

#include "console/short_text.h"
#include "numbers/numbers.h"

namespace nagyszam {

// The operands and results; zero at start, alive for the whole run.
extern NemNegEgesz a, b, result, quotient, remainder;
extern Egesz signedA, signedB, signedResult, signedQuotient, signedRemainder;

// Writes that stop the program with the run-time error report on failure.
void WriteTextChecked(ShortText text) noexcept;
void WriteBooleanChecked(bool value) noexcept;
void EndLineChecked() noexcept;

// Non-negative section: entries of a and b, every operation's row, key wait.
void RunNemNegSection() noexcept;

// Signed section: a and b as signed numbers, then two signed entries, key wait.
void RunEgeszSection() noexcept;

}  // namespace nagyszam
