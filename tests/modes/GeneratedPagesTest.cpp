// The text rules of the pages the player writes for itself: what is written reads back as it was.

#include <gtest/gtest.h>

#include "modes/GeneratedPages.h"

namespace lyn::pages {
namespace {

TEST(GeneratedPagesTest, MarkupCharactersAreEscapedAndReadBack) {
  const std::string text = "Tom & <Jerry> \"quoted\" it's &amp; already";
  const std::string escaped = fncEscapeMarkup(text);
  EXPECT_EQ(escaped, "Tom &amp; &lt;Jerry&gt; &quot;quoted&quot; it&#39;s &amp;amp; already");
  EXPECT_EQ(fncUnescapeMarkup(escaped), text);
  EXPECT_EQ(fncUnescapeMarkup("&#x41;&#66;&apos;&nbsp;&#0;&#xZZ;& x;&"), "AB'&nbsp;&#0;&#xZZ;& x;&");
}

TEST(GeneratedPagesTest, FolderLinksDecodeExactlyOnceToTheSameBytes) {
  const std::string folder = "/media/u/Tom's x%20y #1 100%/Gr\xC3\xBC\xC3\x9F" "e/\xFF\xFE/";
  const std::string link = fncEncodeFolderLink(folder);
  EXPECT_EQ(link.find_first_of(" #'\"<>&\xFF"), std::string::npos);
  EXPECT_EQ(link.substr(0, 16), "/media/u/Tom%27s");
  EXPECT_EQ(fncDecodeFolderLink(link), folder);
  EXPECT_EQ(fncDecodeFolderLink("a%2"), "a%2");
  EXPECT_EQ(fncDecodeFolderLink("%zz%41"), "%zzA");
}

TEST(GeneratedPagesTest, AudioPathsAreEscapedLikeFolders) {
  EXPECT_EQ(fncAudioSrc("/b/Tom & Jerry's \"x\"/a.mp3"), "/b/Tom%20%26%20Jerry%27s%20%22x%22/a.mp3");
  EXPECT_EQ(fncAudioPathOfSrc(fncAudioSrc("/b/\"x\" %41\xFF/a.mp3")), "/b/\"x\" %41\xFF/a.mp3");
  EXPECT_EQ(fncAudioElement("/p/a.mp3", 1.5, 12, "t1"),
            "          <audio src=\"/p/a.mp3\" clip-begin=\"npt=1.5\" clip-end=\"npt=12\" id=\"t1\"/>\r\n");
  EXPECT_EQ(fncNumberText(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(fncNumberText(2), "2");
}

}  // namespace
}  // namespace lyn::pages
