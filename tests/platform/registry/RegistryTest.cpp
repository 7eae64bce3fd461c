#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/registry/cRegistry.h"
#include "platform/storage/cAtomicFile.h"
#include "../../TempFolder.h"

namespace lyn {
namespace {

constexpr auto kUser = eRegistryRoot::CurrentUser;
const char* kMisc = "software\\lyn_reader\\misc";

std::string contentsOf(const std::filesystem::path& file) {
  std::string bytes;
  fncReadWholeFile(file, bytes);
  return bytes;
}

TEST(Registry, RoundTripsEveryValueTypeThroughTheFile) {
  testing::TempFolder dir;
  auto file = dir / "lyn-reader" / "registry.ini";
  const std::string longPath = "/home/reader/" + std::string(600, 'x') + "/Moby \"Dick\"\\ch1\n";
  {
    cRegistry registry(file);
    registry.subWriteValue("volume", int32_t{-7}, kUser, kMisc);
    registry.subWriteValue("last book read", std::string_view(longPath), kUser, kMisc);
    registry.subWriteValue("debug", true, kUser, "software\\lyn_reader\\temporary");
    registry.subWriteValue("caption", "LYN Reader - Ärger", kUser, "software\\lyn_reader\\temporary");
  }
  cRegistry registry(file);
  int32_t volume = 0;
  std::string path, caption;
  bool debug = false;
  EXPECT_TRUE(registry.fncReadValue("volume", volume, kUser, kMisc));
  EXPECT_EQ(volume, -7);
  EXPECT_TRUE(registry.fncReadValue("last book read", path, kUser, kMisc));
  EXPECT_EQ(path, longPath);  // no cut at 255 characters
  EXPECT_TRUE(registry.fncReadValue("debug", debug, kUser, "software\\lyn_reader\\temporary"));
  EXPECT_TRUE(debug);
  EXPECT_TRUE(registry.fncReadValue("caption", caption, kUser, "software\\lyn_reader\\temporary"));
  EXPECT_EQ(caption, "LYN Reader - Ärger");
}

TEST(Registry, NamesAndKeysMatchWithoutRegardToCase) {
  cRegistry registry;
  registry.subWriteValue("window top", int32_t{120}, kUser, "software\\lyn_reader\\appearance");
  int32_t top = 0;
  EXPECT_TRUE(registry.fncReadValue("Window top", top, kUser, "Software\\LYN_Reader\\Appearance"));
  EXPECT_EQ(top, 120);
  registry.subWriteValue("WINDOW TOP", int32_t{5}, kUser, "software\\lyn_reader\\APPEARANCE");
  EXPECT_TRUE(registry.fncReadValue("window top", top, kUser, "software\\lyn_reader\\appearance"));
  EXPECT_EQ(top, 5);
  // One key, one value: the second write replaced the first.
  EXPECT_EQ(registry.fncSerialise().find("WINDOW TOP"), std::string::npos);
}

TEST(Registry, ValueNameWithBackslashStepsIntoSubKeys) {
  cRegistry registry;
  registry.subWriteValue("Vari\\Items", int32_t{3}, kUser, "software\\LYN_Reader");
  int32_t items = 0;
  EXPECT_TRUE(registry.fncReadValue("items", items, kUser, "software\\lyn_reader\\vari"));
  EXPECT_EQ(items, 3);
  EXPECT_TRUE(registry.fncReadValue("vari\\items", items, kUser, "SOFTWARE\\lyn_reader"));
  // Empty components stay on the same key.
  EXPECT_TRUE(registry.fncReadValue("items", items, kUser, "software\\\\lyn_reader\\vari\\"));
}

TEST(Registry, CurrentKeyIsUsedWhenNoKeyPathIsGiven) {
  cRegistry registry;
  registry.subSetCurrentKey(kMisc);
  registry.subWriteValue("tempo", int32_t{7});
  EXPECT_EQ(registry.fncReadNumber("Tempo", 5), 7);
  EXPECT_EQ(registry.fncReadNumber("missing", 5), 5);
}

TEST(Registry, MissingOrUnreadableValuesTakeTheDefault) {
  cRegistry registry;
  registry.subWriteValue("volume", "loud", kUser, kMisc);
  int32_t volume = 99;
  EXPECT_FALSE(registry.fncReadValue("volume", volume, kUser, kMisc, 8));
  EXPECT_EQ(volume, 8);
  std::string text = "kept";
  EXPECT_FALSE(registry.fncReadValue("nothing", text, kUser, "no\\such\\key"));
  EXPECT_EQ(text, "kept");  // no default given: the target is left alone
  bool flag = true;
  EXPECT_FALSE(registry.fncReadValue("nothing", flag, kUser, kMisc, false));
  EXPECT_FALSE(flag);
  // A number read as text gives its digits.
  registry.subWriteValue("tempo", int32_t{5}, kUser, kMisc);
  EXPECT_TRUE(registry.fncReadValue("tempo", text, kUser, kMisc));
  EXPECT_EQ(text, "5");
}

TEST(Registry, TheMachineWideRootDoesNotExist) {
  cRegistry registry;
  registry.subWriteValue("Version", "6.0", eRegistryRoot::LocalMachine, "SOFTWARE\\x");
  std::string version;
  EXPECT_FALSE(registry.fncReadValue("Version", version, eRegistryRoot::LocalMachine, "SOFTWARE\\x"));
  EXPECT_FALSE(registry.fncReadValue("Version", version, kUser, "SOFTWARE\\x"));
}

TEST(Registry, DamagedFileIsSetAsideAndDefaultsAreUsed) {
  testing::TempFolder dir;
  auto file = dir / "registry.ini";
  ASSERT_TRUE(fncWriteFileAtomically(file, "[software\\lyn_reader\\misc]\n\"volume\"=dword:3\ngarbage\x01\n"));
  cRegistry registry(file);
  EXPECT_EQ(registry.fncReadNumber("volume", 8), 8);
  EXPECT_TRUE(std::filesystem::exists(dir / "registry.ini.damaged"));
  EXPECT_NE(contentsOf(dir / "registry.ini.damaged").find("garbage"), std::string::npos);
  registry.subWriteValue("volume", int32_t{4}, kUser, kMisc);
  EXPECT_EQ(cRegistry(file).fncReadNumber("volume", 0), 0);  // current key is empty
  int32_t volume = 0;
  EXPECT_TRUE(cRegistry(file).fncReadValue("volume", volume, kUser, kMisc));
  EXPECT_EQ(volume, 4);
}

TEST(Registry, UnterminatedStringsAndBadNumbersCountAsDamage) {
  for (const char* text : {"[k]\n\"a\"=\"open\n", "[k]\n\"a\"=dword:zz\n", "\"a\"=dword:1\n",
                           "[k\n", "[k]\n\"a\"\n", "[k]\n\"a\"=\"x\\q\"\n"}) {
    cRegistry registry;
    EXPECT_FALSE(registry.fncParse(text)) << text;
  }
  cRegistry registry;
  EXPECT_TRUE(registry.fncParse("\xEF\xBB\xBF; comment\n\n[k]\r\n\"a\" = dword:0000000a\r\n"));
  EXPECT_EQ(registry.fncReadNumber("k\\a", 0), 10);
}

TEST(Registry, InterruptedSaveLeavesThePreviousFileIntact) {
  testing::TempFolder dir;
  auto file = dir / "registry.ini";
  cRegistry registry(file);
  registry.subWriteValue("volume", int32_t{3}, kUser, kMisc);
  const std::string before = contentsOf(file);

  registry.subSetBeforeRenameHook([] { return false; });
  registry.subWriteValue("volume", int32_t{9}, kUser, kMisc);
  EXPECT_FALSE(registry.fncSave());
  EXPECT_EQ(contentsOf(file), before);
  int32_t volume = 0;
  cRegistry reloaded(file);
  EXPECT_TRUE(reloaded.fncReadValue("volume", volume, kUser, kMisc));
  EXPECT_EQ(volume, 3);

  registry.subSetBeforeRenameHook({});
  EXPECT_TRUE(registry.fncSave());
  EXPECT_TRUE(cRegistry(file).fncReadValue("volume", volume, kUser, kMisc));
  EXPECT_EQ(volume, 9);
}

TEST(Registry, UnwritableConfigFolderKeepsWorkingInMemory) {
  testing::TempFolder dir;
  ASSERT_TRUE(fncWriteFileAtomically(dir / "not-a-folder", "x"));
  cRegistry registry(dir / "not-a-folder" / "registry.ini");
  registry.subWriteValue("volume", int32_t{6}, kUser, kMisc);
  EXPECT_FALSE(registry.fncSave());
  int32_t volume = 0;
  EXPECT_TRUE(registry.fncReadValue("volume", volume, kUser, kMisc));
  EXPECT_EQ(volume, 6);
}

TEST(Registry, BatchSavesOnceAtTheEnd) {
  testing::TempFolder dir;
  auto file = dir / "registry.ini";
  cRegistry registry(file);
  {
    cRegistryBatch batch(registry);
    registry.subWriteValue("a", int32_t{1}, kUser, kMisc);
    EXPECT_FALSE(std::filesystem::exists(file));
    registry.subWriteValue("b", int32_t{2}, kUser, kMisc);
  }
  EXPECT_EQ(cRegistry(file).fncReadNumber(std::string(kMisc) + "\\b", 0), 2);
}

TEST(Registry, EveryDamagedFileIsKeptUnderItsOwnName) {
  testing::TempFolder dir;
  auto file = dir / "registry.ini";
  for (const char* damage : {"first\x01\n", "second\x01\n", "third\x01\n"}) {
    ASSERT_TRUE(fncWriteFileAtomically(file, damage));
    ::testing::internal::CaptureStderr();
    cRegistry registry(file);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("kept as"), std::string::npos);
  }
  EXPECT_EQ(contentsOf(dir / "registry.ini.damaged"), "first\x01\n");
  EXPECT_EQ(contentsOf(dir / "registry.ini.damaged.1"), "second\x01\n");
  EXPECT_EQ(contentsOf(dir / "registry.ini.damaged.2"), "third\x01\n");
}

TEST(Registry, WhatIsNoRegularFileGivesDefaultsAWarningAndIsLeftAlone) {
  for (const char* kind : {"folder", "fifo", "zero"}) {
    testing::TempFolder dir;
    auto file = dir / "registry.ini";
    const std::string what = kind;
    if (what == "folder") std::filesystem::create_directory(file);
    if (what == "fifo") {
      ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    }
    if (what == "zero") std::filesystem::create_symlink("/dev/zero", file);
    const auto before = std::filesystem::symlink_status(file).type();
    ::testing::internal::CaptureStderr();
    cRegistry registry(file);
    registry.subWriteValue("volume", int32_t{4}, kUser, kMisc);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(file.string()), std::string::npos) << said;
    EXPECT_EQ(registry.fncReadNumber("misc\\volume", 8), 8) << kind;
    int32_t volume = 0;
    EXPECT_TRUE(registry.fncReadValue("volume", volume, kUser, kMisc));
    EXPECT_EQ(volume, 4);
    EXPECT_FALSE(registry.fncSave()) << kind;
    EXPECT_EQ(std::filesystem::symlink_status(file).type(), before) << kind;
    EXPECT_FALSE(std::filesystem::exists(dir / "registry.ini.damaged")) << kind;
  }
}

TEST(Registry, SavingKeepsCommentsOrderAndPermissions) {
  testing::TempFolder dir;
  auto file = dir / "registry.ini";
  const std::string text =
      "; my settings, by hand\n"
      "\n"
      "[software\\lyn_reader\\misc]\n"
      "# louder in the kitchen\n"
      "\"volume\"=dword:00000003\n"
      "\"tempo\"=dword:00000005\n"
      "\n"
      "; the end\n";
  ASSERT_TRUE(fncWriteFileAtomically(file, text));
  ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
  {
    cRegistry registry(file);
    registry.subWriteValue("volume", int32_t{9}, kUser, kMisc);
    registry.subWriteValue("debug", int32_t{1}, kUser, "software\\lyn_reader\\temporary");
  }
  const std::string saved = contentsOf(file);
  EXPECT_EQ(saved,
            "; my settings, by hand\n"
            "\n"
            "[software\\lyn_reader\\misc]\n"
            "# louder in the kitchen\n"
            "\"volume\"=dword:00000009\n"
            "\"tempo\"=dword:00000005\n"
            "\n"
            "[software\\lyn_reader\\temporary]\n"
            "\"debug\"=dword:00000001\n"
            "\n"
            "; the end\n");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST(Registry, ALinkedFileIsWrittenThroughAndATemporaryLinkIsNeverFollowed) {
  testing::TempFolder dir;
  std::filesystem::create_directory(dir / "dotfiles");
  ASSERT_TRUE(fncWriteFileAtomically(dir / "dotfiles" / "lyn.ini", "[k]\n\"a\"=dword:1\n"));
  std::filesystem::create_symlink(dir / "dotfiles" / "lyn.ini", dir / "registry.ini");
  ASSERT_TRUE(fncWriteFileAtomically(dir / "victim", "precious"));
  std::filesystem::create_symlink(dir / "victim", dir / "dotfiles" / "lyn.ini.tmp");
  std::filesystem::create_symlink(dir / "victim", dir / "registry.ini.tmp");
  {
    cRegistry registry(dir / "registry.ini");
    registry.subWriteValue("b", int32_t{2}, kUser, "k");
  }
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "registry.ini"));
  EXPECT_EQ(contentsOf(dir / "victim"), "precious");
  cRegistry reloaded(dir / "dotfiles" / "lyn.ini");
  EXPECT_EQ(reloaded.fncReadNumber("k\\a", 0), 1);
  EXPECT_EQ(reloaded.fncReadNumber("k\\b", 0), 2);
}

}  // namespace
}  // namespace lyn
