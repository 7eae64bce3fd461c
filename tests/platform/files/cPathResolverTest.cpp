#include "platform/files/cPathResolver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace fs = std::filesystem;

namespace lyn {
namespace {

class PathResolver : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "lyn-paths-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    mRoot = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(mRoot, ec);
  }
  void touch(const fs::path& relative) {
    fs::create_directories((mRoot / relative).parent_path());
    std::ofstream(mRoot / relative) << "x";
  }
  fs::path mRoot;
};

TEST_F(PathResolver, ExistingPathIsReturnedWithoutListingAFolder) {
  touch("Book/ncc.html");
  cPathResolver resolver;
  EXPECT_EQ(resolver.fncResolve(mRoot / "Book/ncc.html"), mRoot / "Book/ncc.html");
  EXPECT_EQ(resolver.fncListingsRead(), 0u);
}

TEST_F(PathResolver, EveryComponentIsMatchedIgnoringCase) {
  touch("BOOK/SMIL/CHAP01.SMIL");
  cPathResolver resolver;
  EXPECT_EQ(resolver.fncResolve(mRoot / "book/smil/chap01.smil"), mRoot / "BOOK/SMIL/CHAP01.SMIL");
  EXPECT_EQ(fncResolvePathIgnoringCase(mRoot / "Book/Smil/Chap01.Smil"),
            mRoot / "BOOK/SMIL/CHAP01.SMIL");
  EXPECT_EQ(resolver.fncResolve(mRoot / "book/./smil/../smil/chap01.smil/"),
            mRoot / "BOOK/./SMIL/../SMIL/CHAP01.SMIL");
}

TEST_F(PathResolver, TheFirstNameInByteOrderWinsWhenSeveralMatch) {
  touch("Ncc.html");
  touch("NCC.HTML");
  touch("ncc.HTML");
  EXPECT_EQ(fncResolvePathIgnoringCase(mRoot / "nCC.html"), mRoot / "NCC.HTML");
  cPathResolver resolver;
  EXPECT_EQ(resolver.fncResolve(mRoot / "nCC.html"), mRoot / "NCC.HTML");
}

TEST_F(PathResolver, MissingOrImpossiblePathsGiveNothing) {
  touch("book/ncc.html");
  cPathResolver resolver;
  EXPECT_FALSE(resolver.fncResolve(mRoot / "book/chap99.smil"));
  EXPECT_FALSE(resolver.fncResolve(mRoot / "BOOK/ncc.html/inner"));  // a file is no folder
  EXPECT_FALSE(resolver.fncResolve(mRoot / "nobook/ncc.html"));
  EXPECT_FALSE(resolver.fncResolve(""));
  EXPECT_FALSE(fncResolvePathIgnoringCase(mRoot / "Book/Chap99.smil"));
}

TEST_F(PathResolver, ListingsAreKeptUntilTheFolderChanges) {
  touch("book/CHAP01.SMIL");
  touch("book/CHAP02.SMIL");
  cPathResolver resolver;
  ASSERT_TRUE(resolver.fncResolve(mRoot / "book/chap01.smil"));
  ASSERT_TRUE(resolver.fncResolve(mRoot / "book/chap02.smil"));
  ASSERT_TRUE(resolver.fncResolve(mRoot / "book/chap01.smil"));
  EXPECT_EQ(resolver.fncListingsRead(), 1u);

  EXPECT_FALSE(resolver.fncResolve(mRoot / "book/chap03.smil"));
  touch("book/CHAP03.SMIL");  // changes the folder's modification time
  EXPECT_EQ(resolver.fncResolve(mRoot / "book/chap03.smil"), mRoot / "book/CHAP03.SMIL");
  EXPECT_EQ(resolver.fncListingsRead(), 2u);

  fs::rename(mRoot / "book/CHAP01.SMIL", mRoot / "book/Other.smil");
  EXPECT_FALSE(resolver.fncResolve(mRoot / "book/chap01.smil"));
}

TEST_F(PathResolver, RelativePathsStayRelative) {
  touch("Book/NCC.HTML");
  const fs::path before = fs::current_path();
  fs::current_path(mRoot);
  const auto resolved = fncResolvePathIgnoringCase("book/ncc.html");
  fs::current_path(before);
  EXPECT_EQ(resolved, fs::path("Book/NCC.HTML"));
}

TEST_F(PathResolver, ListingsAreInByteOrderWithTheirKinds) {
  touch("b.smil");
  touch("B.smil");
  touch("a.smil");
  fs::create_directory(mRoot / "Folder");
  fs::create_directory_symlink(mRoot / "Folder", mRoot / "link");
  bool ok = false;
  const auto entries = fncListFolder(mRoot, &ok);
  ASSERT_TRUE(ok);
  ASSERT_EQ(entries.size(), 5u);
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.sName);
  EXPECT_EQ(names, (std::vector<std::string>{"B.smil", "Folder", "a.smil", "b.smil", "link"}));
  EXPECT_TRUE(entries[1].bolFolder);
  EXPECT_FALSE(entries[1].bolSymlink);
  EXPECT_TRUE(entries[4].bolFolder);
  EXPECT_TRUE(entries[4].bolSymlink);
  EXPECT_FALSE(entries[0].bolFolder);

  cPathResolver resolver;
  const auto* cached = resolver.fncListNames(mRoot);
  ASSERT_NE(cached, nullptr);
  EXPECT_EQ(*cached, names);
  fncListFolder(mRoot / "missing", &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(resolver.fncListNames(mRoot / "missing"), nullptr);
}

}  // namespace
}  // namespace lyn
