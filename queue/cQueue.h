#pragma once
// The list of posted messages with its read cursor.
//
// Messages are never removed one by one: a message that has been read stays until the whole
// list is cleared, so the duplicate check of subAdd sees the last message added since the
// clear, even when it has already been handed out.

#include <cstdint>
#include <optional>
#include <vector>

#include "queue/cMessage.h"

namespace lyn {

class cQueue {
 public:
  // Appends, unless the message equals the last one added since the last clear.
  void subAdd(cMessage message);
  // The next unread message, or nothing when all have been read. Reading past the end leaves
  // the cursor on the last message, so a message added afterwards is still read.
  std::optional<cMessage> fncgetNextMessageQueueItem();
  bool hasNext() const { return mReadIndex + 1 < fncCount(); }
  void subClearQueue();
  // False on an empty list; otherwise whether the last added message equals `message`.
  bool fncEqualsLast(const cMessage& message) const;

  int32_t fncCount() const { return static_cast<int32_t>(mItems.size()); }
  int32_t fncReadIndex() const { return mReadIndex; }

 private:
  std::vector<cMessage> mItems;
  int32_t mReadIndex = -1;
};

}  // namespace lyn
