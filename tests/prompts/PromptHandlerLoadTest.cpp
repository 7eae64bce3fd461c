// Loading the prompt file, texts by key, and the number rules.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <limits>

#include "tests/prompts/PromptTestRig.h"

namespace lyn {
namespace {

using testing::cPromptTestRig;

std::vector<std::string> fncSpoken(double n) {
  std::vector<std::string> ids;
  cPromptHandler::subAppendNumber(n, ids);
  return ids;
}

TEST(PromptNumbers, AreSpokenByTheRulesOfThePromptSet) {
  using V = std::vector<std::string>;
  EXPECT_EQ(fncSpoken(0), V({"UC_48"}));
  EXPECT_EQ(fncSpoken(7), V({"UC_55"}));
  EXPECT_EQ(fncSpoken(10), V({"dig_10"}));
  EXPECT_EQ(fncSpoken(19), V({"dig_19"}));
  EXPECT_EQ(fncSpoken(20), V({"dig_20"}));
  EXPECT_EQ(fncSpoken(45), V({"dig_40", "UC_53"}));
  EXPECT_EQ(fncSpoken(100), V({"uc_49", "dig_100"}));
  EXPECT_EQ(fncSpoken(305), V({"uc_51", "dig_100", "UC_53"}));
  EXPECT_EQ(fncSpoken(999), V({"uc_57", "dig_100", "dig_90", "UC_57"}));
  EXPECT_EQ(fncSpoken(1000), V({"uc_49", "dig_1000"}));
  EXPECT_EQ(fncSpoken(2347), V({"uc_50", "dig_1000", "uc_51", "dig_100", "dig_40", "UC_55"}));
  EXPECT_EQ(fncSpoken(9012), V({"uc_57", "dig_1000", "dig_12"}));
  EXPECT_EQ(fncSpoken(12345), V({"uc_49", "uc_50", "uc_51", "uc_52", "uc_53"}));
  EXPECT_EQ(fncSpoken(-5), V({"con_minus", "UC_53"}));
  EXPECT_EQ(fncSpoken(-2), V({"con_minus", "UC_50"}));
}

TEST(PromptNumbers, AreTakenAsWholeNumbersAndNonsenseIsLeftOut) {
  using V = std::vector<std::string>;
  EXPECT_EQ(fncSpoken(2.6), V({"UC_51"}));
  EXPECT_EQ(fncSpoken(-0.2), V({"UC_48"}));
  EXPECT_EQ(fncSpoken(std::numeric_limits<double>::quiet_NaN()), V());
  EXPECT_EQ(fncSpoken(std::numeric_limits<double>::infinity()), V());
  EXPECT_EQ(fncSpoken(1e30), V());
}

TEST(PromptNumbers, AreSpokenOnlyWithAudioAndPromptSetVersionOnePointThree) {
  cPromptTestRig rig;
  using V = std::vector<std::string>;
  EXPECT_EQ(rig.handler->fncConvertToID({"bok_booknumber", 12}), V());  // no audio
  rig.handler->IsAudio = true;
  rig.handler->Version = "1.1";
  EXPECT_EQ(rig.handler->fncConvertToID({"BOK_BookNumber", 12}), V({"bok_booknumber"}));
  rig.handler->Version = "1.3";
  EXPECT_EQ(rig.handler->fncConvertToID({"BOK_BookNumber", 12}), V({"bok_booknumber", "dig_12"}));
  // A list item is 1-based: its element 0 is not read.
  std::vector<Variant> list = {std::string("unused"), std::string("GEN_ON"), int32_t(3), 2.0};
  EXPECT_EQ(rig.handler->fncConvertToID({list, "gen_off"}),
            V({"gen_on", "UC_51", "UC_50", "gen_off"}));
}

TEST(PromptFileLoading, WritesTheDefaultFileWhereNoneExists) {
  cPromptTestRig rig;
  EXPECT_FALSE(rig.handler->fncbLoadPromptFile("prompts.bin"));
  EXPECT_EQ(rig.handler->IErrorMsg, "PROMPTFILE NOT FOUND");
  EXPECT_FALSE(rig.handler->IsAudio);
  EXPECT_EQ(rig.handler->Version, "none");
  std::string bytes;
  ASSERT_TRUE(fncReadWholeFile(rig.program.path() / "prompts.bin", bytes));
  PromptFileHeader written;
  ASSERT_EQ(fncDecodePromptFile(bytes, written), enPromptFileResult::ok);
  EXPECT_EQ(written.entries.size(), 43u);
  EXPECT_EQ(rig.handler->Text("exitprogram"), "Exit program?");
  EXPECT_EQ(rig.handler->fncConvertToID({"gen_on"}).size(), 0u);
  EXPECT_EQ(rig.promptPlayer->plVolume(), 8);
}

TEST(PromptFileLoading, WritesTheDefaultFileUnderTheAskedNameAsPromptsBin) {
  cPromptTestRig rig;
  EXPECT_FALSE(rig.handler->fncbLoadPromptFile("deutsch.bin"));
  EXPECT_TRUE(std::filesystem::exists(rig.program.path() / "prompts.bin"));
  EXPECT_FALSE(std::filesystem::exists(rig.program.path() / "deutsch.bin"));
}

TEST(PromptFileLoading, PutsTheDefaultFileInTheUserFolderWhenTheProgramFolderIsNotWritable) {
  testing::TempFolder top;
  std::ofstream(top / "not-a-folder") << "x";  // a file: nothing can be written below it
  cMessageQueue messages;
  cPromptHandler handler(messages, (top / "not-a-folder").string(), (top / "user").string());
  EXPECT_FALSE(handler.fncbLoadPromptFile("prompts.bin"));
  EXPECT_TRUE(std::filesystem::exists(top / "user" / "prompts.bin"));
  EXPECT_EQ(handler.Text("title"), "Title");

  // A prompt file the user keeps there is not replaced.
  ASSERT_TRUE(fncWriteFileAtomically(top / "user" / "prompts.bin", "mine"));
  EXPECT_FALSE(handler.fncbLoadPromptFile("prompts.bin"));
  std::string bytes;
  ASSERT_TRUE(fncReadWholeFile(top / "user" / "prompts.bin", bytes));
  EXPECT_EQ(bytes, "mine");
}

TEST(PromptFileLoading, ADamagedFileStaysOnDiskAndTheBuiltInTextsAreUsed) {
  for (const std::string& damage : {std::string("\x05\x00pro", 5), std::string("\xff\xff", 2),
                                    std::string(), std::string(3, '\x7f')}) {
    cPromptTestRig rig;
    ASSERT_TRUE(fncWriteFileAtomically(rig.program.path() / "prompts.bin", damage));
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(rig.handler->fncbLoadPromptFile("prompts.bin"));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("damaged"), std::string::npos);
    EXPECT_EQ(rig.handler->IErrorMsg, "PROMPTFILE DAMAGED");
    EXPECT_FALSE(rig.handler->IsAudio);
    EXPECT_EQ(rig.handler->Text("TITLE"), "Title");
    std::string bytes;
    ASSERT_TRUE(fncReadWholeFile(rig.program.path() / "prompts.bin", bytes));
    EXPECT_EQ(bytes, damage);
  }
}

TEST(PromptFileLoading, SomethingElseNamedPromptsBinIsReportedAndLeftAlone) {
  for (const char* kind : {"fifo", "folder", "zero", "link to fifo"}) {
    cPromptTestRig rig;
    const auto file = rig.program.path() / "prompts.bin";
    const std::string what = kind;
    if (what == "fifo") {
      ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    } else if (what == "folder") {
      std::filesystem::create_directory(file);
    } else if (what == "zero") {
      std::filesystem::create_symlink("/dev/zero", file);
    } else {
      ASSERT_EQ(::mkfifo((rig.program.path() / "pipe").c_str(), 0600), 0);
      std::filesystem::create_symlink("pipe", file);
    }
    const auto before = std::filesystem::symlink_status(file).type();
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(rig.handler->fncbLoadPromptFile("prompts.bin")) << kind;
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(file.string()), std::string::npos) << said;
    EXPECT_EQ(rig.handler->IErrorMsg, "PROMPTFILE DAMAGED") << kind;
    EXPECT_EQ(rig.handler->Text("TITLE"), "Title");
    EXPECT_EQ(std::filesystem::symlink_status(file).type(), before) << kind;
  }
}

TEST(PromptFileLoading, WithoutItsAudioTheTextsAreUsedAndNothingIsSpoken) {
  cPromptTestRig rig;
  PromptFileHeader h;
  h.sAudioFile = "missing.mp3";
  h.sVersion = "1.3";
  h.entries = {{"gen_on", "On", 1, 2}};
  h.lLastEntry = 0;
  ASSERT_TRUE(fncWriteFileAtomically(rig.program.path() / "prompts.bin", fncEncodePromptFile(h)));
  EXPECT_FALSE(rig.handler->fncbLoadPromptFile("prompts.bin"));
  EXPECT_FALSE(rig.handler->IsAudio);
  EXPECT_EQ(rig.handler->IErrorMsg, "");
  EXPECT_EQ(rig.handler->Text("GEN_ON"), "On");
  EXPECT_EQ(rig.handler->Version, "1.3");
  EXPECT_TRUE(rig.handler->fncConvertToID({"gen_on", 5}).empty());
}

TEST(PromptFileLoading, OpensItsAudioOnThePromptPlayerAtVolumeEight) {
  cPromptTestRig rig;
  rig.subWritePromptFile(cPromptTestRig::fncStandardEntries());
  EXPECT_TRUE(rig.handler->fncbLoadPromptFile("prompts.bin"));
  EXPECT_TRUE(rig.handler->IsAudio);
  EXPECT_EQ(rig.handler->IErrorMsg, "");
  EXPECT_EQ(rig.handler->Version, "1.3");
  EXPECT_EQ(rig.promptPlayer->psFileName(), (rig.program.path() / "prompts.mp3").string());
  EXPECT_EQ(rig.promptPlayer->plVolume(), 8);
  EXPECT_EQ(rig.promptFake->mVolume, 8);
}

TEST(PromptFileLoading, FindsItsFilesWhateverTheCaseAndTheSeparatorOfTheirNames) {
  cPromptTestRig rig;
  PromptFileHeader h;
  h.sAudioFile = "sub\\PROMPTS.MP3";
  h.entries = {{"gen_on", "On", 1, 2}};
  h.lLastEntry = 0;
  std::filesystem::create_directories(rig.program.path() / "Sub");
  std::ofstream(rig.program.path() / "Sub" / "prompts.mp3") << "";
  ASSERT_TRUE(fncWriteFileAtomically(rig.program.path() / "Prompts.BIN", fncEncodePromptFile(h)));
  // The fake opens exactly the program folder's prompts.mp3; here the path differs, so the open
  // is seen in the log.
  rig.handler->fncbLoadPromptFile("prompts.bin");
  EXPECT_EQ(rig.handler->Text("gen_on"), "On");
  EXPECT_NE(std::find(rig.promptLog.calls.begin(), rig.promptLog.calls.end(),
                      "open " + (rig.program.path() / "Sub" / "prompts.mp3").string()),
            rig.promptLog.calls.end());
}

TEST(PromptTexts, AreFoundWithoutRegardToCase) {
  cPromptTestRig rig;
  EXPECT_EQ(rig.handler->Text("title"), "");  // nothing loaded yet
  EXPECT_EQ(rig.handler->Text("title", "fallback"), "fallback");
  rig.subWritePromptFile(cPromptTestRig::fncStandardEntries());
  rig.handler->fncbLoadPromptFile("prompts.bin");
  EXPECT_EQ(rig.handler->Text("title"), "Title");
  EXPECT_EQ(rig.handler->Text("Con_Volume"), "Volume");
  EXPECT_EQ(rig.handler->Text("no_such_key", "Default"), "Default");
  EXPECT_EQ(rig.handler->Text("no_such_key"), "");
}

TEST(PromptTexts, LookUpsStopAtTheLastIndexOfTheRecordAndTheFirstOfTwoEqualKeysWins) {
  cPromptTestRig rig;
  PromptFileHeader h;
  h.sAudioFile = "prompts.mp3";
  h.entries = {{"a", "first", 0, 1}, {"A", "second", 0, 1}, {"b", "beyond", 0, 1}};
  h.lLastEntry = 1;
  ASSERT_TRUE(fncWriteFileAtomically(rig.program.path() / "prompts.bin", fncEncodePromptFile(h)));
  rig.handler->fncbLoadPromptFile("prompts.bin");
  EXPECT_EQ(rig.handler->Text("a"), "first");
  EXPECT_EQ(rig.handler->Text("b", "none"), "none");

  h.lLastEntry = 1000;  // more than the file holds: every entry is searched, nothing more
  ASSERT_TRUE(fncWriteFileAtomically(rig.program.path() / "prompts.bin", fncEncodePromptFile(h)));
  rig.handler->fncbLoadPromptFile("prompts.bin");
  EXPECT_EQ(rig.handler->Text("b"), "beyond");
}

TEST(PromptTexts, RequestEntryGivesTheClipOrMinusOne) {
  cPromptTestRig rig;
  rig.subWritePromptFile(cPromptTestRig::fncStandardEntries());
  rig.handler->fncbLoadPromptFile("prompts.bin");
  const auto known = rig.handler->fncRequestEntry("GEN_ON");
  EXPECT_EQ(std::get<std::string>(known[0]), "prompts.mp3");
  EXPECT_DOUBLE_EQ(std::get<double>(known[1]), 3.0);
  EXPECT_DOUBLE_EQ(std::get<double>(known[2]), 3.5);
  const auto unknown = rig.handler->fncRequestEntry("nothing");
  EXPECT_EQ(std::get<int32_t>(unknown[0]), -1);
}

TEST(PromptTexts, FontAndDirectionComeFromTheRecord) {
  cPromptTestRig rig;
  PromptFileHeader h;
  h.sFont = "Noto Sans Arabic";
  h.bolRightToLeft = true;
  h.lFontSize = 11;
  ASSERT_TRUE(fncWriteFileAtomically(rig.program.path() / "prompts.bin", fncEncodePromptFile(h)));
  rig.handler->fncbLoadPromptFile("prompts.bin");
  EXPECT_EQ(rig.handler->sFont(), "Noto Sans Arabic");
  EXPECT_TRUE(rig.handler->bolRightToLeft());
  EXPECT_EQ(rig.handler->lFontSize(), 11);
}

}  // namespace
}  // namespace lyn
