#include "console/console.h"
#include "entry/entry.h"
#include "entry/key_steps.h"

namespace nagyszam {

namespace {

constexpr ShortText LeadIn = Cp852Text(u8" (A szám legfeljebb ");

void TakeBackspace(DigitBuffer& buffer) noexcept {
  if (buffer.Counter < 0) return;
  EraseHeld(buffer.WrapColumn[static_cast<std::size_t>(buffer.Counter)]);
  --buffer.Counter;
}

}  // namespace

void ReadNemNegEgesz(ShortText prompt, NemNegEgesz& x) noexcept {
  WritePromptRow(prompt, LeadIn);
  DigitBuffer buffer;
  buffer.Counter = -1;
  buffer.SignWrapColumn = 0;
  std::uint8_t k = 0;
  do {
    k = ReadKey();
    if (k == KeyBackspace)
      TakeBackspace(buffer);
    else
      TakeDigitPhaseKey(k, buffer);
  } while (!EndsEntry(k, buffer));
  StoreDigits(buffer, x);
}

}  // namespace nagyszam
