#pragma once
// A control that plays nothing: tests set what it reports and read what it was told.

#include <string>
#include <vector>

#include "audio/PhraseAudioHandler.h"

namespace lyn::test {

class cFakeAudioControl final : public PhraseAudioHandler {
 public:
  bool OpenFile(const std::string& name) override {
    calls.push_back("OpenFile " + name);
    if (failOpen) return fncbFail("cannot open");
    return openResult;
  }
  bool Play() override {
    calls.push_back("Play");
    state = kRunning;
    return true;
  }
  bool Pause() override {
    calls.push_back("Pause");
    state = kPaused;
    return true;
  }
  bool CloseFile() override {
    calls.push_back("CloseFile");
    state = kStopped;
    return true;
  }
  bool Seek(int32_t ms) override {
    calls.push_back("Seek " + std::to_string(ms));
    position = ms;
    return true;
  }
  bool StopAt(int32_t ms) override {
    calls.push_back("StopAt " + std::to_string(ms));
    return stopAtResult;
  }
  void ClearStopAt() override {}
  int32_t Position() override { return position; }
  int32_t Duration() override { return duration; }
  bool EndOfStream() override { return endOfStream; }
  int32_t State() override { return state; }
  bool SetVolume(int32_t step) override {
    calls.push_back("SetVolume " + std::to_string(step));
    return true;
  }
  bool SetRate(double r) override {
    calls.push_back("SetRate " + std::to_string(r));
    rate = r;
    return true;
  }
  double Rate() override { return rate; }
  bool IsUsingVari() override { return usingVari; }
  bool SetVariParameters(double tempo, int16_t a, int16_t b, int16_t c, int16_t d,
                         int16_t e) override {
    calls.push_back("SetVariParameters " + std::to_string(int(tempo)) + " " + std::to_string(a) +
                    " " + std::to_string(b) + " " + std::to_string(c) + " " + std::to_string(d) +
                    " " + std::to_string(e));
    return true;
  }

  std::vector<std::string> calls;
  bool failOpen = false;
  bool openResult = true;
  bool stopAtResult = true;
  bool usingVari = true;
  bool endOfStream = false;
  int32_t position = 0;
  int32_t duration = 10000;
  int32_t state = kStopped;
  double rate = 1.0;
};

}  // namespace lyn::test
