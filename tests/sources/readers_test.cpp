#include "sources/readers.h"

#include <gtest/gtest.h>

namespace kalvento {
namespace {

TEST(ReaderExtensionsTest, TokensAndTheFamiliesTheyBelongTo) {
  EXPECT_EQ(LowerExtensionToken("/photos/IMG_1.JPG"), "/jpg/");
  EXPECT_EQ(LowerExtensionToken("/a.b/name"), "//");  // the dot of a folder does not count
  EXPECT_EQ(LowerExtensionToken("archive.tar.GZ"), "/gz/");
  EXPECT_EQ(LowerExtensionToken("dot."), "//");

  struct Case {
    const char* token;
    bool document, image, audio_video;
  };
  const Case cases[] = {
      {"/pdf/", true, false, false},   {"/msg/", true, false, false},
      {"/odm/", true, false, false},   {"/thm/", false, true, false},
      {"/tiff/", false, true, false},  {"/360/", false, true, false},
      {"/xmp/", false, true, false},   {"/3gp/", false, true, true},
      {"/dvr-ms/", false, false, true}, {"/hevc/", false, false, true},
      {"/m2ts/", false, false, true},  {"/txt/", false, false, false},
      {"//", false, false, false},     {"/jp/", false, false, false},
      {"/do/", false, false, false},   {"jpg", false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.token);
    EXPECT_EQ(IsDocumentExtension(c.token), c.document);
    EXPECT_EQ(IsImageExtension(c.token), c.image);
    EXPECT_EQ(IsAudioVideoExtension(c.token), c.audio_video);
  }
}

}  // namespace
}  // namespace kalvento
