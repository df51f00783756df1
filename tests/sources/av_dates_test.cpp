// Audio and video recording dates: the MP3, WAV and AVCHD byte readers, the MediaInfo answer
// handling and the real MediaInfo library on small files built here from bytes.

#include "sources/av_dates.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sources/media_info.h"
#include "test_support.h"

namespace kalvento {
namespace {

constexpr const char* kMediaInfoName = "libmediainfo.so.0";

std::string Shown(DateValue value) { return FormatDate(kDisplayMask, value); }

std::string BigEndian(uint32_t value, int bytes = 4) {
  std::string out;
  for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
    out += static_cast<char>((value >> shift) & 0xFF);
  }
  return out;
}

std::string Synchsafe(uint32_t value) {
  std::string out;
  for (int shift = 21; shift >= 0; shift -= 7) out += static_cast<char>((value >> shift) & 0x7F);
  return out;
}

// An ID3v2 frame: for version 4 with a synchsafe size, for version 3 with a plain one.
std::string Id3Frame(int major, std::string_view id, std::string_view body) {
  const auto size = static_cast<uint32_t>(body.size());
  return std::string(id) + (major == 4 ? Synchsafe(size) : BigEndian(size)) + std::string(2, '\0') +
         std::string(body);
}

// A text frame body in single-byte text (encoding 0 or 3).
std::string Latin1Body(std::string_view text) { return std::string(1, '\0') + std::string(text); }

// A text frame body in UTF-16 with the little-endian byte-order mark (encoding 1).
std::string Utf16Body(std::string_view ascii) {
  std::string body("\x01\xFF\xFE", 3);
  for (const char c : ascii) {
    body += c;
    body += '\0';
  }
  return body + std::string(2, '\0');
}

std::string Id3Tag(int major, const std::string& frames, size_t padding = 0) {
  const std::string area = frames + std::string(padding, '\0');
  return std::string("ID3") + static_cast<char>(major) + std::string(2, '\0') +
         Synchsafe(static_cast<uint32_t>(area.size())) + area;
}

// A few silent MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz) so that MediaInfo sees an MP3.
std::string MpegAudioFrames() {
  std::string frame("\xFF\xFB\x90\x64", 4);
  frame += std::string(417 - 4, '\0');
  std::string out;
  for (int k = 0; k < 5; ++k) out += frame;
  return out;
}

// A WAV file of more than 1 KiB whose "id3 " chunk carries the given ID3v2.3 frames at its end.
std::string WavWithId3(const std::string& frames) {
  const std::string tag = Id3Tag(3, frames);
  std::string fmt("fmt ", 4);
  fmt += std::string("\x10\0\0\0", 4) + std::string("\x01\0\x01\0", 4) +
         std::string("\x44\xAC\0\0", 4) + std::string("\x88\x58\x01\0", 4) +
         std::string("\x02\0\x10\0", 4);
  const std::string samples(2000, '\0');
  std::string data = std::string("data", 4);
  data += std::string(1, static_cast<char>(samples.size() & 0xFF)) +
          static_cast<char>((samples.size() >> 8) & 0xFF) + std::string(2, '\0') + samples;
  std::string id3("id3 ", 4);
  const auto tag_size = static_cast<uint32_t>(tag.size());
  for (int shift = 0; shift < 32; shift += 8) id3 += static_cast<char>((tag_size >> shift) & 0xFF);
  id3 += tag;
  const std::string body = std::string("WAVE") + fmt + data + id3;
  std::string riff("RIFF");
  const auto riff_size = static_cast<uint32_t>(body.size());
  for (int shift = 0; shift < 32; shift += 8)
    riff += static_cast<char>((riff_size >> shift) & 0xFF);
  return riff + body;
}

const std::string kMdpm("\x17\xEE\x8C\x60\xF8\x4D\x11\xD9\x8C\xD6\x08\x00\x20\x0C\x9A\x66", 16);

// A camera data block: marker, "MDPM", then tag 0x18 (zone, year, month) and 0x19 (day, time).
std::string CameraBlock(int year, int month, int day, int hour, int minute, int second) {
  const auto bcd = [](int v) { return static_cast<char>(((v / 10) << 4) | (v % 10)); };
  std::string block = kMdpm + "MDPM" + '\x02';
  block += '\x18';
  block += '\x00';
  block += bcd(year / 100);
  block += bcd(year % 100);
  block += bcd(month);
  block += '\x19';
  block += bcd(day);
  block += bcd(hour);
  block += bcd(minute);
  block += bcd(second);
  return block;
}

std::string Box(std::string_view type, const std::string& payload) {
  return BigEndian(static_cast<uint32_t>(8 + payload.size())) + std::string(type) + payload;
}

// Seconds since 1904-01-01 00:00:00 UTC, the QuickTime epoch.
uint32_t QuickTimeSeconds(int year, int month, int day, int hour, int minute, int second) {
  const DateValue since_1601 =
      MakeDate(year, month, day, hour, minute, second) - MakeDate(1904, 1, 1, 0, 0, 0);
  return static_cast<uint32_t>(since_1601);
}

// A minimal ISO media / QuickTime file: "ftyp" and a "moov" with a movie header whose creation
// and modification times are `created` (UTC), plus `extra` boxes inside "moov".
std::string MovieFile(std::string_view brand, uint32_t created, const std::string& extra = "") {
  std::string mvhd(4, '\0');  // version 0, flags
  mvhd += BigEndian(created) + BigEndian(created) + BigEndian(1000) + BigEndian(0);
  mvhd += BigEndian(0x00010000) + BigEndian(0x0100, 2) + std::string(10, '\0');
  for (const uint32_t m : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u}) {
    mvhd += BigEndian(m);
  }
  mvhd += std::string(24, '\0') + BigEndian(2);
  const std::string ftyp = Box("ftyp", std::string(brand) + BigEndian(0x200) + std::string(brand));
  return ftyp + Box("moov", Box("mvhd", mvhd) + extra);
}

// The QuickTime metadata box holding "com.apple.quicktime.creationdate" = `value`.
std::string AppleCreationDateMeta(std::string_view value) {
  const std::string key = "com.apple.quicktime.creationdate";
  const std::string hdlr = Box("hdlr", std::string(8, '\0') + "mdta" + std::string(13, '\0'));
  const std::string keys =
      Box("keys", std::string(4, '\0') + BigEndian(1) +
                      BigEndian(static_cast<uint32_t>(8 + key.size())) + "mdta" + key);
  const std::string data = Box("data", BigEndian(1) + BigEndian(0) + std::string(value));
  const std::string ilst = Box("ilst", Box(BigEndian(1), data));
  return Box("meta", hdlr + keys + ilst);
}

// A context that passes the media-info gate without a library: only the byte readers answer.
struct ByteReaderContext {
  MediaInfoLibrary media;  // not loaded
  ReaderContext context;
  ByteReaderContext() {
    context.media_info_loaded = true;
    context.media_info = &media;
  }
};

// The real library, loaded once for all tests of this file.
class AvMediaInfoTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    media_ = new MediaInfoLibrary;
    loaded_ = LoadMediaInfo(kMediaInfoName, *media_);
  }
  static void TearDownTestSuite() {
    UnloadMediaInfo(*media_);
    delete media_;
    media_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(loaded_) << kMediaInfoName << " did not load";
    context_.media_info_loaded = true;
    context_.media_info = media_;
  }

  DateValue Read(const std::string& path) { return ReadAudioVideoDate(path, context_); }

  static MediaInfoLibrary* media_;
  static bool loaded_;
  ReaderContext context_;
  test::TempFolder folder_;
};
MediaInfoLibrary* AvMediaInfoTest::media_ = nullptr;
bool AvMediaInfoTest::loaded_ = false;

// --- MP3 ---------------------------------------------------------------------------------------

TEST(Id3Test, Version4YearAloneIsTheFirstOfJanuary) {
  const std::string tag = Id3Tag(
      4, Id3Frame(4, "TIT2", Latin1Body("Song")) + Id3Frame(4, "TDRC", Latin1Body("2019")), 64);
  EXPECT_EQ(Id3RecordingTimeFromBytes(tag), "2019");
  test::TempFolder folder;
  ByteReaderContext reader;
  const std::string path = folder.WriteFile("song.mp3", tag + MpegAudioFrames());
  EXPECT_EQ(ReadId3RecordingTime(path), "2019");
  EXPECT_EQ(Shown(ReadAudioVideoDate(path, reader.context)), "2019.01.01 00:00:00");
}

TEST(Id3Test, Version4MinutesGetZeroSeconds) {
  const std::string tag = Id3Tag(4, Id3Frame(4, "TDRC", Latin1Body("2019-07-14T10:12")));
  test::TempFolder folder;
  ByteReaderContext reader;
  const std::string path = folder.WriteFile("Song.MP3", tag + MpegAudioFrames());
  EXPECT_EQ(Shown(ReadAudioVideoDate(path, reader.context)), "2019.07.14 10:12:00");
}

TEST(Id3Test, Utf16TextIsRead) {
  const std::string tag = Id3Tag(4, Id3Frame(4, "TDRC", Utf16Body("2019-07-14T10:12:33")));
  EXPECT_EQ(Id3RecordingTimeFromBytes(tag), "2019-07-14T10:12:33");
}

TEST(Id3Test, Version3FrameOver127BytesUsesPlainSizes) {
  // 200 read as a synchsafe number would be 72 and throw the walk off.
  const std::string comment = Latin1Body(std::string(199, 'c'));
  const std::string tag = Id3Tag(
      3, Id3Frame(3, "COMM", comment) + Id3Frame(3, "TDRC", Latin1Body("2018-05-06T07:08:09")));
  EXPECT_EQ(Id3RecordingTimeFromBytes(tag), "2018-05-06T07:08:09");
  test::TempFolder folder;
  ByteReaderContext reader;
  const std::string path = folder.WriteFile("long.mp3", tag + MpegAudioFrames());
  EXPECT_EQ(Shown(ReadAudioVideoDate(path, reader.context)), "2018.05.06 07:08:09");
}

TEST(Id3Test, Version4FrameOver127BytesUsesSynchsafeSizes) {
  const std::string tag = Id3Tag(4, Id3Frame(4, "COMM", Latin1Body(std::string(299, 'c'))) +
                                        Id3Frame(4, "TDRC", Latin1Body("2018")));
  EXPECT_EQ(Id3RecordingTimeFromBytes(tag), "2018");
}

TEST(Id3Test, TheLastRecordingTimeWins) {
  const std::string tag = Id3Tag(
      4, Id3Frame(4, "TDRC", Latin1Body("2001")) + Id3Frame(4, "TDRC", Latin1Body("2002-03")));
  EXPECT_EQ(Id3RecordingTimeFromBytes(tag), "2002-03");
}

TEST(Id3Test, NothingOutsideTheTag) {
  // A frame behind the declared tag size is not read, nor one cut off by the buffer.
  std::string tag = Id3Tag(4, Id3Frame(4, "TIT2", Latin1Body("x")));
  EXPECT_EQ(Id3RecordingTimeFromBytes(tag + Id3Frame(4, "TDRC", Latin1Body("2019"))), "");
  const std::string whole = Id3Tag(4, Id3Frame(4, "TDRC", Latin1Body("2019-07-14")));
  EXPECT_EQ(Id3RecordingTimeFromBytes(whole.substr(0, whole.size() - 3)), "2019-07");
  EXPECT_EQ(Id3RecordingTimeFromBytes(whole.substr(0, 15)), "");
  // A frame size far beyond the tag ends the walk after that frame.
  std::string huge = Id3Tag(
      3, std::string("TDRC") + BigEndian(0xFFFFFFF0u) + std::string(2, '\0') + Latin1Body("2019"));
  EXPECT_EQ(Id3RecordingTimeFromBytes(huge), "2019");
  EXPECT_EQ(Id3RecordingTimeFromBytes(Id3Tag(2, Id3Frame(4, "TDRC", Latin1Body("2019")))), "");
  EXPECT_EQ(Id3RecordingTimeFromBytes("ID3"), "");
  EXPECT_EQ(Id3RecordingTimeFromBytes(""), "");
}

TEST(Id3Test, ByteReaderHitWithoutDateStopsTheSearch) {
  bool hit = false;
  EXPECT_EQ(Id3TextDate("2019-07-14 10:12", hit), 0);  // a blank where the mask wants "T"
  EXPECT_TRUE(hit);
  EXPECT_LE(Id3TextDate("1599", hit), 0);
  EXPECT_FALSE(hit);
  EXPECT_LE(Id3TextDate("", hit), 0);
  EXPECT_FALSE(hit);
}

TEST_F(AvMediaInfoTest, Mp3WithoutRecordingTimeGoesToMediaInfo) {
  // A version-3 tag with only TYER: no TDRC, so MediaInfo's year-only Recorded_Date is used.
  const std::string tag =
      Id3Tag(3, Id3Frame(3, "TYER", Latin1Body("2017")) + Id3Frame(3, "TIT2", Latin1Body("Song")));
  EXPECT_EQ(Id3RecordingTimeFromBytes(tag), "");
  const std::string path = folder_.WriteFile("year.mp3", tag + MpegAudioFrames());
  EXPECT_EQ(Shown(Read(path)), "2017.01.01 00:00:00");
  // With date and time frames, MediaInfo answers "2019-07-14 10:12".
  const std::string dated =
      Id3Tag(3, Id3Frame(3, "TDAT", Latin1Body("1407")) + Id3Frame(3, "TYER", Latin1Body("2019")) +
                    Id3Frame(3, "TIME", Latin1Body("1012")));
  EXPECT_EQ(Shown(Read(folder_.WriteFile("dated.mp3", dated + MpegAudioFrames()))),
            "2019.07.14 10:12:00");
}

// --- WAV ---------------------------------------------------------------------------------------

TEST(WavTest, DateYearAndTimeFramesMakeOneDate) {
  const std::string frames = Id3Frame(3, "TDAT", Latin1Body("1407")) +
                             Id3Frame(3, "TYER", Latin1Body("2019")) +
                             Id3Frame(3, "TIME", Latin1Body("1012"));
  const std::string file = WavWithId3(frames);
  ASSERT_GT(file.size(), 1024u);
  EXPECT_EQ(WavId3DateFromBytes(file.substr(file.size() - 1024)), "14.07.2019 10:12:00");
  test::TempFolder folder;
  ByteReaderContext reader;
  const std::string path = folder.WriteFile("take.wav", file);
  EXPECT_EQ(ReadWavId3Date(path), "14.07.2019 10:12:00");
  EXPECT_EQ(Shown(ReadAudioVideoDate(path, reader.context)), "2019.07.14 10:12:00");
}

TEST(WavTest, WithoutTimeMidnight) {
  const std::string frames =
      Id3Frame(3, "TYER", Latin1Body("2019")) + Id3Frame(3, "TDAT", Latin1Body("1407"));
  EXPECT_EQ(WavId3DateFromBytes(frames), "14.07.2019 00:00:00");
}

TEST(WavTest, LongDateFrameIsTheWholeDate) {
  const std::string frames = Id3Frame(3, "TDAT", Latin1Body("15.08.2020 11:22:33")) +
                             Id3Frame(3, "TYER", Latin1Body("2019"));
  EXPECT_EQ(WavId3DateFromBytes(frames), "15.08.2020 11:22:33");
  bool hit = false;
  EXPECT_EQ(Shown(WavTextDate("15.08.2020 11:22:33", hit)), "2020.08.15 11:22:33");
  EXPECT_TRUE(hit);
}

TEST(WavTest, ShortOrForeignFilesGiveNothing) {
  test::TempFolder folder;
  const std::string frames =
      Id3Frame(3, "TDAT", Latin1Body("1407")) + Id3Frame(3, "TYER", Latin1Body("2019"));
  const std::string file = WavWithId3(frames);
  EXPECT_EQ(ReadWavId3Date(folder.WriteFile("short.wav", file.substr(0, 12) + frames)), "");
  std::string not_wave = file;
  not_wave.replace(8, 4, "AVI ");
  EXPECT_EQ(ReadWavId3Date(folder.WriteFile("avi.wav", not_wave)), "");
  EXPECT_EQ(ReadWavId3Date(folder.WriteFile("empty.wav")), "");
  EXPECT_EQ(ReadWavId3Date(folder.path() + "missing.wav"), "");
  // Frame identifiers cut off at the buffer's end.
  EXPECT_EQ(WavId3DateFromBytes("TDAT"), "");
  EXPECT_EQ(WavId3DateFromBytes(std::string("TDAT\0\0\0\x05", 8)), "");
  EXPECT_EQ(WavId3DateFromBytes(std::string("TYER\0\0\0\x05\0\0\0"
                                            "20",
                                            13)),
            "");
}

// --- AVCHD -------------------------------------------------------------------------------------

TEST(AvchdTest, SecondCameraBlockWins) {
  std::string stream(3000, '\x47');
  stream.replace(200, 0, CameraBlock(2019, 7, 14, 10, 12, 33));
  stream.replace(1500, 0, CameraBlock(2020, 8, 15, 11, 22, 44));
  EXPECT_EQ(AvchdDateFromBytes(stream), "2020-08-15 11:22:44");
  test::TempFolder folder;
  ByteReaderContext reader;
  const std::string path = folder.WriteFile("00001.MTS", stream);
  EXPECT_EQ(ReadAvchdDate(path), "2020-08-15 11:22:44");
  EXPECT_EQ(Shown(ReadAudioVideoDate(path, reader.context)), "2020.08.15 11:22:44");
  EXPECT_EQ(Shown(ReadAudioVideoDate(folder.WriteFile("00001.m2ts", stream), reader.context)),
            "2020.08.15 11:22:44");
}

TEST(AvchdTest, OneBlockAndNoBlock) {
  std::string stream(1000, '\0');
  stream.replace(100, 0, CameraBlock(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(AvchdDateFromBytes(stream), "2019-07-14 10:12:33");
  EXPECT_EQ(AvchdDateFromBytes(std::string(1000, '\0')), "");
  // A block too close to the end (inside the last 48 bytes) is not searched.
  std::string late(100, '\0');
  late += CameraBlock(2019, 7, 14, 10, 12, 33);
  EXPECT_EQ(AvchdDateFromBytes(late + std::string(47 - 24, '\0')), "");
  EXPECT_EQ(AvchdDateFromBytes(late + std::string(60, '\0')), "2019-07-14 10:12:33");
  // A 0x18 not followed five bytes later by 0x19 is no hit.
  std::string broken(1000, '\0');
  std::string block = CameraBlock(2019, 7, 14, 10, 12, 33);
  block[block.size() - 5] = '\x20';
  broken.replace(100, 0, block);
  EXPECT_EQ(AvchdDateFromBytes(broken), "");
  bool hit = false;
  EXPECT_EQ(AvchdTextDate("", hit), 0);
  EXPECT_FALSE(hit);
  EXPECT_EQ(AvchdTextDate("1600-01-01 00:00:00", hit), 0);
  EXPECT_FALSE(hit);
}

TEST(AvchdTest, OnlyTheFirstMebibyteIsRead) {
  std::string stream(1048576 + 1000, '\0');
  stream.replace(1048576 + 10, 29, CameraBlock(2019, 7, 14, 10, 12, 33) + "abcde");
  EXPECT_EQ(AvchdDateFromBytes(stream), "");
  stream.replace(1000, 24, CameraBlock(2018, 1, 2, 3, 4, 5));
  EXPECT_EQ(AvchdDateFromBytes(stream), "2018-01-02 03:04:05");
}

// --- MediaInfo answers -------------------------------------------------------------------------

struct AnswerCase {
  std::string parameter;
  std::string answer;
  std::string expected;   // the date shown, empty: none
  std::string year_only;  // the year-only date shown, empty: none
};

TEST(MediaInfoAnswerTest, AnswersAsDates) {
  const std::vector<AnswerCase> cases = {
      {"Encoded_Date", "2019-07-14 08:12:33", "2019.07.14 08:12:33", ""},
      {"Encoded_Date", "UTC 2019-07-14 08:12:33", "2019.07.14 10:12:33", ""},
      {"Encoded_Date", "2019-07-14 08:12:33 UTC", "2019.07.14 10:12:33", ""},
      {"Encoded_Date", "2019-01-14 08:12:33 UTC", "2019.01.14 09:12:33", ""},
      {"Encoded_Date", "2019-07-14 08:12 UTC", "2019.07.14 10:12:00", ""},
      {"Encoded_Date", "2019-07-14 UTC", "2019.07.14 02:00:00", ""},
      {"Tagged_Date", "2019-07-14T08:12:33.250 UTC", "2019.07.14 10:12:33", ""},
      {"Encoded_Date", "2019-07-14 / 1904-01-01", "1904.01.01 00:00:00", ""},
      {"Encoded_Date", "2019-07-14 / 1900-01-01", "2019.07.14 00:00:00", ""},
      {"Encoded_Date", "UTC 2019-07-14 08:12:33 / UTC 2020-01-02 03:04:05", "2020.01.02 04:04:05",
       ""},
      {"Encoded_Date", "2019-07-14 08:12:33 UTC / 1900-01-01 00:00:00 UTC", "2019.07.14 10:12:33",
       ""},
      {"com.apple.quicktime.creationdate", "2019-07-14T10:12:33+0200", "2019.07.14 10:12:33", ""},
      {"Recorded_Date", "2019-07-14 10:12", "2019.07.14 10:12:00", ""},
      {"Recorded_Date", "2017", "", "2017.01.01 00:00:00"},
      {"Encoded_Date", "2017", "2017.01.01 00:00:00", ""},
      {"Recorded_Date", "2019 07 14", "2019.07.14 00:00:00", ""},
      {"Recorded_Date", "14.07.2019 10:12", "2019.07.14 10:12:00", ""},
      {"Recorded_Date", "UTC 14.07.2019 08:12:33", "2019.07.14 10:12:33", ""},
      {"Mastered_Date", "SUN JUL 14 08:12:33 2019", "2019.07.14 08:12:33", ""},
      {"Mastered_Date", "MON DEC 02 23:59:58 2019 extra", "2019.12.02 23:59:58", ""},
      {"Encoded_Date", "SUN JUL 14 08:12:33 2019", "", ""},   // the form is Mastered_Date's only
      {"Mastered_Date", "Sun Jul 14 08:12:33 2019", "", ""},  // upper case only
      {"Mastered_Date", "SUN XYZ 14 08:12:33 2019", "", ""},
      {"Encoded_Date", "1600-07-14 08:12:33", "", ""},
      {"Encoded_Date", "0000-00-00 00:00:00", "", ""},
      {"Encoded_Date", "UTC 0000-00-00 00:00:00", "", ""},
      {"Encoded_Date", "20", "", ""},
      {"Encoded_Date", "July 2019", "", ""},
      {"Encoded_Date", "", "", ""},
      {"Encoded_Date", "UTC", "", ""},
      {"Encoded_Date", " / ", "", ""},
  };
  for (const AnswerCase& c : cases) {
    SCOPED_TRACE(c.parameter + " = \"" + c.answer + "\"");
    DateValue year_only = 0;
    const DateValue date = MediaInfoAnswerDate(c.parameter, c.answer, year_only);
    if (c.expected.empty()) {
      EXPECT_LE(date, 0) << Shown(date);
    } else {
      EXPECT_EQ(Shown(date), c.expected);
    }
    if (c.year_only.empty()) {
      EXPECT_EQ(year_only, 0) << Shown(year_only);
    } else {
      EXPECT_EQ(Shown(year_only), c.year_only);
    }
  }
}

struct SequenceCase {
  bool is_mov;
  std::vector<std::pair<std::string, std::string>> answers;  // the others answer ""
  std::string expected;                                      // empty: none
  std::vector<std::string> asked;
};

TEST(MediaInfoAnswerTest, ParametersInOrderAndTheYearAloneLast) {
  const std::vector<std::string> all = {"Recorded_Date", "Encoded_Date", "Mastered_Date"};
  const std::vector<SequenceCase> cases = {
      {false, {}, "", all},
      {false, {{"Recorded_Date", "2017"}}, "2017.01.01 00:00:00", all},
      {false,
       {{"Recorded_Date", "2017"}, {"Mastered_Date", "2016-02-03"}},
       "2016.02.03 00:00:00",
       all},
      {false,
       {{"Recorded_Date", "2017"}, {"Encoded_Date", "2019-07-14 08:12:33 UTC"}},
       "2019.07.14 10:12:33",
       {"Recorded_Date", "Encoded_Date"}},
      {false,
       {{"Recorded_Date", "2018-01-02"}, {"Encoded_Date", "2019-07-14 08:12:33 UTC"}},
       "2018.01.02 00:00:00",
       {"Recorded_Date"}},
      {false,
       {{"Recorded_Date", "1500-01-02"}, {"Encoded_Date", "2019-07-14 08:12:33 UTC"}},
       "2019.07.14 10:12:33",
       {"Recorded_Date", "Encoded_Date"}},
      {true,
       {{"com.apple.quicktime.creationdate", "2019-07-14T10:12:33+0200"},
        {"Encoded_Date", "2019-07-14 08:12:00 UTC"}},
       "2019.07.14 10:12:33",
       {"com.apple.quicktime.creationdate"}},
      {true,
       {{"Encoded_Date", "2019-07-14 08:12:00 UTC"}},
       "2019.07.14 10:12:00",
       {"com.apple.quicktime.creationdate", "Recorded_Date", "Encoded_Date"}},
  };
  for (const SequenceCase& c : cases) {
    std::vector<std::string> asked;
    const DateValue date = MediaInfoDate(c.is_mov, [&](std::string_view parameter) {
      asked.emplace_back(parameter);
      for (const auto& [name, value] : c.answers) {
        if (name == parameter) return value;
      }
      return std::string();
    });
    SCOPED_TRACE(c.expected);
    if (c.expected.empty()) {
      EXPECT_EQ(date, 0) << Shown(date);
    } else {
      EXPECT_EQ(Shown(date), c.expected);
    }
    EXPECT_EQ(asked, c.asked);
  }
}

// --- The real library --------------------------------------------------------------------------

TEST_F(AvMediaInfoTest, Mp4CreationTimeIsConvertedFromUtc) {
  const std::string file = MovieFile("isom", QuickTimeSeconds(2019, 7, 14, 8, 12, 33));
  const std::string path = folder_.WriteFile("clip.mp4", file);
  ASSERT_TRUE(OpenMediaFile(*media_, path));
  // What MediaInfo 23.04 answers: the zone as a suffix.
  EXPECT_EQ(GeneralText(*media_, "Encoded_Date"), "2019-07-14 08:12:33 UTC");
  EXPECT_EQ(GeneralText(*media_, "Recorded_Date"), "");
  EXPECT_EQ(GeneralText(*media_, "Mastered_Date"), "");
  EXPECT_EQ(Shown(Read(path)), "2019.07.14 10:12:33");
}

TEST_F(AvMediaInfoTest, MovCreationTimeIsConvertedFromUtc) {
  const std::string file = MovieFile("qt  ", QuickTimeSeconds(2019, 7, 14, 8, 12, 33));
  const std::string path = folder_.WriteFile("clip.MOV", file);
  EXPECT_EQ(Shown(Read(path)), "2019.07.14 10:12:33");
}

TEST_F(AvMediaInfoTest, MovAppleCreationDateComesFirst) {
  // The camera's local time with its offset, taken as written; the movie header says otherwise.
  const std::string file = MovieFile("qt  ", QuickTimeSeconds(2019, 7, 14, 8, 0, 0),
                                     AppleCreationDateMeta("2019-07-14T10:12:33+0200"));
  const std::string path = folder_.WriteFile("iphone.mov", file);
  ASSERT_TRUE(OpenMediaFile(*media_, path));
  EXPECT_EQ(GeneralText(*media_, "com.apple.quicktime.creationdate"), "2019-07-14T10:12:33+0200");
  EXPECT_EQ(Shown(Read(path)), "2019.07.14 10:12:33");
  // The same file named .mp4 is not asked for the Apple key.
  EXPECT_EQ(Shown(Read(folder_.WriteFile("iphone.mp4", file))), "2019.07.14 10:00:00");
}

TEST_F(AvMediaInfoTest, NamesWithOtherCharactersAreFound) {
  const std::string file = MovieFile("isom", QuickTimeSeconds(2019, 7, 14, 8, 12, 33));
  const std::string path = folder_.WriteFile(
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE6\x97\xA5.mp4",
      file);
  EXPECT_EQ(Shown(Read(path)), "2019.07.14 10:12:33");
}

TEST_F(AvMediaInfoTest, ANameThatIsNotUtf8IsNeverTakenForAnother) {
  // The invalid byte must not turn into the U+FFFD of the other name.
  const std::string own = folder_.WriteFile(
      "a\xE9.mp4", MovieFile("isom", QuickTimeSeconds(2011, 1, 1, 8, 0, 0)));
  folder_.WriteFile("a\xEF\xBF\xBD.mp4", MovieFile("isom", QuickTimeSeconds(2022, 2, 2, 8, 0, 0)));
  EXPECT_EQ(Shown(Read(own)), "2011.01.01 09:00:00");
}

TEST_F(AvMediaInfoTest, UnreadableFilesGiveNothing) {
  const std::string dated =
      folder_.WriteFile("first.mp4", MovieFile("isom", QuickTimeSeconds(2019, 7, 14, 8, 12, 33)));
  EXPECT_GT(Read(dated), 0);
  // Neither a missing file nor one MediaInfo does not know keeps the answers of the one before.
  EXPECT_EQ(Read(folder_.path() + "missing.mp4"), 0);
  EXPECT_EQ(Read(folder_.WriteFile("noise.avi", std::string(5000, '\x5A'))), 0);
  EXPECT_EQ(Read(folder_.WriteFile("empty.mkv")), 0);
}

TEST_F(AvMediaInfoTest, OwnReaderHitDoesNotAskMediaInfo) {
  // The MP3 has a TDRC that does not parse and MediaInfo would find "2019" in it: no date.
  const std::string tag = Id3Tag(4, Id3Frame(4, "TDRC", Latin1Body("2019-07-14 10:12")) +
                                        Id3Frame(4, "TYER", Latin1Body("2019")));
  EXPECT_EQ(Read(folder_.WriteFile("blank.mp3", tag + MpegAudioFrames())), 0);
}

TEST_F(AvMediaInfoTest, NothingWithoutTheMediaInfoFlag) {
  const std::string mp3 = folder_.WriteFile(
      "song.mp3", Id3Tag(4, Id3Frame(4, "TDRC", Latin1Body("2019"))) + MpegAudioFrames());
  const std::string mp4 =
      folder_.WriteFile("clip.mp4", MovieFile("isom", QuickTimeSeconds(2019, 7, 14, 8, 12, 33)));
  ReaderContext off;
  off.media_info = media_;  // the pointer alone is not enough
  EXPECT_EQ(ReadAudioVideoDate(mp3, off), 0);
  EXPECT_EQ(ReadAudioVideoDate(mp4, off), 0);
  ReaderContext no_library;
  no_library.media_info_loaded = true;
  EXPECT_EQ(ReadAudioVideoDate(mp3, no_library), 0);
  EXPECT_GT(Read(mp3), 0);
}

// --- Loading -----------------------------------------------------------------------------------

TEST(MediaInfoLoadTest, MissingLibraryLeavesNothingLoaded) {
  MediaInfoLibrary media;
  EXPECT_FALSE(LoadMediaInfo("libkalvento-no-such-mediainfo.so.0", media));
  EXPECT_FALSE(media.loaded());
  EXPECT_EQ(media.library, nullptr);
  EXPECT_EQ(media.New, nullptr);
  EXPECT_EQ(media.Get, nullptr);
}

TEST(MediaInfoLoadTest, LibraryWithoutTheFunctionsLeavesNothingLoaded) {
  MediaInfoLibrary media;
  EXPECT_FALSE(LoadMediaInfo("libz.so.1", media));
  EXPECT_FALSE(media.loaded());
  EXPECT_EQ(media.library, nullptr);
  EXPECT_EQ(media.Open, nullptr);
}

TEST(MediaInfoLoadTest, LoadAndUnload) {
  MediaInfoLibrary media;
  ASSERT_TRUE(LoadMediaInfo(kMediaInfoName, media));
  EXPECT_TRUE(media.loaded());
  EXPECT_NE(media.library, nullptr);
  EXPECT_NE(media.Get, nullptr);
  UnloadMediaInfo(media);
  EXPECT_FALSE(media.loaded());
  EXPECT_EQ(media.library, nullptr);
  UnloadMediaInfo(media);  // twice is harmless
  EXPECT_EQ(OpenMediaFile(media, "/nonexistent.mp4"), false);
  EXPECT_EQ(GeneralText(media, "Encoded_Date"), "");
}

TEST(MediaInfoLoadTest, WideTextConversions) {
  EXPECT_EQ(WideFromUtf8("abc"), L"abc");
  EXPECT_EQ(WideFromUtf8("Gr\xC3\xBC\xC3\x9F"
                         "e \xE6\x97\xA5 \xF0\x9F\x8E\xA5"),
            std::wstring(L"Gr\u00FC\u00DFe \u65E5 ") + static_cast<wchar_t>(0x1F3A5));
  EXPECT_EQ(WideFromUtf8("a\xFF"
                         "b"),
            L"a\uFFFDb");
  EXPECT_EQ(WideFromUtf8("a\xC3"), L"a\uFFFD");
  EXPECT_EQ(WideFromUtf8("\xC0\xAF"), L"\uFFFD\uFFFD");  // overlong
  EXPECT_EQ(WideFromUtf8("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD");  // a surrogate
  EXPECT_EQ(Utf8FromWide(L"Gr\u00FC\u00DFe \u65E5"),
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE6\x97\xA5");
  EXPECT_EQ(Utf8FromWide(nullptr), "");
  const wchar_t odd[] = {0x41, static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000), 0};
  EXPECT_EQ(Utf8FromWide(odd), "A\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace kalvento
