#include "console/window.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace nagyszam {
namespace {

struct Model {
  std::unique_ptr<Window> W = std::make_unique<Window>();
  int Scrolls = 0;
  std::string LastLost;

  explicit Model(int width, int height) { StartWindow(width, height, *W); }

  void Write(const std::string& bytes) {
    WindowChange change;
    for (char c : bytes) {
      ApplyByte(static_cast<std::uint8_t>(c), *W, change);
      if (change.Scrolled) {
        ++Scrolls;
        LastLost.assign(change.LostRow.begin(), change.LostRow.begin() + W->Width);
      }
    }
  }
  std::string Row(int row) const {
    return std::string(W->Cells[row - 1].begin(), W->Cells[row - 1].begin() + W->Width);
  }
};

TEST(WindowTest, SidesAreClampedAndStartBlank) {
  const struct {
    int Width, Height, WantWidth, WantHeight;
  } cases[] = {
      {0, 0, 1, 1}, {1, 1, 1, 1}, {300, -5, 255, 1}, {80, 25, 80, 25}, {255, 255, 255, 255}};
  for (const auto& c : cases) {
    Model m(c.Width, c.Height);
    EXPECT_EQ(m.W->Width, c.WantWidth);
    EXPECT_EQ(m.W->Height, c.WantHeight);
    EXPECT_EQ(m.W->Column, 1);
    EXPECT_EQ(m.W->Row, 1);
    EXPECT_EQ(m.Row(c.WantHeight), std::string(c.WantWidth, ' '));
  }
}

// Each case writes bytes into a fresh window and checks the cursor, the
// number of scrolls and one row of cells.
TEST(WindowTest, ByteHandlingWrapAndScroll) {
  const struct {
    const char* Name;
    int Width, Height;
    std::string Bytes;
    int Column, Row, Scrolls;
    int CheckRow;
    std::string Cells;
  } cases[] = {
      {"full row wraps at once", 5, 3, "abcde", 1, 2, 0, 1, "abcde"},
      {"full bottom row scrolls at once", 5, 2, "12345abcde", 1, 2, 1, 1, "abcde"},
      {"bottom row blank after that scroll", 5, 2, "12345abcde", 1, 2, 1, 2, "     "},
      {"CR LF on bottom row scrolls", 5, 2, "ab\r\ncd\r\n", 1, 2, 1, 1, "cd   "},
      {"LF keeps the column", 5, 3, "ab\ncd", 5, 2, 0, 2, "  cd "},
      {"CR only goes to column 1", 5, 3, "abc\rX", 2, 1, 0, 1, "Xbc  "},
      {"BS in column 1 does nothing", 5, 3, "\b\bX", 2, 1, 0, 1, "X    "},
      {"BS moves left without erasing", 5, 3, "abc\b\b", 2, 1, 0, 1, "abc  "},
      {"BS then overwrite", 5, 3, "abc\bZ", 4, 1, 0, 1, "abZ  "},
      {"BS does not go back over a wrap", 3, 3, "abc\b", 1, 2, 0, 1, "abc"},
      {"BEL does nothing at all", 5, 3, "a\a\a\ab", 3, 1, 0, 1, "ab   "},
      {"tab occupies one cell", 5, 3, "a\tb", 4, 1, 0, 1, "a\tb  "},
      {"byte 0 occupies one cell", 5, 3, std::string("a\0b", 3), 4, 1, 0, 1,
       std::string("a\0b  ", 5)},
      {"1x1: every cell byte scrolls", 1, 1, "xyz", 1, 1, 3, 1, " "},
      {"1x1: CR and BS do nothing", 1, 1, "\r\b\a", 1, 1, 0, 1, " "},
      {"1x1: LF scrolls", 1, 1, "\n\n", 1, 1, 2, 1, " "},
      {"LF past bottom scrolls each time", 4, 2, "ab\n\n\n", 3, 2, 2, 1, "    "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Model m(c.Width, c.Height);
    m.Write(c.Bytes);
    EXPECT_EQ(m.W->Column, c.Column);
    EXPECT_EQ(m.W->Row, c.Row);
    EXPECT_EQ(m.Scrolls, c.Scrolls);
    EXPECT_EQ(m.Row(c.CheckRow), c.Cells);
  }
}

TEST(WindowTest, ScrollMovesEveryRowUpAndReportsTheLostOne) {
  Model m(40, 10);
  for (int row = 1; row <= 10; ++row)
    m.Write(std::string(1, static_cast<char>('A' + row)) + "\r\n");
  // Ten lines with CR LF each: the last LF scrolled once.
  EXPECT_EQ(m.Scrolls, 1);
  EXPECT_EQ(m.LastLost, "B" + std::string(39, ' '));
  for (int row = 1; row <= 9; ++row) EXPECT_EQ(m.Row(row)[0], 'C' + row - 1) << row;
  EXPECT_EQ(m.Row(10), std::string(40, ' '));
  EXPECT_EQ(m.W->Row, 10);
  EXPECT_EQ(m.W->Column, 1);
}

TEST(WindowTest, WidestWindowWrapsAfterColumn255) {
  Model m(255, 255);
  ASSERT_TRUE(PlaceWritePosition(254, 255, *m.W));
  m.Write("xy");
  EXPECT_EQ(m.Scrolls, 1);
  EXPECT_EQ(m.W->Column, 1);
  EXPECT_EQ(m.W->Row, 255);
  EXPECT_EQ(m.Row(254).substr(253), "xy");
  ASSERT_TRUE(PlaceWritePosition(255, 1, *m.W));
  m.Write("\b");
  EXPECT_EQ(m.W->Column, 254);
}

TEST(WindowTest, PlaceWritePositionKeepsInsideTheWindow) {
  const struct {
    int Width, Height, Column, Row;
    bool Moves;
  } cases[] = {
      {40, 10, 80, 5, false},     {40, 10, 0, 5, false},  {40, 10, 5, 0, false},
      {40, 10, 41, 1, false},     {40, 10, 1, 11, false}, {40, 10, 40, 10, true},
      {40, 10, 1, 1, true},       {1, 1, 1, 1, true},     {1, 1, 2, 1, false},
      {255, 255, 255, 255, true},
  };
  for (const auto& c : cases) {
    Model m(c.Width, c.Height);
    m.Write("a");  // the cursor somewhere known
    const int column = m.W->Column;
    const int row = m.W->Row;
    EXPECT_EQ(PlaceWritePosition(static_cast<std::uint8_t>(c.Column),
                                 static_cast<std::uint8_t>(c.Row), *m.W),
              c.Moves);
    EXPECT_EQ(m.W->Column, c.Moves ? c.Column : column);
    EXPECT_EQ(m.W->Row, c.Moves ? c.Row : row);
  }
}

// Every byte value, written alone at a known place, either lands in the
// cell and moves one right, or is one of the four that move or do nothing.
TEST(WindowTest, EveryByteWrittenReadsBack) {
  for (int side : {1, 40, 255}) {
    for (int b = 0; b < 256; ++b) {
      Model m(side, side == 40 ? 10 : side);
      const std::uint8_t column = side == 1 ? 1 : 2;
      ASSERT_TRUE(PlaceWritePosition(column, 1, *m.W));
      WindowChange change;
      ApplyByte(static_cast<std::uint8_t>(b), *m.W, change);
      const bool moves = b == 7 || b == 8 || b == 10 || b == 13;
      EXPECT_EQ(change.CellWritten, !moves) << b;
      if (moves) continue;
      EXPECT_EQ(change.WrittenColumn, column);
      EXPECT_EQ(change.WrittenRow, 1);
      const std::uint8_t shown =
          change.Scrolled ? change.LostRow[column - 1] : m.W->Cells[0][column - 1];
      EXPECT_EQ(shown, b) << "side " << side;
      EXPECT_EQ(m.W->Column, side == 1 ? 1 : 3);
    }
  }
}

TEST(WindowTest, AllBytesInARowStayInOrder) {
  Model m(40, 10);
  std::string all;
  for (int b = 0; b < 256; ++b)
    if (b != 7 && b != 8 && b != 10 && b != 13) all.push_back(static_cast<char>(b));
  m.Write(all);  // 252 cells: six full rows and 12 more
  EXPECT_EQ(m.W->Row, 7);
  EXPECT_EQ(m.W->Column, 13);
  std::string shown;
  for (int row = 1; row <= 7; ++row) shown += m.Row(row);
  EXPECT_EQ(shown.substr(0, all.size()), all);
}

TEST(WindowTest, ShownRowLengthSkipsTrailingBlanks) {
  Model m(10, 2);
  m.Write(std::string("ab \0 c \0  ", 10));
  EXPECT_EQ(ShownRowLength(m.W->Cells[0], 10), 6);
  EXPECT_EQ(ShownRowLength(m.W->Cells[1], 10), 0);
  EXPECT_EQ(ShownRowLength(m.W->Cells[0], 2), 2);
}

}  // namespace
}  // namespace nagyszam
