#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/run_view.h"

namespace kalvento::test {

// A RunView for tests: records what a run shows and plays a scripted Escape and answer.
class RecordingView : public RunView {
 public:
  struct Question {
    std::string title;
    std::string text;
  };
  struct Message {
    std::string title;
    std::string text;
  };

  // Escape arrives at the poll with this number (1 = the first poll); 0 = never.
  int escape_at_poll = 0;
  bool answer_yes = true;

  int polls = 0;
  std::vector<Question> questions;
  std::vector<Message> messages;
  std::vector<int> progress;          // every ShowListProgress value
  std::vector<bool> busy;             // every ShowBusyIndicator value
  std::vector<std::string> file_counts;
  std::string status_text;
  std::string line_counter;
  std::string stop_hint;
  bool stop_hint_visible = false;
  int correct_button = -1;  // -1 never set, else 0/1
  int selected_depth = -1;
  int64_t line_count = -1;
  int64_t horizontal_extent = -1;
  int repaints = 0;
  bool redraw = true;
  bool wait_cursor = false;
  std::vector<std::string> opened_documents;

  void ShowBusyIndicator(bool on) override { busy.push_back(on); }
  void ShowListProgress(int percent) override { progress.push_back(percent); }
  bool PollEscapeKey() override { return ++polls == escape_at_poll; }
  bool AskYesNo(const std::string& title, const std::string& text, bool) override {
    questions.push_back({title, text});
    return answer_yes;
  }
  void ShowMessage(const std::string& title, const std::string& text, MessageKind) override {
    messages.push_back({title, text});
  }
  void SetWaitCursor(bool on) override { wait_cursor = on; }
  void OpenDocument(const std::string& path) override { opened_documents.push_back(path); }
  void SetStatusText(const std::string& text) override { status_text = text; }
  void SetFileCount(const std::string& text) override { file_counts.push_back(text); }
  std::string FileCount() const override { return file_counts.empty() ? "" : file_counts.back(); }
  void SetLineCounter(const std::string& text) override { line_counter = text; }
  void SetStopHint(const std::string& text, bool visible) override {
    stop_hint = text;
    stop_hint_visible = visible;
  }
  void SetCorrectButtonEnabled(bool enabled) override { correct_button = enabled ? 1 : 0; }
  void SelectDepth(int depth_limit) override { selected_depth = depth_limit; }
  void ResetListView() override {}
  void SetListRedraw(bool on) override { redraw = on; }
  void SetListLineCount(int64_t count) override { line_count = count; }
  void SetHorizontalExtent(int64_t characters) override { horizontal_extent = characters; }
  void RepaintList() override { ++repaints; }
};

}  // namespace kalvento::test
