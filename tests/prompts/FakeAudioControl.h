#pragma once
// An audio control for prompt tests: plays nothing, keeps the time the test gives it, and
// records what it was asked to do.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "audio/PhraseAudioHandler.h"

namespace lyn::testing {

class cFakeAudioControl final : public PhraseAudioHandler {
 public:
  struct Log {
    std::vector<std::string> calls;   // "open <path>", "play", "pause", "stopat <ms>", "seek <ms>"
    std::vector<int32_t> stopPoints;  // every StopAt, in ms
    std::vector<int32_t> seeks;       // every Seek, in ms
  };

  // `openable`: paths OpenFile accepts (any other fails); `log` is borrowed.
  cFakeAudioControl(std::set<std::string> openable, Log& log, int32_t durationMs = 600000)
      : mOpenable(std::move(openable)), mLog(log), mDuration(durationMs) {}

  // Lets `ms` of playing time pass.
  void subAdvance(int32_t ms) {
    if (mState != kRunning) return;
    mPosition += ms;
    const int32_t end = mStopAt >= 0 ? mStopAt : mDuration;
    if (mPosition >= end) {
      mPosition = end;
      mState = kStopped;
      mEnd = true;
    }
  }

  bool OpenFile(const std::string& name) override {
    mLog.calls.push_back("open " + name);
    if (!mOpenable.count(name)) return false;
    mOpen = true;
    mPosition = 0;
    mStopAt = -1;
    mState = kStopped;
    mEnd = false;
    return true;
  }
  bool Play() override {
    mLog.calls.push_back("play");
    if (!mOpen) return false;
    mState = kRunning;
    return true;
  }
  bool Pause() override {
    mLog.calls.push_back("pause");
    if (!mOpen) return false;
    if (mState == kRunning) mState = kPaused;
    return true;
  }
  bool CloseFile() override {
    mOpen = false;
    mState = kStopped;
    return true;
  }
  bool Seek(int32_t ms) override {
    mLog.calls.push_back("seek " + std::to_string(ms));
    mLog.seeks.push_back(ms);
    mPosition = ms;
    mEnd = false;
    return true;
  }
  bool StopAt(int32_t ms) override {
    mLog.calls.push_back("stopat " + std::to_string(ms));
    mLog.stopPoints.push_back(ms);
    if (ms < 0 || ms > mDuration) return false;
    mStopAt = ms;
    mEnd = false;
    return true;
  }
  void ClearStopAt() override {
    if (mStopAt < 0) return;
    mStopAt = -1;
    mEnd = false;
  }
  int32_t Position() override { return mOpen ? mPosition : -1; }
  int32_t Duration() override { return mOpen ? mDuration : 0; }
  bool EndOfStream() override { return mEnd; }
  int32_t State() override { return mState; }
  bool SetVolume(int32_t volume) override {
    mVolume = volume;
    return true;
  }
  bool SetRate(double) override { return true; }
  double Rate() override { return 1.0; }
  bool IsUsingVari() override { return false; }
  bool SetVariParameters(double, int16_t, int16_t, int16_t, int16_t, int16_t) override {
    return true;
  }

  int32_t mVolume = -1;

 private:
  std::set<std::string> mOpenable;
  Log& mLog;
  int32_t mDuration;
  int32_t mPosition = 0;
  int32_t mStopAt = -1;
  int32_t mState = kStopped;
  bool mOpen = false;
  bool mEnd = false;
};

}  // namespace lyn::testing
