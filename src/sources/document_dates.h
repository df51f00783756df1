#pragma once

#include <string>
#include <string_view>

#include "dates/datef.h"
#include "sources/readers.h"

namespace kalvento {

// The creation and last-saved dates a document records about itself: PDF, Office Open XML,
// OpenDocument and legacy Office files. Zeros for any other extension (e-mail files included;
// they have their own reader).
DocumentDates ReadDocumentDates(const std::string& path, ReaderContext& context);

// PDF: the dates pdfinfo prints (`pdfinfo` is its path; empty skips it), and when that gives no
// creation date, the ones written in the file's last 10000 bytes.
DocumentDates ReadPdfInfoDates(const std::string& path, const std::string& pdfinfo);

// How long pdfinfo may stay silent before it is given up, and how long it may run in all.
inline constexpr int kPdfInfoSilenceSeconds = 3;
inline constexpr int kPdfInfoMostSeconds = 30;

// The date of one pdfinfo line "CreationDate:" or "ModDate:"; 0 when the line has none. pdfinfo
// is asked for the dates as written ("D:20190714101233+02'00'", the zone ignored as in the
// file's tail, "D:2019" is the first of January); its readable form ("Sun Jul 14 10:12:33 2019")
// is read too.
DateValue PdfInfoLineDate(std::string_view line);

// The dates written into a PDF's information dictionary, found in the last bytes of the file
// ("/CreationDate(D:20190714101233+02'00')"); the zone is ignored.
DocumentDates PdfTailDates(std::string_view tail);

// The dates of an Office Open XML "docProps/core.xml" (UTC, returned as local time) and of an
// OpenDocument "meta.xml" (local time as written).
DocumentDates CorePropertiesDates(std::string_view xml);
DocumentDates OpenDocumentMetaDates(std::string_view xml);

}  // namespace kalvento
