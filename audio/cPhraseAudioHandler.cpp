#include "audio/cPhraseAudioHandler.h"

#include <algorithm>
#include <cmath>

#include "platform/audio/AudioDecoders.h"
#include "platform/audio/AudioSinks.h"
#include "platform/audio/cAudioEngine.h"

namespace lyn {
namespace {

int64_t fncFrames(int32_t milliseconds, const AudioFormat& format) {
  return std::llround(double(milliseconds) * double(format.rate) / 1000.0);
}

int32_t fncMilliseconds(int64_t frames, const AudioFormat& format) {
  if (format.rate <= 0) return 0;
  const double ms = std::round(double(frames) * 1000.0 / double(format.rate));
  return static_cast<int32_t>(std::clamp(ms, -2147483648.0, 2147483647.0));
}

}  // namespace

std::unique_ptr<PhraseAudioHandler> cPhraseAudioHandler::fncCreate(eAudioRole role,
                                                                   cVirtualClock* clock) {
  auto sink = fncMakeAudioSink(fncAudioChoiceFromEnvironment(),
                               role == eAudioRole::Prompt ? ".prompts" : "", clock);
  return std::make_unique<cPhraseAudioHandler>(role, std::move(sink));
}

cPhraseAudioHandler::cPhraseAudioHandler(eAudioRole role, std::unique_ptr<iAudioSink> sink,
                                         cSoundDeviceNotice* notice)
    : mRole(role),
      mEngine(std::make_unique<cAudioEngine>(std::move(sink), role == eAudioRole::Book, notice)) {}

cPhraseAudioHandler::~cPhraseAudioHandler() = default;

bool cPhraseAudioHandler::OpenFile(const std::string& isFileName) {
  std::string error;
  if (!mEngine->fncbOpen(isFileName, error)) return fncbFail(error);
  return true;
}

bool cPhraseAudioHandler::Play() {
  if (!mEngine->fncbPlay()) return fncbFail("Play: no file open");
  return true;
}

bool cPhraseAudioHandler::Pause() {
  if (!mEngine->fncbPause()) return fncbFail("Pause: no file open");
  return true;
}

bool cPhraseAudioHandler::CloseFile() {
  mEngine->subClose();
  return true;
}

bool cPhraseAudioHandler::Seek(int32_t ilMilliseconds) {
  if (!mEngine->fncbSeek(fncFrames(ilMilliseconds, mEngine->fncFormat())))
    return fncbFail("Seek: no file open");
  return true;
}

bool cPhraseAudioHandler::StopAt(int32_t ilMilliseconds) {
  if (!mEngine->fncbHasFile()) return fncbFail("StopAt: no file open");
  const int64_t frame = fncFrames(ilMilliseconds, mEngine->fncFormat());
  if (frame < 0 || frame > mEngine->fncLength()) return false;
  mEngine->subSetStopPoint(frame);
  return true;
}

void cPhraseAudioHandler::ClearStopAt() { mEngine->subClearStopPoint(); }

int32_t cPhraseAudioHandler::Position() {
  const int64_t frame = mEngine->fncPosition();
  return frame < 0 ? -1 : fncMilliseconds(frame, mEngine->fncFormat());
}

int32_t cPhraseAudioHandler::Duration() {
  return fncMilliseconds(mEngine->fncLength(), mEngine->fncFormat());
}

bool cPhraseAudioHandler::DurationIsExact() { return mEngine->fncbLengthExact(); }

void cPhraseAudioHandler::LearnExactDuration() { mEngine->subWantExactLength(); }

bool cPhraseAudioHandler::EndOfStream() { return mEngine->fncbEndOfStream(); }

namespace {

int32_t fncControlState(cAudioEngine::eState state) {
  switch (state) {
    case cAudioEngine::eState::Running:
      return PhraseAudioHandler::kRunning;
    case cAudioEngine::eState::Paused:
      return PhraseAudioHandler::kPaused;
    case cAudioEngine::eState::Stopped:
      break;
  }
  return PhraseAudioHandler::kStopped;
}

}  // namespace

int32_t cPhraseAudioHandler::State() { return fncControlState(mEngine->fncState()); }

PhraseAudioHandler::Status cPhraseAudioHandler::fncStatus() {
  const cAudioEngine::Snapshot now = mEngine->fncSnapshot();
  const int32_t position =
      now.position < 0 ? -1 : fncMilliseconds(now.position, mEngine->fncFormat());
  return {fncControlState(now.state), position, now.endOfStream};
}

double cPhraseAudioHandler::fncVolumeGain(int32_t ilVolume) {
  const int32_t step = std::clamp(ilVolume, 0, 10);
  if (step == 10) return 1.0;
  return std::pow(double(step) / 10.0, 1.0 / 0.6);
}

bool cPhraseAudioHandler::SetVolume(int32_t ilVolume) {
  mEngine->subSetGain(fncVolumeGain(ilVolume));
  return true;
}

bool cPhraseAudioHandler::SetRate(double idRate) {
  if (!(idRate >= 0.25 && idRate <= 4.0)) return false;
  if (mRole == eAudioRole::Prompt) return std::fabs(idRate - 1.0) < 1e-9;
  mdRate = idRate;
  subApplySpeed();
  return true;
}

double cPhraseAudioHandler::Rate() { return mdRate; }

bool cPhraseAudioHandler::IsUsingVari() { return mRole == eAudioRole::Book; }

bool cPhraseAudioHandler::SetVariParameters(double idTempo, int16_t iiMaxPause,
                                            int16_t iiShortPausePercent, int16_t iiThresholdDb,
                                            int16_t iiLongPauseFrom, int16_t iiLongPausePercent) {
  if (mRole == eAudioRole::Prompt) return true;
  mdTempo = idTempo > 0 ? idTempo : 100;
  mRow[0] = iiMaxPause;
  mRow[1] = iiShortPausePercent;
  mRow[2] = iiThresholdDb;
  mRow[3] = iiLongPauseFrom;
  mRow[4] = iiLongPausePercent;
  subApplySpeed();
  return true;
}

void cPhraseAudioHandler::subApplySpeed() {
  SpeedSettings settings;
  // Sonic keeps speech intelligible well beyond these bounds; they only guard against rows that
  // would make it useless.
  settings.tempo = std::clamp(mdTempo / 100.0 * mdRate, 0.2, 6.0);
  settings.pauses.maxPauseMs = mRow[0];
  settings.pauses.shortPercent = mRow[1];
  settings.pauses.thresholdDb = std::clamp<int32_t>(mRow[2], 0, 90);
  settings.pauses.longFromMs = std::max<int32_t>(mRow[3], 0);
  settings.pauses.longPercent = mRow[4];
  mEngine->subSetSpeed(settings);
}

bool fncbCanPlayAudioFile(const std::string& isFileName, std::string* error) {
  std::string reason;
  const bool ok = fncbAudioFileDecodes(isFileName, reason);
  if (!ok && error != nullptr) *error = reason;
  return ok;
}

}  // namespace lyn
