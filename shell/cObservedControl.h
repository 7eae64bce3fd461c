#pragma once
// A player's control with a witness: every start of playback is reported (file, position and
// mark) before it happens, for front ends that show what the book player does; every opened
// file tells whether its speed stage works. Everything else passes through unchanged, the
// reason of a failure included.

#include <functional>
#include <memory>

#include "audio/PhraseAudioHandler.h"

namespace lyn {

class cObservedControl final : public PhraseAudioHandler {
 public:
  // `onOpen` hears whether the file opened and its speed stage is in use.
  cObservedControl(std::unique_ptr<PhraseAudioHandler> inner, std::function<void()> onPlay,
                   std::function<void(bool)> onOpen = {})
      : mInner(std::move(inner)), mOnPlay(std::move(onPlay)), mOnOpen(std::move(onOpen)) {}

  bool OpenFile(const std::string& f) override {
    const bool opened = fncbPass(mInner->OpenFile(f));
    if (mOnOpen) mOnOpen(opened && mInner->IsUsingVari());
    return opened;
  }
  bool Play() override {
    if (mOnPlay) mOnPlay();
    return fncbPass(mInner->Play());
  }
  bool Pause() override { return fncbPass(mInner->Pause()); }
  bool CloseFile() override { return fncbPass(mInner->CloseFile()); }
  bool Seek(int32_t ms) override { return fncbPass(mInner->Seek(ms)); }
  bool StopAt(int32_t ms) override { return fncbPass(mInner->StopAt(ms)); }
  void ClearStopAt() override { mInner->ClearStopAt(); }
  int32_t Position() override { return mInner->Position(); }
  int32_t Duration() override { return mInner->Duration(); }
  bool DurationIsExact() override { return mInner->DurationIsExact(); }
  void LearnExactDuration() override { mInner->LearnExactDuration(); }
  bool EndOfStream() override { return mInner->EndOfStream(); }
  int32_t State() override { return mInner->State(); }
  Status fncStatus() override { return mInner->fncStatus(); }
  bool SetVolume(int32_t v) override { return fncbPass(mInner->SetVolume(v)); }
  bool SetRate(double r) override { return fncbPass(mInner->SetRate(r)); }
  double Rate() override { return mInner->Rate(); }
  bool IsUsingVari() override { return mInner->IsUsingVari(); }
  bool SetVariParameters(double t, int16_t a, int16_t b, int16_t c, int16_t d, int16_t e) override {
    return fncbPass(mInner->SetVariParameters(t, a, b, c, d, e));
  }

 private:
  // The inner control's reason for a failure becomes this control's.
  bool fncbPass(bool ok) {
    if (ok) return true;
    const std::string reason = mInner->LastError();
    mInner->ClearLastError();
    return reason.empty() ? false : fncbFail(reason);
  }

  std::unique_ptr<PhraseAudioHandler> mInner;
  std::function<void()> mOnPlay;
  std::function<void(bool)> mOnOpen;
};

}  // namespace lyn
