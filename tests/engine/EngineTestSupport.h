#pragma once
// Small books written by the tests themselves (NCC, SMIL and tone WAV files), a recording audio
// control that runs on test time, and a harness that joins a reader, a playback object and a
// queue the way the player does.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "audio/PhraseAudioHandler.h"
#include "audio/cAudioPlaybackSystem.h"
#include "engine/cNCCReader.h"
#include "markup/cElementData.h"
#include "queue/cMessageQueue.h"

namespace lyn::testing {

inline void fncWriteText(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// A 16-bit mono PCM WAV of `seconds`: a sine tone, or silence with `amplitude` 0.
inline void fncWriteToneWav(const std::filesystem::path& path, double seconds, int rate = 8000,
                            double frequency = 440, double amplitude = 0.5) {
  const auto frames = static_cast<uint32_t>(std::llround(seconds * rate));
  std::string data;
  data.reserve(frames * 2);
  for (uint32_t i = 0; i < frames; ++i) {
    const double v = amplitude * std::sin(2 * M_PI * frequency * i / rate);
    const auto s = static_cast<int16_t>(std::lround(v * 32767));
    data.push_back(static_cast<char>(s & 0xFF));
    data.push_back(static_cast<char>((s >> 8) & 0xFF));
  }
  auto u32 = [](uint32_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 24) & 0xFF)};
  };
  auto u16 = [](uint16_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
  };
  std::string wav = "RIFF" + u32(36 + static_cast<uint32_t>(data.size())) + "WAVE" + "fmt " +
                    u32(16) + u16(1) + u16(1) + u32(static_cast<uint32_t>(rate)) +
                    u32(static_cast<uint32_t>(rate) * 2) + u16(2) + u16(16) + "data" +
                    u32(static_cast<uint32_t>(data.size())) + data;
  fncWriteText(path, wav);
}

// Frames of a 16-bit PCM WAV written by the WAV sink, and its rate; 0 when unreadable.
inline int64_t fncWavFrames(const std::filesystem::path& path, int* rate = nullptr,
                            std::vector<int16_t>* samples = nullptr) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0) return 0;
  auto u32 = [&](size_t at) {
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
  };
  auto u16 = [&](size_t at) { return uint16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8); };
  size_t at = 12;
  uint16_t channels = 1;
  while (at + 8 <= bytes.size()) {
    const std::string id = bytes.substr(at, 4);
    const uint32_t size = u32(at + 4);
    if (id == "fmt ") {
      channels = u16(at + 10);
      if (rate) *rate = static_cast<int>(u32(at + 12));
    } else if (id == "data") {
      const size_t length = std::min<size_t>(size, bytes.size() - at - 8);
      if (samples) {
        samples->resize(length / 2);
        for (size_t i = 0; i < samples->size(); ++i)
          (*samples)[i] = static_cast<int16_t>(u16(at + 8 + 2 * i));
      }
      return static_cast<int64_t>(length / 2 / channels);
    }
    at += 8 + size + (size & 1);
  }
  return 0;
}

// One body element of an NCC: NccPoint().tag("span").cls("page-normal").href("a.smil#p2").
struct NccPoint {
  NccPoint& tag(std::string v) { sTag = std::move(v); return *this; }
  NccPoint& cls(std::string v) { sCls = std::move(v); return *this; }
  NccPoint& id(std::string v) { sId = std::move(v); return *this; }
  NccPoint& href(std::string v) { sHref = std::move(v); return *this; }
  NccPoint& text(std::string v) { sText = std::move(v); return *this; }  // inner HTML of the link
  NccPoint& rel(std::string v) { sRel = std::move(v); return *this; }
  std::string sTag = "h1", sCls, sId, sHref, sText, sRel;
};

inline std::string fncNcc(const std::vector<NccPoint>& points,
                          const std::string& head = "<meta name=\"dc:format\" content=\"Daisy 2.02\" />\n"
                                                    "<meta name=\"dc:title\" content=\"Test book\" />\n") {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n<title>Test</title>\n" +
      head + "</head>\n<body>\n";
  int n = 0;
  for (const NccPoint& p : points) {
    ++n;
    const std::string id = p.sId.empty() ? "n" + std::to_string(n) : p.sId;
    text += "<" + p.sTag + " id=\"" + id + "\"" +
            (p.sCls.empty() ? "" : " class=\"" + p.sCls + "\"") + "><a href=\"" + p.sHref + "\"" +
            (p.sRel.empty() ? "" : " rel=\"" + p.sRel + "\"") + ">" + p.sText + "</a></" + p.sTag +
            ">\n";
  }
  return text + "</body>\n</html>\n";
}

// One par of a SMIL file: a text element and an audio clip (times as written; "" leaves the
// attribute out).
struct SmilPar {
  SmilPar(std::string i, std::string a, std::string b = "", std::string e = "", std::string s = "")
      : id(std::move(i)), audio(std::move(a)), begin(std::move(b)), end(std::move(e)),
        sysreq(std::move(s)) {}
  std::string id, audio, begin, end, sysreq;
  bool withText = true;
};

inline std::string fncSmilDocument(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<smil>\n<head>\n"
         "<meta name=\"dc:format\" content=\"Daisy 2.02\" />\n</head>\n<body>\n<seq>\n" +
         body + "</seq>\n</body>\n</smil>\n";
}

inline std::string fncSmil(const std::vector<SmilPar>& pars) {
  std::string body;
  for (const SmilPar& p : pars) {
    body += "<par endsync=\"last\" id=\"" + p.id + "\"" +
            (p.sysreq.empty() ? "" : " system-required=\"" + p.sysreq + "\"") + ">\n";
    if (p.withText)
      body += "<text id=\"t" + p.id + "\" src=\"content.html#x" + p.id + "\" />\n";
    body += "<audio id=\"a" + p.id + "\" src=\"" + p.audio + "\"" +
            (p.begin.empty() ? "" : " clip-begin=\"" + p.begin + "\"") +
            (p.end.empty() ? "" : " clip-end=\"" + p.end + "\"") + " />\n</par>\n";
  }
  return fncSmilDocument(body);
}

// "npt=<seconds>s"
inline std::string fncNpt(double seconds) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "npt=%.3fs", seconds);
  return buffer;
}

// An audio control on test time: files open when they exist on disk (their length is taken from
// `durations` by file name, else 60 s; a negative one fails to open), every seek is logged, and time moves only by subAdvance.
class cFakeAudioControl final : public PhraseAudioHandler {
 public:
  struct cState {
    std::map<std::string, int32_t> durations;  // milliseconds, by file name
    std::vector<std::string> opened;
    std::vector<int32_t> seeks;
    bool hasFile = false;
    std::string file;
    int32_t position = 0;
    int32_t duration = 0;
    int32_t stop = -1;
    bool eos = false;
    int32_t state = kStopped;
    int64_t heard = 0;  // milliseconds played in all
    bool usingVari = false;  // the speed stage is in the chain
  };

  explicit cFakeAudioControl(std::shared_ptr<cState> state) : mState(std::move(state)) {}

  bool OpenFile(const std::string& name) override {
    cState& s = *mState;
    s.hasFile = false;
    if (!std::filesystem::is_regular_file(name)) return fncbFail("missing: " + name);
    const auto it = s.durations.find(std::filesystem::path(name).filename().string());
    // A negative length stands for a file that exists but does not decode.
    if (it != s.durations.end() && it->second < 0) return fncbFail("broken: " + name);
    s.hasFile = true;
    s.file = name;
    s.opened.push_back(name);
    s.position = 0;
    s.stop = -1;
    s.eos = false;
    s.state = kStopped;
    s.duration = it == s.durations.end() ? 60000 : it->second;
    return true;
  }
  bool Play() override {
    if (!mState->hasFile) return fncbFail("no file");
    mState->state = kRunning;
    return true;
  }
  bool Pause() override {
    if (!mState->hasFile) return fncbFail("no file");
    mState->state = kPaused;
    return true;
  }
  bool CloseFile() override {
    mState->hasFile = false;
    mState->state = kStopped;
    return true;
  }
  bool Seek(int32_t ms) override {
    if (!mState->hasFile) return fncbFail("no file");
    mState->seeks.push_back(ms);
    mState->position = std::clamp(ms, 0, mState->duration);
    mState->eos = false;
    return true;
  }
  bool StopAt(int32_t ms) override {
    if (ms < 0 || ms > mState->duration) return false;
    mState->stop = ms;
    mState->eos = false;
    return true;
  }
  void ClearStopAt() override {
    if (mState->stop < 0) return;
    mState->stop = -1;
    mState->eos = false;
  }
  int32_t Position() override { return mState->hasFile ? mState->position : -1; }
  int32_t Duration() override { return mState->hasFile ? mState->duration : 0; }
  bool EndOfStream() override { return mState->eos; }
  int32_t State() override { return mState->state; }
  bool SetVolume(int32_t) override { return true; }
  bool SetRate(double) override { return true; }
  double Rate() override { return 1.0; }
  bool IsUsingVari() override { return mState->usingVari; }
  bool SetVariParameters(double, int16_t, int16_t, int16_t, int16_t, int16_t) override {
    return true;
  }

  // Plays `ms` of test time.
  static void subAdvance(cState& s, int32_t ms) {
    if (!s.hasFile || s.state != kRunning) return;
    int32_t target = s.position + ms;
    if (s.stop >= 0 && target >= s.stop) {
      target = s.stop;
      s.stop = -1;
      s.state = kStopped;
      s.eos = true;
    } else if (target >= s.duration) {
      target = s.duration;
      s.state = kStopped;
      s.eos = true;
    }
    s.heard += target - s.position;
    s.position = target;
  }

 private:
  std::shared_ptr<cState> mState;
};

// Records the reader's events as short lines.
class cReaderRecorder final : public iNCCReaderListener, public iNCCReaderOwner {
 public:
  explicit cReaderRecorder(cNCCReader& reader) : mReader(reader) {}
  void evError() override {
    lines.push_back("error " + std::to_string(mReader.lErrorNumber) + " " + mReader.sErrorLocation);
    if (!mReader.sErrorDetail.empty()) details.push_back(mReader.sErrorDetail);
  }
  void evTocPositionChanged(int32_t n) override { toc.push_back(n); }
  void evAutomaticMovement() override { ++automatic; }
  void evNewMedia(const cElementData& e) override {
    media.push_back(std::string(e.sElementName()) + ":" + std::string(e.fncAttrContentWOQ("id")));
  }
  void evNewPar() override { ++newPars; }
  void evEOS() override { ++eos; }
  void clsNccReader_evError() override { ++ownerErrors; }
  void clsNCCReader_evAutomaticMovement() override { ++ownerAutomatic; }
  void clsNccReader_evNewPar() override { ++ownerNewPars; }

  bool fncbHasError(int32_t number, const std::string& location) const {
    return std::find(lines.begin(), lines.end(),
                     "error " + std::to_string(number) + " " + location) != lines.end();
  }

  std::vector<std::string> lines;
  std::vector<std::string> details;  // the file and reason of those errors that have them
  std::vector<int32_t> toc;
  std::vector<std::string> media;
  int automatic = 0, newPars = 0, eos = 0;
  int ownerErrors = 0, ownerAutomatic = 0, ownerNewPars = 0;

 private:
  cNCCReader& mReader;
};

// A reader on a fake control, with the queue pumped the way the player does it ("START" plays).
class cEngineHarness {
 public:
  cEngineHarness()
      : audio(std::make_shared<cFakeAudioControl::cState>()),
        player(std::make_unique<cFakeAudioControl>(audio)),
        reader(std::make_unique<cNCCReader>(queue)),
        recorder(std::make_unique<cReaderRecorder>(*reader)) {
    reader->subAddListener(*recorder);
    reader->oOwner = recorder.get();
    reader->ctlDXM(&player);
  }
  ~cEngineHarness() {
    reader->subRemoveListener(*recorder);
    reader->oOwner = nullptr;
  }

  std::filesystem::path book() const { return folder.path(); }
  void write(const std::string& name, const std::string& text) { fncWriteText(folder / name, text); }
  // An audio file (a real WAV, which the load check decodes); the fake control plays it for
  // `seconds`.
  void audioFile(const std::string& name, double seconds) {
    fncWriteToneWav(folder / name, seconds, 4000);
    audio->durations[std::filesystem::path(name).filename().string()] =
        static_cast<int32_t>(std::lround(seconds * 1000));
  }
  bool load(const std::string& ncc = "ncc.html") {
    return reader->fncbLoadBook(folder.path().string(), ncc);
  }

  // Takes the queued messages; "START" plays. Returns how many "START"s there were.
  int pump() {
    int starts = 0;
    while (queue.hasNext()) {
      const auto message = queue.fncgetNextMessageQueueItem();
      if (message && message->fncgetMessageName() == "START") {
        ++starts;
        player.fncbPlay();
      }
    }
    queue.subclearQue();
    return starts;
  }
  // Runs `ms` of test time in ticks of 10 ms.
  void run(int32_t ms) {
    for (int32_t t = 0; t < ms; t += 10) {
      pump();
      cFakeAudioControl::subAdvance(*audio, 10);
      player.subDoYourEvents();
    }
  }
  // Runs until the reader reports the end of the book or `limitMs` passes; true at the end.
  bool runToEnd(int32_t limitMs = 600000) {
    for (int32_t t = 0; t < limitMs; t += 10) {
      run(10);
      if (reader->fncbAtEndOfBook()) return true;
    }
    return false;
  }

  TempFolder folder;
  cMessageQueue queue;
  std::shared_ptr<cFakeAudioControl::cState> audio;
  cAudioPlaybackSystem player;
  std::unique_ptr<cNCCReader> reader;
  std::unique_ptr<cReaderRecorder> recorder;
};

}  // namespace lyn::testing
