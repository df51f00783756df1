#pragma once

// E-mail and data-file dates: the Date header of .eml files and of .msg files
// (converted to text by kalvento-msgtext, or scanned as UTF-16 text when they are no compound
// file), and the acquisition record of .dat files. Each reader gives an e-mail date text,
// "yyyy-mm-dd hh:mm:ss" (the time as found), or the empty text.

#include <optional>
#include <string>
#include <string_view>

#include "dates/datef.h"
#include "sources/readers.h"

namespace kalvento {

// Lines of a message text that are not a Date header and are read before giving up.
inline constexpr int kEmailLineLimit = 201;
// The part of a non-compound .msg file that is scanned for a UTF-16 "Date: ".
inline constexpr size_t kMsgScanBytes = 196608;
// The .dat acquisition record: where it lies, its size, and the file size it needs to exceed.
inline constexpr size_t kAcquisitionOffset = 4258;
inline constexpr size_t kAcquisitionRecordSize = 56;
inline constexpr long long kAcquisitionMinimumSize = 4314;
// How much of a message text is read at most: far more than 201 header lines of an Internet
// message hold (998 bytes a line at most), so only ever-long lines can reach it.
inline constexpr size_t kEmailTextReadLimit = 4 * 1024 * 1024;
// Start-up: removes the scratch text files and attachment folders that conversions of programs
// no longer running left in the temp folder (a program ended in the middle of one).
void RemoveStaleMsgScratch(const std::string& temp_folder);

// How long the converter may take before it is ended.
inline constexpr int kMsgConverterTimeoutMs = 30000;

// The header test on the fields and the e-mail date text built from them; empty when it fails.
// `day` and `year` are read by their leading digits; `month` is a month name.
std::string EmailDateFromFields(std::string_view day, std::string_view month,
                                std::string_view year, std::string_view time);

// The Date header rule on one text line (without its line end). Empty optional when the line is
// no Date header; otherwise the e-mail date text, empty when the header fails the test.
std::optional<std::string> EvaluateDateHeader(std::string_view line);

// The first Date header among a message text's lines, read with the 201-line limit. Lines end at
// LF, CR or CR LF. With `truncated`, the text's last line (no line end) was cut off by a read
// limit and is not evaluated.
std::string DateFromMessageText(std::string_view text, bool truncated = false);

// The UTF-16 scan of a .msg file that is no compound file, on its first bytes (the caller passes
// at most kMsgScanBytes).
std::string DateFromUtf16Bytes(std::string_view bytes);

// The .dat record (kAcquisitionRecordSize bytes; fewer give the empty text).
std::string DateFromAcquisitionRecord(std::string_view record);
// The same on a whole file's bytes (size rule and record position included).
std::string DateFromDatBytes(std::string_view bytes);

// True when the bytes start with the compound-file (OLE2) signature.
bool HasCompoundFileSignature(std::string_view bytes);

// The readers on a file's full path.
std::string ReadEmlDate(const std::string& path);
// Needs context.msgtext (the converter) and context.temp_folder for compound files; a converter
// still running after `timeout_ms` is ended.
std::string ReadMsgDate(const std::string& path, const ReaderContext& context,
                        int timeout_ms = kMsgConverterTimeoutMs);
std::string ReadAcquisitionDate(const std::string& path);

// The date value of an e-mail date text; 0 for the empty text or one that does not parse.
DateValue EmailDateValue(std::string_view text);

// The document branch's e-mail part: dispatch by extension (eml, msg, dat, ignoring case); the
// date becomes document-created, document-modified stays 0.
DocumentDates ReadEmailDates(const std::string& path, ReaderContext& context);

}  // namespace kalvento
