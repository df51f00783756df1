#include "cli/terminal_view.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>

#include "platform/paths.h"
#include "platform/process.h"
#include "texts/text_table.h"
#include "texts/text_util.h"

namespace kalvento::cli {
namespace {

volatile std::sig_atomic_t interrupt_requested = 0;
termios saved_terminal{};
volatile std::sig_atomic_t terminal_saved = 0;

void OnInterrupt(int) { interrupt_requested = 1; }

// Leaves the terminal as it was found, also when a signal ends the program.
void RestoreTerminal() {
  if (terminal_saved) tcsetattr(STDIN_FILENO, TCSANOW, &saved_terminal);
}

void OnFatalSignal(int signal_number) {
  RestoreTerminal();
  platform::EndChildProcessesNow();  // ExifTool would go on waiting for requests
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

void WriteErr(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stderr); }

std::string TerminalText(const std::string& text) { return ReplaceAll(text, "\r\n", "\n"); }

// One key from the terminal, waiting at most `timeout_ms`; -1 when none came.
int ReadKey(int timeout_ms) {
  pollfd input{STDIN_FILENO, POLLIN, 0};
  if (poll(&input, 1, timeout_ms) <= 0 || !(input.revents & POLLIN)) return -1;
  unsigned char key = 0;
  return read(STDIN_FILENO, &key, 1) == 1 ? key : -1;
}

}  // namespace

TerminalView::TerminalView(const ResultList& list) : list_(list) {
  progress_on_terminal_ = isatty(STDERR_FILENO) == 1;
  keys_from_terminal_ = isatty(STDIN_FILENO) == 1;
  struct sigaction action{};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  std::signal(SIGTERM, OnFatalSignal);
  std::signal(SIGHUP, OnFatalSignal);
  if (keys_from_terminal_ && tcgetattr(STDIN_FILENO, &saved_terminal) == 0) {
    terminal_saved = 1;
    termios keys = saved_terminal;
    keys.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    keys.c_cc[VMIN] = 0;
    keys.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &keys);
  }
}

TerminalView::~TerminalView() {
  ClearProgress();
  RestoreTerminal();
  terminal_saved = 0;
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  std::signal(SIGHUP, SIG_DFL);
}

bool TerminalView::DrawDue() const {
  return std::chrono::steady_clock::now() - last_draw_ >= std::chrono::milliseconds(100);
}

void TerminalView::DrawProgress(const std::string& text, bool force) {
  if (!progress_on_terminal_ || (!force && !DrawDue())) return;
  last_draw_ = std::chrono::steady_clock::now();
  std::string line = text;
  // Keep the line within a usual terminal width, cutting whole characters only.
  while (CodePointCount(line) > 78) {
    size_t cut = line.size() - 1;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    line.erase(cut);
  }
  WriteErr("\r\x1b[K" + line);
  progress_shown_ = true;
}

void TerminalView::ClearProgress() {
  if (progress_shown_) WriteErr("\r\x1b[K");
  progress_shown_ = false;
}

void TerminalView::ShowBusyIndicator(bool on) {
  if (!on) ClearProgress();
}

void TerminalView::ShowListProgress(int percent) {
  if (percent < 0) {
    ClearProgress();
    return;
  }
  DrawProgress(std::to_string(percent) + " %", percent >= 100);
}

void TerminalView::SetFileCount(const std::string& text) {
  file_count_ = text;
  if (!progress_on_terminal_ || !DrawDue()) return;
  std::string folder;
  for (auto line = list_.lines.rbegin(); line != list_.lines.rend(); ++line) {
    if (platform::IsFolderLine(line->text)) {
      folder = line->text;
      break;
    }
  }
  DrawProgress(text + "  " + folder, true);
}

bool TerminalView::PollEscapeKey() {
  if (interrupt_requested) {
    interrupt_requested = 0;
    return true;
  }
  if (!keys_from_terminal_) return false;
  const int key = ReadKey(0);
  if (key != 0x1b) return false;
  // A lone Escape; the arrow and function keys send Escape followed by more.
  const int next = ReadKey(0);
  return next == -1;
}

bool TerminalView::AskYesNo(const std::string& title, const std::string& text, bool default_no) {
  if (!keys_from_terminal_) return true;
  ClearProgress();
  WriteErr(TerminalText(title + ": " + text) + (default_no ? " [j/N] " : " [J/n] "));
  while (true) {
    if (interrupt_requested) {
      interrupt_requested = 0;
      WriteErr("\n");
      return true;
    }
    const int key = ReadKey(200);
    if (key == -1) continue;
    WriteErr("\n");
    if (key == 'j' || key == 'J' || key == 'y' || key == 'Y') return true;
    if (key == 'n' || key == 'N' || key == 0x1b) return false;
    return !default_no;
  }
}

void TerminalView::ShowMessage(const std::string& title, const std::string& text, MessageKind) {
  ClearProgress();
  WriteErr(TerminalText(title + ": " + text) + "\n");
}

}  // namespace kalvento::cli
