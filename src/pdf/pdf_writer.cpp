#include "pdf/pdf_writer.h"

#include <hpdf.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <vector>

#include "texts/text_util.h"

namespace kalvento::pdf {
namespace {

constexpr double kA4WidthPt = 595.28;
constexpr double kA4HeightPt = 841.89;
// Where the baseline of a cell's text lies below the middle of the cell, in font sizes.
constexpr double kBaselineBelowMiddle = 0.3;
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

void OnLibraryError(HPDF_STATUS error_no, HPDF_STATUS detail_no, void* user_data) {
  static_cast<PdfWriter*>(user_data)->RecordError(error_no, detail_no);
}

// Byte offsets of the characters of `text` (a byte that starts no valid sequence is one), and
// the end.
std::vector<size_t> CharacterStarts(std::string_view text) {
  std::vector<size_t> starts;
  uint32_t code_point = 0;
  for (size_t pos = 0; pos < text.size();) {
    starts.push_back(pos);
    const size_t length = DecodeUtf8At(text, pos, code_point);
    pos += length == 0 ? 1 : length;
  }
  starts.push_back(text.size());
  return starts;
}

bool ParseNumber(std::string_view text, double& value) {
  text = TrimBlanks(text);
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value > 0;
}

bool IsLandscape(std::string_view orientation) {
  return !orientation.empty() && (orientation[0] == 'L' || orientation[0] == 'l');
}

bool IsOrientation(std::string_view orientation) {
  return !orientation.empty() && (IsLandscape(orientation) || orientation[0] == 'P' ||
                                  orientation[0] == 'p');
}

float Channel(int value) { return static_cast<float>(std::clamp(value, 0, 255)) / 255.0f; }

Rgb MakeRgb(int r, int g, int b) {
  return {std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255)};
}

}  // namespace

struct PdfWriter::Document {
  HPDF_Doc pdf = nullptr;
  HPDF_Page page = nullptr;
  HPDF_Page first_page = nullptr;
  // Loaded fonts by file and face, so that a file is embedded once.
  std::map<std::pair<std::string, int>, HPDF_Font> fonts;

  Document() = default;
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;
  ~Document() {
    if (pdf != nullptr) HPDF_Free(pdf);
  }
};

PdfWriter::PdfWriter() = default;
PdfWriter::~PdfWriter() = default;

void PdfWriter::RecordError(unsigned long code, unsigned long detail) {
  if (broken_) return;
  char text[64];
  std::snprintf(text, sizeof text, "libharu error 0x%04lX, detail %lu", code, detail);
  error_ = text;
  broken_ = true;
}

void PdfWriter::Discard() {
  doc_.reset();
  error_.clear();
  broken_ = false;
  page_count_ = 0;
  font_chosen_ = false;
  font_handle_ = nullptr;
  page_state_ = {};
}

PdfWriter::PageSize PdfWriter::SizeFor(std::string_view orientation, std::string_view format) const {
  PageSize size = default_size_;
  if (!format.empty()) {
    const size_t comma = format.find(',');
    double width = 0, height = 0;
    if (comma == std::string_view::npos || !ParseNumber(format.substr(0, comma), width) ||
        !ParseNumber(format.substr(comma + 1), height)) {
      return {};
    }
    size = {std::min(width, height), std::max(width, height)};
  }
  if (IsLandscape(orientation)) std::swap(size.width_pt, size.height_pt);
  return size;
}

bool PdfWriter::Create(std::string_view orientation, std::string_view unit,
                       std::string_view format) {
  Discard();
  if (unit == "pt") {
    k_ = 1.0;
  } else if (unit == "mm") {
    k_ = 72.0 / 25.4;
  } else if (unit == "cm") {
    k_ = 72.0 / 2.54;
  } else if (unit == "in") {
    k_ = 72.0;
  } else {
    return false;
  }
  if (!IsOrientation(orientation)) return false;
  default_size_ = {kA4WidthPt, kA4HeightPt};
  const PageSize portrait = SizeFor("P", format);
  if (portrait.width_pt <= 0) return false;
  default_size_ = portrait;
  default_orientation_ = IsLandscape(orientation) ? "L" : "P";
  current_orientation_ = default_orientation_;
  current_size_ = SizeFor(default_orientation_, "");

  // The usual defaults: 1 cm margins, breaks 2 cm above the bottom, 1 mm inside cells.
  left_margin_ = top_margin_ = right_margin_ = 28.35 / k_;
  cell_margin_ = left_margin_ / 10;
  auto_break_ = true;
  break_margin_ = 2 * left_margin_;
  x_ = y_ = last_height_ = 0;
  text_color_ = fill_color_ = draw_color_ = {};
  line_width_ = 0.567 / k_;
  font_size_ = 0;
  zoom_ = 0;
  layout_.clear();

  doc_ = std::make_unique<Document>();
  doc_->pdf = HPDF_New(OnLibraryError, this);
  if (doc_->pdf == nullptr) {
    doc_.reset();
    error_ = "libharu could not start a document";
    broken_ = true;
    return false;
  }
  HPDF_SetCompressionMode(doc_->pdf, HPDF_COMP_ALL);
  HPDF_UseUTFEncodings(doc_->pdf);
  // Information entries are UTF-8 as well.
  HPDF_SetCurrentEncoder(doc_->pdf, "UTF-8");
  return Usable();
}

bool PdfWriter::AddPage(std::string_view orientation, std::string_view format) {
  if (!Usable()) return false;
  const std::string_view chosen = orientation.empty() ? std::string_view(default_orientation_)
                                                      : orientation;
  if (!IsOrientation(chosen)) return false;
  const PageSize size = SizeFor(chosen, format);
  if (size.width_pt <= 0) return false;
  if (!StartPage(chosen, size)) return false;
  x_ = left_margin_;
  y_ = top_margin_;
  return true;
}

bool PdfWriter::StartPage(std::string_view orientation, const PageSize& size) {
  HPDF_Page page = HPDF_AddPage(doc_->pdf);
  if (page == nullptr) return false;
  HPDF_Page_SetWidth(page, static_cast<HPDF_REAL>(size.width_pt));
  HPDF_Page_SetHeight(page, static_cast<HPDF_REAL>(size.height_pt));
  if (!Usable()) return false;
  doc_->page = page;
  if (doc_->first_page == nullptr) doc_->first_page = page;
  current_orientation_ = IsLandscape(orientation) ? "L" : "P";
  current_size_ = size;
  page_state_ = {};
  ++page_count_;
  return true;
}

bool PdfWriter::SetFont(std::string_view family, std::string_view style, double size) {
  font_family_ = std::string(family);
  bold_ = style.find_first_of("Bb") != std::string_view::npos;
  font_size_ = size;
  font_chosen_ = false;
  font_handle_ = nullptr;
  if (!Usable()) return false;
  font_chosen_ = LoadFont();
  return font_chosen_;
}

bool PdfWriter::LoadFont() {
  auto known = font_files_.find({font_family_, bold_});
  if (known == font_files_.end()) {
    known = font_files_.emplace(std::make_pair(font_family_, bold_),
                                ChooseFontFile(font_family_, bold_)).first;
  }
  const FontFile& file = known->second;
  if (file.path.empty()) return false;
  current_font_file_ = file;
  const auto key = std::make_pair(file.path, file.index);
  if (doc_->fonts.count(key) == 0) {
    const bool collection = file.path.ends_with(".ttc") || file.path.ends_with(".TTC");
    const char* name =
        collection ? HPDF_LoadTTFontFromFile2(doc_->pdf, file.path.c_str(),
                                              static_cast<HPDF_UINT>(file.index), HPDF_TRUE)
                   : HPDF_LoadTTFontFromFile(doc_->pdf, file.path.c_str(), HPDF_TRUE);
    if (name == nullptr) return false;
    HPDF_Font font = HPDF_GetFont(doc_->pdf, name, "UTF-8");
    if (font == nullptr || !Usable()) return false;
    doc_->fonts[key] = font;
  }
  font_handle_ = doc_->fonts[key];
  return true;
}

const std::string& PdfWriter::Showable(std::string_view text) {
  showable_.clear();
  uint32_t code_point = 0;
  size_t plain_from = 0;
  for (size_t pos = 0; pos < text.size();) {
    const unsigned char byte = static_cast<unsigned char>(text[pos]);
    if (byte >= 0x20 && byte < 0x7F) {
      ++pos;
      continue;
    }
    const size_t length = DecodeUtf8At(text, pos, code_point);
    // The font's codes are two bytes wide: nothing beyond U+FFFF; controls have no glyph.
    if (length == 0 || code_point < 0x20 || code_point == 0x7F || code_point > 0xFFFF) {
      showable_.append(text.substr(plain_from, pos - plain_from)).append(kReplacement);
      pos += length == 0 ? 1 : length;
      plain_from = pos;
    } else {
      pos += length;
    }
  }
  showable_.append(text.substr(plain_from));
  return showable_;
}

double PdfWriter::TextWidth(const std::string& showable) const {
  if (!font_chosen_ || showable.empty()) return 0;
  const HPDF_Font font = static_cast<HPDF_Font>(font_handle_);
  const HPDF_TextWidth width = HPDF_Font_TextWidth(
      font, reinterpret_cast<const HPDF_BYTE*>(showable.data()), static_cast<HPDF_UINT>(showable.size()));
  return static_cast<double>(width.width) * font_size_ / 1000.0 / k_;
}

double PdfWriter::GetStringWidth(std::string_view text) {
  if (!Usable()) return 0;
  return TextWidth(Showable(text));
}

void PdfWriter::SetCreator(std::string_view text) {
  if (Usable()) HPDF_SetInfoAttr(doc_->pdf, HPDF_INFO_CREATOR, Showable(text).c_str());
}

void PdfWriter::SetSubject(std::string_view text) {
  if (Usable()) HPDF_SetInfoAttr(doc_->pdf, HPDF_INFO_SUBJECT, Showable(text).c_str());
}

void PdfWriter::SetTitle(std::string_view text) {
  if (Usable()) HPDF_SetInfoAttr(doc_->pdf, HPDF_INFO_TITLE, Showable(text).c_str());
}

void PdfWriter::SetAutoPageBreak(bool on, double margin) {
  auto_break_ = on;
  break_margin_ = margin;
}

void PdfWriter::SetMargins(double left, double top, double right) {
  left_margin_ = left;
  top_margin_ = top;
  right_margin_ = right;
}

void PdfWriter::SetDisplayMode(int zoom, std::string_view layout) {
  zoom_ = zoom;
  layout_ = std::string(layout);
  if (!Usable()) return;
  std::string_view name = layout;
  if (name.starts_with("/")) name.remove_prefix(1);
  if (name == "SinglePage") {
    HPDF_SetPageLayout(doc_->pdf, HPDF_PAGE_LAYOUT_SINGLE);
  } else if (name == "OneColumn") {
    HPDF_SetPageLayout(doc_->pdf, HPDF_PAGE_LAYOUT_ONE_COLUMN);
  } else if (name == "TwoColumnLeft") {
    HPDF_SetPageLayout(doc_->pdf, HPDF_PAGE_LAYOUT_TWO_COLUMN_LEFT);
  } else if (name == "TwoColumnRight") {
    HPDF_SetPageLayout(doc_->pdf, HPDF_PAGE_LAYOUT_TWO_COLUMN_RIGHT);
  }
}

void PdfWriter::SetTextColor(int r, int g, int b) { text_color_ = MakeRgb(r, g, b); }
void PdfWriter::SetFillColor(int r, int g, int b) { fill_color_ = MakeRgb(r, g, b); }
void PdfWriter::SetDrawColor(int r, int g, int b) { draw_color_ = MakeRgb(r, g, b); }
void PdfWriter::SetLineWidth(double width) { line_width_ = width; }

void PdfWriter::SetXY(double x, double y) {
  x_ = x;
  y_ = y;
}

void PdfWriter::UseStroke() {
  HPDF_Page page = doc_->page;
  if (!page_state_.stroke_set || !(page_state_.stroke == draw_color_)) {
    HPDF_Page_SetRGBStroke(page, Channel(draw_color_.r), Channel(draw_color_.g),
                           Channel(draw_color_.b));
    page_state_.stroke = draw_color_;
    page_state_.stroke_set = true;
  }
  if (!page_state_.line_width_set || page_state_.line_width != line_width_) {
    HPDF_Page_SetLineWidth(page, static_cast<HPDF_REAL>(line_width_ * k_));
    page_state_.line_width = line_width_;
    page_state_.line_width_set = true;
  }
}

void PdfWriter::UseNonStroke(const Rgb& color) {
  if (page_state_.nonstroke_set && page_state_.nonstroke == color) return;
  HPDF_Page_SetRGBFill(doc_->page, Channel(color.r), Channel(color.g), Channel(color.b));
  page_state_.nonstroke = color;
  page_state_.nonstroke_set = true;
}

void PdfWriter::UseFont() {
  const HPDF_Font font = static_cast<HPDF_Font>(font_handle_);
  if (page_state_.font_set && page_state_.font == font && page_state_.font_size == font_size_) {
    return;
  }
  HPDF_Page_SetFontAndSize(doc_->page, font, static_cast<HPDF_REAL>(font_size_));
  page_state_.font = font;
  page_state_.font_size = font_size_;
  page_state_.font_set = true;
}

void PdfWriter::DrawCell(double width, double height, int border, std::string_view align,
                         bool fill, const std::string& showable) {
  HPDF_Page page = doc_->page;
  const double page_height = current_size_.height_pt;
  const auto px = [&](double x) { return static_cast<HPDF_REAL>(x * k_); };
  const auto py = [&](double y) { return static_cast<HPDF_REAL>(page_height - y * k_); };
  if (fill || border == 1) {
    if (fill) UseNonStroke(fill_color_);
    if (border == 1) UseStroke();
    HPDF_Page_Rectangle(page, px(x_), py(y_ + height), static_cast<HPDF_REAL>(width * k_),
                        static_cast<HPDF_REAL>(height * k_));
    if (fill && border == 1) {
      HPDF_Page_FillStroke(page);
    } else if (fill) {
      HPDF_Page_Fill(page);
    } else {
      HPDF_Page_Stroke(page);
    }
  }
  if (border < 0) {
    const int sides = -border;
    const double left = x_, top = y_, right = x_ + width, bottom = y_ + height;
    UseStroke();
    const auto line = [&](double x1, double y1, double x2, double y2) {
      HPDF_Page_MoveTo(page, px(x1), py(y1));
      HPDF_Page_LineTo(page, px(x2), py(y2));
    };
    if (sides & 1) line(left, top, left, bottom);
    if (sides & 2) line(left, top, right, top);
    if (sides & 4) line(right, top, right, bottom);
    if (sides & 8) line(left, bottom, right, bottom);
    if (sides & 15) HPDF_Page_Stroke(page);
  }
  if (showable.empty() || !font_chosen_) return;
  double dx = cell_margin_;
  if (align == "R") {
    dx = width - cell_margin_ - TextWidth(showable);
  } else if (align == "C") {
    dx = (width - TextWidth(showable)) / 2;
  }
  UseNonStroke(text_color_);
  UseFont();
  const double baseline = y_ + 0.5 * height + kBaselineBelowMiddle * font_size_ / k_;
  HPDF_Page_BeginText(page);
  HPDF_Page_TextOut(page, px(x_ + dx), py(baseline), showable.c_str());
  HPDF_Page_EndText(page);
}

void PdfWriter::Cell(double width, double height, std::string_view text, int border, int ln,
                     std::string_view align, bool fill, int /*link*/) {
  if (!Usable() || doc_->page == nullptr) return;
  if (auto_break_ && y_ + height > current_size_.height_pt / k_ - break_margin_) {
    const double x = x_;
    if (!StartPage(current_orientation_, current_size_)) return;
    y_ = top_margin_;
    x_ = x;
  }
  if (width == 0) width = current_size_.width_pt / k_ - right_margin_ - x_;
  DrawCell(width, height, border, align, fill, Showable(text));
  last_height_ = height;
  if (ln > 0) {
    y_ += height;
    if (ln == 1) x_ = left_margin_;
  } else {
    x_ += width;
  }
}

std::string PdfWriter::FitCell(double width, double height, std::string_view text, int border,
                               int ln, std::string_view align, bool fill, int link,
                               std::string_view suffix) {
  if (!Usable()) return std::string(text);
  if (text.empty()) {
    Cell(width, height, text, border, ln, align, fill, link);
    return "";
  }
  const double inner = width - 2 * cell_margin_;
  if (TextWidth(Showable(text)) <= inner) {
    Cell(width, height, text, border, ln, align, fill, link);
    return "";
  }
  // The longest leading part that fits with the suffix; widths grow with the length.
  const std::vector<size_t> starts = CharacterStarts(text);
  size_t low = 0, high = starts.size() - 2;  // character counts; all of them did not fit
  std::string candidate;
  const auto fits = [&](size_t count) {
    candidate.assign(text.substr(0, starts[count])).append(suffix);
    return TextWidth(Showable(candidate)) <= inner;
  };
  while (low < high) {
    const size_t middle = (low + high + 1) / 2;
    if (fits(middle)) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  candidate.assign(text.substr(0, starts[low])).append(suffix);
  Cell(width, height, candidate, border, ln, align, fill, link);
  return std::string(text.substr(starts[low]));
}

void PdfWriter::Ln(double height) {
  x_ = left_margin_;
  y_ += height < 0 ? last_height_ : height;
}

void PdfWriter::ApplyOpenAction() {
  if (zoom_ == 0 || doc_->first_page == nullptr) return;
  HPDF_Destination destination = HPDF_Page_CreateDestination(doc_->first_page);
  if (destination == nullptr) return;
  if (zoom_ < 0) {
    HPDF_Destination_SetFit(destination);
  } else {
    HPDF_Destination_SetXYZ(destination, 0, HPDF_Page_GetHeight(doc_->first_page),
                            static_cast<HPDF_REAL>(zoom_) / 100.0f);
  }
  HPDF_SetOpenAction(doc_->pdf, destination);
}

bool PdfWriter::Save(const std::string& path) {
  if (!Usable()) return false;
  if (page_count_ == 0 && !AddPage("", "")) return false;
  ApplyOpenAction();
  if (!Usable()) return false;
  // A complete file replaces the old one in one step; a failed save leaves the old one.
  const std::string temporary = path + ".kalvento-" + std::to_string(getpid());
  const HPDF_STATUS status = HPDF_SaveToFile(doc_->pdf, temporary.c_str());
  bool saved = status == HPDF_OK && !broken_;
  if (saved && std::rename(temporary.c_str(), path.c_str()) != 0) {
    error_ = "the file could not be replaced";
    saved = false;
  }
  if (!saved) {
    std::remove(temporary.c_str());
    // A file that could not be written leaves the document as it was: it may be saved again.
    HPDF_ResetError(doc_->pdf);
    broken_ = false;
  }
  return saved;
}

}  // namespace kalvento::pdf
