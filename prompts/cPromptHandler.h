#pragma once
// The prompt handler: the prompt file's texts by key, prompt keys and numbers turned into clips,
// and the prompt queue, played on the prompt player while the book player waits.
//
// One handler exists in the program. It borrows the message queue (it posts "PLAYNEXTPROMPT"
// after queuing a request and "START" when it had paused a playing book), the prompt player
// CtlDxm (whose end-of-clip event it handles) and the book player oBookPlayer; subSetPlayers
// installs both and the handler leaves CtlDxm's listeners when it is destroyed or the players
// change. Nothing is played inside subAddAudioPrompts: playback advances on "PLAYNEXTPROMPT"
// (the dispatcher calls subPlayNextPrompt) and on CtlDxm's end of clip.
//
// Loading (fncbLoadPromptFile), results:
//   file found and read, audio opened  -> true, IsAudio true
//   file found, audio missing          -> false, IsAudio false, texts from the file
//   no file                            -> false, IErrorMsg "PROMPTFILE NOT FOUND"; the default
//                                         record (43 entries) is written as "prompts.bin" in the
//                                         program folder, or in the per-user data folder when the
//                                         program folder is not writable, and used
//   file damaged or truncated          -> false, IErrorMsg "PROMPTFILE DAMAGED", a line on
//                                         stderr; the default record is used in memory and the
//                                         file on disk is left as it is
// In every case Version is the record's version, CtlDxm's volume is 8, and the record is loaded.
//
// Keys are compared without regard to case (ASCII), over entries 0 to the record's last index.
// A key the file lacks, or whose clip cannot be played, is marked played at once, so it neither
// stops the queue nor holds back the "START" that resumes the book.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/iAudioPlaybackListener.h"
#include "prompts/PromptBatch.h"
#include "prompts/PromptFileHeader.h"
#include "prompts/PromptItem.h"
#include "queue/Variant.h"
#include "queue/cMessageQueue.h"
#include "queue/iMessageDispatcher.h"

namespace lyn {

// Told of every prompt clip as it starts (front ends that show what is spoken).
class iPromptListener {
 public:
  virtual ~iPromptListener() = default;
  virtual void evPromptStarted(std::string_view key) = 0;
};

class cPromptHandler : public iAudioPlaybackListener, public iNextPromptPlayer {
 public:
  // `programFolder` and `userDataFolder` name folders (a missing trailing "/" is added);
  // `userDataFolder` may be empty (no second place for the default file).
  cPromptHandler(cMessageQueue& queue, std::string programFolder, std::string userDataFolder = {});
  ~cPromptHandler() override;
  cPromptHandler(const cPromptHandler&) = delete;
  cPromptHandler& operator=(const cPromptHandler&) = delete;

  // Installs the prompt player (CtlDxm) and the book player (oBookPlayer), both borrowed; either
  // may be null. The handler listens to CtlDxm's events from now on.
  void subSetPlayers(cAudioPlaybackSystem* promptPlayer, cAudioPlaybackSystem* bookPlayer);
  // Borrowed; null for none.
  void subSetPromptListener(iPromptListener* listener) { mPromptListener = listener; }

  // Public members.
  std::string IErrorMsg;
  bool IsAudio = false;
  std::string Version;
  cAudioPlaybackSystem* CtlDxm = nullptr;       // set through subSetPlayers
  cAudioPlaybackSystem* oBookPlayer = nullptr;  // set through subSetPlayers

  // 1. Fields 10, 9 and 11 of the loaded record.
  bool bolRightToLeft() const { return mHeader.bolRightToLeft; }
  const std::string& sFont() const { return mHeader.sFont; }
  int32_t lFontSize() const { return mHeader.lFontSize; }

  // 2. The prompt keys of `items` (strings lower-cased, numbers expanded, lists flattened);
  //    empty unless IsAudio.
  std::vector<std::string> fncConvertToID(const std::vector<PromptItem>& items) const;

  // 3. See "Loading" above. `fileName` is relative to the program folder ("prompts.bin").
  bool fncbLoadPromptFile(const std::string& fileName);

  // 4. The entry's text; `defaultText` (or "") when no entry has the key or nothing is loaded.
  std::string Text(std::string_view key, std::optional<std::string_view> defaultText = {}) const;

  // 5. Does nothing.
  void Quit() {}

  // 6. Known key: audio file name (string), clip begin and clip end (doubles). Unknown key:
  //    element 0 is the 32-bit number -1, the others are empty.
  std::array<Variant, 3> fncRequestEntry(std::string_view key) const;

  // 7. Queues a request to speak `items` (keys, numbers, 1-based lists of them):
  //    - priority below 5 while the book plays: dropped;
  //    - a playing book is paused and resumed ("START") after the last clip of the queue;
  //    - while the queue speaks, against the priority of its first batch: a higher one keeps the
  //      queue and the request is appended only when its third flag is set; an equal one cuts
  //      the queue (to nothing when that batch's third flag is clear, which also stops the clip
  //      now speaking; after that batch when it is set); a lower one cuts it to nothing.
  void subAddAudioPrompts(int32_t lPriority, bool bolFirst, bool bolSecond, bool bolThird,
                          const std::vector<PromptItem>& items);

  // 8. Advances the queue: starts the next clip, or ends the queue (posting "START" when a
  //    playing book was paused for it).
  void subPlayNextPrompt() override;

  // 9. Plays one entry's clip now, outside the queue (a clip shorter than 0.45 s plays 0.45 s).
  //    Unknown key, no audio: nothing.
  void subPlayID(std::string_view key);

  // 10. With a batch current: bolArgument and that batch's first flag. Without: true unless
  //     the queue holds batches.
  bool fncMutePrompts(bool bolArgument) const;

  // 11. Empties the queue and pauses CtlDxm. Whoever clears the queue takes over the book: the
  //     pending resume of a book paused for prompts is dropped too.
  void subclearQue();

  // CtlDxm's end of clip: the current id is played; the queue moves on.
  void evEndofStream() override;

  // For the status of the queue (tests, diagnostics): batches 1..fncQueueCount(), 0 unused.
  int32_t fncQueueCount() const { return mlQueueCount; }
  int32_t fncCurrentBatch() const { return mlCurrentBatch; }
  const PromptBatch& fncBatch(int32_t index) const { return mQueue[size_t(index)]; }
  const PromptFileHeader& fncRecord() const { return mHeader; }

  // The number rules on their own: appends the keys that speak `number` (whole numbers;
  // rounded to the nearest).
  static void subAppendNumber(double number, std::vector<std::string>& ids);

 private:
  struct Clip {
    double dBegin = 0;
    double dEnd = 0;
  };
  int32_t fncLookup(std::string_view key) const;
  void subIndexKeys();
  void subUseRecord(PromptFileHeader header);
  void subWriteDefaultFile(const std::string& bytes);
  bool fncbPlayClip(std::string_view key);
  void subExpand(const std::vector<PromptItem>& items, std::vector<std::string>& ids,
                 bool speakNumbers) const;
  void subCutQueue(int32_t k);
  void subPausePromptPlayer();
  void subPauseBookPlayer();

  cMessageQueue& mMessages;
  iPromptListener* mPromptListener = nullptr;
  std::string mProgramFolder;
  std::string mUserDataFolder;
  PromptFileHeader mHeader;
  std::unordered_map<std::string, int32_t> mIndex;  // lower-cased key -> first entry
  bool mbLoaded = false;
  bool mbResume = false;
  std::vector<PromptBatch> mQueue = std::vector<PromptBatch>(1);
  int32_t mlQueueCount = 0;
  int32_t mlCurrentBatch = 0;
};

}  // namespace lyn
