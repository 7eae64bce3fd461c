#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "platform/audio/AudioDecoders.h"
#include "platform/audio/cMpg123Decoder.h"
#include "platform/audio/cSndfileDecoder.h"
#include "tests/platform/audio/AudioTestFiles.h"

namespace lyn {
namespace {

using test::cTempDir;

// They own C handles: a copy would close them twice.
static_assert(!std::is_copy_constructible_v<cMpg123Decoder> &&
              !std::is_copy_assignable_v<cMpg123Decoder>);
static_assert(!std::is_copy_constructible_v<cSndfileDecoder> &&
              !std::is_copy_assignable_v<cSndfileDecoder>);

std::vector<int16_t> fncReadAll(iAudioDecoder& decoder) {
  std::vector<int16_t> all;
  std::vector<int16_t> chunk(4096 * 2);
  const int channels = decoder.fncFormat().channels;
  while (size_t n = decoder.fncRead(chunk.data(), 4096))
    all.insert(all.end(), chunk.begin(), chunk.begin() + std::ptrdiff_t(n * channels));
  return all;
}

class DecoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source = test::fncRamp(22050, 1, 3.0);
    test::subWriteWav(dir / "ramp.wav", 22050, 1, source);
    tone = test::fncSine(22050, 1, 3.0, 440);
    test::subWriteWav(dir / "tone.wav", 22050, 1, tone);
  }
  bool fncbMakeMp3() {
    return test::fncbEncodeMp3(dir / "tone.wav", dir / "tone.mp3");
  }
  cTempDir dir;
  std::vector<int16_t> source;
  std::vector<int16_t> tone;
  std::string error;
};

TEST_F(DecoderTest, WavDecodesBitExactWithItsExactLength) {
  auto decoder = fncOpenAudioDecoder(dir / "ramp.wav", error);
  ASSERT_TRUE(decoder) << error;
  EXPECT_EQ(decoder->fncFormat(), (AudioFormat{22050, 1}));
  EXPECT_EQ(decoder->fncLength(), 66150);
  EXPECT_TRUE(decoder->fncbLengthExact());
  EXPECT_EQ(fncReadAll(*decoder), source);
}

TEST_F(DecoderTest, SeeksLandOnTheExactSample) {
  auto decoder = fncOpenAudioDecoder(dir / "ramp.wav", error);
  ASSERT_TRUE(decoder);
  ASSERT_TRUE(decoder->fncbSeek(22057));
  std::vector<int16_t> got(100);
  ASSERT_EQ(decoder->fncRead(got.data(), 100), 100u);
  EXPECT_TRUE(std::equal(got.begin(), got.end(), source.begin() + 22057));

  ASSERT_TRUE(fncbMakeMp3()) << "lame is needed (scripts/debian-packages.txt)";
  auto mp3 = fncOpenAudioDecoder(dir / "tone.mp3", error);
  ASSERT_TRUE(mp3) << error;
  const auto reference = test::fncReferenceDecode(dir / "tone.mp3");
  ASSERT_TRUE(mp3->fncbSeek(33075));
  std::vector<int16_t> after(2000);
  ASSERT_EQ(mp3->fncRead(after.data(), 2000), 2000u);
  int worst = 0;
  for (size_t i = 0; i < after.size(); ++i)
    worst = std::max(worst, std::abs(after[i] - reference[33075 + i]));
  EXPECT_LE(worst, 2);
}

TEST_F(DecoderTest, Mp3IsGaplessAndItsLengthIsExact) {
  ASSERT_TRUE(fncbMakeMp3()) << "lame is needed (scripts/debian-packages.txt)";
  auto decoder = fncOpenAudioDecoder(dir / "tone.mp3", error);
  ASSERT_TRUE(decoder) << error;
  EXPECT_EQ(decoder->fncFormat(), (AudioFormat{22050, 1}));
  EXPECT_EQ(decoder->fncLength(), 66150);
  EXPECT_TRUE(decoder->fncbLengthExact());
  EXPECT_EQ(fncReadAll(*decoder).size(), 66150u);
}

TEST_F(DecoderTest, TheContentNotTheNameChoosesTheDecoder) {
  ASSERT_TRUE(fncbMakeMp3()) << "lame is needed (scripts/debian-packages.txt)";
  std::filesystem::copy_file(dir / "tone.mp3", dir / "mp3-named.wav");
  std::filesystem::copy_file(dir / "ramp.wav", dir / "wav-named.mp3");
  auto a = fncOpenAudioDecoder(dir / "mp3-named.wav", error);
  ASSERT_TRUE(a) << error;
  EXPECT_EQ(a->fncLength(), 66150);
  auto b = fncOpenAudioDecoder(dir / "wav-named.mp3", error);
  ASSERT_TRUE(b) << error;
  EXPECT_EQ(fncReadAll(*b), source);
}

TEST_F(DecoderTest, FilesThatAreNoAudioAreRefusedWithAReason) {
  std::ofstream(dir / "empty.mp3").close();
  std::ofstream(dir / "text.mp3") << "<html><body>This is not audio at all.</body></html>\n";
  std::string noise(20000, '\0');
  uint32_t x = 12345;
  for (char& c : noise) c = static_cast<char>((x = x * 1103515245 + 12345) >> 24);
  std::ofstream(dir / "noise.wav", std::ios::binary) << noise;
  for (const char* name : {"missing.mp3", "empty.mp3", "text.mp3", "noise.wav"}) {
    error.clear();
    EXPECT_FALSE(fncOpenAudioDecoder(dir / name, error)) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
  EXPECT_FALSE(fncbAudioFileDecodes(dir / "empty.mp3", error));
  EXPECT_TRUE(fncbAudioFileDecodes(dir / "ramp.wav", error));
}

TEST_F(DecoderTest, DamagedStreamsDecodeAsFarAsTheyGo) {
  ASSERT_TRUE(fncbMakeMp3()) << "lame is needed (scripts/debian-packages.txt)";
  std::ifstream in(dir / "tone.mp3", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Cut in the middle of a frame.
  std::ofstream(dir / "cut.mp3", std::ios::binary) << bytes.substr(0, bytes.size() / 2 + 37);
  // Garbage over a stretch in the middle.
  std::string broken = bytes;
  for (size_t i = broken.size() / 2; i < broken.size() / 2 + 300; ++i) broken[i] = char(i * 7);
  std::ofstream(dir / "broken.mp3", std::ios::binary) << broken;

  auto cut = fncOpenAudioDecoder(dir / "cut.mp3", error);
  ASSERT_TRUE(cut) << error;
  const size_t cutFrames = fncReadAll(*cut).size();
  EXPECT_GT(cutFrames, 20000u);
  EXPECT_LT(cutFrames, 45000u);

  auto damaged = fncOpenAudioDecoder(dir / "broken.mp3", error);
  ASSERT_TRUE(damaged) << error;
  const size_t frames = fncReadAll(*damaged).size();
  EXPECT_GT(frames, 60000u);  // it went on after the damage
  EXPECT_LE(frames, 66150u + 576u);
}

TEST_F(DecoderTest, AWavHeaderThatPromisesTooMuchIsReadToTheRealEnd) {
  std::ifstream in(dir / "ramp.wav", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  bytes.resize(44 + 20000);  // the header still says 66150 frames
  std::ofstream(dir / "liar.wav", std::ios::binary) << bytes;
  auto decoder = fncOpenAudioDecoder(dir / "liar.wav", error);
  ASSERT_TRUE(decoder) << error;
  const auto all = fncReadAll(*decoder);
  EXPECT_EQ(all.size(), 10000u);
  EXPECT_TRUE(std::equal(all.begin(), all.end(), source.begin()));
}

TEST_F(DecoderTest, AFifoAFolderOrADeviceIsRefusedAtOnceNamingTheFile) {
  // A FIFO would block an open for good, and /dev/zero would never end.
  ASSERT_EQ(::mkfifo((dir / "pipe.mp3").c_str(), 0600), 0);
  std::filesystem::create_directory(dir / "folder.wav");
  const std::vector<std::pair<std::filesystem::path, std::string>> cases = {
      {dir / "pipe.mp3", "not a regular file"},
      {dir / "folder.wav", "is a folder"},
      {"/dev/zero", "not a regular file"}};
  for (const auto& [path, reason] : cases) {
    error.clear();
    EXPECT_FALSE(fncOpenAudioDecoder(path, error)) << path;
    EXPECT_EQ(error, path.string() + ": " + reason);
    EXPECT_FALSE(fncbAudioFileDecodes(path, error)) << path;
  }
}

TEST_F(DecoderTest, AnMp3IsReadInLargeBlocksAndDecodesAsMpg123Does) {
  test::subWriteWav(dir / "long.wav", 22050, 1, test::fncSine(22050, 1, 60.0, 330));
  ASSERT_TRUE(test::fncbEncodeMp3(dir / "long.wav", dir / "long.mp3"));
  auto decoder = fncOpenAudioDecoder(dir / "long.mp3", error);
  ASSERT_TRUE(decoder) << error;
  const auto all = fncReadAll(*decoder);
  EXPECT_EQ(all, test::fncReferenceDecode(dir / "long.mp3"));
  // About 480 KB: a handful of 128-KiB reads, not two per MPEG frame (2,300 frames).
  const auto bytes = std::filesystem::file_size(dir / "long.mp3");
  const auto reads = dynamic_cast<cMpg123Decoder&>(*decoder).fncFileReads();
  EXPECT_LE(reads, int64_t(bytes / (128 * 1024)) + 8) << bytes << " bytes";
}

}  // namespace
}  // namespace lyn
