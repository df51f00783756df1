#pragma once

#include "test_support.h"

// pdfinfo and pdftotext (poppler-utils) read back what the writer produced. A missing tool
// fails the test that needs it.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kalvento::test {

struct ToolResult {
  int status = -1;
  std::string out;
};

inline std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

// Runs the program with the arguments; its standard output, standard error dropped (poppler
// warns about libharu's identity ToUnicode map there).
inline ToolResult RunTool(const std::string& program, const std::vector<std::string>& arguments) {
  std::string command = program;
  for (const std::string& argument : arguments) command += " " + ShellQuoted(argument);
  command += " 2>/dev/null";
  ToolResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t got = 0;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

struct PdfInfo {
  int pages = 0;
  std::vector<std::pair<double, double>> page_sizes;  // points, page 1 first
  std::string title;
  std::string creator;
  std::string subject;
};

// The value after "Key:" on its line of pdfinfo's output.
inline std::string InfoValue(const std::string& out, const std::string& key) {
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind(key + ":", 0) == 0) {
      const size_t start = line.find_first_not_of(' ', key.size() + 1);
      return start == std::string::npos ? "" : line.substr(start);
    }
  }
  return "";
}

inline PdfInfo ReadPdfInfo(const std::string& path) {
  PdfInfo info;
  const ToolResult summary = RunTool("pdfinfo", {path});
  EXPECT_EQ(summary.status, 0) << "pdfinfo missing or the file is no PDF: " << path;
  info.pages = std::stoi("0" + InfoValue(summary.out, "Pages"));
  info.title = InfoValue(summary.out, "Title");
  info.creator = InfoValue(summary.out, "Creator");
  info.subject = InfoValue(summary.out, "Subject");
  const ToolResult sizes =
      RunTool("pdfinfo", {"-f", "1", "-l", std::to_string(info.pages), path});
  std::istringstream lines(sizes.out);
  std::string line;
  while (std::getline(lines, line)) {
    // "Page    1 size: 841.89 x 595.28 pts (A4)"
    const size_t at = line.find(" size:");
    if (line.rfind("Page ", 0) != 0 || at == std::string::npos) continue;
    double width = 0, height = 0;
    if (std::sscanf(line.c_str() + at + 6, " %lf x %lf", &width, &height) == 2) {
      info.page_sizes.emplace_back(width, height);
    }
  }
  return info;
}

// The text of the pages first..last (0 = to the end), as pdftotext gives it.
inline std::string PdfText(const std::string& path, int first = 1, int last = 0) {
  std::vector<std::string> arguments = {"-f", std::to_string(first)};
  if (last > 0) arguments.insert(arguments.end(), {"-l", std::to_string(last)});
  arguments.insert(arguments.end(), {"-enc", "UTF-8", path, "-"});
  const ToolResult text = RunTool("pdftotext", arguments);
  EXPECT_EQ(text.status, 0) << "pdftotext missing or the file is no PDF: " << path;
  return text.out;
}


}  // namespace kalvento::test
