#include "console/console.h"
#include "entry/entry.h"
#include "entry/key_steps.h"

namespace nagyszam {

namespace {

constexpr ShortText LeadIn = Cp852Text(u8" (Az előjeles szám legfeljebb ");
constexpr std::int16_t NoSignYet = -2;

// Before the first digit only a sign counts; every other key is ignored
// without a trace on the screen.
void TakeSignPhaseKey(std::uint8_t k, DigitBuffer& buffer, Egesz& x) noexcept {
  if (k != KeyPlus && k != KeyMinus) return;
  buffer.SignWrapColumn = EchoKey(k);
  x.Sign = k == KeyPlus ? Elojel::Pozitiv : Elojel::Negativ;
  buffer.Counter = -1;
}

// BS with no digit held takes the sign back and reopens the sign phase; the
// sign last typed stays in x until another one is typed.
void TakeBackspace(DigitBuffer& buffer) noexcept {
  if (buffer.Counter >= 0)
    EraseHeld(buffer.WrapColumn[static_cast<std::size_t>(buffer.Counter)]);
  else
    EraseHeld(buffer.SignWrapColumn);
  --buffer.Counter;
}

}  // namespace

void ReadEgesz(ShortText prompt, Egesz& x) noexcept {
  WritePromptRow(prompt, LeadIn);
  x.Sign = Elojel::Pozitiv;
  DigitBuffer buffer;
  buffer.Counter = NoSignYet;
  buffer.SignWrapColumn = 0;
  std::uint8_t k = 0;
  do {
    k = ReadKey();
    if (buffer.Counter == NoSignYet)
      TakeSignPhaseKey(k, buffer, x);
    else if (k == KeyBackspace)
      TakeBackspace(buffer);
    else
      TakeDigitPhaseKey(k, buffer);
  } while (!EndsEntry(k, buffer));
  StoreDigits(buffer, x.Magnitude);
  x.Top = static_cast<std::uint8_t>(buffer.Counter);
}

}  // namespace nagyszam
