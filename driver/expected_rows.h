// For the dialogue tests: the rows the program writes, as the user reads
// them, and how a window of a given width breaks them up.
#pragma once

#include <string>
#include <vector>

namespace nagyszam::testing {

inline const std::string NemNegHeading = "---- Elöjel nélüli egészek tesztje ----";
inline const std::string EgeszHeading = "---- Elöjeles egészek tesztje ----";
inline const std::string PromptA = "a(NemNegEgész): (A szám legfeljebb 256 jegyű):";
inline const std::string PromptB = "b(NemNegEgész): (A szám legfeljebb 256 jegyű):";
inline const std::string SignedPromptA = "a(Egész): (Az előjeles szám legfeljebb 256 jegyű):";
inline const std::string SignedPromptB = "b(Egész): (Az előjeles szám legfeljebb 256 jegyű):";
inline const std::string TooLong = "Túl hosszú szám! Kérem újra!";
inline const std::string DivisionQuestion = " osztása során képződött-e hiba = ";
inline const std::string Overflow = " (túlcsordulás)";

// Splits UTF-8 text into characters, one cell each.
inline std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> characters;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = 1;
    while (i + length < text.size() &&
           (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80)
      ++length;
    characters.push_back(text.substr(i, length));
    i += length;
  }
  return characters;
}

// A row that is ended by a line break fills width-long pieces and then the
// row the cursor moved on to: one more, empty when the row exactly filled
// the last piece. Blank rows after the last text are not in the transcript.
inline std::string Transcript(const std::vector<std::string>& rows, int width) {
  std::vector<std::string> lines;
  for (const std::string& row : rows) {
    const std::vector<std::string> characters = Characters(row);
    std::string line;
    int cells = 0;
    for (const std::string& c : characters) {
      line += c;
      if (++cells == width) {
        lines.push_back(line);
        line.clear();
        cells = 0;
      }
    }
    lines.push_back(line);
  }
  for (std::string& line : lines)
    while (!line.empty() && line.back() == ' ') line.pop_back();
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  std::string transcript;
  for (const std::string& line : lines) transcript += line + "\n";
  return transcript;
}

}  // namespace nagyszam::testing
