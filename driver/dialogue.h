// The test dialogue: its number variables and its two sections, which run
// one after the other.
#pragma once

#include "numbers/numbers.h"

namespace nagyszam {

// The operands and results; zero at start, alive for the whole run.
extern NemNegEgesz a, b, result, quotient, remainder;
extern Egesz signedA, signedB, signedResult, signedQuotient, signedRemainder;

// Non-negative section: entries of a and b, every operation's row, key wait.
void RunNemNegSection() noexcept;

// Signed section: a and b as signed numbers, then two signed entries, key wait.
void RunEgeszSection() noexcept;

}  // namespace nagyszam
