#pragma once
// An array that only grows at its end and never moves what it holds, so addresses handed out
// stay valid: entries live in chunks, the first one as large as asked for up front (so that a
// list whose size is known takes one allocation and wastes nothing), later ones of a fixed size.
// Nothing is allocated before the first entry.

#include <algorithm>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace lyn {

template <typename T>
class cStableArray {
 public:
  // Before the first entry: room for `ilCount` entries in the first chunk.
  void subReserve(size_t ilCount) {
    if (mChunks.empty()) mFirstChunk = std::max<size_t>(1, ilCount);
  }

  size_t size() const { return mSize; }
  bool empty() const { return mSize == 0; }

  T& operator[](size_t i) { return *fncAt(i); }
  const T& operator[](size_t i) const { return *fncAt(i); }
  T& back() { return (*this)[mSize - 1]; }
  const T& back() const { return (*this)[mSize - 1]; }

  T& push_back(T&& value) {
    if (mSize == mCapacity) {
      const size_t chunk = mChunks.empty() ? mFirstChunk : kChunk;
      mChunks.push_back(std::make_unique<T[]>(chunk));
      mCapacity += chunk;
    }
    T& slot = (*this)[mSize];
    slot = std::move(value);
    ++mSize;
    return slot;
  }

 private:
  static constexpr size_t kChunk = 256;

  T* fncAt(size_t i) const {
    if (i < mFirstChunk) return mChunks[0].get() + i;
    i -= mFirstChunk;
    return mChunks[1 + i / kChunk].get() + i % kChunk;
  }

  std::vector<std::unique_ptr<T[]>> mChunks;
  size_t mFirstChunk = 16;
  size_t mSize = 0;
  size_t mCapacity = 0;
};

}  // namespace lyn
