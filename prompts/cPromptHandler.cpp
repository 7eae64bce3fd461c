#include "prompts/cPromptHandler.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "platform/files/TextCase.h"
#include "platform/files/cPathResolver.h"
#include "platform/storage/cAtomicFile.h"
#include "platform/storage/cRegularFile.h"

namespace lyn {

namespace {

constexpr double kShortestClip = 0.45;
// A prompt file of this size is no prompt file; reading it would only cost memory.
constexpr uint64_t kLargestPromptFile = 64u * 1024 * 1024;

std::string fncWithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// Names written on systems with "\" as separator.
std::string fncLocalName(std::string name) {
  for (char& c : name)
    if (c == '\\') c = '/';
  return name;
}

void subAppendDigitKey(const char* prefix, int digit, std::vector<std::string>& ids) {
  ids.push_back(std::string(prefix) + std::to_string('0' + digit));
}

// n >= 0, whole.
void subAppendWhole(long long n, std::vector<std::string>& ids) {
  if (n < 10) {
    subAppendDigitKey("UC_", int(n), ids);
  } else if (n < 20) {
    ids.push_back("dig_" + std::to_string(n));
  } else if (n < 100) {
    ids.push_back("dig_" + std::to_string(n / 10) + "0");
    if (n % 10) subAppendWhole(n % 10, ids);
  } else if (n < 1000) {
    subAppendDigitKey("uc_", int(n / 100), ids);
    ids.push_back("dig_100");
    if (n % 100) subAppendWhole(n % 100, ids);
  } else if (n < 10000) {
    subAppendDigitKey("uc_", int(n / 1000), ids);
    ids.push_back("dig_1000");
    if (n % 1000) subAppendWhole(n % 1000, ids);
  } else {
    for (char c : std::to_string(n)) subAppendDigitKey("uc_", c - '0', ids);
  }
}

}  // namespace

cPromptHandler::cPromptHandler(cMessageQueue& queue, std::string programFolder,
                               std::string userDataFolder)
    : mMessages(queue),
      mProgramFolder(fncWithSlash(std::move(programFolder))),
      mUserDataFolder(fncWithSlash(std::move(userDataFolder))) {}

cPromptHandler::~cPromptHandler() {
  if (CtlDxm) CtlDxm->subRemoveListener(*this);
}

void cPromptHandler::subSetPlayers(cAudioPlaybackSystem* promptPlayer,
                                   cAudioPlaybackSystem* bookPlayer) {
  if (CtlDxm != promptPlayer) {
    if (CtlDxm) CtlDxm->subRemoveListener(*this);
    CtlDxm = promptPlayer;
    if (CtlDxm) CtlDxm->subAddListener(*this);
  }
  oBookPlayer = bookPlayer;
}

// ---- the record ---------------------------------------------------------------------------

void cPromptHandler::subIndexKeys() {
  mIndex.clear();
  const int32_t last =
      std::min<int32_t>(mHeader.lLastEntry, int32_t(mHeader.entries.size()) - 1);
  for (int32_t i = 0; i <= last; ++i)
    mIndex.emplace(fncAsciiLower(mHeader.entries[size_t(i)].sKey), i);  // the first one stays
}

void cPromptHandler::subUseRecord(PromptFileHeader header) {
  mHeader = std::move(header);
  subIndexKeys();
  mbLoaded = true;
}

int32_t cPromptHandler::fncLookup(std::string_view key) const {
  if (!mbLoaded) return -1;
  const auto it = mIndex.find(fncAsciiLower(key));
  return it == mIndex.end() ? -1 : it->second;
}

void cPromptHandler::subWriteDefaultFile(const std::string& bytes) {
  std::string error;
  if (fncWriteFileAtomically(mProgramFolder + "prompts.bin", bytes, &error)) return;
  // An installed program folder is read-only; the user's own folder is not. A prompt file the
  // user keeps there is never replaced.
  if (!mUserDataFolder.empty()) {
    const std::filesystem::path second = mUserDataFolder + "prompts.bin";
    std::error_code ec;
    if (std::filesystem::exists(second, ec) || fncWriteFileAtomically(second, bytes)) return;
  }
  std::fprintf(stderr, "lyn-reader: the default prompt file cannot be written: %s\n",
               error.c_str());
}

bool cPromptHandler::fncbLoadPromptFile(const std::string& fileName) {
  IErrorMsg.clear();
  IsAudio = false;
  const std::filesystem::path wanted = mProgramFolder + fncLocalName(fileName);
  const auto found = fncResolvePathIgnoringCase(wanted);
  std::error_code ec;
  bool result = false;

  // Only a missing file is replaced by the defaults; anything else of that name (a FIFO, a
  // folder, a device) is left alone and reported as damaged below.
  if (!found) {
    IErrorMsg = "PROMPTFILE NOT FOUND";
    PromptFileHeader defaults = fncDefaultPromptFileHeader();
    subWriteDefaultFile(fncEncodePromptFile(defaults));
    subUseRecord(std::move(defaults));
  } else {
    PromptFileHeader header;
    std::string bytes;
    std::string why;
    const bool read = fncReadRegularFile(*found, bytes, kLargestPromptFile, &why);
    if (read && fncDecodePromptFile(bytes, header) != enPromptFileResult::ok)
      why = found->string() + ": not a prompt file";
    if (!why.empty()) {
      IErrorMsg = "PROMPTFILE DAMAGED";
      std::fprintf(stderr,
                   "lyn-reader: the prompt file is damaged (%s); it is left as it is and the "
                   "built-in texts are used\n",
                   why.c_str());
      subUseRecord(fncDefaultPromptFileHeader());
    } else {
      subUseRecord(std::move(header));
      if (CtlDxm && !mHeader.sAudioFile.empty()) {
        const std::string audio = mProgramFolder + fncLocalName(mHeader.sAudioFile);
        const auto real = fncResolvePathIgnoringCase(audio);
        const std::string path = real ? real->string() : audio;
        CtlDxm->psnotXingFilename(path);
        IsAudio = fncEqualsIgnoringAsciiCase(CtlDxm->psFileName(), path);
        result = IsAudio;
      }
    }
  }
  Version = mHeader.sVersion;
  if (CtlDxm) CtlDxm->plVolume(8);
  return result;
}

std::string cPromptHandler::Text(std::string_view key,
                                 std::optional<std::string_view> defaultText) const {
  const int32_t i = fncLookup(key);
  if (i >= 0) return mHeader.entries[size_t(i)].sText;
  return defaultText ? std::string(*defaultText) : std::string();
}

std::array<Variant, 3> cPromptHandler::fncRequestEntry(std::string_view key) const {
  const int32_t i = fncLookup(key);
  if (i < 0) return {Variant(int32_t(-1)), Variant(), Variant()};
  const PromptEntry& e = mHeader.entries[size_t(i)];
  return {Variant(mHeader.sAudioFile), Variant(e.dClipBegin), Variant(e.dClipEnd)};
}

// ---- keys and numbers ---------------------------------------------------------------------

void cPromptHandler::subAppendNumber(double number, std::vector<std::string>& ids) {
  if (!std::isfinite(number)) return;
  double whole = std::round(number);
  // Beyond this the digits of a double are no longer a whole number anyone would say.
  if (std::fabs(whole) >= 1e18) return;
  if (whole < 0) {
    ids.push_back("con_minus");
    whole = -whole;
  }
  subAppendWhole(static_cast<long long>(whole), ids);
}

void cPromptHandler::subExpand(const std::vector<PromptItem>& items,
                               std::vector<std::string>& ids, bool speakNumbers) const {
  auto add = [&](const Variant& v) {
    if (const auto* s = std::get_if<std::string>(&v)) ids.push_back(fncAsciiLower(*s));
    else if (const auto* i = std::get_if<int32_t>(&v)) {
      if (speakNumbers) subAppendNumber(*i, ids);
    } else if (const auto* d = std::get_if<double>(&v)) {
      if (speakNumbers) subAppendNumber(*d, ids);
    }
  };
  for (const PromptItem& item : items) {
    if (const auto* s = std::get_if<std::string>(&item.value)) {
      ids.push_back(fncAsciiLower(*s));
    } else if (const auto* d = std::get_if<double>(&item.value)) {
      if (speakNumbers) subAppendNumber(*d, ids);
    } else if (const auto* list = std::get_if<std::vector<Variant>>(&item.value)) {
      for (size_t k = 1; k < list->size(); ++k) add((*list)[k]);
    }
  }
}

std::vector<std::string> cPromptHandler::fncConvertToID(const std::vector<PromptItem>& items) const {
  std::vector<std::string> ids;
  if (IsAudio) subExpand(items, ids, Version == "1.3");
  return ids;
}

// ---- the queue ----------------------------------------------------------------------------

void cPromptHandler::subPausePromptPlayer() {
  // Pausing a player without a file would only report "No file loaded".
  if (CtlDxm && CtlDxm->mbAudioFileLoaded) CtlDxm->fncbPause();
}

void cPromptHandler::subPauseBookPlayer() {
  if (oBookPlayer && oBookPlayer->mbAudioFileLoaded) oBookPlayer->fncbPause();
}

void cPromptHandler::subCutQueue(int32_t k) {
  mQueue.resize(size_t(k) + 1);
  mlQueueCount = k;
  if (mlCurrentBatch > k) mlCurrentBatch = k;
}

void cPromptHandler::subAddAudioPrompts(int32_t lPriority, bool bolFirst, bool bolSecond,
                                        bool bolThird, const std::vector<PromptItem>& items) {
  const bool bookPlaying = oBookPlayer && oBookPlayer->mlCurrentAudioState == 1;
  if (lPriority < 5 && bookPlaying) return;
  if (bookPlaying) mbResume = true;
  subPauseBookPlayer();

  bool busy = false;
  if (mlQueueCount > 0) {
    if (mlCurrentBatch == 0) mlCurrentBatch = 1;
    PromptBatch& current = mQueue[size_t(mlCurrentBatch)];
    if (!current.fncbCurrentDone()) {
      busy = true;
    } else if (size_t(current.lCurrentId) + 1 < current.ids.size()) {
      ++current.lCurrentId;
      current.started = false;  // the new current id has not been started yet
      busy = true;
    } else if (mlCurrentBatch < mlQueueCount) {
      ++mlCurrentBatch;
      busy = true;
    }
  }

  if (busy) {
    const PromptBatch& first = mQueue[1];
    if (first.lPriority > lPriority) {
      if (!bolThird) return;
    } else if (first.lPriority == lPriority) {
      if (!first.bolThirdFlag) {
        subCutQueue(0);
        subPausePromptPlayer();
      } else {
        subCutQueue(1);
      }
    } else {
      subCutQueue(0);
    }
  } else {
    subPausePromptPlayer();
  }

  PromptBatch batch;
  subExpand(items, batch.ids, Version == "1.3");
  batch.played.assign(batch.ids.size(), false);
  batch.lPriority = lPriority;
  batch.bolFirstFlag = bolFirst;
  batch.bolSecondFlag = bolSecond;
  batch.bolThirdFlag = bolThird;
  mQueue.push_back(std::move(batch));
  mlQueueCount = int32_t(mQueue.size()) - 1;
  mMessages.subAddMessage("PLAYNEXTPROMPT");
}

void cPromptHandler::subPlayNextPrompt() {
  if (mlQueueCount == 0) return;
  bool startCurrent = false;
  if (mlCurrentBatch == 0) {
    mlCurrentBatch = 1;
    startCurrent = true;
  } else {
    const PromptBatch& b = mQueue[size_t(mlCurrentBatch)];
    if (!b.started) startCurrent = true;
    else if (!b.fncbCurrentDone()) return;  // still speaking
  }
  // Keys that cannot be played are marked played here and passed over at once.
  while (true) {
    PromptBatch& b = mQueue[size_t(mlCurrentBatch)];
    if (startCurrent) {
      b.started = true;
      if (!b.fncbCurrentDone()) {
        if (fncbPlayClip(b.ids[size_t(b.lCurrentId)])) return;
        b.played[size_t(b.lCurrentId)] = true;
      }
    }
    if (size_t(b.lCurrentId) + 1 < b.ids.size()) {
      ++b.lCurrentId;
    } else if (mlCurrentBatch < mlQueueCount) {
      ++mlCurrentBatch;
    } else {
      const bool resume = mbResume;
      subclearQue();
      if (resume) mMessages.subAddMessage("START");
      return;
    }
    startCurrent = true;
  }
}

bool cPromptHandler::fncbPlayClip(std::string_view key) {
  if (!IsAudio || !CtlDxm) return false;
  const int32_t i = fncLookup(key);
  if (i < 0) return false;
  const PromptEntry& e = mHeader.entries[size_t(i)];
  if (!std::isfinite(e.dClipBegin) || !std::isfinite(e.dClipEnd) || e.dClipBegin < 0)
    return false;
  double stop = e.dClipEnd - e.dClipBegin < kShortestClip ? e.dClipBegin + kShortestClip
                                                          : e.dClipEnd;
  // A stretched clip at the very end of a foreign file ends with the file.
  const double duration = CtlDxm->pdDuration();
  if (duration > 0 && stop > duration) stop = duration;
  if (stop <= e.dClipBegin) return false;
  CtlDxm->fncbPause();
  if (!CtlDxm->fncbStopAt(stop)) return false;
  CtlDxm->pdPosition(e.dClipBegin);
  return CtlDxm->fncbPlay();
}

void cPromptHandler::subPlayID(std::string_view key) { fncbPlayClip(key); }

bool cPromptHandler::fncMutePrompts(bool bolArgument) const {
  if (mlCurrentBatch != 0) return bolArgument && mQueue[size_t(mlCurrentBatch)].bolFirstFlag;
  return mlQueueCount == 0;
}

void cPromptHandler::subclearQue() {
  mlCurrentBatch = 0;
  mlQueueCount = 0;
  mQueue.assign(1, PromptBatch{});
  mbResume = false;
  subPausePromptPlayer();
}

void cPromptHandler::evEndofStream() {
  if (mlCurrentBatch == 0 || mlCurrentBatch > mlQueueCount) return;
  PromptBatch& b = mQueue[size_t(mlCurrentBatch)];
  if (!b.fncbCurrentDone()) b.played[size_t(b.lCurrentId)] = true;
  subPlayNextPrompt();
}

}  // namespace lyn
