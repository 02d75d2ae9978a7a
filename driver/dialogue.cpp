#include "driver/dialogue.h"

namespace nagyszam {

NemNegEgesz a, b, result, quotient, remainder;
Egesz signedA, signedB, signedResult, signedQuotient, signedRemainder;

}  // namespace nagyszam
