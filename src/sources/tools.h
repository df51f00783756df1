#pragma once

#include <memory>
#include <string>

#include "sources/exiftool_session.h"
#include "sources/media_info.h"
#include "sources/readers.h"

namespace kalvento {

// Where this machine's helper tools are. Filled from the config table; tests point them elsewhere.
struct ToolLocations {
  std::string exiftool;            // the exiftool program that is copied into the temp folder
  std::string pdfinfo;             // run in place
  std::string msgtext;             // our .msg converter, run in place
  std::string media_info_library;  // a name the loader searches, or a path
};

// The config table's locations; the converter is looked for next to the running program
// (`program_folder`, ending with "/").
ToolLocations ConfiguredToolLocations(const std::string& program_folder);

// What the readers get from the deployment. A path is empty when that tool is not there.
struct DeployedTools {
  std::string exiftool;  // our copy in the temp folder
  std::string pdfinfo;
  std::string msgtext;
  MediaInfoLibrary media_info;
  bool media_info_loaded = false;
  // The one ExifTool session of the program; each run ends its process when it finishes.
  std::unique_ptr<ExifToolSession> exiftool_session;
};

// Start-up: loads MediaInfo, ends leftover ExifTool processes and copies ExifTool into the temp
// folder when the copy there is missing or differs in size.
void DeployTools(const ToolLocations& locations, const std::string& temp_folder,
                 DeployedTools& tools);
// What the readers of a run get from the tools.
ReaderContext ReaderContextFor(DeployedTools& tools, const std::string& temp_folder);

// Shutdown: deletes the MediaInfo instance and unloads the library.
void ReleaseMediaInfo(DeployedTools& tools);

}  // namespace kalvento
