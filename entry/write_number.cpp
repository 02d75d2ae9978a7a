#include "console/console.h"
#include "entry/entry.h"

namespace nagyszam {

namespace {

void WriteDigitsFrom(std::int16_t top, const NemNegEgesz& cells) noexcept {
  for (std::int16_t i = top; i >= 0; --i) {
    WriteUnsigned(cells[static_cast<std::size_t>(i)]);
    CheckOutput();
  }
}

}  // namespace

void WriteNemNegEgesz(ShortText prefix, const NemNegEgesz& x, ShortText suffix) noexcept {
  WriteText(prefix);
  CheckOutput();
  WriteDigitsFrom(TopIndex(x), x);
  WriteText(suffix);
  CheckOutput();
}

// The digits start at the stored Top, so leading zeros typed at the entry
// stay visible.
void WriteEgesz(ShortText prefix, const Egesz& x, ShortText suffix) noexcept {
  WriteText(prefix);
  CheckOutput();
  WriteChar(x.Sign == Elojel::Pozitiv ? '+' : '-');
  CheckOutput();
  WriteDigitsFrom(x.Top, x.Magnitude);
  WriteText(suffix);
  CheckOutput();
}

}  // namespace nagyszam
