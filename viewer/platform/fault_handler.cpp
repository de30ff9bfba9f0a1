#include "viewer/platform/fault_handler.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace wunt {
namespace {

constexpr char kReportVariable[] = "WUNT_FATAL_REPORT";
constexpr char kFallbackModule[] = "OnError line support disabled";
constexpr int kSignals[] = {SIGSEGV, SIGFPE, SIGILL, SIGBUS, SIGABRT};

// Everything the handler touches is prepared at install time and lives in
// static storage: a faulted heap must not be needed to report the fault.
struct HandlerState {
  bool show_box = false;
  char program[256] = "";
  char self[4096] = "";
  const char* position_module = nullptr;
  int position_line = -1;
  char report[8192];
  char env_entry[8192 + sizeof(kReportVariable) + 1];
  char* envp[1024];
};
HandlerState g_state;
volatile sig_atomic_t g_in_handler = 0;

// A bounded append that needs no allocation and is safe in a handler.
class Buffer {
 public:
  Buffer(char* data, size_t size) : data_(data), size_(size) { data_[0] = '\0'; }
  void Add(std::string_view text) {
    for (char c : text) {
      if (used_ + 1 >= size_) break;
      data_[used_++] = c;
    }
    data_[used_] = '\0';
  }
  void AddNumber(long value) {
    char digits[24];
    int n = 0;
    const bool negative = value < 0;
    unsigned long rest = static_cast<unsigned long>(value);
    if (negative) rest = 0UL - rest;
    do {
      digits[n++] = static_cast<char>('0' + rest % 10);
      rest /= 10;
    } while (rest != 0);
    if (negative) Add("-");
    while (n > 0) Add(std::string_view(&digits[--n], 1));
  }
  size_t size() const { return used_; }

 private:
  char* data_;
  size_t size_;
  size_t used_ = 0;
};

void Compose(Buffer& out, std::string_view module, int line, std::string_view program,
             std::string_view description) {
  const bool known = !module.empty();
  out.Add("Modul: '");
  out.Add(known ? module : std::string_view(kFallbackModule));
  out.Add("'\rDLL: '");
  out.Add(program);
  out.Add("'\rZeile: ");
  out.AddNumber(known ? line : -1);
  out.Add("\rFehlerbeschreibung:\r");
  out.Add(description);
  out.Add("\rProgrammausf\xfchrung abgebrochen!");
}

std::string_view Describe(int signal) {
  switch (signal) {
    case SIGSEGV:
      return "Access violation (SIGSEGV)";
    case SIGFPE:
      return "Arithmetic fault, for example an integer division by zero (SIGFPE)";
    case SIGILL:
      return "Illegal instruction (SIGILL)";
    case SIGBUS:
      return "Bus error, misaligned or missing memory (SIGBUS)";
    case SIGABRT:
      return "Abnormal program termination (SIGABRT)";
    default:
      return "Unknown fault";
  }
}

void WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n <= 0) return;
    data += n;
    size -= static_cast<size_t>(n);
  }
}

// Starts a copy of the program that only shows the box, and waits for it.
void ShowBoxInChild() {
  Buffer entry(g_state.env_entry, sizeof(g_state.env_entry));
  entry.Add(kReportVariable);
  entry.Add("=");
  entry.Add(g_state.report);
  size_t n = 0;
  for (char** e = environ; e != nullptr && *e != nullptr && n + 2 < std::size(g_state.envp); ++e) {
    if (std::strncmp(*e, kReportVariable, sizeof(kReportVariable) - 1) != 0) {
      g_state.envp[n++] = *e;
    }
  }
  g_state.envp[n++] = g_state.env_entry;
  g_state.envp[n] = nullptr;
  const pid_t child = fork();
  if (child == 0) {
    char* argv[] = {g_state.program, nullptr};
    execve(g_state.self, argv, g_state.envp);
    _exit(0);
  }
  if (child > 0) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }
}

void OnFault(int signal, siginfo_t*, void*) {
  if (g_in_handler) _exit(0);
  g_in_handler = 1;
  Buffer report(g_state.report, sizeof(g_state.report));
  Compose(report, g_state.position_module ? g_state.position_module : "", g_state.position_line,
          g_state.program, Describe(signal));
  // Standard error gets the same lines with line feeds, for a terminal.
  char lines[sizeof(g_state.report) + 1];
  std::memcpy(lines, g_state.report, report.size());
  for (size_t i = 0; i < report.size(); ++i) {
    if (lines[i] == '\r') lines[i] = '\n';
  }
  lines[report.size()] = '\n';
  WriteAll(STDERR_FILENO, lines, report.size() + 1);
  if (g_state.show_box) ShowBoxInChild();
  _exit(0);
}

}  // namespace

std::string ComposeFatalReport(std::string_view module, int line, std::string_view program,
                               std::string_view description) {
  std::string text(program.size() + module.size() + description.size() + 256, '\0');
  Buffer out(text.data(), text.size());
  Compose(out, module, line, program, description);
  text.resize(out.size());
  return text;
}

void InstallFaultHandler(bool show_box) {
  g_state.show_box = show_box;
  const ssize_t n = readlink("/proc/self/exe", g_state.self, sizeof(g_state.self) - 1);
  g_state.self[n > 0 ? n : 0] = '\0';
  const char* slash = std::strrchr(g_state.self, '/');
  Buffer program(g_state.program, sizeof(g_state.program));
  program.Add(slash != nullptr ? slash + 1 : g_state.self);

  // A stack overflow can only be reported from a stack of its own.
  static char alternate[64 * 1024];
  stack_t stack{};
  stack.ss_sp = alternate;
  stack.ss_size = sizeof(alternate);
  sigaltstack(&stack, nullptr);

  struct sigaction action {};
  action.sa_sigaction = OnFault;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

bool ShowPendingFatalReport(int argc, char** argv) {
  const char* report = std::getenv(kReportVariable);
  if (report == nullptr) return false;
  // The report is Windows-1252; the box wants line feeds to break lines.
  const QString text = QString::fromLatin1(report).replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QApplication app(argc, argv);
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Fatal Error"), text, QMessageBox::Ok);
  box.exec();
  return true;
}

void RaiseTestFault(const char* module, int line) {
  g_state.position_module = module;
  g_state.position_line = line;
  raise(SIGSEGV);
  _exit(0);  // a handler that returned leaves nothing to run
}

}  // namespace wunt
