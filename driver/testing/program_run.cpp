#include "driver/testing/program_run.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

extern char** environ;

namespace nagyszam::testing {

namespace {

long long Millis() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

std::string Proc(pid_t pid, const std::string& name) {
  return ReadFile("/proc/" + std::to_string(pid) + "/" + name);
}

// A number in /proc/pid/io: the bytes the process passed to read or write.
long Io(pid_t pid, const char* field) {
  const std::string io = Proc(pid, "io");
  const std::size_t at = io.find(field);
  return at == std::string::npos ? -1 : std::atol(io.c_str() + at + std::strlen(field));
}

// A row of cells as UTF-8 without trailing blanks.
std::string RowText(const VTermScreenCell* cells, int columns) {
  std::string text;
  for (int i = 0; i < columns; ++i) {
    const std::uint32_t c = cells[i].chars[0] == 0 ? ' ' : cells[i].chars[0];
    const int more = c < 0x80 ? 0 : c < 0x800 ? 1 : 2;  // continuation bytes
    text += static_cast<char>(more == 0 ? c : (0xFF00 >> (more + 1) & 0xFF) | c >> 6 * more);
    for (int j = more - 1; j >= 0; --j) text += static_cast<char>(0x80 | (c >> 6 * j & 0x3F));
  }
  return text.erase(text.find_last_not_of(' ') + 1);
}

int PushRow(int columns, const VTermScreenCell* cells, void* session) {
  static_cast<Session*>(session)->Pushed.push_back(RowText(cells, columns));
  return 1;
}

// What the emulator sends back: the answer to the cursor position question.
void Answer(const char* bytes, std::size_t length, void* session) {
  static_cast<Session*>(session)->Send(std::string(bytes, length));
}

}  // namespace

Session::Session(const Launch& launch) : launch_(launch) {
  const bool terminal = launch.How >= Wiring::Terminal;
  const bool pipedKeys = !terminal || launch.How == Wiring::ScreenOnly;
  int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
  if (pipe(err) != 0 || (pipedKeys && pipe(in) != 0) || pipe(out) != 0) return;
  if (terminal) {
    winsize size{static_cast<unsigned short>(launch.SizeUnknown ? 0 : launch.Lines),
                 static_cast<unsigned short>(launch.SizeUnknown ? 0 : launch.Columns), 0, 0};
    if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) return;
    tcgetattr(slave_, &found_);
    vt_ = vterm_new(launch.Lines, launch.Columns);
    vterm_set_utf8(vt_, 1);
    screen_ = vterm_obtain_screen(vt_);
    static VTermScreenCallbacks callbacks{};
    callbacks.sb_pushline = PushRow;
    vterm_screen_set_callbacks(screen_, &callbacks, this);
    vterm_screen_reset(screen_, 1);
    if (launch.Answers) vterm_output_set_callback(vt_, Answer, this);
    // A shell's prompts before, the cursor on the bottom row.
    for (int row = 0; row < launch.Lines; ++row) Show("$\r\n");
    Pushed.clear();
  }
  const int files[] = {open("/dev/null", O_RDONLY), open("/dev/full", O_WRONLY),
                       launch.How == Wiring::Unreadable ? open("/", O_RDONLY | O_DIRECTORY) : -1};
  const int outs[] = {out[1], -1, files[0], files[1], out[1], slave_, slave_, -1, slave_};
  const int keys = launch.How == Wiring::Unreadable ? files[2] : pipedKeys ? in[0] : slave_;
  const int fds[3] = {keys, outs[static_cast<int>(launch.How)],
                      launch.How == Wiring::Shell ? slave_ : err[1]};
  std::vector<std::string> args, env = launch.Env;
  if (!launch.Wrapper.empty()) args = {launch.Wrapper};
  if (launch.Wrapper == "valgrind")
    args.insert(args.end(), {"-q", "--error-exitcode=99", "--leak-check=full",
                             "--errors-for-leak-kinds=definite,indirect"});
  if (launch.How == Wiring::Shell)
    args = {"bash", "-c", "set -m; found=$(stty -g); \"$0\"; " + launch.Commands};
  args.push_back(NAGYSZAM_PROGRAM);
  env.insert(env.end(), {"LC_ALL=C.UTF-8", "TERM=xterm"});
  for (char** e = environ; *e != nullptr; ++e)  // the sanitizers' options, say; no window size
    if (std::strncmp(*e, "COLUMNS=", 8) != 0 && std::strncmp(*e, "LINES=", 6) != 0)
      env.push_back(*e);
  std::vector<char*> argv, envp;
  for (std::string& a : args) argv.push_back(a.data());
  for (std::string& e : env) envp.push_back(e.data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);

  pid_ = fork();
  if (pid_ == 0) {
    if (terminal) setsid();
    if (terminal) ioctl(slave_, TIOCSCTTY, 0);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    // Onto 0, 1 and 2 by way of high numbers, so no target overwrites a source.
    int high[3];
    for (int i = 0; i < 3; ++i) high[i] = fds[i] >= 0 ? fcntl(fds[i], F_DUPFD, 1000) : -1;
    for (int i = 0; i < 3; ++i) high[i] >= 0 ? dup2(high[i], i) : close(i);
    for (int fd = 3; fd < 1100; ++fd) close(fd);
    for (int s = 1; s < NSIG; ++s) signal(s, SIG_DFL);  // SIGPIPE ignored here, say
    execvpe(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  for (int fd : {in[0], out[1], err[1], files[0], files[1], files[2], terminal ? out[0] : -1})
    close(fd);
  keys_ = pipedKeys ? in[1] : master_;
  out_ = terminal ? master_ : out[0];
  err_ = err[0];
  // Only with keys and screen on the terminal does the program ask where its cursor is.
  asked_ = launch.How != Wiring::Terminal && launch.How != Wiring::Shell;
  signal(SIGPIPE, SIG_IGN);
}

Session::~Session() {
  if (program_ > 0) kill(program_, SIGKILL);
  if (!ended_ && kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0);
  for (int fd : {keys_ == master_ ? -1 : keys_, out_, err_, master_, slave_}) close(fd);
  if (vt_ != nullptr) vterm_free(vt_);
}

pid_t Session::Program() {
  if (launch_.How != Wiring::Shell) return pid_;
  if (program_ <= 0)  // the shell's first child
    std::istringstream(Proc(pid_, "task/" + std::to_string(pid_) + "/children")) >> program_;
  return program_;
}

void Session::Type(const std::string& keys) {
  for (const long long end = Millis() + 20000; !asked_ && Millis() < end;) Pump(5);
  Send(keys);
}

void Session::Send(const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size() && keys_ >= 0;) {
    const ssize_t n = write(keys_, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
  for (char b : bytes) sent_ += b != 3 && b != 26 && b != 28;  // no Ctrl-C, Ctrl-Z, Ctrl-\ .
}

bool Session::WaitForKey() {
  for (const long long end = Millis() + 60000; Millis() < end && !Ended();) {
    Pump(5);
    const pid_t program = Program();
    int unread = -1;  // keys not read, or output not taken
    ioctl(keys_, FIONREAD, &unread);
    long call = -1;
    std::string fds, count, limit;
    std::istringstream(Proc(program, "syscall")) >> call >> fds >> count >> limit;
    const std::string status = Proc(program, "status");
    Pump(0);
    // In ppoll without a time limit (no key half decoded, not in the
    // background), no signal on its way. Bytes reach the other side of a
    // terminal a while after they are sent: every key must have been read,
    // and all it wrote must be here (valgrind writes for itself too).
    if (unread == 0 && call == SYS_ppoll && limit == "0x0" &&
        status.find("SigPnd:\t0000000000000000\nShdPnd:\t0000000000000000") != std::string::npos &&
        (master_ < 0 || (Io(program, "rchar: ") - readAtQuestion_ >= sent_ &&
                         (launch_.Wrapper == "valgrind" ||
                          Out.size() + Err.size() >= std::size_t(Io(program, "wchar: "))) &&
                         tcgetpgrp(master_) == program)))
      return true;
  }
  return false;
}

void Session::EndInput() {
  close(keys_);
  if (keys_ == master_) out_ = master_ = -1;
  keys_ = -1;
}

void Session::Pump(int ms) {
  for (const long long end = Millis() + ms;;) {
    pollfd ready[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    const long long left = end - Millis();
    if (poll(ready, 2, left > 0 ? static_cast<int>(left) : 0) <= 0 && left <= 0) return;
    for (int i = 0; i < 2; ++i) {
      char bytes[4096];
      const ssize_t n = ready[i].revents == 0 ? 0 : read(ready[i].fd, bytes, sizeof bytes);
      if (ready[i].revents != 0 && n <= 0) {  // the end, or EIO once no one holds the terminal
        close(ready[i].fd);
        (i == 0 ? out_ : err_) = -1;
        if (i == 0 && master_ >= 0) master_ = keys_ = -1;
      }
      if (n <= 0) continue;
      (i == 0 ? Out : Err).append(bytes, static_cast<std::size_t>(n));
      if (i == 1 || vt_ == nullptr) continue;
      // What the program read before its question was no key.
      if (!asked_ && Out.find("\x1b[6n") != std::string::npos) {
        asked_ = true;
        readAtQuestion_ = Io(Program(), "rchar: ");
      }
      ShowRead(bytes, static_cast<std::size_t>(n));
    }
  }
}

void Session::ShowRead(const char* bytes, std::size_t n) {
  held_.append(bytes, n);
  // The last byte that is not a continuation byte (10xxxxxx), among the
  // last three: a lead byte there whose sequence is longer than what follows.
  std::size_t keep = 0;
  for (std::size_t back = 1; back <= 3 && back <= held_.size(); ++back) {
    const auto c = static_cast<unsigned char>(held_[held_.size() - back]);
    if ((c & 0xC0) == 0x80) continue;
    const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    keep = length > back ? back : 0;
    break;
  }
  Show(held_.substr(0, held_.size() - keep));
  held_.erase(0, held_.size() - keep);
}

int Session::End() {
  for (const long long end = Millis() + 60000; !Ended() && Millis() < end;) Pump(5);
  if (!Ended()) return -999;
  if (slave_ >= 0) afterRead_ = tcgetattr(slave_, &after_) == 0;
  close(slave_);
  slave_ = -1;
  if (keys_ != master_) EndInput();
  // Whatever is still on its way, up to the end of each stream.
  for (const long long end = Millis() + 5000; (out_ >= 0 || err_ >= 0) && Millis() < end;) Pump(5);
  if (vt_ != nullptr) Show(held_);  // a character never finished: the emulator shows it so
  held_.clear();
  return WIFEXITED(status_) ? WEXITSTATUS(status_) : -WTERMSIG(status_);
}

std::string Session::Shown() const {
  if (vt_ == nullptr) return Out;
  std::vector<std::string> rows = Pushed;
  std::vector<VTermScreenCell> cells(static_cast<std::size_t>(launch_.Columns));
  for (int row = 0; row < launch_.Lines; ++row) {
    for (int column = 0; column < launch_.Columns; ++column)
      vterm_screen_get_cell(screen_, {row, column}, &cells[static_cast<std::size_t>(column)]);
    rows.push_back(RowText(cells.data(), launch_.Columns));
  }
  while (!rows.empty() && rows.back().empty()) rows.pop_back();
  std::string shown;
  for (const std::string& row : rows) shown += row + "\n";
  return shown;
}

bool Session::AsFound() {
  const std::size_t pushed = Pushed.size();
  Show("\x1b[" + std::to_string(launch_.Lines) + "H\n");
  return afterRead_ && found_.c_iflag == after_.c_iflag && found_.c_oflag == after_.c_oflag &&
         found_.c_cflag == after_.c_cflag && found_.c_lflag == after_.c_lflag &&
         std::memcmp(found_.c_cc, after_.c_cc, sizeof found_.c_cc) == 0 &&
         Pushed.size() == pushed + 1;
}

std::string Expected(const std::string& name) {
  return ReadFile(std::string(NAGYSZAM_EXPECTED) + "/" + name + ".txt");
}

}  // namespace nagyszam::testing
