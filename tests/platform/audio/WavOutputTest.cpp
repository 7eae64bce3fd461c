// Where the WAV sink writes: regular files whole or not at all, FIFOs and links left as they are.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <thread>

#include "platform/audio/AudioSinks.h"
#include "platform/audio/cAudioEngine.h"
#include "platform/audio/cVirtualClock.h"
#include "platform/audio/cWavSink.h"
#include "tests/platform/audio/AudioTestFiles.h"

namespace lyn {
namespace {

std::string fncReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class WavOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source = test::fncRamp(22050, 1, 0.5);
    test::subWriteWav(dir / "in.wav", 22050, 1, source);
  }
  // Plays in.wav whole into `sink`, then closes it; returns what fncbClose said.
  bool fncbPlayInto(std::unique_ptr<cWavSink> sink, std::string& error) {
    cWavSink& wav = *sink;
    cAudioEngine engine(std::move(sink), false);
    std::string openError;
    EXPECT_TRUE(engine.fncbOpen(dir / "in.wav", openError)) << openError;
    engine.fncbPlay();
    while (engine.fncState() == cAudioEngine::eState::Running) clock.subAdvance(100);
    return wav.fncbClose(error);
  }

  test::cTempDir dir;
  std::vector<int16_t> source;
  cVirtualClock clock;
};

TEST_F(WavOutputTest, AFifoIsWrittenAsAStreamOfUnknownLengthAndStaysAFifo) {
  const auto fifo = dir / "pipe.wav";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] {
    const int fd = ::open(fifo.c_str(), O_RDONLY);
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) received.append(buffer, size_t(n));
    ::close(fd);
  });
  std::string error;
  const bool closed = fncbPlayInto(std::make_unique<cWavSink>(fifo, &clock), error);
  reader.join();
  EXPECT_TRUE(closed) << error;
  struct stat st {};
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ASSERT_EQ(received.size(), 44 + source.size() * 2);
  EXPECT_EQ(received.substr(4, 4), std::string(4, '\xFF'));
  EXPECT_EQ(received.substr(40, 4), std::string(4, '\xFF'));
  EXPECT_EQ(std::memcmp(received.data() + 44, source.data(), source.size() * 2), 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            2);  // no temporary file beside it
}

TEST_F(WavOutputTest, ALinkIsWrittenThroughToItsTargetWhichKeepsItsMode) {
  std::ofstream(dir / "real.wav") << "old";
  ::chmod((dir / "real.wav").c_str(), 0600);
  std::filesystem::create_symlink("real.wav", dir / "link.wav");
  std::string error;
  EXPECT_TRUE(fncbPlayInto(std::make_unique<cWavSink>(dir / "link.wav", &clock), error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.wav"));
  EXPECT_EQ(test::fncReadWav(dir / "real.wav"), source);
  EXPECT_EQ(std::filesystem::status(dir / "real.wav").permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(WavOutputTest, AStaleLinkWhereTheTemporaryFileWouldGoIsNeverWrittenThrough) {
  std::ofstream(dir / "victim") << "keep me";
  std::filesystem::create_symlink(dir / "victim", dir / "out.wav.tmp");
  std::string error;
  EXPECT_TRUE(fncbPlayInto(std::make_unique<cWavSink>(dir / "out.wav", &clock), error)) << error;
  EXPECT_EQ(fncReadAll(dir / "victim"), "keep me");
  EXPECT_EQ(test::fncReadWav(dir / "out.wav"), source);
}

TEST_F(WavOutputTest, AFolderOrAMissingFolderCannotBeWrittenAndSaysWhy) {
  std::filesystem::create_directory(dir / "folder.wav");
  std::string error;
  cWavSink folder(dir / "folder.wav", &clock);
  EXPECT_FALSE(folder.fncbOpenOutput(error));
  EXPECT_NE(error.find("is a folder"), std::string::npos) << error;
  EXPECT_FALSE(folder.fncbClose(error));

  cWavSink missing(dir / "no" / "out.wav", &clock);
  EXPECT_FALSE(missing.fncbOpenOutput(error));
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
  EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.wav"));
}

TEST_F(WavOutputTest, StandardOutputGetsAStreamAndASecondPlayerNone) {
  const auto captured = dir / "stdout";
  std::fflush(stdout);
  const int saved = ::dup(STDOUT_FILENO);
  const int file = ::open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::dup2(file, STDOUT_FILENO);
  ::close(file);
  std::string error;
  const bool closed = fncbPlayInto(std::make_unique<cWavSink>("-", &clock), error);
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);
  EXPECT_TRUE(closed) << error;
  const std::string bytes = fncReadAll(captured);
  ASSERT_EQ(bytes.size(), 44 + source.size() * 2);
  EXPECT_EQ(bytes.substr(40, 4), std::string(4, '\xFF'));
  EXPECT_FALSE(std::filesystem::exists(dir / "-"));

  auto prompts = fncMakeAudioSink(fncParseAudioChoice("wav:-"), ".prompts", &clock);
  EXPECT_STREQ(prompts->fncName(), "null");
}

}  // namespace
}  // namespace lyn
