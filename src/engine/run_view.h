#pragma once

#include <cstdint>
#include <string>

namespace kalvento {

enum class MessageKind { kInformation, kWarning, kError };

// What a run may ask of its window. The Qt window, the terminal and the test recorder implement
// it; the runs never see anything else of the front end.
class RunView {
 public:
  virtual ~RunView() = default;

  // The run buttons give way to a running bar and the stop hint, and back.
  virtual void ShowBusyIndicator(bool on) = 0;
  // A percent bar in place of the run buttons; a negative percent ends it.
  virtual void ShowListProgress(int percent) = 0;
  // Handles one pending window event without waiting; true when it was a press of Escape.
  virtual bool PollEscapeKey() = 0;
  virtual bool AskYesNo(const std::string& title, const std::string& text, bool default_no) = 0;
  virtual void ShowMessage(const std::string& title, const std::string& text, MessageKind kind) = 0;
  virtual void SetWaitCursor(bool on) = 0;
  // Shows a written document (the PDF report) in the desktop's viewer for its type.
  virtual void OpenDocument(const std::string& path) = 0;

  // Texts a run writes into the window's controls.
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void SetFileCount(const std::string& text) = 0;
  virtual std::string FileCount() const = 0;
  virtual void SetLineCounter(const std::string& text) = 0;
  virtual void SetStopHint(const std::string& text, bool visible) = 0;
  virtual void SetCorrectButtonEnabled(bool enabled) = 0;
  // The depth box follows a limit the run had to raise.
  virtual void SelectDepth(int depth_limit) = 0;

  // The result list's view: redrawing off during a run, then the new line count and extent.
  virtual void ResetListView() = 0;
  virtual void SetListRedraw(bool on) = 0;
  virtual void SetListLineCount(int64_t count) = 0;
  // The sum over the columns of (width + 2) characters; the view turns it into pixels.
  virtual void SetHorizontalExtent(int64_t characters) = 0;
  virtual void RepaintList() = 0;
};

// A view that shows nothing and never stops: for callers without a window.
class SilentRunView : public RunView {
 public:
  void ShowBusyIndicator(bool) override {}
  void ShowListProgress(int) override {}
  bool PollEscapeKey() override { return false; }
  bool AskYesNo(const std::string&, const std::string&, bool) override { return false; }
  void ShowMessage(const std::string&, const std::string&, MessageKind) override {}
  void SetWaitCursor(bool) override {}
  void OpenDocument(const std::string&) override {}
  void SetStatusText(const std::string&) override {}
  void SetFileCount(const std::string& text) override { file_count_ = text; }
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
  std::string file_count_;
};

}  // namespace kalvento
