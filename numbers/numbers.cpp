#include "numbers/numbers.h"

namespace nagyszam {

bool Hiba = false;

bool TakeHiba() noexcept {
  const bool was = Hiba;
  Hiba = false;
  return was;
}

void StartNumbers() noexcept {
  Hiba = false;
}

}  // namespace nagyszam
