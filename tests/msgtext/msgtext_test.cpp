// kalvento-msgtext: reading .msg compound files, the text it builds, and the program itself.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "msgtext/msg_builder.h"
#include "msgtext/msg_convert.h"
#include "msgtext/msg_reader.h"
#include "msgtext/msg_text.h"
#include "platform/files.h"
#include "platform/process.h"
#include "test_support.h"
#include "texts/text_util.h"

namespace kalvento::msgtext {
namespace {

using test::FileTimeFromUnix;
using test::MsgBytes;
using test::MsgMessageStorage;
using test::MsgStorage;
using test::ReadFileBytes;
using test::TempFolder;

constexpr int64_t kSummerUtc = 1563091953;  // 2019-07-14 08:12:33 UTC, a Sunday
constexpr int64_t kWinterUtc = 1577923200;  // 2020-01-02 00:00:00 UTC, a Thursday

constexpr const char* kHeaders =
    "Received: from mail.example.org by mx.example.com; Sun, 14 Jul 2019 10:12:40 +0200\r\n"
    "From: Ann Example <ann@example.org>\r\n"
    "To: bob@example.com\r\n"
    "Subject: Holiday pictures\r\n"
    "Date: Sun, 14 Jul 2019 10:12:33 +0200\r\n"
    "Message-ID: <1@example.org>\r\n"
    "\r\n";

MsgStorage PlainMessage() {
  MsgStorage message = MsgMessageStorage();
  message.Unicode(0x0037, "Holiday pictures")
      .Unicode(0x0C1A, "Ann Example")
      .Unicode(0x5D01, "ann@example.org")
      .Unicode(0x0E04, "Bob")
      .Unicode(0x1000, "Hello Bob,\r\nhere they are.\r\n")
      .Time(0x0039, FileTimeFromUnix(kSummerUtc))
      .Time(0x0E06, FileTimeFromUnix(kSummerUtc + 60));
  return message;
}

struct RunResult {
  int status = -1;
  std::string errors;
};

// Runs the real converter; its standard error is caught in a file.
RunResult RunMsgText(const std::vector<std::string>& args, const TempFolder& scratch) {
  const std::string errors = scratch.path() + "stderr.txt";
  platform::ProcessOptions options;
  options.argv = {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>\"$MSGTEXT_ERRORS\"", KALVENTO_MSGTEXT};
  options.argv.insert(options.argv.end(), args.begin(), args.end());
  options.environment = {{"MSGTEXT_ERRORS", errors}};
  RunResult result;
  auto child = platform::ChildProcess::Start(options);
  if (!child) return result;
  result.status = child->Wait(std::chrono::seconds(60));
  result.errors = ReadFileBytes(errors);
  platform::RemoveFile(errors);
  return result;
}

TEST(MsgTextDateLineTest, LocalTimeWithItsOffset) {
  // The tests run with TZ=Europe/Berlin.
  EXPECT_EQ(FormatDateLine(FileTimeFromUnix(kSummerUtc)), "Date: Sun, 14 Jul 2019 10:12:33 +0200");
  EXPECT_EQ(FormatDateLine(FileTimeFromUnix(kWinterUtc)), "Date: Thu, 02 Jan 2020 01:00:00 +0100");
  EXPECT_EQ(FormatDateLine(FileTimeFromUnix(-11644473600LL + 86400)),  // 1601-01-02
            "Date: Tue, 02 Jan 1601 00:53:28 +0053");
  EXPECT_EQ(FormatDateLine(0), "");
  EXPECT_EQ(FormatDateLine(-5), "");
  EXPECT_EQ(FormatDateLine(INT64_MAX), "");  // year 30828
}

TEST(MsgTextStringsTest, Utf16AndEightBit) {
  EXPECT_EQ(Utf16LeToUtf8(test::Utf16Le("Grüße 😀")), "Grüße 😀");
  EXPECT_EQ(Utf16LeToUtf8(std::string("a\0b\0\0\0c\0", 8)), "ab");  // ends at NUL
  EXPECT_EQ(Utf16LeToUtf8(std::string("\x3D\xD8" "a\0", 4)), "\xEF\xBF\xBD" "a");  // lone surrogate
  EXPECT_EQ(Utf16LeToUtf8(std::string("a\0b", 3)), "a");                            // odd byte
  EXPECT_EQ(EightBitToUtf8("Gr\xFC\xDF" "e", 1252), "Grüße");
  EXPECT_EQ(EightBitToUtf8("\xC7\xE4", 1251), "Зд");
  EXPECT_EQ(EightBitToUtf8("\x8F\xE0\xA8", 866), "При");   // an OEM code page
  EXPECT_EQ(EightBitToUtf8("\x81" "ber", 850), "über");
  EXPECT_EQ(EightBitToUtf8("Grüße", 0), "Grüße");            // already UTF-8
  EXPECT_EQ(EightBitToUtf8("Gr\xFC" "e", 0), "Grüe");         // not UTF-8: Windows-1252
  EXPECT_EQ(EightBitToUtf8("caf\xE9", 99999), "café");        // unknown code page
  EXPECT_EQ(EightBitToUtf8(std::string("ab\0cd", 5), 1252), "ab");
}

TEST(MsgTextFileNameTest, OnlySafeNames) {
  struct Case {
    std::string name;
    std::string safe;
  };
  const std::vector<Case> cases = {
      {"report.pdf", "report.pdf"},
      {"a/b.txt", "a_b.txt"},
      {"a\\b.txt", "a_b.txt"},
      {"..", ""},
      {".", ""},
      {"...hidden", "hidden"},
      {"a..b.txt", "a.b.txt"},
      {"x\ny\tz\x7F.txt", "x_y_z_.txt"},
      {"what?.txt", "what_.txt"},
      {"bad\xFF.txt", "bad_.txt"},
      {"  name. ", "name"},
      {"Grüße.txt", "Grüße.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SafeFileName(c.name), c.safe);
  }
  const std::string long_name = std::string(150, 'a') + std::string(100, '\xC3') + ".docx";
  std::string umlauts;
  for (int i = 0; i < 100; ++i) umlauts += "ä";
  const std::string cut = SafeFileName(std::string(150, 'a') + umlauts + ".docx");
  EXPECT_LE(cut.size(), kMaxFileNameBytes);
  EXPECT_TRUE(cut.ends_with("ä.docx")) << cut;
  (void)long_name;

  MsgAttachment attachment;
  attachment.long_file_name = "../../etc/passwd";
  EXPECT_EQ(AttachmentFileName(attachment, 0), "passwd");
  attachment.long_file_name = "C:\\Users\\ann\\notes.txt";
  EXPECT_EQ(AttachmentFileName(attachment, 0), "notes.txt");
  attachment.long_file_name = "..";
  attachment.file_name = "SHORT~1.TXT";
  EXPECT_EQ(AttachmentFileName(attachment, 0), "SHORT~1.TXT");
  attachment.file_name.clear();
  attachment.display_name = "/";
  EXPECT_EQ(AttachmentFileName(attachment, 4), "attachment-5");

  EXPECT_EQ(NumberedName("a.txt", 1), "a.txt");
  EXPECT_EQ(NumberedName("a.txt", 2), "a (2).txt");
  EXPECT_EQ(NumberedName("archive.tar.gz", 3), "archive.tar (3).gz");
  EXPECT_EQ(NumberedName("README", 2), "README (2)");
}

TEST(MsgReaderTest, ReadsTheProperties) {
  MsgStorage storage = PlainMessage();
  storage.Unicode(0x007D, kHeaders)
      .Recipient("Bob", "bob@example.com", 1)
      .Attachment("pic.jpg", std::string("\xFF\xD8\xFF\0jpeg", 8));
  std::string error;
  const std::optional<MsgMessage> message = ReadMsgBytes(MsgBytes(storage), error);
  ASSERT_TRUE(message) << error;
  EXPECT_EQ(message->subject, "Holiday pictures");
  EXPECT_EQ(message->sender_name, "Ann Example");
  EXPECT_EQ(message->sender_address, "ann@example.org");
  EXPECT_EQ(message->display_to, "Bob");
  EXPECT_EQ(message->transport_headers, kHeaders);
  EXPECT_EQ(message->submit_time, FileTimeFromUnix(kSummerUtc));
  EXPECT_EQ(message->delivery_time, FileTimeFromUnix(kSummerUtc + 60));
  ASSERT_EQ(message->recipients.size(), 1u);
  EXPECT_EQ(message->recipients[0].address, "bob@example.com");
  EXPECT_EQ(message->recipients[0].type, 1);
  ASSERT_EQ(message->attachments.size(), 1u);
  EXPECT_EQ(message->attachments[0].long_file_name, "pic.jpg");
  EXPECT_TRUE(message->attachments[0].has_data);
  EXPECT_EQ(message->attachments[0].data, std::string("\xFF\xD8\xFF\0jpeg", 8));
}

TEST(MsgReaderTest, EightBitStringsInTheMessageCodePage) {
  MsgStorage storage = MsgMessageStorage();
  storage.String8(0x0037, "\xC7\xE4").Long(0x3FFD, 1251);
  std::string error;
  const std::optional<MsgMessage> message = ReadMsgBytes(MsgBytes(storage), error);
  ASSERT_TRUE(message) << error;
  EXPECT_EQ(message->subject, "Зд");
}

TEST(MsgReaderTest, RefusesWhatIsNoMessage) {
  std::string error;
  EXPECT_FALSE(ReadMsgBytes("Date: Sun, 14 Jul 2019 10:12:33", error));
  EXPECT_NE(error.find("not a compound file"), std::string::npos) << error;
  error.clear();
  EXPECT_FALSE(ReadMsgBytes("", error));
  EXPECT_FALSE(error.empty());
  // A compound file without MAPI properties (a Word document, say).
  MsgStorage document = MsgMessageStorage();
  document.WithoutProperties().RawStream("WordDocument", "text");
  error.clear();
  EXPECT_FALSE(ReadMsgBytes(MsgBytes(document), error));
  EXPECT_NE(error.find("no MAPI properties"), std::string::npos) << error;
}

TEST(MsgTextBuildTest, TransportHeadersOrDateFromFromToSubject) {
  MsgMessage message;
  message.transport_headers = kHeaders;
  message.subject = "ignored here";
  message.body = "Hi\r\nthere";
  message.submit_time = FileTimeFromUnix(kWinterUtc);
  // The headers' own Date line, moved to the front.
  EXPECT_EQ(BuildMessageText(message),
            "Date: Sun, 14 Jul 2019 10:12:33 +0200\n"
            "Received: from mail.example.org by mx.example.com; Sun, 14 Jul 2019 10:12:40 +0200\n"
            "From: Ann Example <ann@example.org>\n"
            "To: bob@example.com\n"
            "Subject: Holiday pictures\n"
            "Message-ID: <1@example.org>\n"
            "\n"
            "Hi\nthere\n");

  // A folded Date header, or one with doubled blanks, is made one line with single blanks.
  message.transport_headers = "Received: by mx\r\nDate: Sun,\r\n  14 Jul 2019\t10:12:33 +0200\r\n"
                              "Subject: x\r\n";
  EXPECT_TRUE(BuildMessageText(message).starts_with(
      "Date: Sun, 14 Jul 2019 10:12:33 +0200\nReceived: by mx\nSubject: x\n\n"));

  // Transport headers without a Date header get the submit time's line in front.
  message.transport_headers = "Subject: x\r\n\r\nX-Empty-Line-Above: dropped\r\n";
  EXPECT_EQ(BuildMessageText(message),
            "Date: Thu, 02 Jan 2020 01:00:00 +0100\nSubject: x\nX-Empty-Line-Above: dropped\n\n"
            "Hi\nthere\n");

  // No transport headers: our own header lines; values stay on their line.
  message.transport_headers.clear();
  message.subject = "Two\r\nDate: Mon, 01 Jan 2001 00:00:00 +0000";
  message.sender_name = "Ann";
  message.sender_address = "ann@example.org";
  message.recipients = {{"Bob", "bob@example.com", 1}, {"Cy", "", 2}, {"Dee", "d@x", 3}};
  EXPECT_EQ(BuildMessageText(message),
            "Date: Thu, 02 Jan 2020 01:00:00 +0100\n"
            "From: Ann <ann@example.org>\n"
            "To: Bob <bob@example.com>\n"
            "Cc: Cy\n"
            "Subject: Two  Date: Mon, 01 Jan 2001 00:00:00 +0000\n"
            "\n"
            "Hi\nthere\n");

  // No submit time: the delivery time; neither: no Date line.
  message.submit_time = 0;
  message.delivery_time = FileTimeFromUnix(kSummerUtc);
  EXPECT_TRUE(BuildMessageText(message).starts_with("Date: Sun, 14 Jul 2019 10:12:33 +0200\n"));
  message.delivery_time = 0;
  EXPECT_TRUE(BuildMessageText(message).starts_with("From: Ann <ann@example.org>\n"));
}

TEST(MsgTextProgramTest, ConvertsAMessageWithTransportHeaders) {
  TempFolder scratch;
  MsgStorage storage = PlainMessage();
  storage.Unicode(0x007D, kHeaders);
  const std::string input = scratch.WriteFile("mail.msg", MsgBytes(storage));
  const std::string text = scratch.path() + "out.txt";
  const std::string data = scratch.path() + "data";
  const RunResult run = RunMsgText({"/d", input, text, data}, scratch);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(ReadFileBytes(text),
            "Date: Sun, 14 Jul 2019 10:12:33 +0200\n"
            "Received: from mail.example.org by mx.example.com; Sun, 14 Jul 2019 10:12:40 +0200\n"
            "From: Ann Example <ann@example.org>\n"
            "To: bob@example.com\n"
            "Subject: Holiday pictures\n"
            "Message-ID: <1@example.org>\n"
            "\n"
            "Hello Bob,\nhere they are.\n");
  EXPECT_TRUE(platform::IsFolder(data));
  EXPECT_TRUE(test::EntryNames(data + "/").empty());
}

TEST(MsgTextProgramTest, ConvertsAMessageWithOnlyItsSubmitTime) {
  TempFolder scratch;
  MsgStorage storage = MsgMessageStorage();
  storage.Unicode(0x0037, "Hi").Time(0x0039, FileTimeFromUnix(kWinterUtc));
  const std::string input = scratch.WriteFile("mail.msg", MsgBytes(storage));
  const std::string text = scratch.path() + "out.txt";
  const RunResult run = RunMsgText({"/d", input, text, scratch.path() + "data"}, scratch);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(ReadFileBytes(text),
            "Date: Thu, 02 Jan 2020 01:00:00 +0100\nFrom: \nTo: \nSubject: Hi\n\n");

  // The offset follows the converter's zone; the reader reads the clock time as written.
  const std::string utc_text = scratch.path() + "utc.txt";
  platform::ProcessOptions options;
  options.argv = {KALVENTO_MSGTEXT, "/d", input, utc_text, scratch.path() + "data"};
  options.environment = {{"TZ", "UTC"}};
  auto child = platform::ChildProcess::Start(options);
  ASSERT_TRUE(child);
  ASSERT_EQ(child->Wait(std::chrono::seconds(60)), 0);
  EXPECT_TRUE(ReadFileBytes(utc_text).starts_with("Date: Thu, 02 Jan 2020 00:00:00 +0000\n"));
}

TEST(MsgTextProgramTest, WritesAttachmentsUnderSafeNames) {
  TempFolder scratch;
  MsgStorage storage = PlainMessage();
  storage.Attachment("notes.txt", "first")
      .Attachment("notes.txt", "second")
      .Attachment("NOTES.TXT", "third")
      .Attachment("../../escape.txt", "fourth")
      .Attachment("", "fifth");
  const std::string input = scratch.WriteFile("mail.msg", MsgBytes(storage));
  const std::string data = scratch.MakeFolder("data");
  scratch.WriteFile("data/old.bin", "left from before");
  scratch.MakeFolder("data/sub/deeper");
  const std::string outside = scratch.MakeFolder("outside");
  scratch.WriteFile("outside/keep.txt", "keep");
  ASSERT_EQ(symlink(outside.c_str(), (data + "link").c_str()), 0);
  const std::string text = scratch.WriteFile("out.txt", "old text");

  const RunResult run = RunMsgText({"/d", input, text, data}, scratch);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(test::EntryNames(data), (std::vector<std::string>{"NOTES (3).TXT", "attachment-5",
                                                   "escape.txt", "notes (2).txt", "notes.txt"}));
  EXPECT_EQ(ReadFileBytes(data + "notes.txt"), "first");
  EXPECT_EQ(ReadFileBytes(data + "notes (2).txt"), "second");
  EXPECT_EQ(ReadFileBytes(data + "NOTES (3).TXT"), "third");
  EXPECT_EQ(ReadFileBytes(data + "escape.txt"), "fourth");
  EXPECT_EQ(ReadFileBytes(data + "attachment-5"), "fifth");
  EXPECT_TRUE(ReadFileBytes(text).starts_with("Date: Sun, 14 Jul 2019 10:12:33 +0200\n"));
  EXPECT_FALSE(test::PathExistsForTest(scratch.path() + "escape.txt"));
  EXPECT_EQ(test::EntryNames(outside), std::vector<std::string>{"keep.txt"});  // the link went, not its target

  // Without /d the folder keeps what it has, new names are numbered, the text file stays.
  const RunResult again = RunMsgText({input, scratch.path() + "second.txt", data}, scratch);
  ASSERT_EQ(again.status, 0) << again.errors;
  EXPECT_EQ(ReadFileBytes(data + "notes (4).txt"), "first");
  EXPECT_EQ(test::EntryNames(data).size(), 10u);
  const RunResult refused = RunMsgText({input, text, data}, scratch);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.errors.find("exists"), std::string::npos) << refused.errors;
}

TEST(MsgTextProgramTest, NeverWritesThroughALink) {
  TempFolder scratch;
  const std::string input = scratch.WriteFile("mail.msg", MsgBytes(PlainMessage()));
  const std::string target = scratch.WriteFile("target.txt", "precious");
  const std::string text = scratch.path() + "out.txt";
  ASSERT_EQ(symlink(target.c_str(), text.c_str()), 0);
  const RunResult replaced = RunMsgText({"/d", input, text, scratch.path() + "data"}, scratch);
  ASSERT_EQ(replaced.status, 0) << replaced.errors;
  EXPECT_EQ(ReadFileBytes(target), "precious");
  EXPECT_TRUE(ReadFileBytes(text).starts_with("Date: "));

  // An attachment folder that is a link is refused.
  const std::string elsewhere = scratch.MakeFolder("elsewhere");
  const std::string linked = scratch.path() + "linked";
  ASSERT_EQ(symlink(elsewhere.c_str(), linked.c_str()), 0);
  scratch.WriteFile("elsewhere/keep.txt", "keep");
  const RunResult refused = RunMsgText({"/d", input, scratch.path() + "o2.txt", linked}, scratch);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.errors.find("not a folder"), std::string::npos) << refused.errors;
  EXPECT_EQ(test::EntryNames(elsewhere), std::vector<std::string>{"keep.txt"});
}

TEST(MsgTextProgramTest, BadInputFailsWithAMessage) {
  TempFolder scratch;
  const std::string garbage = scratch.WriteFile("garbage.msg", "\xD0\xCF\x11\xE0 not really");
  const std::string text = scratch.path() + "out.txt";
  const RunResult bad = RunMsgText({"/d", garbage, text, scratch.path() + "data"}, scratch);
  EXPECT_NE(bad.status, 0);
  EXPECT_NE(bad.errors.find("kalvento-msgtext: "), std::string::npos);
  EXPECT_NE(bad.errors.find("garbage.msg"), std::string::npos) << bad.errors;
  EXPECT_FALSE(test::PathExistsForTest(text));

  const RunResult missing =
      RunMsgText({"/d", scratch.path() + "none.msg", text, scratch.path() + "data"}, scratch);
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.errors.find("none.msg"), std::string::npos) << missing.errors;

  const RunResult usage = RunMsgText({"/d", garbage}, scratch);
  EXPECT_EQ(usage.status, 2);
  EXPECT_NE(usage.errors.find("usage:"), std::string::npos) << usage.errors;

  // An attachment folder whose parent is missing.
  const std::string input = scratch.WriteFile("mail.msg", MsgBytes(PlainMessage()));
  const RunResult no_parent =
      RunMsgText({"/d", input, text, scratch.path() + "no/such/folder"}, scratch);
  EXPECT_EQ(no_parent.status, 1);
  EXPECT_NE(no_parent.errors.find("attachment folder"), std::string::npos) << no_parent.errors;
}

TEST(MsgTextProgramTest, TheMessageItselfIsNeverOverwrittenOrEmptiedAway) {
  TempFolder scratch;
  const std::string bytes = MsgBytes(PlainMessage());
  const std::string input = scratch.WriteFile("in.msg", bytes);
  const std::string other = scratch.WriteFile("other.msg", bytes);
  const RunResult as_text = RunMsgText({"/d", input, input, scratch.path() + "data"}, scratch);
  EXPECT_EQ(as_text.status, 1);
  EXPECT_NE(as_text.errors.find("is the message itself"), std::string::npos) << as_text.errors;
  // The folder holding the message, emptied by /d.
  const RunResult in_folder =
      RunMsgText({"/d", input, scratch.path() + "out.txt", scratch.path()}, scratch);
  EXPECT_EQ(in_folder.status, 1);
  EXPECT_NE(in_folder.errors.find("lies in the attachment folder"), std::string::npos)
      << in_folder.errors;
  EXPECT_EQ(ReadFileBytes(input), bytes);
  EXPECT_EQ(ReadFileBytes(other), bytes);
}

}  // namespace
}  // namespace kalvento::msgtext
