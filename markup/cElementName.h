#pragma once
// A tag's name, in 8 bytes: a name of up to 7 bytes (nearly every tag's) is kept in place, a
// longer one in a block of its own. It reads as a std::string_view; copies are deep, so a copy
// never depends on the record or document it came from. A view of a short name points into the
// object itself, as with std::string's short strings: it stays valid while the object lives and
// is not assigned.

#include <bit>
#include <cstdint>
#include <cstddef>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

namespace lyn {

class cElementName {
 public:
  cElementName() = default;
  cElementName(std::string_view isName) { subSet(isName); }  // NOLINT: reads as a string
  cElementName(const char* isName) : cElementName(std::string_view(isName)) {}  // NOLINT
  cElementName(const std::string& isName) : cElementName(std::string_view(isName)) {}  // NOLINT
  cElementName(const cElementName& other) { subSet(other.fncView()); }
  cElementName(cElementName&& other) noexcept : mWord(other.mWord) { other.mWord = kEmpty; }
  cElementName& operator=(const cElementName& other) {
    if (this != &other) *this = other.fncView();
    return *this;
  }
  cElementName& operator=(cElementName&& other) noexcept {
    if (this != &other) {
      subRelease();
      mWord = other.mWord;
      other.mWord = kEmpty;
    }
    return *this;
  }
  cElementName& operator=(std::string_view isName);
  cElementName& operator=(const char* isName) { return *this = std::string_view(isName); }
  cElementName& operator=(const std::string& isName) { return *this = std::string_view(isName); }
  ~cElementName() { subRelease(); }

  operator std::string_view() const { return fncView(); }  // NOLINT: reads as a string
  std::string_view fncView() const {
    if (mWord & kInPlace)
      return {reinterpret_cast<const char*>(&mWord) + 1, static_cast<size_t>((mWord >> 1) & 7)};
    uint32_t size = 0;
    const char* block = fncBlock();
    std::memcpy(&size, block, sizeof size);
    return {block + sizeof size, size};
  }
  bool empty() const { return fncView().empty(); }
  size_t size() const { return fncView().size(); }
  const char* data() const { return fncView().data(); }
  char operator[](size_t n) const { return fncView()[n]; }
  std::string_view substr(size_t pos, size_t n = std::string_view::npos) const {
    return fncView().substr(pos, n);
  }

  friend bool operator==(const cElementName& a, std::string_view b) { return a.fncView() == b; }
  friend std::string operator+(const cElementName& a, std::string_view b) {
    return std::string(a.fncView()).append(b);
  }
  friend std::ostream& operator<<(std::ostream& out, const cElementName& name) {
    return out << name.fncView();
  }

 private:
  // In place: bit 0 set, the size in bits 1-3, the bytes from the object's second byte on.
  // Otherwise the address of the block (its low bit is clear): the size as 32 bits, then the
  // bytes.
  static_assert(std::endian::native == std::endian::little, "the bytes follow the low byte");
  static constexpr uint64_t kInPlace = 1;
  static constexpr uint64_t kEmpty = kInPlace;
  static constexpr size_t kLongestInPlace = 7;

  const char* fncBlock() const { return reinterpret_cast<const char*>(static_cast<uintptr_t>(mWord)); }
  void subSet(std::string_view isName);
  void subRelease();

  uint64_t mWord = kEmpty;
};

}  // namespace lyn
