// Loads a fuzzed NCC and a fuzzed SMIL file from a temporary folder and walks every navigation
// operation of the engine over them.
//
// Input: the NCC's text, then "\n@@SMIL@@\n", then the text of "a.smil". Without the separator
// the whole input is the NCC and "a.smil" is a small valid file. The folder also holds "b.smil"
// (valid) and a short WAV, "a.wav", which both SMIL files name, so that books get past the
// audio check of loading. The audio control is a stand-in on fuzz time: nothing is decoded while
// playing, but opening asks the file system as the real one does.

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "audio/PhraseAudioHandler.h"
#include "audio/cAudioPlaybackSystem.h"
#include "engine/cNCCReader.h"
#include "queue/cMessageQueue.h"

namespace {

using namespace lyn;

constexpr std::string_view kSeparator = "\n@@SMIL@@\n";

const char* kValidSmil =
    "<smil><body><seq>"
    "<par id=\"p1\"><text id=\"t1\" src=\"c.html#1\"/>"
    "<audio id=\"c1\" src=\"a.wav\" clip-begin=\"npt=0s\" clip-end=\"npt=0.1s\"/></par>"
    "<par id=\"p2\" system-required=\"pagenumber-on\"><audio src=\"A.WAV\" clip-begin=\"npt=0.1s\"/></par>"
    "<par id=\"p3\"><seq><audio id=\"c3\" src=\"a.wav\"/><audio src=\"a.wav\" clip-end=\"npt=9s\"/></seq></par>"
    "</seq></body></smil>";

class cStubControl final : public PhraseAudioHandler {
 public:
  bool OpenFile(const std::string& name) override {
    mbFile = std::filesystem::is_regular_file(name);
    if (!mbFile) return fncbFail("missing");
    mlPosition = 0;
    mbEnd = false;
    return true;
  }
  bool Play() override { return mbFile ? (mlState = kRunning, true) : fncbFail("no file"); }
  bool Pause() override { return mbFile ? (mlState = kPaused, true) : fncbFail("no file"); }
  bool CloseFile() override { return mbFile = false, true; }
  bool Seek(int32_t ms) override {
    if (!mbFile) return fncbFail("no file");
    mlPosition = std::clamp(ms, 0, kLength);
    mbEnd = false;
    return true;
  }
  bool StopAt(int32_t ms) override { return ms >= 0 && ms <= kLength; }
  void ClearStopAt() override {}
  int32_t Position() override { return mbFile ? mlPosition : -1; }
  int32_t Duration() override { return mbFile ? kLength : 0; }
  bool EndOfStream() override { return mbEnd; }
  int32_t State() override { return mlState; }
  bool SetVolume(int32_t) override { return true; }
  bool SetRate(double) override { return true; }
  double Rate() override { return 1.0; }
  bool IsUsingVari() override { return false; }
  bool SetVariParameters(double, int16_t, int16_t, int16_t, int16_t, int16_t) override { return true; }

 private:
  static constexpr int32_t kLength = 1000;
  bool mbFile = false;
  bool mbEnd = false;
  int32_t mlPosition = 0;
  int32_t mlState = kStopped;
};

void fncWrite(const std::filesystem::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// The folder of one fuzzing process, removed when the process ends. It is named after the
// process, so a run that was killed (and could not clean up) is cleared by the next one.
class cFuzzFolder {
 public:
  cFuzzFolder() {
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    subRemoveLeftovers(temp);
    std::string pattern = (temp / ("lyn-fuzz-" + std::to_string(::getpid()) + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) std::abort();
    mPath = pattern;
    // A tenth of a second of silence, 8 kHz mono.
    std::string wav = "RIFF";
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) wav.push_back(char((v >> (8 * i)) & 0xFF)); };
    auto u16 = [&](uint16_t v) { wav.push_back(char(v & 0xFF)); wav.push_back(char(v >> 8)); };
    u32(36 + 1600);
    wav += "WAVEfmt ";
    u32(16); u16(1); u16(1); u32(8000); u32(16000); u16(2); u16(16);
    wav += "data";
    u32(1600);
    wav.append(1600, '\0');
    fncWrite(mPath / "a.wav", wav);
    fncWrite(mPath / "b.smil", kValidSmil);
  }
  ~cFuzzFolder() {
    std::error_code ec;
    std::filesystem::remove_all(mPath, ec);
  }
  cFuzzFolder(const cFuzzFolder&) = delete;
  cFuzzFolder& operator=(const cFuzzFolder&) = delete;

  const std::filesystem::path& path() const { return mPath; }

 private:
  // Folders of this target whose process is gone.
  static void subRemoveLeftovers(const std::filesystem::path& temp) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(temp, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (name.rfind("lyn-fuzz-", 0) != 0) continue;
      const long pid = std::strtol(name.c_str() + 9, nullptr, 10);
      if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
        std::error_code ignored;
        std::filesystem::remove_all(it->path(), ignored);
      }
    }
  }

  std::filesystem::path mPath;
};

const std::filesystem::path& fncFolder() {
  // Destroyed at exit like any static object; nothing refers to it after that.
  static const cFuzzFolder folder;
  return folder.path();
}

void fncWalk(cNCCReader& reader, cAudioPlaybackSystem& player, cMessageQueue& queue) {
  const std::vector<std::vector<std::string>> units = {
      {"audio"}, {"heading1", "heading2", "heading3"}, {"page"}, {"sidebar", "noteref", "prodnote"}};
  const int32_t points = std::min(reader.lNumberOfTocItems(), 40);
  int32_t current = 0, total = 0;
  for (int32_t n = 0; n <= points + 1; ++n) {
    reader.fncbPlayTocItem(n);
    reader.subCalculatePosition("phrase", current, total);
    reader.subCalculatePosition("event", current, total);
    reader.subCountTocPosition();
    for (const auto& unit : units) {
      reader.fncNavigate(1, 2, unit);
      reader.fncNavigate(-1, 1, unit);
    }
    if (const cTocItem* item = n >= 1 && n <= reader.lNumberOfTocItems() ? reader.pToc(n) : nullptr)
      reader.fncGotoPosition(item->sSmilFile, item->sSmilID, 3);
    queue.subclearQue();
  }
  // Continuous play: end after end of clip, until the book ends or enough clips have passed.
  reader.fncbPlayTocItem(1);
  for (int clip = 0; clip < 200; ++clip) {
    reader.CtlDxm_evEndOfStream();
    if (reader.fncbAtEndOfBook()) break;
  }
  player.subDoYourEvents();
  // The SMIL player by itself.
  cSmilPlayer& smil = reader.clsSmilPlayer();
  for (int32_t n = 0; n <= std::min(smil.lParListCount(), 30) + 1; ++n) {
    smil.fncGotoParByNumber(n);
    smil.fncSetParToLast();
    smil.fncRetrievePreviousMedia();
    smil.fncSetParToFirst();
    smil.fncRetrieveNextMedia();
    smil.fncRetrieveCurrentMedia();
  }
  for (int step = 0; step < 300 && smil.fncRetrievePreviousMedia(); ++step) {
  }
  for (int step = 0; step < 300 && smil.fncRetrieveNextMedia(); ++step) {
  }
  queue.subclearQue();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path& folder = fncFolder();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find(kSeparator);
  fncWrite(folder / "ncc.html", input.substr(0, cut));
  fncWrite(folder / "a.smil",
           cut == std::string_view::npos ? std::string_view(kValidSmil) : input.substr(cut + kSeparator.size()));

  cMessageQueue queue;
  cAudioPlaybackSystem player(std::make_unique<cStubControl>());
  cNCCReader reader(queue);
  reader.ctlDXM(&player);
  reader.fncbLoadBook(folder.string(), "ncc.html");
  fncWalk(reader, player, queue);
  return 0;
}
