#include "queue/cQueue.h"

namespace lyn {

void cQueue::subAdd(cMessage message) {
  if (fncEqualsLast(message)) return;
  mItems.push_back(std::move(message));
}

std::optional<cMessage> cQueue::fncgetNextMessageQueueItem() {
  if (!hasNext()) return std::nullopt;
  ++mReadIndex;
  return mItems[static_cast<size_t>(mReadIndex)];
}

void cQueue::subClearQueue() {
  mItems.clear();  // keeps the capacity: posting after a clear does not allocate again
  mReadIndex = -1;
}

bool cQueue::fncEqualsLast(const cMessage& message) const {
  return !mItems.empty() && mItems.back().fncEquals(message);
}

}  // namespace lyn
