#include "audio/cAudioPlaybackSystem.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <unistd.h>

#include "audio/cPositionCheckTimer.h"
#include "platform/files/TextCase.h"
#include "platform/storage/cRegularFile.h"

namespace lyn {
namespace {

constexpr double kToControlCorrection = 1.00307301588889;
constexpr double kFromControlCorrection = 0.996926984111111;
// How close to an estimated end a mark must be for the exact end to be worth a pass over the file.
constexpr double kExactEndWithin = 1.0;

const char* fncErrorText(int32_t number) {
  switch (number) {
    case cAudioPlaybackSystem::kErrFileCorrupt:
      return "Audiofile doesn't exist or is corrupt";
    case cAudioPlaybackSystem::kErrNoSuchPosition:
      return "Position doesn't exist in audio";
    case cAudioPlaybackSystem::kErrDataNotInitialized:
      return "Data not initialized";
    case cAudioPlaybackSystem::kErrNoStreamSplitter:
      return "MPEG-I stream splitter not found";
    case cAudioPlaybackSystem::kErrBadValue:
      return "Bad value";
    case cAudioPlaybackSystem::kErrNoFileLoaded:
      return "No file loaded";
    default:
      return nullptr;
  }
}

// The WAV variant whose clock runs slow: bytes 20 and 21 of the header are 0x03 0xDA.
bool fncbNeedsWavCorrection(const std::string& path) {
  if (!fncEndsWithIgnoringAsciiCase(path, "wav")) return false;
  // Opened as the decoder opens it: a FIFO or a device is refused, never waited on.
  const cFileDescriptor file = fncOpenRegularFile(path);
  if (!file) return false;
  std::array<unsigned char, 22> header{};
  if (::pread(file.get(), header.data(), header.size(), 0) != ssize_t(header.size())) return false;
  return header[20] == 0x03 && header[21] == 0xDA;
}

}  // namespace

cAudioPlaybackSystem::cAudioPlaybackSystem(std::unique_ptr<PhraseAudioHandler> control,
                                           iPlaybackSpeed* speed)
    : mdahAudioSystem(std::move(control)), mSpeed(speed) {}

cAudioPlaybackSystem::~cAudioPlaybackSystem() {
  if (mtimerPositionCheckTimer != nullptr) mtimerPositionCheckTimer->subDetach(*this);
}

void cAudioPlaybackSystem::subAddListener(iAudioPlaybackListener& listener) {
  if (std::find(mListeners.begin(), mListeners.end(), &listener) == mListeners.end())
    mListeners.push_back(&listener);
}

void cAudioPlaybackSystem::subRemoveListener(iAudioPlaybackListener& listener) {
  mListeners.erase(std::remove(mListeners.begin(), mListeners.end(), &listener),
                   mListeners.end());
}

void cAudioPlaybackSystem::subRaise(eEvent event, const std::string& text) {
  const std::vector<iAudioPlaybackListener*> listeners = mListeners;
  for (iAudioPlaybackListener* listener : listeners) {
    // One that left during an earlier call of this round is not called.
    if (std::find(mListeners.begin(), mListeners.end(), listener) == mListeners.end()) continue;
    switch (event) {
      case eEvent::EndofStream:
        listener->evEndofStream();
        break;
      case eEvent::Error:
        listener->evError();
        break;
      case eEvent::MessageBox:
        listener->evShowMessageBox(text);
        break;
    }
  }
}

double cAudioPlaybackSystem::fncToControlSeconds(double idSeconds) const {
  return mbWavCorrection ? idSeconds * kToControlCorrection : idSeconds;
}

double cAudioPlaybackSystem::fncFromControlSeconds(double idSeconds) const {
  return mbWavCorrection && idSeconds >= 0 ? idSeconds * kFromControlCorrection : idSeconds;
}

int32_t cAudioPlaybackSystem::fncToMilliseconds(double idSeconds) {
  // Nearest whole millisecond, ties to even (the default rounding mode).
  const double ms = std::nearbyint(idSeconds * 1000.0);
  if (!(ms >= -2147483648.0)) return INT32_MIN;
  if (ms > 2147483647.0) return INT32_MAX;
  return static_cast<int32_t>(ms);
}

void cAudioPlaybackSystem::subReportError(int32_t ilNumber, std::optional<std::string> isLocation) {
  subReport(ilNumber, std::move(isLocation), {});
}

void cAudioPlaybackSystem::subReport(int32_t ilNumber, std::optional<std::string> isLocation,
                                     std::string isDetail) {
  mlErrorNumber = ilNumber;
  msErrorDetail = std::move(isDetail);
  if (isLocation) msErrorLocation = *isLocation;
  if (const char* text = fncErrorText(ilNumber)) msErrorMsg = text;
  subRaise(eEvent::Error);
}

int32_t cAudioPlaybackSystem::fncObjectState(int32_t ilControlState) {
  switch (ilControlState) {
    case PhraseAudioHandler::kPaused:
      return kPaused;
    case PhraseAudioHandler::kRunning:
      return kPlaying;
    default:
      return kStopped;
  }
}

int32_t cAudioPlaybackSystem::plRealState() { return fncObjectState(mdahAudioSystem->State()); }

bool cAudioPlaybackSystem::fncbOpenOnControl(const std::string& isFileName) {
  mdahAudioSystem->ClearLastError();
  if (mdahAudioSystem->OpenFile(isFileName)) return true;
  // A refusal that gives no reason changes nothing; one that gives a reason is error 1.
  if (mdahAudioSystem->LastError().empty()) return false;
  msFileName.clear();
  subReport(kErrFileCorrupt, "Filename", mdahAudioSystem->LastError());
  return false;
}

void cAudioPlaybackSystem::psFileName(const std::string& isFileName) {
  mbWavCorrection = fncbNeedsWavCorrection(isFileName);
  if (isFileName.empty()) {
    msFileName.clear();
    return;
  }
  if (!fncbOpenOnControl(isFileName)) return;
  mbEndReported = false;
  const bool bookshelf = mSpeed != nullptr && mSpeed->fncbBookshelfIsCurrent();
  mbIsUsingVari = !bookshelf && mdahAudioSystem->IsUsingVari();
  if (mSpeed != nullptr) mSpeed->subApplyCurrentSpeed();
  mbAudioFileLoaded = true;
  mlCurrentAudioState = kStopped;
  msFileName = isFileName;
  plVolume(mlVolume);
}

void cAudioPlaybackSystem::psnotXingFilename(const std::string& isFileName) {
  mbAudioFileLoaded = false;
  mlCurrentAudioState = kNoFile;
  if (isFileName.empty()) {
    msFileName.clear();
    return;
  }
  if (!fncbOpenOnControl(isFileName)) return;
  mbEndReported = false;
  mbWavCorrection = false;
  mbAudioFileLoaded = true;
  mlCurrentAudioState = kStopped;
  msFileName = isFileName;
  plVolume(mlVolume);
}

bool cAudioPlaybackSystem::fncbSetMark(double idSeconds) {
  if (!mbAudioFileLoaded) return false;
  double seconds = fncToControlSeconds(idSeconds);
  const double duration = pdDuration();
  // Near an end that is only estimated the true end matters: the control learns it once
  // playback runs. A mark past an estimated end is kept; the end of the stream reaches it.
  const bool estimated = !mdahAudioSystem->DurationIsExact();
  if (estimated && seconds >= duration - kExactEndWithin) mdahAudioSystem->LearnExactDuration();
  if (!estimated && duration < seconds && seconds <= duration + 0.2) seconds = duration;
  if (seconds <= duration || estimated) {
    // A mark and a stop point never hold together: a stop point left by an earlier user of
    // this player (a list that played the same file) would end every clip there.
    mdahAudioSystem->ClearStopAt();
    mdMarkPosition = seconds;
    mbMarkSet = true;
    return true;
  }
  subReportError(kErrMarkBeyondEnd, "Set mark");
  return false;
}

void cAudioPlaybackSystem::subClearMark() {
  subForgetMark();
  if (mbAudioFileLoaded) mdahAudioSystem->ClearStopAt();
}

void cAudioPlaybackSystem::subForgetMark() {
  mbMarkSet = false;
  mdMarkPosition = -1;
}

bool cAudioPlaybackSystem::fncbPlay() {
  if (!mbAudioFileLoaded) {
    subReportError(kErrNoFileLoaded, "Play");
    return false;
  }
  if (plRealState() == kPlaying) return false;
  if (!mdahAudioSystem->Play()) return false;
  // Playing again makes the next end a new one, even if no poll saw the last one pass.
  mbEndReported = false;
  mbLookupTimer = true;
  mlCurrentAudioState = kPlaying;
  return true;
}

bool cAudioPlaybackSystem::fncbPause() {
  if (!mbAudioFileLoaded) {
    subReportError(kErrNoFileLoaded, "Pause");
    return false;
  }
  if (!mdahAudioSystem->Pause()) return false;
  mlCurrentAudioState = kPaused;
  return true;
}

bool cAudioPlaybackSystem::fncbQuit() {
  if (!mbAudioFileLoaded) {
    subReportError(kErrNoFileLoaded, "Quit");
    return false;
  }
  mdahAudioSystem->CloseFile();
  mbAudioFileLoaded = false;
  mbLookupTimer = false;
  mlCurrentAudioState = kNoFile;
  msFileName.clear();
  return true;
}

void cAudioPlaybackSystem::plVolume(int32_t ilVolume) {
  if (ilVolume < 0 || ilVolume > 10) {
    subReportError(kErrBadValue, "Volume");
    return;
  }
  mlVolume = ilVolume;
  if (!mbAudioFileLoaded) {
    subReportError(kErrNoFileLoaded, "Volume");
    return;
  }
  mdahAudioSystem->SetVolume(mlVolume);
}

void cAudioPlaybackSystem::plRate(int32_t ilRate) {
  if (!mbAudioFileLoaded) return;
  const double current = std::nearbyint(mdahAudioSystem->Rate() * 10);
  if (current >= 0 && mdahAudioSystem->SetRate(ilRate / 10.0)) mdRate = ilRate;
}

int32_t cAudioPlaybackSystem::plRate() {
  if (!mbAudioFileLoaded) {
    subReportError(kErrNoFileLoaded, "Rate");
    return 10;
  }
  const double rate = std::nearbyint(mdahAudioSystem->Rate() * 10);
  return rate < 0 ? 0 : static_cast<int32_t>(std::min(rate, 2147483647.0));
}

void cAudioPlaybackSystem::pdPosition(double idSeconds) {
  if (!mbAudioFileLoaded) {
    subReportError(kErrNoFileLoaded, "Position");
    return;
  }
  const double seconds = fncToControlSeconds(idSeconds);
  if (seconds > pdDuration() || seconds < 0 || std::isnan(seconds)) {
    subReportError(kErrNoSuchPosition, "Position");
    return;
  }
  mdahAudioSystem->Seek(fncToMilliseconds(seconds));
}

double cAudioPlaybackSystem::pdPosition() {
  if (!mbAudioFileLoaded) {
    subReportError(kErrNoFileLoaded, "Position");
    return 0;
  }
  double seconds = mdahAudioSystem->Position() / 1000.0;
  if (seconds < 0) seconds = 0;
  return fncFromControlSeconds(seconds);
}

double cAudioPlaybackSystem::pdDuration() {
  if (!mbAudioFileLoaded) {
    subReportError(kErrNoFileLoaded, "Duration");
    return 0;
  }
  return fncFromControlSeconds(mdahAudioSystem->Duration() / 1000.0);
}

bool cAudioPlaybackSystem::fncbStopAt(double idSeconds) {
  if (!mbAudioFileLoaded) {
    subReportError(kErrNoFileLoaded, "Stop at");
    return false;
  }
  if (!mdahAudioSystem->StopAt(fncToMilliseconds(fncToControlSeconds(idSeconds)))) {
    subRaise(eEvent::MessageBox, "ERROR!");
    return false;
  }
  subForgetMark();
  return true;
}

void cAudioPlaybackSystem::mtimerPositionCheckTimer_Timer() {
  if (!mbLookupTimer) return;
  if (!mbAudioFileLoaded) {
    subReportError(kErrNoFileLoaded, "Timer");
    return;
  }
  // One snapshot per step: state, position and end of stream from the same instant, so a clip
  // that ends during the poll is seen either playing before its end or at its end.
  PhraseAudioHandler::Status now = mdahAudioSystem->fncStatus();
  if (!now.endOfStream) mbEndReported = false;
  // The end is reported once each time it is reached, not on every tick it lasts.
  if (now.endOfStream && !mbMarkSet && !mbEndReported) {
    mbEndReported = true;
    mlCurrentAudioState = kStopped;
    subRaise(eEvent::EndofStream);
    // Listeners may have closed the file, opened the next one or played on.
    if (!mbAudioFileLoaded) return;
    now = mdahAudioSystem->fncStatus();
  }
  const double position = now.position / 1000.0;
  const bool running = now.state == PhraseAudioHandler::kRunning;
  // A mark at the end of a stream whose length was estimated may lie just past its true end;
  // the end of the stream then counts as reaching it.
  const bool reached = (running && position >= mdMarkPosition) ||
                       (now.endOfStream && !mbEndReported);
  if (mbMarkSet && reached) {
    subForgetMark();
    if (now.endOfStream) mbEndReported = true;
    subRaise(eEvent::EndofStream);
    if (!mbAudioFileLoaded) return;
    now = mdahAudioSystem->fncStatus();
  }
  mlCurrentAudioState = fncObjectState(now.state);
}

void cAudioPlaybackSystem::subDoYourEvents() { mtimerPositionCheckTimer_Timer(); }

}  // namespace lyn
