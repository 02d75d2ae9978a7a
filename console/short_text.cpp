#include "console/short_text.h"

namespace nagyszam {

// The conversion runs at compile time; these checks keep it honest.
static_assert(Cp852Text(u8"ő").Length == 1 && Cp852Text(u8"ő").Bytes[0] == 139);
static_assert(Cp852Text(u8"Túl hosszú").Length == 10);
static_assert(Concat(Cp852Text(u8"ab"), Cp852Text(u8"c")).Length == 3);

}  // namespace nagyszam
