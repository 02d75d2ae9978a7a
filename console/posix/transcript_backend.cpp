// The window as a transcript, for standard output that is no terminal:
// each row that scrolls out is written at once, and at the end the rows
// down to the last one that shows something. Trailing blanks are left
// out and each row ends with LF; cells show as on a terminal.
#include "console/posix/key_input.h"
#include "console/posix/output_buffer.h"
#include "console/posix/terminal_backend.h"
#include "console/posix/terminal_guard.h"

namespace nagyszam {

namespace {

struct Transcript {
  const Charset* Chars;
  std::uint16_t StartError;
  OutputBuffer Out;
};

Transcript transcript{};

void PutRow(const WindowRow& row, int width) noexcept {
  const int length = ShownRowLength(row, width);
  for (int column = 0; column < length; ++column) {
    const std::uint8_t byte = row[column];
    Append(transcript.Out, transcript.Chars->Shown[byte].data(),
           transcript.Chars->ShownLength[byte]);
  }
  AppendText(transcript.Out, "\n");
}

std::uint16_t Sent() noexcept {
  Flush(transcript.Out);
  return TakeOutputFailure(transcript.Out) ? OutputWriteFailed : 0;
}

std::uint16_t TranscriptBeginOutput(Window&) noexcept {
  return transcript.StartError;
}

void TranscriptShowByte(const Window& window, const WindowChange& change) noexcept {
  if (change.Scrolled) PutRow(change.LostRow, window.Width);
}

void TranscriptShowClear(const Window&) noexcept {}

std::uint16_t TranscriptEndOutput(const Window&) noexcept {
  const std::uint16_t code = Sent();
  ActOnSignals();  // an ending signal writes the window first
  return code;
}

std::uint16_t TranscriptFinish(const Window& window) noexcept {
  if (transcript.StartError != 0) return transcript.StartError;
  const int shown = ShownRowCount(window);
  for (int row = 0; row < shown; ++row) PutRow(window.Cells[row], window.Width);
  return Sent();
}

void TranscriptWriteReport(const std::uint8_t* bytes, std::size_t length) noexcept {
  WriteReportTo(transcript.Out.Fd, transcript.StartError == 0, bytes, length);
}

constexpr ConsoleBackend TranscriptBackend{
    TranscriptBeginOutput, TranscriptShowByte, TranscriptShowClear,   TranscriptEndOutput,
    NextKeyEvent,          TranscriptFinish,   TranscriptWriteReport,
};

}  // namespace

const ConsoleBackend& StartTranscriptBackend(int out, const Charset& chars,
                                             std::uint16_t startError) noexcept {
  transcript.Chars = &chars;
  transcript.StartError = startError;
  StartOutputBuffer(out, transcript.Out);
  return TranscriptBackend;
}

}  // namespace nagyszam
