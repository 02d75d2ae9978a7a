#include "numbers/numbers.h"

int main() {
  nagyszam::StartNumbers();
  return 0;
}
