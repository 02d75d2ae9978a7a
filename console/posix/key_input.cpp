#include "console/posix/key_input.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "console/console_backend.h"
#include "console/posix/cursor_report.h"
#include "console/posix/key_decoder.h"
#include "console/posix/output_buffer.h"
#include "console/posix/terminal_guard.h"

namespace nagyszam {

namespace {

// How often a program in the background looks whether it is in the
// foreground again.
constexpr int ForegroundLookMs = 100;

struct KeyInput {
  int Fd;
  void (*OnWake)();
  KeyDecoder Decoder;
  KeyEvent Events[MaxDecodedEvents];
  int EventCount;
  int NextEvent;
  std::array<std::uint8_t, 4096> Bytes;  // read, not yet decoded
  static_assert(sizeof Bytes >= MaxTypedAtStart);
  std::size_t ByteCount;
  std::size_t NextByte;
  bool Ended;  // the end of input was seen
  bool DropReport;
};

KeyInput input{};

[[noreturn]] void EndOfInput() noexcept {
  FinishAtEndOfInput();
  static constexpr char message[] = "nagyszam: end of input\n";
  WriteAll(STDERR_FILENO, reinterpret_cast<const std::uint8_t*>(message), sizeof message - 1);
  LeaveProcess(1);
}

// Waits until input is readable or timeoutMs pass (-1: no limit). A signal
// is acted on either before the wait or after it interrupted the wait: the
// signals are blocked until the wait lets them in. The redraw after a
// continue comes first, with the signals let in: a terminal that reads
// nothing may hold it up, and an ending signal must still end the program.
int WaitReadable(int timeoutMs) noexcept {
  if (input.OnWake != nullptr) input.OnWake();
  sigset_t usual;
  BlockGuardedSignals(usual);
  if (ActOnSignals() && (timeoutMs < 0 || timeoutMs > ForegroundLookMs))
    timeoutMs = ForegroundLookMs;
  if (ResumeNoted()) timeoutMs = 0;  // taken back just now: redraw, then wait
  timespec limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000000L};
  pollfd ready{input.Fd, POLLIN, 0};
  const int polled = ppoll(&ready, 1, timeoutMs < 0 ? nullptr : &limit, &usual);
  const int saved = errno;
  sigprocmask(SIG_SETMASK, &usual, nullptr);
  errno = saved;
  return polled;
}

// Reads what is there, waiting until the decoder's deadline at most.
// False when nothing came before the deadline.
bool ReadSome() noexcept {
  const std::int64_t deadline = KeyDecoderDeadline(input.Decoder);
  for (;;) {
    int timeout = -1;
    if (deadline >= 0) {
      const std::int64_t left = deadline - NowMs();
      if (left <= 0) return false;
      timeout = static_cast<int>(left);
    }
    const int polled = WaitReadable(timeout);
    if (polled < 0) {
      if (errno != EINTR) {
        input.Ended = true;
        return true;
      }
      continue;
    }
    if (polled == 0) continue;  // the deadline decides
    const ssize_t got = read(input.Fd, input.Bytes.data(), input.Bytes.size());
    if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    // End of file, a hung-up terminal or a descriptor that cannot be read.
    if (got <= 0) {
      input.Ended = true;
      return true;
    }
    input.ByteCount = static_cast<std::size_t>(got);
    input.NextByte = 0;
    CursorReport report{};
    if (input.DropReport && FindCursorReport(input.Bytes.data(), input.ByteCount, report)) {
      input.ByteCount = CutCursorReport(input.Bytes.data(), input.ByteCount, report);
      input.DropReport = false;
    }
    return true;
  }
}

// Decodes until at least one event is waiting.
void Decode() noexcept {
  while (input.NextEvent == input.EventCount) {
    input.NextEvent = 0;
    input.EventCount = 0;
    if (input.NextByte < input.ByteCount) {
      input.EventCount =
          FeedKeyByte(input.Decoder, input.Bytes[input.NextByte++], NowMs(), input.Events);
      continue;
    }
    if (input.Ended) {
      input.EventCount = EndKeyDecoder(input.Decoder, input.Events);
      if (input.EventCount == 0) EndOfInput();
      continue;
    }
    if (!ReadSome()) input.EventCount = FlushKeyDecoder(input.Decoder, NowMs(), input.Events);
  }
}

}  // namespace

std::int64_t NowMs() noexcept {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void StartKeyInput(int fd, const Charset& chars, bool fromTerminal, void (*onWake)()) noexcept {
  input = KeyInput{};
  input.Fd = fd;
  input.OnWake = onWake;
  StartKeyDecoder(input.Decoder, chars, fromTerminal);
}

void DropLateCursorReport() noexcept {
  input.DropReport = true;
}

void KeepTypedBytes(const std::uint8_t (&bytes)[MaxTypedAtStart], std::size_t length) noexcept {
  // Only called at start, before anything was read.
  std::memcpy(input.Bytes.data(), bytes, length);
  input.ByteCount = length;
  input.NextByte = 0;
}

void NextKeyEvent(KeyEvent& event) noexcept {
  Decode();
  event = input.Events[input.NextEvent++];
}

}  // namespace nagyszam
