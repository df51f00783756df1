#include "cli/cli_common.h"

#include <cstdio>

#include "platform/paths.h"
#include "texts/text_util.h"

namespace kalvento::cli {

void PrintErr(const std::string& text) {
  const std::string line = ReplaceAll(text, "\r\n", "\n") + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void PrintList(const ResultList& list) {
  std::string out;
  for (const ResultLine& line : list.lines) out.append(line.text).append("\n");
  std::fwrite(out.data(), 1, out.size(), stdout);
}

std::string StartFolder(const std::string& given) {
  if (given.empty()) return platform::WithTrailingSlash(platform::AbsolutePath("."));
  if (given.find("://") != std::string::npos || platform::IsLocalAbsolutePath(given)) return given;
  return platform::AbsolutePath(given);
}

}  // namespace kalvento::cli
