// Number entry and display on the console: a key-by-key line editor for
// each number type, and printing a number between two texts.
#pragma once

#include "console/short_text.h"
#include "numbers/numbers.h"

namespace nagyszam {

// Write the prompt row, then read keys until CR ends a valid number.
void ReadNemNegEgesz(ShortText prompt, NemNegEgesz& x) noexcept;
void ReadEgesz(ShortText prompt, Egesz& x) noexcept;

// Write prefix, the number's digits, then suffix; no line end.
void WriteNemNegEgesz(ShortText prefix, const NemNegEgesz& x, ShortText suffix) noexcept;
void WriteEgesz(ShortText prefix, const Egesz& x, ShortText suffix) noexcept;

}  // namespace nagyszam
