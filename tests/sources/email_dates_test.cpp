// E-mail and data-file dates: the Date header rule, .eml, .msg (converted by the
// real kalvento-msgtext, or scanned as UTF-16 text) and .dat files.

#include "sources/email_dates.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "msgtext/msg_builder.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "test_support.h"

namespace kalvento {
namespace {

using test::TempFolder;

struct HeaderCase {
  std::string line;
  std::optional<std::string> expected;  // empty optional: no Date header at all
};

const std::vector<HeaderCase> kHeaderCases = {
    {"Date: Sun, 14 Jul 2019 10:12:33 +0200", "2019-07-14 10:12:33"},  // the offset is ignored
    {"Date: 14 Jul 2019 10:12:33 +0200", "2019-07-14 10:12:33"},       // no weekday
    {"date: Sun, 14 Jul 2019 10:12:33 +0200", "2019-07-14 10:12:33"},  // lower-case header
    {"DATE: sun, 14 JUL 2019 10:12:33", "2019-07-14 10:12:33"},
    {"Date: Sun, 4 Jul 2019 10:12:33 +0200", "2019-07-04 10:12:33"},
    {"Date: 4 Jul 2019 10:12:33", "2019-07-04 10:12:33"},
    {"Date: Tue, 31 Dec 9999 23:59:59 -1200", "9999-12-31 23:59:59"},
    {"Date: Mon, 1 Jan 1601 00:00:00", "1601-01-01 00:00:00"},
    {"Date: Sun, 14 Jul 2019 10:12:33.250", "2019-07-14 10:12:33"},     // time cut to 8
    {"Date: Sun, 14 Jul 2019 10:12:33:44", "2019-07-14 10:12:33"},
    {"Date: Sun, 14xx Jul 2019x 10:12:33", "2019-07-14 10:12:33"},      // leading digits
    {"Date: Sun, 14 ul 2019 10:12:33", "2019-07-14 10:12:33"},          // found inside "jul"
    {"Date: Sun, 14 Jul 2019 10:12 +0200", ""},                         // time without seconds
    {"Date: Sun, 14 Jul 2019 10.12.33", ""},
    {"Date: Sun,  14 Jul 2019 10:12:33", ""},                           // two blanks
    {"Date: Sun, 14 July 2019 10:12:33", ""},                           // no such name
    {"Date: Sun, 14  2019 10:12:33 +0200", ""},                         // empty month: not Jan
    {"Date: Sun, 14 Jul 1600 10:12:33", ""},
    {"Date: Sun, 14 Jul 10000 10:12:33", ""},
    {"Date: Sun, 0 Jul 2019 10:12:33", ""},
    {"Date: Sun, 32 Jul 2019 10:12:33", ""},
    {"Date: Sun, Jul 14 2019 10:12:33", ""},
    {"Date: Sunday, 14 Jul 2019 10:12:33", ""},                         // weekday not 3 letters
    {"Date:\tSun, 14 Jul 2019 10:12:33", std::nullopt},                 // a tab is no blank
    {"Date: Sun,\t14 Jul 2019 10:12:33", ""},
    {"Date: ", ""},
    {"Date:Sun, 14 Jul 2019 10:12:33", std::nullopt},
    {"X-Date: Sun, 14 Jul 2019 10:12:33", std::nullopt},
    {" Date: Sun, 14 Jul 2019 10:12:33", std::nullopt},
    {"Dat", std::nullopt},
    {"", std::nullopt},
};

TEST(EmailDateHeaderTest, TheRuleOnOneLine) {
  for (const HeaderCase& c : kHeaderCases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(EvaluateDateHeader(c.line), c.expected);
  }
}

TEST(EmailDateHeaderTest, MonthNamesAndValues) {
  const std::vector<std::pair<std::string, int>> months = {
      {"jan", 1}, {"Feb", 2}, {"MAR", 3}, {"apr", 4}, {"may", 5}, {"jun", 6}, {"jul", 7},
      {"aug", 8}, {"sep", 9}, {"oct", 10}, {"nov", 11}, {"dec", 12}, {"", 0}, {"xyz", 0},
      {"july", 0}, {"Mai", 0}};
  for (const auto& [name, month] : months) EXPECT_EQ(MonthFromName(name), month) << name;
  EXPECT_EQ(EmailDateValue("2019-07-14 10:12:33"), MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(EmailDateValue(""), 0);
  EXPECT_EQ(EmailDateFromFields("14", "Jul", "2019", "10:12"), "");
  EXPECT_EQ(EmailDateFromFields("14", "jul", "2019", "10:12:33"), "2019-07-14 10:12:33");
}

// A message text whose Date header is on line `date_line` (1-based).
std::string MessageWithDateOnLine(int date_line, const std::string& line_end) {
  std::string text;
  for (int i = 1; i < date_line; ++i) text += "X-Header-" + std::to_string(i) + ": x" + line_end;
  text += "Date: Sun, 14 Jul 2019 10:12:33 +0200" + line_end + line_end + "Body" + line_end;
  return text;
}

TEST(EmlDateTest, ReadsTheFirstDateHeaderWithinTheLimit) {
  TempFolder folder;
  for (const std::string line_end : {"\n", "\r\n", "\r"}) {
    SCOPED_TRACE(static_cast<int>(line_end.size()));
    EXPECT_EQ(ReadEmlDate(folder.WriteFile("201.eml", MessageWithDateOnLine(201, line_end))),
              "2019-07-14 10:12:33");
    EXPECT_EQ(ReadEmlDate(folder.WriteFile("202.eml", MessageWithDateOnLine(202, line_end))), "");
  }
  EXPECT_EQ(ReadEmlDate(folder.WriteFile("1.eml", "Date: 14 Jul 2019 10:12:33 +0200")),
            "2019-07-14 10:12:33");
  // The first Date header ends the reading, whether it passes the test or not.
  EXPECT_EQ(ReadEmlDate(folder.WriteFile(
                "two.eml", "Date: yesterday\nDate: Sun, 14 Jul 2019 10:12:33 +0200\n")),
            "");
  EXPECT_EQ(ReadEmlDate(folder.WriteFile("none.eml", "Subject: x\n\nNo date here\n")), "");
  EXPECT_EQ(ReadEmlDate(folder.WriteFile("empty.eml", "")), "");
  EXPECT_EQ(ReadEmlDate(folder.path() + "missing.eml"), "");
  EXPECT_EQ(ReadEmlDate(folder.MakeFolder("folder.eml")), "");
  // Single-byte text: Latin-1 bytes around the header do not matter.
  EXPECT_EQ(ReadEmlDate(folder.WriteFile(
                "latin.eml", "Subject: Gr\xFC\xDF" "e\nDate: Sun, 14 Jul 2019 10:12:33\n")),
            "2019-07-14 10:12:33");
}

TEST(EmlDateTest, TextWithoutItsLastLine) {
  const std::string text = "Subject: x\nDate: Sun, 14 Jul 2019 10:12:33";
  EXPECT_EQ(DateFromMessageText(text), "2019-07-14 10:12:33");
  EXPECT_EQ(DateFromMessageText(text, true), "");  // cut off by the read limit: not a whole line
}

// UTF-16LE of an ASCII text.
std::string Wide(const std::string& text) { return test::Utf16Le(text); }

TEST(MsgUtf16DateTest, ScansTheFirstBytes) {
  EXPECT_EQ(DateFromUtf16Bytes(Wide("Subject: x\r\nDate: Sun, 14 Jul 2019 10:12:33\r\n")),
            "2019-07-14 10:12:33");
  EXPECT_EQ(DateFromUtf16Bytes("\x01" + Wide("DATE: Sun, 14 Jul 2019 10:12:33")),  // odd offset
            "2019-07-14 10:12:33");
  EXPECT_EQ(DateFromUtf16Bytes(Wide("date: Sun, 14 jul 2019 10:12:33 +0200")),
            "2019-07-14 10:12:33");
  // No weekday is inserted in this branch.
  EXPECT_EQ(DateFromUtf16Bytes(Wide("Date: 14 Jul 2019 10:12:33 +0200")), "");
  // Only the first occurrence counts.
  EXPECT_EQ(DateFromUtf16Bytes(Wide("Date: none\r\nDate: Sun, 14 Jul 2019 10:12:33")), "");
  EXPECT_EQ(DateFromUtf16Bytes(Wide("Date: Sun, 14 Jul 2019 10:12")), "");
  EXPECT_EQ(DateFromUtf16Bytes("Date: Sun, 14 Jul 2019 10:12:33"), "");  // 8-bit text
  EXPECT_EQ(DateFromUtf16Bytes(Wide("Date: ")), "");
  EXPECT_EQ(DateFromUtf16Bytes(Wide("Date:")), "");
  EXPECT_EQ(DateFromUtf16Bytes(""), "");
}

TEST(MsgUtf16DateTest, ReadsAMsgThatIsNoCompoundFile) {
  TempFolder folder;
  ReaderContext context;  // no converter needed
  const std::string text = Wide("From: ann\r\nDate: Sun, 14 Jul 2019 10:12:33\r\n\r\nHi");
  EXPECT_EQ(ReadMsgDate(folder.WriteFile("text.msg", "\xFF\xFE" + text), context),
            "2019-07-14 10:12:33");
  // Only a whole compound-file signature goes to the converter.
  EXPECT_EQ(ReadMsgDate(folder.WriteFile("d0.msg", "\xD0\x00" + text), context),
            "2019-07-14 10:12:33");
  // The scan ends after 192 KiB.
  const std::string date = Wide("Date: Sun, 14 Jul 2019 10:12:33");
  EXPECT_EQ(ReadMsgDate(folder.WriteFile("edge.msg", std::string(kMsgScanBytes - date.size(), 'x') +
                                                          date),
                        context),
            "2019-07-14 10:12:33");
  EXPECT_EQ(ReadMsgDate(folder.WriteFile("beyond.msg", std::string(kMsgScanBytes - 11, 'x') + date),
                        context),
            "");
  EXPECT_EQ(ReadMsgDate(folder.WriteFile("empty.msg", ""), context), "");
  EXPECT_EQ(ReadMsgDate(folder.path() + "missing.msg", context), "");
}

// A .dat file of `size` bytes with a 56-byte record at 4258.
std::string DatFile(const std::string& record, size_t size = 5000) {
  std::string bytes(kAcquisitionOffset, '\x7F');
  bytes += record;
  bytes.resize(std::max(size, bytes.size()), '\0');
  bytes.resize(size);
  return bytes;
}

std::string Record(const std::string& key, const std::string& day, const std::string& month,
                   const std::string& year, const std::string& time) {
  return key + day + "-" + month + "-" + year + std::string(20, '.') + time;
}

TEST(DatAcquisitionDateTest, TheRecordAt4258) {
  const std::string key = "ACQUISITION_DATE ";
  const std::string good = Record(key, "14", "JUL", "2019", "10:12:33");
  ASSERT_EQ(good.size(), kAcquisitionRecordSize);
  EXPECT_EQ(DateFromDatBytes(DatFile(good)), "2019-07-14 10:12:33");
  EXPECT_EQ(DateFromDatBytes(DatFile(good, 4314)), "");  // not longer than 4314 bytes
  EXPECT_EQ(DateFromDatBytes(DatFile(good, 4315)), "2019-07-14 10:12:33");
  EXPECT_EQ(DateFromDatBytes(DatFile(Record("acquisition_date ", "14", "jul", "2019", "10:12:33"))),
            "2019-07-14 10:12:33");
  EXPECT_EQ(DateFromDatBytes(DatFile(Record(key, " 5", "Dec", "2019", "23:59:59"))),
            "2019-12-05 23:59:59");
  EXPECT_EQ(DateFromDatBytes(DatFile(Record("ACQUISITION_DATE:", "14", "JUL", "2019", "10:12:33"))),
            "");
  EXPECT_EQ(DateFromDatBytes(DatFile(Record("ACQUISITION_TIME ", "14", "JUL", "2019", "10:12:33"))),
            "");
  EXPECT_EQ(DateFromDatBytes(DatFile(Record(key, "14", "XYZ", "2019", "10:12:33"))), "");
  EXPECT_EQ(DateFromDatBytes(DatFile(Record(key, "14", "JUL", "1500", "10:12:33"))), "");
  EXPECT_EQ(DateFromDatBytes(DatFile(Record(key, "00", "JUL", "2019", "10:12:33"))), "");
  EXPECT_EQ(DateFromDatBytes(DatFile(Record(key, "14", "JUL", "2019", "10:12   "))), "");
  EXPECT_EQ(DateFromAcquisitionRecord(good.substr(0, 55)), "");

  TempFolder folder;
  EXPECT_EQ(ReadAcquisitionDate(folder.WriteFile("a.dat", DatFile(good))), "2019-07-14 10:12:33");
  EXPECT_EQ(ReadAcquisitionDate(folder.WriteFile("b.dat", DatFile(good, 4314))), "");
  EXPECT_EQ(ReadAcquisitionDate(folder.path() + "missing.dat"), "");
}

TEST(EmailDatesTest, DispatchByExtensionIntoDocumentCreated) {
  TempFolder folder;
  ReaderContext context;
  const DateValue expected = MakeDate(2019, 7, 14, 10, 12, 33);
  const std::string header = "Date: Sun, 14 Jul 2019 10:12:33 +0200\n";
  const std::string record = Record("ACQUISITION_DATE ", "14", "JUL", "2019", "10:12:33");
  struct Case {
    std::string name;
    std::string contents;
    DateValue created;
  };
  const std::vector<Case> cases = {
      {"mail.eml", header, expected},
      {"MAIL.EML", header, expected},
      {"mail.Msg", "\xFF\xFE" + Wide(header), expected},
      {"scan.DAT", DatFile(record), expected},
      {"mail.txt", header, 0},
      {"mail.dat", header, 0},       // read by the .dat rule: no record
      {"record.eml", DatFile(record), 0},
      {"eml", header, 0},            // no extension
      {"late.eml", "Date: Sun, 14 Jul 2019 1:2:3\n", 0},  // passes the test, does not parse
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DocumentDates dates = ReadEmailDates(folder.WriteFile(c.name, c.contents), context);
    EXPECT_EQ(dates.created, c.created);
    EXPECT_EQ(dates.modified, 0);  // e-mails never give a document-modified date
  }
  EXPECT_EQ(ReadEmailDates(folder.MakeFolder("dir.eml") + "file", context).created, 0);
}

constexpr const char* kHeaders =
    "Received: by mx.example.com; Sun, 14 Jul 2019 10:12:40 +0200\r\n"
    "From: Ann <ann@example.org>\r\n"
    "Date: Sun, 14 Jul 2019 10:12:33 +0200\r\n"
    "Subject: Pictures\r\n\r\n";

class MsgConverterTest : public ::testing::Test {
 protected:
  MsgConverterTest() {
    context_.temp_folder = temp_.path();
    context_.msgtext = KALVENTO_MSGTEXT;
  }
  TempFolder temp_;    // the reader's temp folder: empty before and after
  TempFolder files_;   // where the messages are
  ReaderContext context_;
};

TEST_F(MsgConverterTest, ACompoundFileIsConvertedAndItsDateLineRead) {
  test::MsgStorage message = test::MsgMessageStorage();
  message.Unicode(0x007D, kHeaders)
      .Unicode(0x0037, "Pictures")
      .Unicode(0x1000, "Date: Mon, 01 Jan 2001 00:00:00 in the body")
      .Time(0x0039, test::FileTimeFromUnix(1577923200))
      .Attachment("pic.jpg", "jpeg bytes");
  const std::string path = files_.WriteFile("mail.msg", test::MsgBytes(message));
  const DocumentDates dates = ReadEmailDates(path, context_);
  EXPECT_EQ(dates.created, MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(dates.modified, 0);
  EXPECT_TRUE(test::EntryNames(temp_.path()).empty());  // the scratch text file and folder are gone
  EXPECT_EQ(test::EntryNames(files_.path()), std::vector<std::string>{"mail.msg"});
}

TEST_F(MsgConverterTest, ADateLineBehindALongReceivedChainIsFound) {
  std::string headers;
  for (int i = 0; i < 300; ++i) headers += "Received: by relay" + std::to_string(i) + ".example\r\n";
  headers += "Date: Sun, 14 Jul 2019 10:12:33 +0200\r\n\r\n";
  test::MsgStorage message = test::MsgMessageStorage();
  message.Unicode(0x007D, headers).Time(0x0039, test::FileTimeFromUnix(1577923200));
  const std::string path = files_.WriteFile("relayed.msg", test::MsgBytes(message));
  EXPECT_EQ(ReadEmailDates(path, context_).created, MakeDate(2019, 7, 14, 10, 12, 33));
}

TEST_F(MsgConverterTest, WithoutTransportHeadersTheSubmitTimeInLocalTime) {
  test::MsgStorage message = test::MsgMessageStorage();
  message.Unicode(0x0037, "Hi")
      .Time(0x0039, test::FileTimeFromUnix(1577923200))  // 2020-01-02 00:00:00 UTC
      .Time(0x0E06, test::FileTimeFromUnix(1577923260));
  const std::string path = files_.WriteFile("mail.msg", test::MsgBytes(message));
  // Berlin is one hour ahead in winter.
  EXPECT_EQ(ReadEmailDates(path, context_).created, MakeDate(2020, 1, 2, 1, 0, 0));
  test::MsgStorage delivered = test::MsgMessageStorage();
  delivered.Time(0x0E06, test::FileTimeFromUnix(1563091953));  // 2019-07-14 08:12:33 UTC
  EXPECT_EQ(ReadEmailDates(files_.WriteFile("d.msg", test::MsgBytes(delivered)), context_).created,
            MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_TRUE(test::EntryNames(temp_.path()).empty());
}

TEST_F(MsgConverterTest, NothingIsConvertedIntoATempFolderOthersCanWriteTo) {
  test::MsgStorage message = test::MsgMessageStorage();
  message.Unicode(0x007D, kHeaders);
  const std::string path = files_.WriteFile("mail.msg", test::MsgBytes(message));
  chmod(temp_.path().c_str(), 0777);
  EXPECT_EQ(ReadEmailDates(path, context_).created, 0);
  EXPECT_TRUE(test::EntryNames(temp_.path()).empty());
  chmod(temp_.path().c_str(), 0700);
  EXPECT_EQ(ReadEmailDates(path, context_).created, MakeDate(2019, 7, 14, 10, 12, 33));
}

TEST_F(MsgConverterTest, StartUpRemovesOnlyTheScratchOfProgramsThatHaveGone) {
  const std::string mine = std::to_string(getpid());
  temp_.WriteFile("tempmsg-999999999.txt", "a message's text");
  temp_.WriteFile("tempmsgdata-999999999/picture.jpg", "an attachment");
  temp_.WriteFile("tempmsg-" + mine + ".txt", "a conversion going on");
  temp_.WriteFile("tempmsg-abc.txt", "not ours");
  temp_.WriteFile("Kalvento_ExifTool", "#!/bin/sh\n");
  RemoveStaleMsgScratch(temp_.path());
  EXPECT_EQ(test::EntryNames(temp_.path()),
            (std::vector<std::string>{"Kalvento_ExifTool", "tempmsg-" + mine + ".txt",
                                      "tempmsg-abc.txt"}));
}

TEST_F(MsgConverterTest, NoDateWhenTheConverterFailsOrIsMissing) {
  const std::string damaged = files_.WriteFile("bad.msg", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 junk");
  EXPECT_EQ(ReadMsgDate(damaged, context_), "");
  EXPECT_TRUE(test::EntryNames(temp_.path()).empty());

  test::MsgStorage message = test::MsgMessageStorage();
  message.Unicode(0x007D, kHeaders);
  const std::string good = files_.WriteFile("good.msg", test::MsgBytes(message));
  ReaderContext missing = context_;
  missing.msgtext.clear();
  EXPECT_EQ(ReadMsgDate(good, missing), "");
  missing.msgtext = files_.path() + "no-such-converter";
  EXPECT_EQ(ReadMsgDate(good, missing), "");
  EXPECT_TRUE(test::EntryNames(temp_.path()).empty());
}

// A stand-in converter (a shell script) shows the command line, the working folder and the clean-up.
TEST_F(MsgConverterTest, CommandLineWorkingFolderAndScratchNames) {
  const std::string record = files_.path() + "call.txt";
  const std::string script = files_.WriteFile(
      "fake-msgtext",
      "#!/bin/sh\n"
      "pwd > '" + record + "'\n"
      "printf '%s\\n' \"$@\" >> '" + record + "'\n"
      "printf 'Subject: x\\nDate: Mon, 1 Jan 2001 01:02:03 +0000\\n' > \"$3\"\n"
      "mkdir -p \"$4/sub\" && echo x > \"$4/a.bin\" && ln -s '" + files_.path() + "' \"$4/link\"\n");
  ASSERT_EQ(chmod(script.c_str(), 0755), 0);
  const std::string path = files_.WriteFile("mail.msg", test::MsgBytes(test::MsgMessageStorage()));
  context_.msgtext = script;
  EXPECT_EQ(ReadMsgDate(path, context_), "2001-01-01 01:02:03");
  const std::string tag = std::to_string(getpid());
  EXPECT_EQ(test::ReadFileBytes(record),
            platform::WithoutTrailingSlash(temp_.path()) + "\n/d\n" + path + "\n" + temp_.path() +
                "tempmsg-" + tag + ".txt\n" + temp_.path() + "tempmsgdata-" + tag + "\n");
  EXPECT_TRUE(test::EntryNames(temp_.path()).empty());
  // The link in the attachment folder was removed, not followed.
  EXPECT_TRUE(test::PathExistsForTest(record));
  EXPECT_TRUE(test::PathExistsForTest(path));
}

TEST_F(MsgConverterTest, AConverterThatHangsIsEnded) {
  const std::string script = files_.WriteFile(
      "hanging-msgtext",
      "#!/bin/sh\nprintf 'Date: Mon, 1 Jan 2001 01:02:03 +0000\\n' > \"$3\"\nexec sleep 60\n");
  ASSERT_EQ(chmod(script.c_str(), 0755), 0);
  const std::string path = files_.WriteFile("mail.msg", test::MsgBytes(test::MsgMessageStorage()));
  context_.msgtext = script;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadMsgDate(path, context_, 500), "2001-01-01 01:02:03");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_TRUE(test::EntryNames(temp_.path()).empty());
}

}  // namespace
}  // namespace kalvento
