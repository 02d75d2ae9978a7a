// The window as a transcript, for standard output that is no console (a
// file or a pipe): each row that scrolls out is written at once, and at
// the end the rows down to the last one that shows something, without
// trailing blanks, CR LF after each. The bytes stay code page 852.
#include <array>

#include "console/windows/windows_backends.h"

namespace nagyszam {

namespace {

struct Transcript {
  HANDLE Out;
  HANDLE Err;
  std::uint16_t StartError;
  std::uint16_t Failure;
};

Transcript transcript{};

void PutRow(const WindowRow& row, int width) noexcept {
  std::array<std::uint8_t, MaxWindowSide + 2> line;
  const int length = ShownRowLength(row, width);
  for (int column = 0; column < length; ++column)
    line[column] = row[column] == 0 ? ' ' : row[column];
  line[length] = '\r';
  line[length + 1] = '\n';
  if (!WriteAll(transcript.Out, line.data(), static_cast<DWORD>(length + 2)) &&
      transcript.Failure == 0)
    transcript.Failure = OutputWriteFailed;
}

std::uint16_t TranscriptBeginOutput(Window&) noexcept {
  return transcript.StartError;
}

void TranscriptShowByte(const Window& window, const WindowChange& change) noexcept {
  if (change.Scrolled) PutRow(change.LostRow, window.Width);
}

void TranscriptShowClear(const Window&) noexcept {}

std::uint16_t TranscriptEndOutput(const Window&) noexcept {
  const std::uint16_t failure = transcript.Failure;
  transcript.Failure = 0;
  return failure;
}

std::uint16_t TranscriptFinish(const Window& window) noexcept {
  if (transcript.StartError != 0) return 0;
  const int shown = ShownRowCount(window);
  for (int row = 0; row < shown; ++row) PutRow(window.Cells[row], window.Width);
  return TranscriptEndOutput(window);
}

void TranscriptWriteReport(const std::uint8_t* bytes, std::size_t length) noexcept {
  WriteReportTo(transcript.StartError == 0 ? transcript.Out : nullptr, transcript.Err, bytes,
                length);
}

constexpr ConsoleBackend TranscriptBackend{
    TranscriptBeginOutput, TranscriptShowByte, TranscriptShowClear,   TranscriptEndOutput,
    NextKeyEvent,          TranscriptFinish,   TranscriptWriteReport,
};

}  // namespace

const ConsoleBackend& StartTranscriptBackend(HANDLE out, HANDLE err,
                                             std::uint16_t startError) noexcept {
  transcript = Transcript{out, err, startError, 0};
  return TranscriptBackend;
}

}  // namespace nagyszam
