#pragma once
// The points of a book by a key ("file#fragment", folded), at 16 bytes a point: an entry keeps
// the key's hash only, and a candidate is confirmed on the key that the caller makes again for
// it. When several points share a key the first of them is found.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace lyn {

class cPointIndex {
 public:
  void subClear() { mEntries.clear(); }
  void subAdd(std::string_view isKey, int32_t ilPoint) {
    mEntries.emplace_back(std::hash<std::string_view>()(isKey), ilPoint);
  }
  // Call once every point is added.
  void subFinish() {
    std::sort(mEntries.begin(), mEntries.end());
    mEntries.shrink_to_fit();
  }
  // The first point whose key is `isKey`, 0 for none. `keyIs(point, key)` tells whether the key
  // of a candidate point is `key`.
  template <typename KeyIs>
  int32_t fncFind(std::string_view isKey, KeyIs&& keyIs) const {
    const size_t hash = std::hash<std::string_view>()(isKey);
    auto at = std::lower_bound(mEntries.begin(), mEntries.end(), std::pair<size_t, int32_t>(hash, INT32_MIN));
    for (; at != mEntries.end() && at->first == hash; ++at)
      if (keyIs(at->second, isKey)) return at->second;
    return 0;
  }

 private:
  std::vector<std::pair<size_t, int32_t>> mEntries;  // (hash, point), in order
};

}  // namespace lyn
