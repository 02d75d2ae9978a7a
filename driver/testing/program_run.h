// Test support: the built program as a child process with the standard
// streams a test chooses, keys typed whenever it waits for them, and what
// it leaves: how it ended, standard error, and the transcript or the screen
// of a pseudo-terminal read back by a terminal emulator (libvterm).
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vterm.h>

#include <string>
#include <vector>

namespace nagyszam::testing {

// Where the program's standard streams lead.
enum class Wiring {
  Pipes,       // keys through a pipe, the transcript back through another
  Closed,      // keys through a pipe, standard output closed
  ReadOnly,    // keys through a pipe, standard output open only for reading
  Full,        // keys through a pipe, standard output /dev/full
  Unreadable,  // keys from a directory, which refuses every read; the transcript through a pipe
  Terminal,    // keys and screen on a pseudo-terminal
  ScreenOnly,  // keys through a pipe, the screen on a pseudo-terminal
  KeysOnly,    // keys from a pseudo-terminal, standard output closed
  Shell,       // bash with job control on a pseudo-terminal: the program, then Commands
};

struct Launch {
  Wiring How;
  int Columns, Lines;            // the terminal's size
  std::vector<std::string> Env;  // NAME=value, over LC_ALL=C.UTF-8, TERM=xterm and the tests'
  bool Answers;                  // the terminal answers where its cursor stands
  std::string Wrapper;           // "valgrind" (its memory checker), "nohup" or none
  std::string Commands;          // the shell's; $found holds the terminal's settings before
  bool SizeUnknown = false;      // the pseudo-terminal reports 0 x 0, as a serial line may
};

// One run; every wait has a time limit, and the end kills what is left.
class Session {
 public:
  explicit Session(const Launch& launch);
  ~Session();
  // Keys into the pipe, or as a terminal sends them; on a terminal the
  // first keys go once the program asks where its cursor is.
  void Type(const std::string& keys);
  void Send(const std::string& bytes);  // the same at once
  void Show(const std::string& bytes) { vterm_input_write(vt_, bytes.data(), bytes.size()); }
  // True once the program sleeps waiting for a key without a time limit,
  // every key read; false when it ended first or time ran out.
  bool WaitForKey();
  bool Ended() { return ended_ = ended_ || waitpid(pid_, &status_, WNOHANG) == pid_; }
  void Signal(int signal) { kill(Program(), signal); }
  void EndInput();                                // the keys' pipe closed, or the terminal hung up
  void CloseReader() { close(out_), out_ = -1; }  // nobody reads standard output any more
  // Waits for the end: the exit code, minus the ending signal, or -999.
  int End();
  // The transcript, or the rows scrolled off the terminal and then its
  // screen down to the last row not blank; each row without trailing
  // blanks and ended by LF.
  std::string Shown() const;
  // After End: the terminal's settings are as before the start, and a
  // shell's next line scrolls the whole of it (no scroll region left).
  bool AsFound();

  std::string Out, Err;             // standard output (or the terminal's side), standard error
  std::vector<std::string> Pushed;  // rows scrolled off the terminal

 private:
  void Pump(int ms);  // takes output for ms, then what is there
  // Shows the terminal's output as it is read, a character cut off at the
  // end of a read held for the next: libvterm shows a character split
  // between two writes as two U+FFFD, the second on the next line.
  void ShowRead(const char* bytes, std::size_t n);
  pid_t Program();  // the program, also when the shell runs it
  Launch launch_;
  pid_t pid_ = -1, program_ = -1;
  int status_ = 0;
  bool ended_ = false, asked_ = false, afterRead_ = false;
  int keys_ = -1, out_ = -1, err_ = -1, master_ = -1, slave_ = -1;
  long readAtQuestion_ = 0, sent_ = 0;  // input bytes read before the question, sent since
  termios found_{}, after_{};
  std::string held_;  // the start of a character whose other bytes are not read yet
  VTerm* vt_ = nullptr;
  VTermScreen* screen_ = nullptr;
};

// An expected transcript or screen, written by hand in driver/expected/.
std::string Expected(const std::string& name);

}  // namespace nagyszam::testing
