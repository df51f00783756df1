#include "sources/tools.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/files.h"
#include "platform/folders.h"
#include "platform/paths.h"
#include "sources/email_dates.h"
#include "sources/exiftool_session.h"
#include "texts/text_table.h"
#include "texts/text_util.h"

namespace kalvento {
namespace {

bool IsExecutableFile(const std::string& path) {
  return platform::FileSize(path) >= 0 && access(path.c_str(), X_OK) == 0;
}

// A location with "/" is taken as it is; a bare name is looked for next to the program, then in
// PATH. Empty when there is no such program.
std::string FindProgram(const std::string& location, const std::string& program_folder) {
  if (location.empty()) return {};
  if (location.find('/') != std::string::npos) return IsExecutableFile(location) ? location : "";
  if (!program_folder.empty() && IsExecutableFile(program_folder + location)) {
    return program_folder + location;
  }
  const char* search_path = std::getenv("PATH");
  for (const auto& folder : SplitText(search_path ? search_path : "", ':')) {
    if (folder.empty()) continue;
    const std::string candidate = platform::WithTrailingSlash(folder) + location;
    if (IsExecutableFile(candidate)) return candidate;
  }
  return {};
}

// Copies the program when the copy's size differs (a missing copy has size -1) or it cannot be
// run. A runnable copy of the right size is left alone, whatever it holds. The new copy replaces
// the old one (read-only or not) in one rename, so a failed write keeps the old one.
bool DeployCopy(const std::string& source, const std::string& copy) {
  const long long source_size = platform::FileSize(source);
  if (source_size < 0) return false;
  if (platform::FileSize(copy) == source_size && IsExecutableFile(copy)) return true;
  const std::string bytes = platform::ReadFileHead(source, static_cast<size_t>(source_size));
  if (static_cast<long long>(bytes.size()) != source_size) return false;
  return platform::WriteWholeFile(copy, bytes, 0700);
}

// ExifTool looks for its modules in "lib" next to the script (where a link to it points); the
// copy in the temp folder has none there. Empty when the modules are installed for Perl itself.
std::string ExifToolModuleFolder(const std::string& exiftool) {
  const std::string script = platform::ResolvedPath(exiftool);
  const size_t slash = script.rfind('/');
  if (slash == std::string::npos) return {};
  const std::string modules = script.substr(0, slash + 1) + "lib";
  return platform::IsFolder(modules + "/Image/ExifTool") ? modules : "";
}

}  // namespace

ToolLocations ConfiguredToolLocations(const std::string& program_folder) {
  ToolLocations locations;
  locations.exiftool = FindProgram(Text("Tool_ExifTool"), program_folder);
  locations.pdfinfo = FindProgram(Text("Tool_PdfInfo"), program_folder);
  locations.msgtext = FindProgram(Text("Tool_MsgText"), program_folder);
  locations.media_info_library = Text("Tool_MediaInfo");
  return locations;
}

void DeployTools(const ToolLocations& locations, const std::string& temp_folder,
                 DeployedTools& tools) {
  tools.media_info_loaded = false;
  if (!locations.media_info_library.empty()) {
    tools.media_info_loaded = LoadMediaInfo(locations.media_info_library, tools.media_info);
  }
  tools.pdfinfo = IsExecutableFile(locations.pdfinfo) ? locations.pdfinfo : "";
  tools.msgtext = IsExecutableFile(locations.msgtext) ? locations.msgtext : "";

  RemoveStaleMsgScratch(temp_folder);
  // Our own copy of ExifTool, so that ending leftovers by name can never hit another program's.
  EndStaleExifTool();
  const std::string copy = temp_folder + std::string(kExifToolCopyName);
  const bool private_folder = !temp_folder.empty() && platform::IsPrivateFolder(temp_folder);
  tools.exiftool = private_folder && DeployCopy(locations.exiftool, copy) ? copy : "";
  tools.exiftool_session = std::make_unique<ExifToolSession>(
      tools.exiftool, kExifToolSilenceLimit, ExifToolModuleFolder(locations.exiftool));
}

ReaderContext ReaderContextFor(DeployedTools& tools, const std::string& temp_folder) {
  ReaderContext context;
  context.temp_folder = temp_folder;
  context.media_info_loaded = tools.media_info_loaded;
  context.media_info = tools.media_info_loaded ? &tools.media_info : nullptr;
  context.exiftool = tools.exiftool_session.get();
  context.pdfinfo = tools.pdfinfo;
  context.msgtext = tools.msgtext;
  return context;
}

void ReleaseMediaInfo(DeployedTools& tools) {
  if (tools.exiftool_session) tools.exiftool_session->StopExifTool();
  if (tools.media_info_loaded) UnloadMediaInfo(tools.media_info);
  tools.media_info_loaded = false;
}

}  // namespace kalvento
