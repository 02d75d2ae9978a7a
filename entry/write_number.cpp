#include "console/console.h"
#include "entry/entry.h"

namespace nagyszam {

namespace {

void WriteDigitsFrom(std::int16_t top, const NemNegEgesz& cells) noexcept {
  for (std::int16_t i = top; i >= 0; --i) WriteUnsignedChecked(cells[static_cast<std::size_t>(i)]);
}

}  // namespace

void WriteNemNegEgesz(ShortText prefix, const NemNegEgesz& x, ShortText suffix) noexcept {
  WriteTextChecked(prefix);
  WriteDigitsFrom(TopIndex(x), x);
  WriteTextChecked(suffix);
}

// The digits start at the stored Top, so leading zeros typed at the entry
// stay visible.
void WriteEgesz(ShortText prefix, const Egesz& x, ShortText suffix) noexcept {
  WriteTextChecked(prefix);
  WriteCharChecked(x.Sign == Elojel::Pozitiv ? '+' : '-');
  WriteDigitsFrom(x.Top, x.Magnitude);
  WriteTextChecked(suffix);
}

}  // namespace nagyszam
