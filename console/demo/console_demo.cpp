// A small program over the console layer for the tests of the real
// terminal, the transcript and the output errors. Each argument is one step:
//   t<text>  checked write of the text (\r \n \b \a \\ and \xNN escapes)
//   u<text>  unchecked write of the text
//   a        checked writes of every byte 0..255, one WriteChar each
//   l<n>     n checked lines "line <i>" each ended by EndLine
//   p<c>,<r> PlaceCursor
//   c        ClearScreen
//   k<n>     n keys read, each written as its code and a space (checked)
//   K        keys read and written until the input ends
//   w        the cursor position written as "<column>,<row>" (checked)
//   x        TakeOutputError, its code written (checked)
//   e<n>     EndProgram(n)
// After the last step the program ends with EndProgram(0).
#include <cstdlib>
#include <cstring>

#include "console/console.h"

namespace {

using nagyszam::ShortText;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

ShortText Unescaped(const char* s) {
  ShortText text{0, {}};
  while (*s != '\0' && text.Length < 255) {
    char c = *s++;
    if (c == '\\' && *s != '\0') {
      const char e = *s++;
      if (e == 'r')
        c = '\r';
      else if (e == 'n')
        c = '\n';
      else if (e == 'b')
        c = '\b';
      else if (e == 'a')
        c = '\a';
      else if (e == 'x' && s[0] != '\0' && s[1] != '\0') {
        c = static_cast<char>(HexDigit(s[0]) * 16 + HexDigit(s[1]));
        s += 2;
      } else
        c = e;
    }
    text.Bytes[text.Length++] = static_cast<std::uint8_t>(c);
  }
  return text;
}

void WriteKeys(long count) {
  for (long i = 0; count < 0 || i < count; ++i) {
    nagyszam::WriteUnsigned(nagyszam::ReadKey());
    nagyszam::CheckOutput();
    nagyszam::WriteChar(' ');
    nagyszam::CheckOutput();
  }
}

[[gnu::noinline]] void Step(const char* step) {
  using namespace nagyszam;
  const char* rest = step + 1;
  switch (step[0]) {
    case 't':
      WriteText(Unescaped(rest));
      CheckOutput();
      break;
    case 'u':
      WriteText(Unescaped(rest));
      break;
    case 'a':
      for (int b = 0; b < 256; ++b) {
        WriteChar(static_cast<std::uint8_t>(b));
        CheckOutput();
      }
      break;
    case 'l':
      for (long i = 1; i <= std::atol(rest); ++i) {
        WriteText(Unescaped("line "));
        CheckOutput();
        WriteUnsigned(static_cast<std::uint32_t>(i));
        CheckOutput();
        EndLine();
        CheckOutput();
      }
      break;
    case 'p': {
      const int column = std::atoi(rest);
      const char* comma = std::strchr(rest, ',');
      const int row = comma != nullptr ? std::atoi(comma + 1) : 0;
      PlaceCursor(static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row));
      break;
    }
    case 'c':
      ClearScreen();
      break;
    case 'k':
      WriteKeys(std::atol(rest));
      break;
    case 'K':
      WriteKeys(-1);
      break;
    case 'w': {
      const std::uint8_t column = CursorColumn();
      const std::uint8_t row = CursorRow();
      WriteUnsigned(column);
      CheckOutput();
      WriteChar(',');
      CheckOutput();
      WriteUnsigned(row);
      CheckOutput();
      break;
    }
    case 'x':
      WriteUnsigned(TakeOutputError());
      CheckOutput();
      break;
    case 'e':
      EndProgram(std::atoi(rest));
  }
}

}  // namespace

int main(int argc, char** argv) {
  nagyszam::StartConsole();
  for (int i = 1; i < argc; ++i) Step(argv[i]);
  nagyszam::EndProgram(0);
}
