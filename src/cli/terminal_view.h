#pragma once

#include <chrono>
#include <string>

#include "engine/result_list.h"
#include "engine/run_view.h"

namespace kalvento::cli {

// A run's window on a terminal: progress on stderr (when it is a terminal), Escape or Ctrl-C to
// stop, the Yes/No question on the terminal. Without a terminal, Ctrl-C answers Yes.
class TerminalView : public RunView {
 public:
  explicit TerminalView(const ResultList& list);
  ~TerminalView() override;
  TerminalView(const TerminalView&) = delete;
  TerminalView& operator=(const TerminalView&) = delete;

  void ShowBusyIndicator(bool on) override;
  void ShowListProgress(int percent) override;
  bool PollEscapeKey() override;
  bool AskYesNo(const std::string& title, const std::string& text, bool default_no) override;
  void ShowMessage(const std::string& title, const std::string& text, MessageKind kind) override;
  void SetWaitCursor(bool) override {}
  // The command line leaves a written document to the user.
  void OpenDocument(const std::string&) override {}
  void SetStatusText(const std::string&) override {}
  void SetFileCount(const std::string& text) override;
  std::string FileCount() const override { return file_count_; }
  void SetLineCounter(const std::string&) override {}
  void SetStopHint(const std::string&, bool) override {}
  void SetCorrectButtonEnabled(bool) override {}
  void SelectDepth(int) override {}
  void ResetListView() override {}
  void SetListRedraw(bool) override {}
  void SetListLineCount(int64_t) override {}
  void SetHorizontalExtent(int64_t) override {}
  void RepaintList() override {}

 private:
  // At most ten redraws a second: the terminal must not slow the run down.
  bool DrawDue() const;
  void DrawProgress(const std::string& text, bool force);
  void ClearProgress();

  const ResultList& list_;
  bool progress_on_terminal_ = false;
  bool keys_from_terminal_ = false;
  bool progress_shown_ = false;
  std::string file_count_;
  std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace kalvento::cli
