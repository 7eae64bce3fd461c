#include <gtest/gtest.h>

#include "disk/mdlDiskModule.h"
#include "tests/disk/cFakeDrives.h"

namespace lyn {
namespace {

struct Parts {
  bool ok = false;
  std::string drive, folder, file, fragment;
};

class SplitPath : public ::testing::Test {
 protected:
  SplitPath() : module(registry, drives) {
    drives.add("/media/me/D", eDriveType::CdRom);
    drives.add("/home/me", eDriveType::Fixed);
  }
  Parts split(std::string_view link, std::optional<std::string_view> base = std::nullopt) {
    Parts p;
    p.ok = module.fncSplitPath(link, p.drive, p.folder, p.file, p.fragment, base);
    return p;
  }
  cRegistry registry;
  test::cFakeDrives drives;
  mdlDiskModule module;
};

TEST_F(SplitPath, AFileLinkGivesItsDriveFolderFileAndFragmentInTheirOwnCase) {
  Parts p = split("file:///media/me/D/Books/Ncc.html#top");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.drive, "/media/me/D");
  EXPECT_EQ(p.folder, "/media/me/D/Books/");
  EXPECT_EQ(p.file, "Ncc.html");
  EXPECT_EQ(p.fragment, "top");

  p = split("FILE:\\\\\\media\\me\\D\\Books\\Ncc.html");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.drive, "/media/me/D");
  EXPECT_EQ(p.folder, "/media/me/D/Books/");
  EXPECT_EQ(p.file, "Ncc.html");
  EXPECT_EQ(p.fragment, "");
}

TEST_F(SplitPath, RelativeLinksAreResolvedAgainstTheFolderOfTheBase) {
  const std::string base = "/media/me/D/books/a/ncc.html";
  Parts p = split("../b/ncc.html", base);
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.drive, "/media/me/D");
  EXPECT_EQ(p.folder, "/media/me/D/books/b/");
  EXPECT_EQ(p.file, "ncc.html");

  p = split("./x.smil", base);
  EXPECT_EQ(p.folder, "/media/me/D/books/a/");
  EXPECT_EQ(p.file, "x.smil");

  p = split("X.SMIL#par_1", base);
  EXPECT_EQ(p.drive, "/media/me/D");
  EXPECT_EQ(p.folder, "/media/me/D/books/a/");
  EXPECT_EQ(p.file, "X.SMIL");
  EXPECT_EQ(p.fragment, "par_1");

  p = split("sub\\deeper\\..\\Chap1.smil", base);
  EXPECT_EQ(p.folder, "/media/me/D/books/a/sub/");
  EXPECT_EQ(p.file, "Chap1.smil");

  // More than one level up, and never above the root.
  p = split("../../c/./d.smil", base);
  EXPECT_EQ(p.folder, "/media/me/D/c/");
  p = split("../../../../../../x.smil", base);
  EXPECT_EQ(p.folder, "/");
  EXPECT_EQ(p.drive, "/");

  // An absolute link ignores the base.
  p = split("/home/me/Books/ncc.html", base);
  EXPECT_EQ(p.drive, "/home/me");
  EXPECT_EQ(p.folder, "/home/me/Books/");
}

TEST_F(SplitPath, AboutBlankIsRemovedSoThatAnInPageLinkStaysInTheBaseFolder) {
  Parts p = split("about:blank#h2", "/media/me/D/book/content.html");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.folder, "/media/me/D/book/");
  EXPECT_EQ(p.file, "");
  EXPECT_EQ(p.fragment, "h2");
  p = split("ABOUT:BLANKchapter.html");
  EXPECT_EQ(p.file, "chapter.html");
}

TEST_F(SplitPath, WebLinksAndWebBasesAreNotLocal) {
  EXPECT_FALSE(split("http://example.org/ncc.html").ok);
  EXPECT_FALSE(split("HTTP:\\\\example.org\\ncc.html").ok);
  EXPECT_FALSE(split("ftp://example.org/ncc.html").ok);
  EXPECT_FALSE(split("https://example.org/ncc.html").ok);
  EXPECT_FALSE(split("mailto:someone@example.org").ok);
  EXPECT_FALSE(split("x.smil", "http://example.org/book/ncc.html").ok);
  // A colon in a file name is no scheme here.
  Parts p = split("/media/me/D/My Book: 2/ncc.html");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.folder, "/media/me/D/My Book: 2/");
}

TEST_F(SplitPath, ARelativePathWithoutABaseHasNoDrive) {
  Parts p = split("books/a/ncc.html");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.drive, "");
  EXPECT_EQ(p.folder, "books/a/");
  EXPECT_EQ(p.file, "ncc.html");
  p = split("ncc.html");
  EXPECT_EQ(p.folder, "");
  EXPECT_EQ(p.file, "ncc.html");
  p = split("../x/ncc.html");
  EXPECT_EQ(p.folder, "../x/");
}

TEST_F(SplitPath, TheFirstHashSplitsOffTheFragmentAndAFolderAloneHasNoFile) {
  Parts p = split("/media/me/D/a.smil#one#two");
  EXPECT_EQ(p.file, "a.smil");
  EXPECT_EQ(p.fragment, "one#two");
  p = split("/media/me/D/books/");
  EXPECT_EQ(p.folder, "/media/me/D/books/");
  EXPECT_EQ(p.file, "");
  p = split("//media//me///D/x");
  EXPECT_EQ(p.folder, "/media/me/D/");
  EXPECT_EQ(p.drive, "/media/me/D");
}

TEST_F(SplitPath, AVeryLongPathIsSplitWhole) {
  std::string path = "/media/me/D";
  while (path.size() < 4000) path += "/abcdefghij";
  path += "/ncc.html";
  Parts p = split(path);
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.folder.size() + p.file.size(), path.size());
  EXPECT_EQ(p.drive, "/media/me/D");
}

}  // namespace
}  // namespace lyn
