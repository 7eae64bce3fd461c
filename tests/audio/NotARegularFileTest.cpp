// Audio files that are no regular files (a FIFO, a folder, a device) are refused with error 1 at
// once, for the book player, the prompt player and the media check alike.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cPhraseAudioHandler.h"
#include "platform/audio/cVirtualClock.h"
#include "tests/platform/audio/AudioTestFiles.h"

namespace lyn {
namespace {

TEST(NotARegularFileTest, AFifoAFolderOrADeviceGivesErrorOneAndNeverHangs) {
  test::cTempDir dir;
  // Named .wav so that the book player's WAV check reads it first.
  ASSERT_EQ(::mkfifo((dir / "pipe.wav").c_str(), 0600), 0);
  std::filesystem::create_directory(dir / "folder.mp3");
  cVirtualClock clock;
  cAudioPlaybackSystem player(std::make_unique<cPhraseAudioHandler>(
      eAudioRole::Book, std::make_unique<test::cCaptureSink>(clock)));
  for (const std::filesystem::path& path : {dir / "pipe.wav", dir / "folder.mp3",
                                            std::filesystem::path("/dev/zero")}) {
    player.mlErrorNumber = 0;
    player.psFileName(path.string());
    EXPECT_EQ(player.mlErrorNumber, 1) << path;
    EXPECT_EQ(player.msErrorLocation, "Filename");
    EXPECT_FALSE(player.mbAudioFileLoaded) << path;
    EXPECT_EQ(player.msErrorDetail.find(path.string() + ": "), 0u) << player.msErrorDetail;
    player.mlErrorNumber = 0;
    player.psnotXingFilename(path.string());
    EXPECT_EQ(player.mlErrorNumber, 1) << path;
    std::string error;
    EXPECT_FALSE(fncbCanPlayAudioFile(path.string(), &error));
    EXPECT_NE(error.find(path.string()), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace lyn
