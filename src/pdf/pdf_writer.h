#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "pdf/font_lookup.h"

namespace kalvento::pdf {

struct Rgb {
  int r = 0;
  int g = 0;
  int b = 0;
  bool operator==(const Rgb&) const = default;
};

// One current PDF document with a current page, position, font, colours and line width; lengths
// in the unit given to Create, the origin at the top-left corner of the page. Text is UTF-8 (bad
// bytes show as U+FFFD) and drawn with an embedded TrueType font; content streams are compressed.
//
// A failure of the library is recorded (LastError) and ends the document: later operations do
// nothing and Save reports false. A save that fails for the file alone can be tried again.
class PdfWriter {
 public:
  PdfWriter();
  ~PdfWriter();
  PdfWriter(const PdfWriter&) = delete;
  PdfWriter& operator=(const PdfWriter&) = delete;

  // A new, empty document, discarding any earlier one. Orientation "P" or "L", unit "mm", "pt",
  // "cm" or "in", format "width,height" in points (empty: A4).
  bool Create(std::string_view orientation, std::string_view unit, std::string_view format);
  // A page of that orientation and format (empty: the document's); the position goes to the
  // top-left margin corner.
  bool AddPage(std::string_view orientation, std::string_view format);
  // An installed TrueType family, style "" or "B", size in points. A family that is not
  // installed is replaced by a monospaced one (see ChooseFontFile).
  bool SetFont(std::string_view family, std::string_view style, double size);
  double GetStringWidth(std::string_view text);

  void SetCreator(std::string_view text);
  void SetSubject(std::string_view text);
  void SetTitle(std::string_view text);

  // On: a cell that would reach below page height - margin starts a new page of the current
  // orientation and format and is drawn at its top, at the same x.
  void SetAutoPageBreak(bool on, double margin);
  void SetMargins(double left, double top, double right);
  // zoom -1 fits the whole page, 0 leaves it to the viewer, > 0 is a percentage; layout is a
  // page layout name such as "/OneColumn" (empty: the viewer's choice).
  void SetDisplayMode(int zoom, std::string_view layout);

  void SetTextColor(int r, int g, int b);
  void SetFillColor(int r, int g, int b);
  void SetDrawColor(int r, int g, int b);
  void SetLineWidth(double width);
  void SetXY(double x, double y);

  // border 0 none, 1 frame, -(sum of sides) only those sides (1 left, 2 top, 4 right, 8 bottom);
  // ln 0 right of the cell, 1 start of the next line, 2 below the cell; align "L", "C" or "R";
  // link 0 is no link (the only kind there is).
  void Cell(double width, double height, std::string_view text, int border, int ln,
            std::string_view align, bool fill, int link);
  // Like Cell; a text wider than the cell's inner width is drawn as its longest leading part
  // that fits together with `suffix`. Returns the rest of the text (empty when all of it fitted).
  std::string FitCell(double width, double height, std::string_view text, int border, int ln,
                      std::string_view align, bool fill, int link, std::string_view suffix);
  // To the left margin and down by height; a negative height moves by the last cell's height.
  void Ln(double height);

  // Writes the document, replacing an existing file only once the new one is complete.
  bool Save(const std::string& path);

  double X() const { return x_; }
  double Y() const { return y_; }
  int PageCount() const { return page_count_; }
  // The font file drawn with for the style, after SetFont chose it.
  const FontFile& CurrentFontFile() const { return current_font_file_; }
  // The last failure: the library's error code and detail, or the replacing of the file.
  const std::string& LastError() const { return error_; }

  // For the library's error handler.
  void RecordError(unsigned long code, unsigned long detail);

 private:
  struct PageSize {
    double width_pt = 0;
    double height_pt = 0;
  };
  // What the current page's content stream has set, so that each value is written once.
  struct PageState {
    bool font_set = false;
    const void* font = nullptr;
    double font_size = 0;
    bool stroke_set = false;
    Rgb stroke;
    bool nonstroke_set = false;
    Rgb nonstroke;
    bool line_width_set = false;
    double line_width = 0;
  };

  struct Document;  // the library's handles of the current document

  bool Usable() const { return doc_ != nullptr && !broken_; }
  void Discard();
  PageSize SizeFor(std::string_view orientation, std::string_view format) const;
  bool StartPage(std::string_view orientation, const PageSize& size);
  // The document's font of the current family and style, loaded on first use.
  bool LoadFont();
  // The text as the font can show it: valid UTF-8 of the Basic Multilingual Plane, no controls.
  const std::string& Showable(std::string_view text);
  double TextWidth(const std::string& showable) const;
  void UseStroke();
  void UseNonStroke(const Rgb& color);
  void UseFont();
  void DrawCell(double width, double height, int border, std::string_view align, bool fill,
                const std::string& showable);
  void ApplyOpenAction();

  std::unique_ptr<Document> doc_;
  std::string error_;
  bool broken_ = false;  // the library failed: the document takes no more operations
  double k_ = 72.0 / 25.4;  // points per user unit
  std::string default_orientation_ = "P";
  PageSize default_size_;
  std::string current_orientation_;
  PageSize current_size_;
  int page_count_ = 0;

  double x_ = 0;
  double y_ = 0;
  double last_height_ = 0;
  double left_margin_ = 0;
  double top_margin_ = 0;
  double right_margin_ = 0;
  double cell_margin_ = 0;
  bool auto_break_ = true;
  double break_margin_ = 0;

  std::map<std::pair<std::string, bool>, FontFile> font_files_;  // lookups of this writer
  std::string font_family_;
  bool bold_ = false;
  bool font_chosen_ = false;
  void* font_handle_ = nullptr;  // the library's font of the current family and style
  double font_size_ = 0;
  FontFile current_font_file_;

  Rgb text_color_;
  Rgb fill_color_;
  Rgb draw_color_;
  double line_width_ = 0;
  int zoom_ = 0;
  std::string layout_;
  PageState page_state_;
  std::string showable_;
};

}  // namespace kalvento::pdf
