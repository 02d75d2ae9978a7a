// The consumer: a * b, a div b and a mod b of its two arguments, one a line.
#include <cstdio>

#include "numbers/numbers.h"

int main(int argc, char** argv) {
  using namespace nagyszam;
  if (argc != 3) return 2;
  Egesz a, b, product, quotient, remainder;
  ParseEgesz(argv[1], a);
  ParseEgesz(argv[2], b);
  EgeszMultiply(a, b, product);
  EgeszDivMod(a, b, quotient, remainder);
  if (TakeHiba()) return 1;
  for (const Egesz& x : {product, quotient, remainder}) {
    char text[MaxEgeszText];
    std::printf("%.*s\n", static_cast<int>(FormatEgesz(x, text)), text);
  }
  return 0;
}
