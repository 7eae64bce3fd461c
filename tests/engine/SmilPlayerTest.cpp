#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/cSmilPlayer.h"
#include "markup/cDTBData.h"

namespace lyn::testing {
namespace {

class cSmilRecorder final : public iSmilPlayerListener {
 public:
  explicit cSmilRecorder(cSmilPlayer& player) : mPlayer(player) {}
  void evError() override {
    errors.push_back(std::to_string(mPlayer.lErrorNumber) + " " + mPlayer.sErrorLocation);
  }
  void evNewMedia(const cElementData& e) override {
    announced.push_back(std::string(e.sElementName()) + ":" + std::string(e.fncAttrContentWOQ("id")));
  }
  void evNewPar() override { ++newPars; }
  std::vector<std::string> errors;
  std::vector<std::string> announced;
  int newPars = 0;

 private:
  cSmilPlayer& mPlayer;
};

class SmilPlayer : public ::testing::Test {
 protected:
  SmilPlayer() {
    files.sWorkPath = folder.path().string() + "/";
    player.clsDTBData = &files;
    player.subSetListener(&recorder);
  }
  void write(const std::string& name, const std::string& text) { fncWriteText(folder / name, text); }
  std::string id(const cElementData* media) {
    return media ? std::string(media->fncAttrContentWOQ("id")) : "(nothing)";
  }
  // The ids of every media step forward from the current place to the end.
  std::vector<std::string> forwardIds() {
    std::vector<std::string> ids;
    while (const cElementData* media = player.fncRetrieveNextMedia()) ids.push_back(id(media));
    return ids;
  }

  TempFolder folder;
  cDTBData files;
  cSmilPlayer player;
  cSmilRecorder recorder{player};
};

TEST_F(SmilPlayer, ExpandsAFileIntoItsParsOnlyWhenNeeded) {
  write("a.smil", fncSmil({{"p1", "a.wav"}, {"p2", "a.wav"}, {"p3", "a.wav"}}));
  write("b.smil", fncSmil({{"q1", "b.wav"}}));
  player.fncInsertFile("a.smil", false);
  player.fncInsertFile("b.smil", false);
  EXPECT_EQ(player.lParListCount(), 2);
  EXPECT_EQ(files.lNumFiles(), 0);
  ASSERT_TRUE(player.fncGotoParByNumber(2));  // b.smil
  EXPECT_EQ(player.lParListCount(), 2);
  ASSERT_TRUE(player.fncGotoParByNumber(1));  // a.smil: three pars take its place
  EXPECT_EQ(player.lParListCount(), 4);
  EXPECT_EQ(player.fncGetParSmilFile(4), "b.smil");
  EXPECT_EQ(id(cSmilPlayer::fncRecordOf(player.clsCurrentPar)), "p1");
  EXPECT_EQ(recorder.announced.back(), "par:p1");
  EXPECT_EQ(player.fncRetrieveParItem(5), std::nullopt);
}

TEST_F(SmilPlayer, StepsMediaByMediaAcrossParsAndFiles) {
  write("a.smil", fncSmil({{"p1", "a.wav"}, {"p2", "a.wav"}}));
  write("b.smil", fncSmil({{"q1", "b.wav"}}));
  player.fncInsertFile("a.smil", false);
  player.fncInsertFile("b.smil", false);
  ASSERT_TRUE(player.fncGotoParByNumber(1));
  EXPECT_EQ(player.fncRetrieveCurrentMedia(), nullptr);  // the par itself is current
  EXPECT_EQ(forwardIds(), (std::vector<std::string>{"tp1", "ap1", "tp2", "ap2", "tq1", "aq1"}));
  EXPECT_EQ(recorder.errors.back(), "4 Next par");
  EXPECT_EQ(recorder.newPars, 3);
  EXPECT_EQ(player.lCurrentParListItem, 3);
  // And back again to the very first media.
  std::vector<std::string> back;
  while (const cElementData* media = player.fncRetrievePreviousMedia()) back.push_back(id(media));
  EXPECT_EQ(back, (std::vector<std::string>{"tq1", "ap2", "tp2", "ap1", "tp1"}));
  EXPECT_EQ(recorder.errors.back(), "5 Previous par");
}

TEST_F(SmilPlayer, StepsBackIntoAFileNotYetExpanded) {
  write("a.smil", fncSmil({{"p1", "a.wav"}, {"p2", "a.wav"}, {"p3", "a.wav"}}));
  write("b.smil", fncSmil({{"q1", "b.wav"}}));
  player.fncInsertFile("a.smil", false);
  player.fncInsertFile("b.smil", false);
  ASSERT_TRUE(player.fncGotoElementContainerByFileAndID("B.SMIL", "Q1"));
  EXPECT_EQ(player.lCurrentParListItem, 2);
  EXPECT_EQ(id(player.fncRetrieveNextMedia()), "tq1");
  EXPECT_EQ(id(player.fncRetrievePreviousMedia()), "ap3");
  EXPECT_EQ(player.lCurrentParListItem, 3);  // a.smil grew to three entries before b.smil
  EXPECT_EQ(player.fncGetParSmilFile(player.lCurrentParListItem), "a.smil");
  EXPECT_EQ(id(player.fncRetrievePreviousMedia()), "tp3");
}

TEST_F(SmilPlayer, ASequenceOfClipsWithoutParsPlaysAsOnePar) {
  write("a.smil", fncSmilDocument("<audio id=\"c1\" src=\"a.wav\" clip-begin=\"npt=0s\" clip-end=\"npt=1s\"/>\n"
                                  "<audio id=\"c2\" src=\"a.wav\" clip-begin=\"npt=1s\" clip-end=\"npt=2s\"/>\n"
                                  "<audio id=\"c3\" src=\"a.wav\" clip-begin=\"npt=2s\" clip-end=\"npt=3s\"/>\n"));
  player.fncInsertFile("a.smil", true);
  EXPECT_EQ(player.lParListCount(), 1);
  ASSERT_TRUE(player.fncGotoParByNumber(1));
  EXPECT_EQ(forwardIds(), (std::vector<std::string>{"c1", "c2", "c3"}));
  EXPECT_NE(files.fncGetFileData({.sFileName = "a.smil"})->sData.find("<par>"), std::string::npos);
}

TEST_F(SmilPlayer, WalksTheClipsOfANestedSeqThenLeavesThePar) {
  write("a.smil", fncSmilDocument(
                      "<par id=\"p1\"><text id=\"t1\" src=\"c.html#1\"/>\n"
                      "<seq id=\"s1\"><audio id=\"c1\" src=\"a.wav\"/><audio id=\"c2\" src=\"a.wav\"/>"
                      "<audio id=\"c3\" src=\"a.wav\"/></seq></par>\n"
                      "<par id=\"p2\"><audio id=\"c4\" src=\"a.wav\"/></par>\n"));
  player.fncInsertFile("a.smil", false);
  ASSERT_TRUE(player.fncGotoParByNumber(1));
  EXPECT_EQ(forwardIds(), (std::vector<std::string>{"t1", "c1", "c2", "c3", "c4"}));
  EXPECT_EQ(recorder.newPars, 2);
  // Backwards through the nested seq, from its last clip.
  ASSERT_TRUE(player.fncGotoElementContainerByFileAndID("a.smil", "c4"));
  EXPECT_EQ(id(player.fncRetrievePreviousMedia()), "c3");
  EXPECT_EQ(id(player.fncRetrievePreviousMedia()), "c2");
}

TEST_F(SmilPlayer, SkipsParsWhoseSystemRequiredSwitchIsOff) {
  write("a.smil", fncSmil({{"p1", "a.wav"}, {"p2", "a.wav", "", "", "pagenumber-on"},
                           {"p3", "a.wav", "", "", "other-on"}}));
  player.fncInsertFile("a.smil", false);
  ASSERT_TRUE(player.fncGotoParByNumber(1));
  EXPECT_EQ(forwardIds(), (std::vector<std::string>{"tp1", "ap1", "tp3", "ap3"}));
  EXPECT_NE(std::find(recorder.errors.begin(), recorder.errors.end(), "3 Next par"),
            recorder.errors.end());

  player.bolSysReq_PgNum = true;
  ASSERT_TRUE(player.fncGotoParByNumber(1));
  EXPECT_EQ(forwardIds(), (std::vector<std::string>{"tp1", "ap1", "tp2", "ap2", "tp3", "ap3"}));

  player.bolSysReq_PgNum = false;
  EXPECT_FALSE(player.fncGotoParByNumber(2));
  EXPECT_EQ(recorder.errors.back(), "3 Goto par");
  EXPECT_FALSE(player.fncGotoElementContainerByFileAndID("a.smil", "ap2"));
  EXPECT_EQ(recorder.errors.back(), "3 Goto by file and id");
}

TEST_F(SmilPlayer, GoingToATextIdMakesItCurrentAndStepsOnFromThere) {
  write("a.smil", fncSmil({{"p1", "a.wav"}, {"p2", "a.wav"}}));
  player.fncInsertFile("a.smil", false);
  ASSERT_TRUE(player.fncGotoElementContainerByFileAndID("a.smil", "TP2"));
  EXPECT_EQ(id(player.fncRetrieveCurrentMedia()), "tp2");
  EXPECT_EQ(id(player.fncRetrieveNextMedia()), "ap2");
  EXPECT_FALSE(player.fncGotoElementContainerByFileAndID("a.smil", "nowhere"));
  EXPECT_EQ(recorder.errors.back(), "1 Goto by file and id");
  EXPECT_FALSE(player.fncGotoElementContainerByFileAndID("unknown.smil", "p1"));
}

TEST_F(SmilPlayer, AnnouncesTheAnswerAndThenTheMediaOfItsPar) {
  write("a.smil", fncSmil({{"p1", "a.wav"}, {"p2", "a.wav"}}));
  player.fncInsertFile("a.smil", false);
  ASSERT_TRUE(player.fncGotoElementContainerByFileAndID("a.smil", "ap1"));
  recorder.announced.clear();
  EXPECT_EQ(id(player.fncRetrieveNextMedia()), "tp2");
  EXPECT_EQ(recorder.announced,
            (std::vector<std::string>{"par:p1", "par:p2", "par:p2", "text:tp2", "text:tp2",
                                      "audio:ap2"}));
}

TEST_F(SmilPlayer, AMissingFileLosesItsEntryAndSteppingGoesOnToTheNext) {
  write("a.smil", fncSmil({{"p1", "a.wav"}}));
  write("c.smil", fncSmil({{"r1", "c.wav"}}));
  write("notsmil.smil", "\x01\x02 binary garbage \xff\xfe <<<< >>>");
  write("noseq.smil", "<smil><body><par id=\"x\"/></body></smil>");
  for (const char* name : {"a.smil", "missing.smil", "notsmil.smil", "noseq.smil", "c.smil"})
    player.fncInsertFile(name, false);
  ASSERT_TRUE(player.fncGotoParByNumber(1));
  EXPECT_EQ(forwardIds(), (std::vector<std::string>{"tp1", "ap1", "tr1", "ar1"}));
  EXPECT_EQ(std::count(recorder.errors.begin(), recorder.errors.end(), "1 Par parser"), 3);
  EXPECT_EQ(player.lParListCount(), 2);
  EXPECT_FALSE(player.fncbHasParsOf("missing.smil"));
  EXPECT_TRUE(player.fncbHasParsOf("C.SMIL"));
}

TEST_F(SmilPlayer, TheFirstAttemptToReachAMissingFileReportsErrorOne) {
  player.fncInsertFile("missing.smil", false);
  EXPECT_FALSE(player.fncGotoParByNumber(1));
  EXPECT_EQ(recorder.errors, (std::vector<std::string>{"1 Par parser"}));
  EXPECT_EQ(player.lParListCount(), 0);
  EXPECT_FALSE(player.fncGotoParByNumber(1));
  EXPECT_EQ(recorder.errors.back(), "4 Goto par");
  EXPECT_FALSE(player.fncGotoParByNumber(0));
  EXPECT_EQ(recorder.errors.back(), "5 Goto par");
}

TEST_F(SmilPlayer, WithoutACurrentNodeMediaStepsReportErrorSeven) {
  EXPECT_EQ(player.fncRetrieveNextMedia(), nullptr);
  EXPECT_EQ(recorder.errors.back(), "7 Retrieve next");
  EXPECT_EQ(player.fncRetrievePreviousMedia(), nullptr);
  EXPECT_EQ(recorder.errors.back(), "7 Retrieve Previous");
  EXPECT_EQ(player.fncRetrieveCurrentMedia(), nullptr);
  EXPECT_EQ(recorder.errors.back(), "7 Retrieve current");
  EXPECT_EQ(player.sErrorMsg, "Data not initialized");
  EXPECT_FALSE(player.fncSetParToFirst());
}

TEST_F(SmilPlayer, SetParToFirstAndToLastChooseWhereTheNextStepBegins) {
  write("a.smil", fncSmil({{"p1", "a.wav"}, {"p2", "a.wav"}}));
  player.fncInsertFile("a.smil", false);
  ASSERT_TRUE(player.fncGotoElementContainerByFileAndID("a.smil", "ap2"));
  ASSERT_TRUE(player.fncSetParToFirst());
  EXPECT_EQ(id(player.fncRetrieveNextMedia()), "tp2");
  ASSERT_TRUE(player.fncSetParToLast());
  EXPECT_EQ(id(player.fncRetrievePreviousMedia()), "ap2");
}

TEST_F(SmilPlayer, ACopyMovesOnItsOwn) {
  write("a.smil", fncSmil({{"p1", "a.wav"}, {"p2", "a.wav"}}));
  write("b.smil", fncSmil({{"q1", "b.wav"}, {"q2", "b.wav"}}));
  player.fncInsertFile("a.smil", false);
  player.fncInsertFile("b.smil", false);
  player.bolSysReq_Sidebar = true;
  ASSERT_TRUE(player.fncGotoParByNumber(1));
  cSmilPlayer copy;
  player.subCopyMeTo(copy);
  EXPECT_TRUE(copy.bolSysReq_Sidebar);
  EXPECT_EQ(copy.lParListCount(), 3);
  while (copy.fncRetrieveNextMedia()) {
  }
  EXPECT_EQ(copy.lParListCount(), 4);    // the copy expanded b.smil in its own list
  EXPECT_EQ(player.lParListCount(), 3);  // the original's list and cursor are untouched
  EXPECT_EQ(player.lCurrentParListItem, 1);
  EXPECT_EQ(recorder.errors.size(), 0u);  // the copy's events go nowhere
  EXPECT_EQ(id(player.fncRetrieveNextMedia()), "tp1");
}

TEST_F(SmilPlayer, CountsTextsAndClipsOfAStretch) {
  write("a.smil", fncSmil({{"p1", "a.wav"}, {"p2", "a.wav"}, {"p3", "a.wav"}}));
  write("b.smil", fncSmil({{"q1", "b.wav"}, {"q2", "b.wav"}}));
  player.fncInsertFile("a.smil", false);
  player.fncInsertFile("b.smil", false);
  ASSERT_TRUE(player.fncGotoElementContainerByFileAndID("a.smil", "ap2"));
  int32_t texts = -1, audios = -1, currentText = -1, currentAudio = -1;
  player.subCountTextAndAudio(texts, audios, currentText, currentAudio, "p2", "a.smil", {"q2"},
                              "b.smil");
  EXPECT_EQ(texts, 3);  // p2, p3, q1
  EXPECT_EQ(audios, 3);
  EXPECT_EQ(currentText, 1);
  EXPECT_EQ(currentAudio, 1);
  // To the end of the book when there is no next place.
  player.subCountTextAndAudio(texts, audios, currentText, currentAudio, "P1", "A.SMIL", {}, "");
  EXPECT_EQ(audios, 5);
  EXPECT_EQ(currentAudio, 2);
  // Within one file.
  player.subCountTextAndAudio(texts, audios, currentText, currentAudio, "p1", "a.smil", {"p3"},
                              "a.smil");
  EXPECT_EQ(audios, 2);
  EXPECT_EQ(texts, 2);
  // A start that does not exist counts nothing.
  player.subCountTextAndAudio(texts, audios, currentText, currentAudio, "zz", "a.smil", {}, "");
  EXPECT_EQ(texts + audios + currentText + currentAudio, 0);
}

TEST_F(SmilPlayer, PastedEntriesFormAListOfTheirOwn) {
  write("a.smil", fncSmil({{"p1", "a.wav"}, {"p2", "a.wav"}}));
  player.fncInsertFile("a.smil", true);
  cSmilPlayer other;
  other.clsDTBData = &files;
  for (int32_t n = player.lParListCount(); n >= 1; --n) {
    const auto item = player.fncRetrieveParItem(n);
    other.subPasteParlistItem(item->sSmilFile, item->clsPar);
  }
  ASSERT_TRUE(other.fncGotoParByNumber(1));
  EXPECT_EQ(id(other.fncRetrieveNextMedia()), "tp2");
  EXPECT_EQ(id(other.fncRetrieveNextMedia()), "ap2");
  EXPECT_EQ(id(other.fncRetrieveNextMedia()), "tp1");
}

}  // namespace
}  // namespace lyn::testing
