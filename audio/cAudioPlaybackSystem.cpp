#include "audio/cAudioPlaybackSystem.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <exception>

#include <unistd.h>

#include "audio/cPositionCheckTimer.h"
#include "platform/storage/cRegularFile.h"

namespace lyn {
namespace {

constexpr double kToControlCorrection = 1.00307301588889;
constexpr double kFromControlCorrection = 0.996926984111111;
// How close to an estimated end a mark must be for the exact end to be worth a pass over the file.
constexpr double kExactEndWithin = 1.0;

const char* fncErrorText(int32_t number) {
  switch (number) {
    case 1:
      return "Audiofile doesn't exist or is corrupt";
    case 2:
      return "Position doesn't exist in audio";
    case 3:
      return "Data not initialized";
    case 4:
      return "MPEG-I stream splitter not found";
    case 5:
      return "Bad value";
    case 6:
      return "No file loaded";
    default:
      return nullptr;
  }
}

// The WAV variant whose clock runs slow: bytes 20 and 21 of the header are 0x03 0xDA.
bool fncbNeedsWavCorrection(const std::string& path) {
  if (path.size() < 3) return false;
  std::string ending = path.substr(path.size() - 3);
  for (char& c : ending) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (ending != "WAV") return false;
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
  mlErrorNumber = ilNumber;
  if (isLocation) msErrorLocation = *isLocation;
  if (const char* text = fncErrorText(ilNumber)) msErrorMsg = text;
  subRaise(eEvent::Error);
}

int32_t cAudioPlaybackSystem::fncObjectState(int32_t ilControlState) {
  switch (ilControlState) {
    case PhraseAudioHandler::kPaused:
      return 2;
    case PhraseAudioHandler::kRunning:
      return 1;
    default:
      return 0;
  }
}

int32_t cAudioPlaybackSystem::plRealState() {
  try {
    return fncObjectState(mdahAudioSystem->State());
  } catch (const std::exception&) {
    return 0;
  }
}

void cAudioPlaybackSystem::psFileName(const std::string& isFileName) {
  try {
    mbWavCorrection = false;
    mbWavCorrection = fncbNeedsWavCorrection(isFileName);
    if (isFileName.empty()) {
      msFileName.clear();
      return;
    }
    if (!mdahAudioSystem->OpenFile(isFileName)) return;
    mbEndReported = false;
    const bool bookshelf = mSpeed != nullptr && mSpeed->fncbBookshelfIsCurrent();
    mbIsUsingVari = !bookshelf && mdahAudioSystem->IsUsingVari();
    if (mSpeed != nullptr) mSpeed->subApplyCurrentSpeed();
    mbAudioFileLoaded = true;
    mlCurrentAudioState = 0;
    msFileName = isFileName;
    plVolume(mlVolume);
  } catch (const std::exception&) {
    msFileName.clear();
    subReportError(1, "Filename");
  }
}

void cAudioPlaybackSystem::psnotXingFilename(const std::string& isFileName) {
  mbAudioFileLoaded = false;
  mlCurrentAudioState = -1;
  if (isFileName.empty()) {
    msFileName.clear();
    return;
  }
  try {
    if (mdahAudioSystem->OpenFile(isFileName)) {
      mbEndReported = false;
      mbWavCorrection = false;
      mbAudioFileLoaded = true;
      mlCurrentAudioState = 0;
      msFileName = isFileName;
      plVolume(mlVolume);
    }
  } catch (const std::exception&) {
    // Reported here rather than passed on, so that no error leaves the object.
    msFileName.clear();
    subReportError(1, "Filename");
  }
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
    mdMarkPosition = seconds;
    mbMarkSet = true;
    return true;
  }
  subReportError(7, "Set mark");
  return false;
}

bool cAudioPlaybackSystem::fncbPlay() {
  if (!mbAudioFileLoaded) {
    subReportError(6, "Play");
    return false;
  }
  if (plRealState() == 1) return false;
  try {
    if (mdahAudioSystem->Play()) {
      // Playing again makes the next end a new one, even if no poll saw the last one pass.
      mbEndReported = false;
      mbLookupTimer = true;
      mlCurrentAudioState = 1;
      return true;
    }
  } catch (const std::exception&) {
  }
  return false;
}

bool cAudioPlaybackSystem::fncbPause() {
  if (!mbAudioFileLoaded) {
    subReportError(6, "Pause");
    return false;
  }
  try {
    if (mdahAudioSystem->Pause()) {
      mlCurrentAudioState = 2;
      return true;
    }
  } catch (const std::exception&) {
  }
  return false;
}

bool cAudioPlaybackSystem::fncbQuit() {
  if (!mbAudioFileLoaded) {
    subReportError(6, "Quit");
    return false;
  }
  try {
    mdahAudioSystem->CloseFile();
  } catch (const std::exception&) {
  }
  mbAudioFileLoaded = false;
  mbLookupTimer = false;
  mlCurrentAudioState = -1;
  msFileName.clear();
  return true;
}

void cAudioPlaybackSystem::plVolume(int32_t ilVolume) {
  if (ilVolume < 0 || ilVolume > 10) {
    subReportError(5, "Volume");
    return;
  }
  mlVolume = ilVolume;
  if (!mbAudioFileLoaded) {
    subReportError(6, "Volume");
    return;
  }
  try {
    mdahAudioSystem->SetVolume(mlVolume);
  } catch (const std::exception&) {
  }
}

void cAudioPlaybackSystem::plRate(int32_t ilRate) {
  if (!mbAudioFileLoaded) return;
  try {
    const double current = std::nearbyint(mdahAudioSystem->Rate() * 10);
    if (current >= 0 && mdahAudioSystem->SetRate(ilRate / 10.0)) mdRate = ilRate;
  } catch (const std::exception&) {
  }
}

int32_t cAudioPlaybackSystem::plRate() {
  if (!mbAudioFileLoaded) {
    subReportError(6, "Rate");
    return 10;
  }
  try {
    const double rate = std::nearbyint(mdahAudioSystem->Rate() * 10);
    return rate < 0 ? 0 : static_cast<int32_t>(std::min(rate, 2147483647.0));
  } catch (const std::exception&) {
    return 0;
  }
}

void cAudioPlaybackSystem::pdPosition(double idSeconds) {
  if (!mbAudioFileLoaded) {
    subReportError(6, "Position");
    return;
  }
  const double seconds = fncToControlSeconds(idSeconds);
  if (seconds > pdDuration() || seconds < 0 || std::isnan(seconds)) {
    subReportError(2, "Position");
    return;
  }
  try {
    mdahAudioSystem->Seek(fncToMilliseconds(seconds));
  } catch (const std::exception&) {
  }
}

double cAudioPlaybackSystem::pdPosition() {
  if (!mbAudioFileLoaded) {
    subReportError(6, "Position");
    return 0;
  }
  double seconds = 0;
  try {
    seconds = mdahAudioSystem->Position() / 1000.0;
  } catch (const std::exception&) {
  }
  if (seconds < 0) seconds = 0;
  return fncFromControlSeconds(seconds);
}

double cAudioPlaybackSystem::pdDuration() {
  if (!mbAudioFileLoaded) {
    subReportError(6, "Duration");
    return 0;
  }
  double seconds = 0;
  try {
    seconds = mdahAudioSystem->Duration() / 1000.0;
  } catch (const std::exception&) {
  }
  return fncFromControlSeconds(seconds);
}

bool cAudioPlaybackSystem::fncbStopAt(double idSeconds) {
  if (!mbAudioFileLoaded) {
    subReportError(6, "Stop at");
    return false;
  }
  bool accepted = false;
  try {
    accepted = mdahAudioSystem->StopAt(fncToMilliseconds(fncToControlSeconds(idSeconds)));
  } catch (const std::exception&) {
  }
  if (!accepted) {
    subRaise(eEvent::MessageBox, "ERROR!");
    return false;
  }
  return true;
}

void cAudioPlaybackSystem::mtimerPositionCheckTimer_Timer() {
  if (!mbLookupTimer) return;
  if (!mbAudioFileLoaded) {
    subReportError(6, "Timer");
    return;
  }
  try {
    // One snapshot per step: state, position and end of stream from the same instant, so a clip
    // that ends during the poll is seen either playing before its end or at its end.
    PhraseAudioHandler::Status now = mdahAudioSystem->fncStatus();
    if (!now.endOfStream) mbEndReported = false;
    // The end is reported once each time it is reached, not on every tick it lasts.
    if (now.endOfStream && !mbMarkSet && !mbEndReported) {
      mbEndReported = true;
      mlCurrentAudioState = 0;
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
      mbMarkSet = false;
      mdMarkPosition = -1;
      if (now.endOfStream) mbEndReported = true;
      subRaise(eEvent::EndofStream);
      if (!mbAudioFileLoaded) return;
      now = mdahAudioSystem->fncStatus();
    }
    mlCurrentAudioState = fncObjectState(now.state);
  } catch (const std::exception&) {
  }
}

void cAudioPlaybackSystem::subDoYourEvents() { mtimerPositionCheckTimer_Timer(); }

}  // namespace lyn
