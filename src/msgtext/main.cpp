// kalvento-msgtext [/d] message.msg text-file attachment-folder
//
// Writes the message's header lines, an empty line and its plain body to the text file, and its
// attachments into the folder. /d replaces an existing text file and empties the folder first.
// Exit status 0 on success, 1 when the conversion failed, 2 for a wrong command line; the reason
// goes to standard error.

#include <glib.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "msgtext/msg_convert.h"

namespace {

constexpr const char* kUsage =
    "usage: kalvento-msgtext [/d] message.msg text-file attachment-folder\n";

// libgsf's complaints about a damaged file go to standard error under our name; its debug
// chatter does not.
void LogToStderr(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
  if ((level & (G_LOG_LEVEL_DEBUG | G_LOG_LEVEL_INFO)) != 0) return;
  std::fprintf(stderr, "kalvento-msgtext: %s: %s\n", domain != nullptr ? domain : "glib",
               message != nullptr ? message : "");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  kalvento::msgtext::ConvertOptions options;
  if (!args.empty() && (args.front() == "/d" || args.front() == "/D" || args.front() == "-d")) {
    options.replace = true;
    args.erase(args.begin());
  }
  if (args.size() != 3 || args[0].empty() || args[1].empty() || args[2].empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  options.input = args[0];
  options.text_file = args[1];
  options.attachment_folder = args[2];

  g_log_set_default_handler(LogToStderr, nullptr);
  std::string error;
  if (!kalvento::msgtext::ConvertMsgFile(options, error)) {
    std::fprintf(stderr, "kalvento-msgtext: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
