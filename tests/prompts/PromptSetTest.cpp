// The prompt set the build makes: every key of the table has a clip in prompts.bin, and its
// audio speaks through the real audio control.

#include <gtest/gtest.h>

#include <sndfile.h>

#include <filesystem>
#include <memory>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cPhraseAudioHandler.h"
#include "audio/cPositionCheckTimer.h"
#include "platform/audio/cVirtualClock.h"
#include "platform/audio/cWavSink.h"
#include "platform/storage/cAtomicFile.h"
#include "prompts/PromptFileHeader.h"
#include "prompts/cPromptHandler.h"
#include "tests/TempFolder.h"
#include "tools/AudioClips.h"
#include "tools/cPromptTable.h"

namespace lyn {
namespace {

const std::filesystem::path kData = LYN_BUILD_DATA_DIR;

PromptFileHeader fncBuiltSet() {
  std::string bytes;
  PromptFileHeader h;
  EXPECT_TRUE(fncReadWholeFile(kData / "prompts.bin", bytes));
  EXPECT_EQ(fncDecodePromptFile(bytes, h), enPromptFileResult::ok);
  return h;
}

TEST(BuiltPromptSet, GivesEveryKeyOfTheTableAClipInItsAudio) {
  tools::cPromptTable table;
  std::string error;
  ASSERT_TRUE(table.fncbRead(std::filesystem::path(LYN_TEST_SOURCE_DIR).parent_path() / "data" /
                                 "prompts-en.tsv",
                             error));
  const PromptFileHeader h = fncBuiltSet();
  EXPECT_EQ(h.sVersion, "1.3");
  EXPECT_EQ(h.sLanguage, "English");
  ASSERT_TRUE(std::filesystem::exists(kData / h.sAudioFile)) << h.sAudioFile;
  ASSERT_EQ(h.entries.size(), table.rows.size());
  EXPECT_EQ(h.lLastEntry, int32_t(h.entries.size()) - 1);
  double previousEnd = 0;
  for (size_t i = 0; i < h.entries.size(); ++i) {
    const PromptEntry& e = h.entries[i];
    EXPECT_EQ(e.sKey, table.rows[i].sKey);
    EXPECT_EQ(e.sText, table.rows[i].sText);
    EXPECT_GT(e.dClipEnd, e.dClipBegin) << e.sKey;
    EXPECT_GE(e.dClipBegin, previousEnd) << e.sKey << " overlaps the clip before it";
    previousEnd = e.dClipEnd;
  }
}

TEST(BuiltPromptSet, SpeaksVolumeEightAudiblyForTheLengthOfItsTwoClips) {
  testing::TempFolder out;
  const auto wav = out / "heard.wav";
  double expected = 0;
  {
    cVirtualClock clock;
    auto control = std::make_unique<cPhraseAudioHandler>(
        eAudioRole::Prompt, std::make_unique<cWavSink>(wav, &clock));
    cAudioPlaybackSystem player(std::move(control));
    cPositionCheckTimer timer(&clock);
    timer.subAttach(player);
    cMessageQueue messages;
    cPromptHandler handler(messages, kData.string());
    handler.subSetPlayers(&player, nullptr);
    ASSERT_TRUE(handler.fncbLoadPromptFile("prompts.bin"));
    for (const char* key : {"con_volume", "uc_56"}) {
      const auto clip = handler.fncRequestEntry(key);
      ASSERT_TRUE(std::holds_alternative<double>(clip[1])) << key;
      expected += std::max(0.45, std::get<double>(clip[2]) - std::get<double>(clip[1]));
    }
    handler.subAddAudioPrompts(3, true, false, false, {"con_volume", 8});
    for (int tick = 0; tick < 1000 && handler.fncQueueCount() > 0; ++tick) {
      while (messages.hasNext())
        if (messages.fncgetNextMessageQueueItem()->fncgetMessageName() == "PLAYNEXTPROMPT")
          handler.subPlayNextPrompt();
      messages.subclearQue();
      timer.subTick();
    }
    EXPECT_EQ(handler.fncQueueCount(), 0) << "the prompts did not end";
  }
  SF_INFO info{};
  SNDFILE* file = sf_open(wav.c_str(), SFM_READ, &info);
  ASSERT_NE(file, nullptr);
  std::vector<int16_t> samples(size_t(info.frames) * size_t(info.channels));
  sf_read_short(file, samples.data(), sf_count_t(samples.size()));
  sf_close(file);
  const double seconds = double(info.frames) / info.samplerate;
  EXPECT_NEAR(seconds, expected, 0.05);
  // Speech at volume step 8 of 10, not silence, in both halves.
  const size_t half = samples.size() / 2;
  EXPECT_GT(tools::fncRms(samples.data(), half), 300.0);
  EXPECT_GT(tools::fncRms(samples.data() + half, samples.size() - half), 100.0);
}

}  // namespace
}  // namespace lyn
