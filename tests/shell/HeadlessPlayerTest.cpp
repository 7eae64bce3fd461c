#include <gtest/gtest.h>

#include <sys/stat.h>

#include <regex>
#include <sstream>

#include "EngineTestSupport.h"
#include "shell/ModuleServices.h"
#include "shell/cHeadlessPlayer.h"
#include "tests/shell/HeadlessRun.h"

namespace lyn::testing {
namespace {

const std::filesystem::path kUserGuide =
    std::filesystem::path(LYN_SHARED_DIR) / "books" / "user-guide-fulltext";

std::vector<std::string> fncLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The sum of every clip's length in the book's SMIL files.
double fncClipSeconds(const std::filesystem::path& book) {
  const std::regex clip(R"re(clip-begin="([^"]*)"\s+clip-end="([^"]*)")re");
  double total = 0;
  for (const auto& entry : std::filesystem::directory_iterator(book)) {
    if (entry.path().extension() != ".smil") continue;
    std::ifstream in(entry.path());
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (auto it = std::sregex_iterator(text.begin(), text.end(), clip); it != std::sregex_iterator();
         ++it) {
      std::string begin = (*it)[1], end = (*it)[2];
      total += fncParseClockValue(end) - fncParseClockValue(begin);
    }
  }
  return total;
}

TEST(HeadlessPlayer, PlaysTheUserGuideFromItsFirstPointToItsEnd) {
  ASSERT_TRUE(std::filesystem::is_directory(kUserGuide)) << "no " << kUserGuide;
  TempFolder folder;
  const std::filesystem::path wav = folder / "out.wav";
  const cRun run = fncPlay({.sBookFolder = kUserGuide.string(), .lFrom = 1,
                            .sAudio = "wav:" + wav.string(), .bolFast = true});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> lines = fncLines(run.out);
  ASSERT_EQ(lines.size(), 19u) << run.out;
  for (size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(lines[i].substr(0, lines[i].find(' ')), std::to_string(i + 1));
  EXPECT_EQ(lines[0], "1 heading1 AMIS User Guide");
  EXPECT_EQ(lines[3], "4 heading2 What is DAISY?");
  EXPECT_EQ(lines[18], "19 heading2 Contact Us");

  int rate = 0;
  const int64_t frames = fncWavFrames(wav, &rate);
  ASSERT_GT(rate, 0);
  const double heard = double(frames) / rate;
  const double clips = fncClipSeconds(kUserGuide);
  EXPECT_NEAR(heard, clips, 0.05 + 0.002 * clips);
}

TEST(HeadlessPlayer, StartsAtTheNavigationPointAskedFor) {
  ASSERT_TRUE(std::filesystem::is_directory(kUserGuide)) << "no " << kUserGuide;
  const cRun run =
      fncPlay({.sBookFolder = kUserGuide.string(), .lFrom = 10, .sAudio = "null", .bolFast = true});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = fncLines(run.out);
  ASSERT_EQ(lines.size(), 10u) << run.out;
  EXPECT_EQ(lines.front(), "10 heading3 Controlling playback");
  EXPECT_EQ(lines.back(), "19 heading2 Contact Us");
}

TEST(HeadlessPlayer, ABookThatDoesNotLoadGivesTheReadersMessage) {
  TempFolder folder;
  fncWriteText(folder / "ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("One")},
                                           "<meta name=\"dc:format\" content=\"DAISY 3\"/>"));
  const cRun run = fncPlay({.sBookFolder = folder.path().string(), .lFrom = 1, .sAudio = "null",
                            .bolFast = true});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Invalid NCC file (Parse par)"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");

  const cRun none = fncPlay({.sBookFolder = (folder / "nothing").string(), .lFrom = 1,
                             .sAudio = "null", .bolFast = true});
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("nothing\": No such file or directory"), std::string::npos) << none.err;
}

TEST(HeadlessPlayer, AFileThatCannotBeReadIsNamedWithTheReason) {
  TempFolder folder;
  std::filesystem::create_symlink("ncc.html", folder / "ncc.html");  // a loop
  const cRun loop = fncPlay({.sBookFolder = folder.path().string(), .lFrom = 1, .sAudio = "null",
                             .bolFast = true});
  EXPECT_EQ(loop.status, 1);
  EXPECT_NE(loop.err.find("clsSmilPlayer error (Load book): " + (folder / "ncc.html").string() +
                          ": Too many levels of symbolic links"),
            std::string::npos)
      << loop.err;

  std::filesystem::remove(folder / "ncc.html");
  ASSERT_EQ(::mkfifo((folder / "ncc.html").c_str(), 0600), 0);
  const cRun fifo = fncPlay({.sBookFolder = folder.path().string(), .lFrom = 1, .sAudio = "null",
                             .bolFast = true});
  EXPECT_EQ(fifo.status, 1);
  EXPECT_NE(fifo.err.find((folder / "ncc.html").string() + ": not a regular file"), std::string::npos)
      << fifo.err;

  std::filesystem::create_directory_symlink("book", folder / "book");  // a folder that never ends
  const cRun folderLoop = fncPlay({.sBookFolder = (folder / "book").string(), .lFrom = 1,
                                   .sAudio = "null", .bolFast = true});
  EXPECT_EQ(folderLoop.status, 1);
  EXPECT_NE(folderLoop.err.find("Too many levels of symbolic links"), std::string::npos)
      << folderLoop.err;
}

TEST(HeadlessPlayer, AVolumeOfASetPlaysToThePointOnTheNextVolumeAndSaysSo) {
  TempFolder folder;
  fncWriteToneWav(folder / "a.wav", 1.0, 8000);
  fncWriteText(folder / "a.smil", fncSmil({{"p1", "a.wav", "npt=0s", "npt=0.5s"},
                                           {"p2", "a.wav", "npt=0.5s", "npt=1s"}}));
  fncWriteText(folder / "ncc.html",
               fncNcc({NccPoint().href("a.smil#p1").text("One"),
                       NccPoint().tag("h2").href("a.smil#p2").text("Two").rel("2")},
                      "<meta name=\"dc:format\" content=\"Daisy 2.02\" />\n"
                      "<meta name=\"ncc:setInfo\" content=\"1 of 2\" />\n"));
  const cRun run = fncPlay({.sBookFolder = folder.path().string(), .lFrom = 1, .sAudio = "null",
                            .bolFast = true});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "1 heading1 One\n2 heading2 Two\nvolume 1 of 2 ends here; the book goes on on "
                     "volume 2\n");
}

TEST(HeadlessPlayer, AnErrorWhilePlayingIsPrintedAndPlayingGoesOn) {
  TempFolder folder;
  fncWriteToneWav(folder / "a.wav", 1.0, 8000);
  fncWriteText(folder / "a.smil", fncSmil({{"p1", "a.wav", "npt=0s", "npt=0.5s"},
                                           {"p2", "gone.wav", "npt=0s", "npt=0.5s"},
                                           {"p3", "a.wav", "npt=0.5s", "npt=1s"}}));
  fncWriteText(folder / "NCC.HTM", fncNcc({NccPoint().href("a.smil#p1").text("One"),
                                           NccPoint().tag("h2").href("a.smil#p3").text("Three")}));
  const cRun run = fncPlay({.sBookFolder = folder.path().string(), .lFrom = 1, .sAudio = "null",
                            .bolFast = true});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "1 heading1 One\n2 heading2 Three\n");
  EXPECT_NE(run.err.find("Audiofile doens't exist or is corrupt (ctlDXM_evError): " +
                         (folder / "gone.wav").string() + ": No such file or directory"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("playback stopped"), std::string::npos) << run.err;
}

TEST(HeadlessPlayer, TakesTheNccItselfAsTheBook) {
  TempFolder folder;
  fncWriteToneWav(folder / "a.wav", 0.3, 8000);
  fncWriteText(folder / "a.smil", fncSmil({{"p1", "a.wav"}}));
  fncWriteText(folder / "ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("Whole file")}));
  const cRun run = fncPlay({.sBookFolder = (folder / "ncc.html").string(), .lFrom = 1,
                            .sAudio = "null", .bolFast = true});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "1 heading1 Whole file\n");
}

TEST(HeadlessPlayer, ReadsItsArguments) {
  std::string error;
  auto options = cHeadlessPlayer::fncParseArguments(
      {"book", "--from", "10", "--audio", "wav:/tmp/x.wav", "--fast"}, error);
  ASSERT_TRUE(options);
  EXPECT_EQ(options->sBookFolder, "book");
  EXPECT_EQ(options->lFrom, 10);
  EXPECT_EQ(options->sAudio, "wav:/tmp/x.wav");
  EXPECT_TRUE(options->bolFast);
  options = cHeadlessPlayer::fncParseArguments({"book"}, error);
  ASSERT_TRUE(options);
  EXPECT_EQ(options->lFrom, 1);
  EXPECT_FALSE(options->bolFast);
  EXPECT_FALSE(cHeadlessPlayer::fncParseArguments({}, error));
  EXPECT_FALSE(cHeadlessPlayer::fncParseArguments({"book", "--from", "0"}, error));
  EXPECT_FALSE(cHeadlessPlayer::fncParseArguments({"book", "--from", "3x"}, error));
  EXPECT_FALSE(cHeadlessPlayer::fncParseArguments({"book", "--from"}, error));
  EXPECT_FALSE(cHeadlessPlayer::fncParseArguments({"book", "--audio", "alsa"}, error));
  EXPECT_FALSE(cHeadlessPlayer::fncParseArguments({"book", "other"}, error));
  EXPECT_NE(error.find("other"), std::string::npos);
}

}  // namespace
}  // namespace lyn::testing
