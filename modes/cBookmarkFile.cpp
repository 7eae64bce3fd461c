#include "modes/cBookmarkFile.h"

#include <bit>
#include <cmath>
#include <cstdio>

#include "disk/mdlDiskModule.h"
#include "platform/files/TextCase.h"
#include "platform/storage/cRegularFile.h"

namespace lyn {

namespace {

constexpr std::string_view kHeader = "LYN Reader bookmarkfile";
constexpr std::string_view kVersion = "1.0";
constexpr size_t kRecordsPerEntry = 8;

class cRecordWriter {
 public:
  void subString(std::string_view text) {
    const std::string cut = fncCutUtf8(text, kBookmarkStringBytes);
    std::string record = fncU16(static_cast<uint16_t>(cut.size())) + cut;
    subRecord(record);
  }
  void subInt32(int32_t value) { subRecord(fncU32(static_cast<uint32_t>(value))); }
  void subDouble(double value) {
    const auto bits = std::bit_cast<uint64_t>(value);
    subRecord(fncU32(static_cast<uint32_t>(bits)) + fncU32(static_cast<uint32_t>(bits >> 32)));
  }
  std::string mBytes;

 private:
  static std::string fncU16(uint16_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
  }
  static std::string fncU32(uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
            static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 24) & 0xFF)};
  }
  void subRecord(std::string record) {
    record.resize(kBookmarkRecordBytes, '\0');
    mBytes += record;
  }
};

class cRecordReader {
 public:
  explicit cRecordReader(std::string_view bytes) : mBytes(bytes) {}
  size_t fncRecords() const { return mBytes.size() / kBookmarkRecordBytes; }
  std::optional<std::string> fncString() {
    const std::string_view r = fncNext();
    const size_t length = fncByte(r, 0) | fncByte(r, 1) << 8;
    if (length > kBookmarkStringBytes) return std::nullopt;
    return std::string(r.substr(2, length));
  }
  int32_t fncInt32() { return static_cast<int32_t>(fncU32(fncNext(), 0)); }
  double fncDouble() {
    const std::string_view r = fncNext();
    return std::bit_cast<double>(uint64_t(fncU32(r, 0)) | uint64_t(fncU32(r, 4)) << 32);
  }

 private:
  static uint32_t fncByte(std::string_view r, size_t at) { return uint8_t(r[at]); }
  static uint32_t fncU32(std::string_view r, size_t at) {
    return fncByte(r, at) | fncByte(r, at + 1) << 8 | fncByte(r, at + 2) << 16 |
           fncByte(r, at + 3) << 24;
  }
  std::string_view fncNext() {
    const std::string_view r = mBytes.substr(mAt, kBookmarkRecordBytes);
    mAt += kBookmarkRecordBytes;
    return r;
  }
  std::string_view mBytes;
  size_t mAt = 0;
};

void subWriteEntry(cRecordWriter& w, const cBookmark& b) {
  w.subDouble(b.dAudioPosition);
  w.subInt32(b.lPhraseNumber);
  w.subInt32(b.lTocPosition);
  w.subString(b.sAudioFile);
  w.subString(b.sOther);
  w.subString(b.sSmilFile);
  w.subString(b.sSmilID);
  w.subString(b.sTextNote);
}

}  // namespace

std::string fncCutUtf8(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  size_t end = 0;
  // Whole characters only; a malformed byte counts as a character of its own.
  while (end < text.size()) {
    char32_t codePoint = 0;
    size_t length = fncDecodeUtf8(text, end, codePoint);
    if (length == 0) length = 1;
    if (end + length > maxBytes) break;
    end += length;
  }
  return std::string(text.substr(0, end));
}

std::string fncEncodeBookmarkFile(const BookmarkList& list) {
  cRecordWriter w;
  w.subString(kHeader);
  w.subString(kVersion);
  int32_t count = 0;
  for (size_t i = 1; i < list.size(); ++i)
    if (list[i]) ++count;
  w.subInt32(count);
  subWriteEntry(w, list.empty() || !list[0] ? cBookmark{} : *list[0]);
  for (size_t i = 1; i < list.size(); ++i)
    if (list[i]) subWriteEntry(w, *list[i]);
  return std::move(w.mBytes);
}

std::optional<std::vector<cBookmark>> fncDecodeBookmarkFile(std::string_view bytes,
                                                            int32_t ilTocItems) {
  cRecordReader r(bytes);
  if (r.fncRecords() < 3) return std::nullopt;
  if (r.fncString() != kHeader || r.fncString() != kVersion) return std::nullopt;
  const int32_t count = r.fncInt32();
  if (count < 0) return std::nullopt;
  const uint64_t needed = 3 + kRecordsPerEntry * (uint64_t(count) + 1);
  if (r.fncRecords() < needed) return std::nullopt;
  std::vector<cBookmark> entries;
  entries.reserve(size_t(count) + 1);
  for (int32_t i = 0; i <= count; ++i) {
    cBookmark b;
    b.dAudioPosition = r.fncDouble();
    b.lPhraseNumber = r.fncInt32();
    b.lTocPosition = r.fncInt32();
    auto audio = r.fncString(), other = r.fncString(), smil = r.fncString(), id = r.fncString(),
         note = r.fncString();
    if (!audio || !other || !smil || !id || !note) return std::nullopt;
    if (b.lTocPosition < 1 || b.lTocPosition > ilTocItems) return std::nullopt;
    if (!std::isfinite(b.dAudioPosition) || b.dAudioPosition < -1) return std::nullopt;
    b.sAudioFile = std::move(*audio);
    b.sOther = std::move(*other);
    b.sSmilFile = std::move(*smil);
    b.sSmilID = std::move(*id);
    b.sTextNote = std::move(*note);
    entries.push_back(std::move(b));
  }
  return entries;
}

cBookmarkFileContent fncReadBookmarkFile(const std::filesystem::path& path, int32_t ilTocItems) {
  cBookmarkFileContent content;
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return content;
  std::string bytes;
  std::string error;
  if (!fncReadRegularFile(path, bytes, kBookmarkFileMaxBytes, &error)) {
    content.enState = eBookmarkFileState::Damaged;
    content.sError = error;
    return content;
  }
  auto entries = fncDecodeBookmarkFile(bytes, ilTocItems);
  if (!entries) {
    content.enState = eBookmarkFileState::Damaged;
    content.sError = path.string() + ": not a bookmark file of this book";
    return content;
  }
  content.enState = eBookmarkFileState::Loaded;
  content.entries = std::move(*entries);
  return content;
}

bool fncWriteBookmarkFile(const std::filesystem::path& path, const BookmarkList& list,
                          std::string* error, const AtomicWriteObserver& onStep) {
  return fncWriteFileAtomically(path, fncEncodeBookmarkFile(list), error, onStep);
}

bool fncSetBookmarkFileAside(const std::filesystem::path& path, std::string* error) {
  return fncSetAside(path, ".damaged", error).has_value();
}

uint64_t fncFnv1a64(std::string_view text) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : text) {
    hash ^= uint8_t(c);
    hash *= 0x100000001b3ull;
  }
  return hash;
}

std::string fncBookmarkFileName(std::string_view isTitle, std::string_view isIdentifier,
                                bool ibolMultivolume) {
  std::string name = mdlDiskModule::fncSafeFileName(isTitle);
  if (!ibolMultivolume && !isIdentifier.empty()) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "-%016llx",
                  static_cast<unsigned long long>(fncFnv1a64(isIdentifier)));
    name += suffix;
  }
  return name + ".bin";
}

}  // namespace lyn
