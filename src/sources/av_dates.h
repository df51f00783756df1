#pragma once

// Audio and video recording dates: small byte readers for MP3 (ID3v2 "TDRC"), WAV
// (ID3 date frames in the last kilobyte) and AVCHD transport streams (the camera's MDPM block),
// then the MediaInfo library for everything else.

#include <functional>
#include <string>
#include <string_view>

#include "dates/datef.h"
#include "sources/readers.h"

namespace kalvento {

// The whole Part for one file: the "AV recorded" date, 0 when none. Nothing is read (0) unless
// context.media_info_loaded is set and context.media_info is there.
DateValue ReadAudioVideoDate(const std::string& path, ReaderContext& context);

// The byte readers on a file; empty text when they find nothing.
std::string ReadId3RecordingTime(const std::string& path);
std::string ReadWavId3Date(const std::string& path);
std::string ReadAvchdDate(const std::string& path);

// The same on bytes already read. `head` starts at the file's first byte; the ID3 reader needs
// the 10-byte header and the frame area, the AVCHD reader looks at the first MiB only. `tail` is
// the WAV file's last kilobyte (the "RIFF"/"WAVE" and size checks belong to ReadWavId3Date).
std::string Id3RecordingTimeFromBytes(std::string_view head);
std::string WavId3DateFromBytes(std::string_view tail);
std::string AvchdDateFromBytes(std::string_view head);

// The byte readers' texts as dates (dispatch steps 1-3). `hit` tells whether the text passed the
// reader's year test; MediaInfo is then not asked, even when the date is <= 0.
DateValue Id3TextDate(std::string_view text, bool& hit);
DateValue WavTextDate(std::string_view text, bool& hit);
DateValue AvchdTextDate(std::string_view text, bool& hit);

// One MediaInfo answer for `parameter` as a date (<= 0: none). A "Recorded_Date" holding only a
// year sets `year_only` instead and gives 0. Values marked UTC ("UTC 2019-07-14 08:12:33", or
// with the suffix "2019-07-14 08:12:33 UTC" that MediaInfo 23.04 writes) become local time.
DateValue MediaInfoAnswerDate(std::string_view parameter, std::string_view answer,
                              DateValue& year_only);

// The MediaInfo part of the dispatch (steps 4 and 5) on an answering function: asks the
// parameters in their order while no date was found, and falls back to a year-only
// "Recorded_Date". `is_mov` adds "com.apple.quicktime.creationdate" first.
DateValue MediaInfoDate(bool is_mov,
                        const std::function<std::string(std::string_view parameter)>& ask);

}  // namespace kalvento
