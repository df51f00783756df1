#pragma once

// The whole conversion of kalvento-msgtext: one .msg file into a text file and an attachment
// folder. Writes nothing outside the named text file and folder and follows no symbolic link
// there.

#include <string>

#include "msgtext/msg_reader.h"

namespace kalvento::msgtext {

struct ConvertOptions {
  std::string input;              // the .msg file
  std::string text_file;          // the text written
  std::string attachment_folder;  // created when missing (its parent must exist)
  // /d: replace an existing text file and empty the attachment folder first. Without it an
  // existing text file is an error and attachments get names that are not taken yet.
  bool replace = false;
};

// False, with the reason in `error`, when the input cannot be read as a message or an output
// cannot be written. The text file is written before the attachments.
bool ConvertMsgFile(const ConvertOptions& options, std::string& error);

// The writing part on a message already read (tests and fuzzing reach it directly).
bool WriteMessageFiles(const MsgMessage& message, const ConvertOptions& options,
                       std::string& error);

}  // namespace kalvento::msgtext
