// The console operations over the one window model; a backend shows it.
#include "console/console.h"

#include "console/console_backend.h"
#include "console/decimal.h"
#include "console/key_reader.h"
#include "console/runtime_error.h"

namespace nagyszam {

namespace {

struct ConsoleState {
  const ConsoleBackend* Backend;
  Window Model;
  KeyReader Keys;
  std::uint16_t OutputError;
  bool Finished;
};

ConsoleState state{};

void WriteBytes(const std::uint8_t* bytes, int count) noexcept {
  ConsoleState& s = state;
  if (s.OutputError != 0) return;
  s.OutputError = s.Backend->BeginOutput(s.Model);
  if (s.OutputError != 0) return;
  WindowChange change;
  for (int i = 0; i < count; ++i) {
    ApplyByte(bytes[i], s.Model, change);
    s.Backend->ShowByte(s.Model, change);
  }
  s.OutputError = s.Backend->EndOutput(s.Model);
}

void KeepFirstError(std::uint16_t code) noexcept {
  if (state.OutputError == 0) state.OutputError = code;
}

// One output, so a pending error stops all of it.
void WriteDecimal(std::uint32_t magnitude, bool negative) noexcept {
  DecimalText text;
  WriteBytes(text.data(), FormatDecimal(magnitude, negative, text));
}

// Reports and ends the process; failing is the return address in the code
// that met the error.
[[noreturn]] void StopWithRuntimeError(std::uint16_t code, const void* failing) noexcept {
  std::uint32_t locations[MaxReportLocations];
  const int count = CallingLocations(failing, locations, MaxReportLocations);
  ReportBuffer report;
  const std::size_t length = FormatRuntimeError(code, locations, count, report);
  // The report follows whatever the screen or transcript shows.
  FinishConsole();
  state.Backend->WriteReport(report.data(), length);
  LeaveProcess(code % 256);
}

// The report names the caller's checked write as the failing location,
// whether it called CheckOutput itself or a checked write did.
void CheckOutputFor(const void* caller) noexcept {
  ConsoleState& s = state;
  if (s.OutputError == 0) return;
  const std::uint16_t code = s.OutputError;
  s.OutputError = 0;
  StopWithRuntimeError(code, caller);
}

}  // namespace

void UseConsoleBackend(const ConsoleBackend& backend, int width, int height) noexcept {
  state.Backend = &backend;
  StartWindow(width, height, state.Model);
  ClearKeyReader(state.Keys);
  state.OutputError = 0;
  state.Finished = false;
}

Window& ConsoleModel() noexcept {
  return state.Model;
}

std::uint16_t FinishConsole() noexcept {
  if (state.Finished || state.Backend == nullptr) return 0;
  state.Finished = true;
  return state.Backend->Finish(state.Model);
}

[[gnu::noinline]] void FinishAtEndOfInput() noexcept {
  const std::uint16_t failed = FinishConsole();
  if (failed != 0) StopWithRuntimeError(failed, __builtin_return_address(0));
}

void StartConsole() {
  StartPlatformConsole();
}

[[gnu::noinline]] void EndProgram(int exitCode) {
  const std::uint16_t failed = FinishConsole();
  // A transcript that could not be written is not a normal end.
  if (failed != 0 && exitCode == 0) StopWithRuntimeError(failed, __builtin_return_address(0));
  LeaveProcess(exitCode);
}

void ClearScreen() {
  ConsoleState& s = state;
  // Not a write: the window is cleared even with an error pending. A device
  // that refuses the output leaves its code pending, as after a write.
  const std::uint16_t refused = s.Backend->BeginOutput(s.Model);
  ClearWindow(s.Model);
  if (refused != 0) {
    KeepFirstError(refused);
    return;
  }
  s.Backend->ShowClear(s.Model);
  KeepFirstError(s.Backend->EndOutput(s.Model));
}

std::uint8_t ReadKey() {
  ConsoleState& s = state;
  std::uint8_t key = 0;
  while (!TakeReadyKey(s.Keys, key)) {
    KeyEvent event{};
    s.Backend->NextKeyEvent(event);
    OfferKeyEvent(s.Keys, event);
  }
  return key;
}

std::uint8_t CursorColumn() {
  return state.Model.Column;
}

std::uint8_t CursorRow() {
  return state.Model.Row;
}

void PlaceCursor(std::uint8_t column, std::uint8_t row) {
  ConsoleState& s = state;
  // Not a write either: see ClearScreen.
  const std::uint16_t refused = s.Backend->BeginOutput(s.Model);
  const bool moved = PlaceWritePosition(column, row, s.Model);
  if (refused != 0)
    KeepFirstError(refused);
  else if (moved)
    KeepFirstError(s.Backend->EndOutput(s.Model));
}

void WriteText(ShortText text) {
  WriteBytes(text.Bytes.data(), text.Length);
}

void WriteChar(std::uint8_t c) {
  WriteBytes(&c, 1);
}

void WriteUnsigned(std::uint32_t value) {
  WriteDecimal(value, false);
}

void WriteSigned(std::int32_t value) {
  // Negated as unsigned so the lowest value has a magnitude too.
  const auto bits = static_cast<std::uint32_t>(value);
  WriteDecimal(value < 0 ? 0u - bits : bits, value < 0);
}

void WriteBoolean(bool value) {
  static constexpr std::uint8_t TrueWord[] = {'T', 'R', 'U', 'E'};
  static constexpr std::uint8_t FalseWord[] = {'F', 'A', 'L', 'S', 'E'};
  if (value)
    WriteBytes(TrueWord, 4);
  else
    WriteBytes(FalseWord, 5);
}

void EndLine() {
  static constexpr std::uint8_t CrLf[] = {13, 10};
  WriteBytes(CrLf, 2);
}

[[gnu::noinline]] void CheckOutput() {
  CheckOutputFor(__builtin_return_address(0));
}

std::uint16_t TakeOutputError() {
  ConsoleState& s = state;
  const std::uint16_t code = s.OutputError;
  s.OutputError = 0;
  return code;
}

[[gnu::noinline]] void WriteTextChecked(ShortText text) {
  WriteText(text);
  CheckOutputFor(__builtin_return_address(0));
}

[[gnu::noinline]] void WriteCharChecked(std::uint8_t c) {
  WriteChar(c);
  CheckOutputFor(__builtin_return_address(0));
}

[[gnu::noinline]] void WriteSignedChecked(std::int32_t value) {
  WriteSigned(value);
  CheckOutputFor(__builtin_return_address(0));
}

[[gnu::noinline]] void WriteUnsignedChecked(std::uint32_t value) {
  WriteUnsigned(value);
  CheckOutputFor(__builtin_return_address(0));
}

[[gnu::noinline]] void WriteBooleanChecked(bool value) {
  WriteBoolean(value);
  CheckOutputFor(__builtin_return_address(0));
}

[[gnu::noinline]] void EndLineChecked() {
  EndLine();
  CheckOutputFor(__builtin_return_address(0));
}

}  // namespace nagyszam
