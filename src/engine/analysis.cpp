#include "engine/analysis.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/named_lock.h"
#include "platform/natural_order.h"
#include "platform/paths.h"
#include "sources/filename_date.h"
#include "texts/text_table.h"
#include "texts/text_util.h"

namespace kalvento {
namespace {

constexpr std::array<std::string_view, kColumnCount> kColumnTitleKeys = {
    "GAD00066", "GAD00310", "GAD00312", "GAD00311", "GAD00313", "GAD00314", "GAD00315"};

constexpr size_t kFolderListStep = 100000;
constexpr int kTargetCount = 2;
constexpr std::array<Target, kTargetCount> kTargets = {Target::kCreated, Target::kModified};

struct Candidates {
  std::array<DateValue, kSourceCount> date{};
  std::array<const std::string*, kSourceCount> info{};
};

// What one target does in this run, taken from the settings when the run starts.
struct TargetRun {
  Target target = Target::kCreated;
  bool correct = false;
  SourceList order;
  std::array<bool, kSourceCount> enabled{};
  int64_t shift = 0;
  int same_index = -1;   // source index of "SAMEDATE" when it takes part, else -1
  int cross_index = -1;
  int fixed_index = -1;
  int name_index = -1;
  DateValue fixed_date = 0;
  std::unique_ptr<FileNameMatcher> matcher;
  Candidates candidates;
};

struct FileItem {
  std::string name;
  FileDates dates;
};

class AnalysisRunner {
 public:
  AnalysisRunner(AnalysisRequest& request, ResultList& list, RunView& view)
      : request_(request), list_(list), view_(view) {}

  // Returns true when the user stopped the run.
  bool Run();
  bool StoppedDuringScan() const { return stopped_in_scan_; }

 private:
  void TakeRunState();
  bool ScanFolders();
  bool AnalyseOneFolder(size_t index);
  void AnalyseFile(const std::string& folder, const FileItem& file);
  void DispatchReader(const std::string& path, std::string_view name);
  void Offer(std::string_view code, DateValue date, std::string_view info_key);
  void ChooseAndFill(TargetRun& run, const FileItem& file, std::array<std::string, kColumnCount>& cells);
  bool EveryEleventhFolderStop();
  bool AskStop();
  void AddLine(std::string text, uint8_t mark);
  void GrowWidths(const std::array<std::string, kColumnCount>& cells);

  AnalysisRequest& request_;
  ResultList& list_;
  RunView& view_;
  std::array<TargetRun, kTargetCount> targets_;
  bool need_documents_ = false;
  bool need_images_ = false;
  bool need_audio_video_ = false;
  // What the scan read of each folder (files with their times), by folder-list index, so that
  // the per-folder pass does not read the folder a second time. Empty: not read yet.
  std::vector<std::optional<std::vector<platform::FolderEntry>>> listings_;
  int folder_tick_ = 0;
  bool width_grew_ = false;
  bool stopped_in_scan_ = false;
};

std::string ColumnTitle(int number) { return Text(kColumnTitleKeys[number - 1]); }

void BuildColumnMap(ResultList& list) {
  list.columns.clear();
  for (int i = 0; i < kColumnCount; ++i) {
    list.columns.push_back({std::string(kColumnKeys[i]), i + 1, ColumnTitle(i + 1)});
  }
}

std::string HeaderLine(const ResultList& list) {
  std::array<std::string, kColumnCount> titles;
  for (const Column& column : list.columns) titles[column.number - 1] = column.title;
  return JoinRow(titles);
}

void TakeTargetSettings(TargetRun& run, Target target, const TargetSettings& settings) {
  run.target = target;
  run.correct = settings.correct;
  run.order = settings.sources;
  run.shift = settings.ShiftSeconds();
  for (const SourceEntry& entry : settings.sources) run.enabled[entry.index] = entry.enabled;
  if (settings.fixed) {
    const CalendarRecord& fixed = *settings.fixed;
    run.fixed_date = MakeDate(fixed.year, fixed.month, fixed.day, fixed.hour, fixed.minute, fixed.second);
  }
}

}  // namespace

bool IsListableName(std::string_view name) {
  return name.find_first_of("\t\r\n") == std::string_view::npos;
}

void AnalysisRunner::TakeRunState() {
  for (int t = 0; t < kTargetCount; ++t) {
    TargetRun& run = targets_[t];
    const Target target = kTargets[t];
    TakeTargetSettings(run, target, request_.settings.Of(target));
    if (!run.correct) continue;
    const auto& codes = SourceCodes(target);
    for (const SourceEntry& entry : run.order) {
      if (!entry.enabled) continue;
      const std::string_view code = codes[entry.index];
      const std::string_view family = SourceFamily(code);
      if (family == "DOCS") need_documents_ = true;
      if (family == "EXIF" || family == "IPTC" || family == "XMP") need_images_ = true;
      if (family == "AV") need_audio_video_ = true;
      if (code == "FILENAME") run.name_index = entry.index;
      if (code == "SAMEDATE") run.same_index = entry.index;
      if (code == "CROSSDATE") run.cross_index = entry.index;
      if (code == "FIXEDDATE") run.fixed_index = entry.index;
    }
    if (run.name_index >= 0) run.matcher = BuildFileNameMatcher(request_.settings.Of(target).pattern);
  }
}

bool AnalysisRunner::AskStop() {
  return view_.AskYesNo(Text("TXT00081"), Text("TXT00082"), false);
}

bool AnalysisRunner::EveryEleventhFolderStop() {
  if (++folder_tick_ <= 10) return false;
  folder_tick_ = 0;
  return view_.PollEscapeKey() && AskStop();
}

void AnalysisRunner::AddLine(std::string text, uint8_t mark) {
  list_.lines.push_back({std::move(text), mark});
}

void AnalysisRunner::GrowWidths(const std::array<std::string, kColumnCount>& cells) {
  for (int i = 0; i < kColumnCount; ++i) {
    const int length = static_cast<int>(CodePointCount(cells[i]));
    if (length > list_.widths[i + 1]) {
      list_.widths[i + 1] = length;
      width_grew_ = true;
    }
  }
}

bool AnalysisRunner::ScanFolders() {
  std::vector<std::string>& folders = list_.folders;
  folders.clear();
  folders.reserve(kFolderListStep);
  folders.push_back(request_.folder);
  listings_.clear();
  listings_.reserve(kFolderListStep);
  listings_.emplace_back();
  int& depth_limit = request_.settings.depth_limit;
  const int base = platform::FolderDepth(request_.folder);
  if (depth_limit != 0 && base > depth_limit) {
    depth_limit = base;
    view_.SelectDepth(base);
    view_.ShowMessage(Text("TXT00013"), Text("TXT00085") + " " + std::to_string(base),
                      MessageKind::kInformation);
  }
  const bool recursive = request_.settings.recursive;
  for (size_t i = 0; i < folders.size(); ++i) {
    if (recursive && (depth_limit == 0 || platform::FolderDepth(folders[i]) < depth_limit)) {
      listings_[i] = platform::ListFolder(folders[i], true);
      if (listings_[i]) {
        const std::string parent = folders[i];
        for (const platform::FolderEntry& entry : *listings_[i]) {
          if (!entry.is_folder || !IsListableName(entry.name)) continue;
          if (folders.size() == folders.capacity()) {
            folders.reserve(folders.size() + kFolderListStep);
            listings_.reserve(folders.size() + kFolderListStep);
          }
          folders.push_back(parent + entry.name + "/");
          listings_.emplace_back();
        }
      }
    }
    if (EveryEleventhFolderStop()) {
      view_.ShowBusyIndicator(false);
      view_.SetFileCount("0");
      return true;
    }
  }
  // Sort the folders and their listings together.
  std::vector<size_t> order(folders.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return platform::NaturalLess(folders[a], folders[b]);
  });
  std::vector<std::string> sorted_folders;
  std::vector<std::optional<std::vector<platform::FolderEntry>>> sorted_listings;
  sorted_folders.reserve(order.size());
  sorted_listings.reserve(order.size());
  for (size_t i : order) {
    sorted_folders.push_back(std::move(folders[i]));
    sorted_listings.push_back(std::move(listings_[i]));
  }
  folders = std::move(sorted_folders);
  listings_ = std::move(sorted_listings);
  return false;
}

void AnalysisRunner::Offer(std::string_view code, DateValue date, std::string_view info_key) {
  for (TargetRun& run : targets_) {
    const int index = SourceIndexOf(run.target, code);
    if (index < 0) continue;
    run.candidates.date[index] = date;
    run.candidates.info[index] = &Text(info_key);
  }
}

void AnalysisRunner::DispatchReader(const std::string& path, std::string_view name) {
  if (!need_documents_ && !need_images_ && !need_audio_video_) return;
  const std::string token = LowerExtensionToken(name);
  const FileReaders& readers = request_.readers;
  ReaderContext& context = request_.context;
  if (need_documents_ && IsDocumentExtension(token)) {
    if (!readers.documents) return;
    const DocumentDates dates = readers.documents(path, context);
    Offer("DOCS created", dates.created, "GAD00400");
    Offer("DOCS modified", dates.modified, "GAD00401");
  } else if (need_images_ && token == "/png/") {
    if (!readers.png) return;
    const PngDates dates = readers.png(path, context);
    Offer("EXIF taken", dates.created, "GAD00402");
    Offer("IPTC created", dates.created, "GAD00402");
    Offer("EXIF changed", dates.modified, "GAD00403");
    Offer("XMP modified", dates.modified, "GAD00403");
  } else if (need_images_ && token == "/xmp/") {
    if (!readers.xmp_sidecar) return;
    const SidecarDates dates = readers.xmp_sidecar(path, context);
    Offer("IPTC created", dates.iptc_created, "GAD00406");
    Offer("XMP modified", dates.xmp_modified, "GAD00407");
  } else if (need_images_ && (token == "/heic/" || token == "/heif/")) {
    if (!readers.heic) return;
    const DateValue date = readers.heic(path, context);
    for (std::string_view code : {"EXIF taken", "IPTC created", "EXIF changed", "XMP modified"}) {
      Offer(code, date, "GAD00409");
    }
  } else if (need_images_ && IsImageExtension(token)) {
    if (!readers.exif_image) return;
    const ImageDates dates = readers.exif_image(path, context);
    Offer("EXIF taken", dates.taken, "GAD00404");
    Offer("IPTC created", dates.iptc_created, "GAD00406");
    Offer("EXIF changed", dates.exif_changed, "GAD00405");
    Offer("XMP modified", dates.xmp_modified, "GAD00407");
  } else if (need_audio_video_ && context.media_info_loaded && IsAudioVideoExtension(token)) {
    if (!readers.audio_video) return;
    Offer("AV recorded", readers.audio_video(path, context), "GAD00408");
  }
}

void AnalysisRunner::ChooseAndFill(TargetRun& run, const FileItem& file,
                                   std::array<std::string, kColumnCount>& cells) {
  const bool created = run.target == Target::kCreated;
  const DateValue own = created ? file.dates.created : file.dates.modified;
  const DateValue other = created ? file.dates.modified : file.dates.created;
  Candidates& candidates = run.candidates;
  const std::string& own_info = Text(created ? "GAD00322" : "GAD00323");
  const std::string& other_info = Text(created ? "GAD00323" : "GAD00322");
  if (run.same_index >= 0) candidates.date[run.same_index] = own, candidates.info[run.same_index] = &own_info;
  if (run.cross_index >= 0) candidates.date[run.cross_index] = other, candidates.info[run.cross_index] = &other_info;
  if (run.fixed_index >= 0) {
    candidates.date[run.fixed_index] = run.fixed_date;
    candidates.info[run.fixed_index] = &Text("GAD00324");
  }
  if (run.name_index >= 0 && run.matcher) {
    const int pivot = YearOf(-1) - 2000;
    candidates.date[run.name_index] = FileNameDate(*run.matcher, file.name, pivot);
    candidates.info[run.name_index] = &Text("GAD00325");
  }
  if (!run.correct) return;

  DateValue chosen = 0;
  const std::string* info = nullptr;
  for (const SourceEntry& entry : run.order) {
    if (entry.enabled && candidates.date[entry.index] > 0) {
      chosen = candidates.date[entry.index];
      info = candidates.info[entry.index];
      break;
    }
  }
  if (chosen > 0 && run.shift != 0) chosen = std::max<DateValue>(chosen + run.shift, 1);

  const std::string_view new_key = created ? "FILE CreatedNew" : "FILE ModifiedNew";
  const std::string_view info_key = created ? "FILE InfoFromCreated" : "FILE InfoFromModified";
  std::string& proposal = cells[list_.ColumnNumber(new_key) - 1];
  if (chosen <= 0) {
    proposal = Text("GAD00321");
  } else {
    proposal = chosen == own ? Text("GAD00320") : FormatDate(kDisplayMask, chosen);
  }
  cells[list_.ColumnNumber(info_key) - 1] = info ? *info : std::string();
}

void AnalysisRunner::AnalyseFile(const std::string& folder, const FileItem& file) {
  std::array<std::string, kColumnCount> cells;
  cells[list_.ColumnNumber("FILE Name") - 1] = file.name;
  cells[list_.ColumnNumber("FILE Created") - 1] = FormatDate(kDisplayMask, file.dates.created);
  cells[list_.ColumnNumber("FILE Modified") - 1] = FormatDate(kDisplayMask, file.dates.modified);
  for (TargetRun& run : targets_) run.candidates = Candidates{};
  DispatchReader(folder + file.name, file.name);
  for (TargetRun& run : targets_) ChooseAndFill(run, file, cells);
  GrowWidths(cells);
  AddLine(JoinRow(cells), 1);
}

bool AnalysisRunner::AnalyseOneFolder(size_t index) {
  if (EveryEleventhFolderStop()) return true;
  const std::string& folder = list_.folders[index];
  std::optional<std::vector<platform::FolderEntry>> entries = std::move(listings_[index]);
  if (!entries) entries = platform::ListFolder(folder, true);
  std::vector<FileItem> files;
  if (entries) {
    files.reserve(entries->size());
    for (platform::FolderEntry& entry : *entries) {
      if (entry.is_folder || !IsListableName(entry.name)) continue;
      FileItem item{std::move(entry.name), {}};
      if (entry.times) FileDatesFromTimes(*entry.times, item.dates);  // unreadable: dates stay 0
      files.push_back(std::move(item));
    }
  }
  AddLine(folder, 1);
  std::stable_sort(files.begin(), files.end(), [](const FileItem& a, const FileItem& b) {
    return platform::NaturalLess(a.name, b.name);
  });
  width_grew_ = false;
  for (const FileItem& file : files) {
    if (view_.PollEscapeKey() && AskStop()) return true;
    AnalyseFile(folder, file);
    ++list_.file_count;
  }
  if (width_grew_) {
    int64_t extent = 0;
    for (int i = 1; i <= kColumnCount; ++i) extent += list_.widths[i] + 2;
    view_.SetHorizontalExtent(extent);
  }
  AddLine(std::string(kSpacerLine), 0);
  view_.SetFileCount(". . .  " + std::to_string(list_.file_count));
  return false;
}

bool AnalysisRunner::Run() {
  platform::NamedLock run_lock(Text("Program_Name") + " Working");
  view_.SetWaitCursor(true);
  view_.SetStatusText("  " + Text(platform::IsDaylightSavingNow() ? "GAD00333" : "GAD00334"));
  TakeRunState();

  view_.ShowBusyIndicator(true);
  view_.SetFileCount(". . .");
  view_.SetLineCounter(Text("GAD00221") + " 0 / 0");
  view_.ResetListView();
  list_.Clear();
  view_.SetListRedraw(false);
  view_.SetListLineCount(0);

  const std::string header = HeaderLine(list_);
  for (const Column& column : list_.columns) {
    list_.widths[column.number] = static_cast<int>(CodePointCount(column.title));
  }
  AddLine(header, 1);
  AddLine(std::string(kSpacerLine), 0);

  bool stopped = ScanFolders();
  stopped_in_scan_ = stopped;
  for (size_t i = 0; !stopped && i < list_.folders.size(); ++i) {
    stopped = AnalyseOneFolder(i);
  }

  if (!stopped_in_scan_) {
    view_.SetFileCount(std::to_string(list_.file_count));
    view_.ShowBusyIndicator(false);
  }
  view_.SetListRedraw(true);
  view_.RepaintList();
  view_.SetListLineCount(static_cast<int64_t>(list_.lines.size()) + (stopped ? 2 : 0));
  view_.SetWaitCursor(false);
  for (TargetRun& run : targets_) run.matcher.reset();
  if (request_.readers.end_of_run) request_.readers.end_of_run(request_.context);
  return stopped;
}

AnalysisOutcome RunAnalysis(AnalysisRequest& request, ResultList& list, RunView& view) {
  if (!platform::IsLocalAbsolutePath(request.folder)) {
    view.ShowMessage(Text("TXT00013"), Text("TXT00045"), MessageKind::kWarning);
    return AnalysisOutcome::kRefused;
  }
  request.folder = platform::WithTrailingSlash(request.folder);
  BuildColumnMap(list);
  if (!platform::IsVolumeAvailable(request.folder) || !platform::IsFolder(request.folder)) {
    return AnalysisOutcome::kNotStarted;
  }
  AnalysisRunner runner(request, list, view);
  const bool stopped = runner.Run();
  if (stopped) {
    list.lines.push_back({Text("TXT00083"), 0});
    view.SetFileCount(request.settings.recursive ? "~ " + view.FileCount() : ". . .");
  }
  view.RepaintList();
  if (!list.lines.empty()) {
    view.SetCorrectButtonEnabled(true);
    view.SetStopHint("", false);
  }
  return stopped ? AnalysisOutcome::kStopped : AnalysisOutcome::kCompleted;
}

}  // namespace kalvento
