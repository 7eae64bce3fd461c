// The audio options of `lyn-reader --play`: where the WAV goes, and what happens when it cannot.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "EngineTestSupport.h"
#include "shell/cHeadlessPlayer.h"
#include "tests/shell/HeadlessRun.h"
#include "tests/platform/audio/AudioTestFiles.h"

namespace lyn::testing {
namespace {

// A one-point book of 0.5 s of tone at 8 kHz.
void subWriteBook(const std::filesystem::path& folder) {
  fncWriteToneWav(folder / "a.wav", 0.5, 8000);
  fncWriteText(folder / "a.smil", fncSmil({{"p1", "a.wav"}}));
  fncWriteText(folder / "ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("Tone")}));
}

TEST(HeadlessAudio, AWavThatCannotBeWrittenEndsWithAFailureAndNamesIt) {
  TempFolder folder;
  subWriteBook(folder / "book");
  std::filesystem::create_directory(folder / "out.wav");
  for (const std::filesystem::path& target : {folder / "out.wav", folder / "no" / "out.wav"}) {
    const cRun run = fncPlay({.sBookFolder = (folder / "book").string(), .lFrom = 1,
                              .sAudio = "wav:" + target.string(), .bolFast = true});
    EXPECT_NE(run.status, 0) << target;
    EXPECT_NE(run.err.find(target.string()), std::string::npos) << run.err;
  }
  EXPECT_TRUE(std::filesystem::is_directory(folder / "out.wav"));

  // A device is written in place, and one that refuses the data fails the run.
  if (std::filesystem::is_character_file("/dev/full")) {
    const cRun full = fncPlay({.sBookFolder = (folder / "book").string(), .lFrom = 1,
                               .sAudio = "wav:/dev/full", .bolFast = true});
    EXPECT_NE(full.status, 0);
    EXPECT_NE(full.err.find("/dev/full"), std::string::npos) << full.err;
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
  }
}

TEST(HeadlessAudio, AWavOnStandardOutputSendsTheTextToStandardError) {
  TempFolder folder;
  subWriteBook(folder / "book");
  const auto captured = folder / "stdout.wav";
  std::fflush(stdout);
  const int saved = ::dup(STDOUT_FILENO);
  const int file = ::open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::dup2(file, STDOUT_FILENO);
  ::close(file);
  const cRun run = fncPlay({.sBookFolder = (folder / "book").string(), .lFrom = 1,
                            .sAudio = "wav:-", .bolFast = true});
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("1 heading1 Tone"), std::string::npos) << run.err;
  int rate = 0;
  EXPECT_EQ(fncWavFrames(captured, &rate), 4000);
  EXPECT_EQ(rate, 8000);
}

TEST(HeadlessAudio, AtStepFifteenTheBookShrinksByTheTempoAndTheShortenedPauses) {
  TempFolder folder;
  // Four one-second bursts of tone, two seconds of silence between them.
  std::filesystem::create_directory(folder / "book");
  test::subWriteWav(folder / "book" / "speech.wav", 22050, 1,
                    test::fncSpeechWithPauses(22050, 4, 1.0, 2.0));
  fncWriteText(folder / "book" / "a.smil",
               fncSmil({{"p1", "speech.wav", "npt=0s", "npt=10s"}}));
  fncWriteText(folder / "book" / "ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("Talk")}));
  const auto seconds = [&](const std::optional<int32_t>& step) {
    const auto wav = folder / "out.wav";
    const cRun run = fncPlay({.sBookFolder = (folder / "book").string(), .lFrom = 1,
                              .sAudio = "wav:" + wav.string(), .lSpeed = step,
                              .sSettingsFile = (folder / "registry.ini").string(),
                              .bolFast = true});
    EXPECT_EQ(run.status, 0) << run.err;
    int rate = 0;
    const int64_t frames = fncWavFrames(wav, &rate);
    return rate > 0 ? double(frames) / rate : 0.0;
  };
  EXPECT_NEAR(seconds(std::nullopt), 10.0, 0.02);  // step 5: the recording as it is
  // Row 15 (both built-in sets): tempo 200 %, pauses from 500 ms kept at 100/500. The speech
  // takes 4 s / 2, each pause 2 s / 5 / 2.
  const double predicted = 4.0 / 2 + 3 * (2.0 / 5) / 2;
  EXPECT_NEAR(seconds(15), predicted, 0.03 * predicted);
}

TEST(HeadlessAudio, ASpeedStepPastTheTableIsABadArgument) {
  TempFolder folder;
  subWriteBook(folder / "book");
  const cRun run = fncPlay({.sBookFolder = (folder / "book").string(), .lFrom = 1,
                            .sAudio = "wav:" + (folder / "out.wav").string(), .lSpeed = 16,
                            .sSettingsFile = (folder / "registry.ini").string(), .bolFast = true});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("0 to 15"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(folder / "out.wav"));
  std::string error;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"book", "--speed", "fast"}, {"book", "--speed", "-1"},
        {"book", "--speed", "3x"}, {"book", "--speed"}, {"book", "--speed", "3", "--speed", "4"}}) {
    EXPECT_FALSE(cHeadlessPlayer::fncParseArguments(args, error)) << args.back();
    EXPECT_FALSE(error.empty());
  }
  const auto options = cHeadlessPlayer::fncParseArguments({"book", "--speed", "15"}, error);
  ASSERT_TRUE(options);
  EXPECT_EQ(options->lSpeed, 15);
}

TEST(HeadlessAudio, AnEmptyWavPathIsABadArgument) {
  std::string error;
  EXPECT_FALSE(cHeadlessPlayer::fncParseArguments({"book", "--audio", "wav:"}, error));
  EXPECT_TRUE(cHeadlessPlayer::fncParseArguments({"book", "--audio", "wav:-"}, error));
}

}  // namespace
}  // namespace lyn::testing
