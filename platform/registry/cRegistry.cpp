#include "platform/registry/cRegistry.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <system_error>

#include "platform/files/TextCase.h"
#include "platform/storage/cAtomicFile.h"
#include "platform/storage/cRegularFile.h"

namespace lyn {

namespace {

// Key paths and value names are matched by their ASCII-folded form.
std::string foldedName(std::string_view name) { return fncAsciiLower(name); }

constexpr uint64_t kLargestSettingsFile = 64u << 20;

// Splits at "\", dropping empty components: an empty component stays on the same key.
std::vector<std::string_view> splitKeyPath(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Key path and value name of "<keyPath>\<valueName>", with the value name's own "\" steps
// moved into the key path.
struct Location {
  std::string key;
  std::string name;
};

Location locate(std::string_view keyPath, std::string_view valueName) {
  Location location;
  auto parts = splitKeyPath(keyPath);
  std::string_view name = valueName;
  size_t slash = valueName.rfind('\\');
  if (slash != std::string_view::npos) {
    for (auto part : splitKeyPath(valueName.substr(0, slash))) parts.push_back(part);
    name = valueName.substr(slash + 1);
  }
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) location.key += '\\';
    location.key += parts[i];
  }
  location.name = std::string(name);
  return location;
}

std::string quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  out += '"';
  return out;
}

// Reads a quoted string at text[pos]; advances pos past the closing quote.
std::optional<std::string> unquote(std::string_view text, size_t& pos) {
  if (pos >= text.size() || text[pos] != '"') return std::nullopt;
  std::string out;
  for (++pos; pos < text.size(); ++pos) {
    char c = text[pos];
    if (c == '"') {
      ++pos;
      return out;
    }
    if (c == '\\') {
      if (++pos >= text.size()) return std::nullopt;
      switch (text[pos]) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return std::nullopt;
      }
    } else {
      out += c;
    }
  }
  return std::nullopt;
}

std::optional<int32_t> parseDecimal(std::string_view text) {
  text = fncTrimAsciiSpace(text);
  int64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  if (value < INT32_MIN || value > UINT32_MAX) return std::nullopt;
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

// The number a value holds, when it holds one.
std::optional<int32_t> numberOf(const cRegistry::Value& value) {
  if (auto n = std::get_if<int32_t>(&value)) return *n;
  return parseDecimal(std::get<std::string>(value));
}

}  // namespace

cRegistry::cRegistry() = default;

cRegistry::cRegistry(std::filesystem::path file) : mFile(std::move(file)) { subLoad(); }

std::filesystem::path cRegistry::fncDefaultFile() {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".config";
  } else {
    base = std::filesystem::temp_directory_path();
  }
  return base / "lyn-reader" / "registry.ini";
}

void cRegistry::subWarn(const std::string& message) const {
  std::cerr << "lyn-reader: settings: " << message << '\n';
}

void cRegistry::subLoad() {
  std::error_code ec;
  // A link whose file is gone counts as missing: the first save writes through it.
  if (!std::filesystem::exists(std::filesystem::status(mFile, ec))) return;
  std::string text, why;
  if (!fncReadRegularFile(mFile, text, kLargestSettingsFile, &why)) {
    subWarn("cannot read " + why + "; using defaults and leaving the file alone");
    mSaveDisabled = true;
    return;
  }
  if (fncParse(text)) return;
  const auto target = fncWriteTarget(mFile, &why);
  const auto kept = target ? fncSetAside(*target, ".damaged", &why) : std::nullopt;
  if (!kept) {
    subWarn("cannot parse " + mFile.string() + " and cannot set it aside (" + why +
            "); using defaults");
    mSaveDisabled = true;
  } else {
    subWarn("cannot parse " + mFile.string() + "; kept as " + kept->string() + ", using defaults");
  }
}

cRegistry::Key& cRegistry::fncKey(std::vector<Key>& keys,
                                  std::unordered_map<std::string, size_t>& index,
                                  const std::string& path, bool& created) {
  auto [it, inserted] = index.try_emplace(foldedName(path), keys.size());
  created = inserted;
  if (inserted) keys.push_back(Key{path, {}, {}, {}});
  return keys[it->second];
}

cRegistry::Entry& cRegistry::fncEntry(Key& key, const std::string& name, bool& created) {
  auto [it, inserted] = key.index.try_emplace(foldedName(name), key.entries.size());
  created = inserted;
  if (inserted) key.entries.push_back(Entry{name, int32_t{0}, {}});
  return key.entries[it->second];
}

bool cRegistry::fncParse(std::string_view text) {
  std::vector<Key> keys;
  std::unordered_map<std::string, size_t> keyIndex;
  std::vector<std::string> pending;  // comments and blank lines, kept with what follows them
  Key* current = nullptr;
  size_t lineStart = 0;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") lineStart = 3;
  while (lineStart < text.size()) {
    size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    std::string_view raw = text.substr(lineStart, lineEnd - lineStart);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    std::string_view line = fncTrimAsciiSpace(raw);
    lineStart = lineEnd + 1;
    if (line.empty() || line.front() == ';' || line.front() == '#') {
      pending.emplace_back(raw);
      continue;
    }
    if (line.front() == '[') {
      if (line.back() != ']') return false;
      bool created = false;
      current = &fncKey(keys, keyIndex, locate(line.substr(1, line.size() - 2), "").key, created);
      // A repeated section merges into the first; its comments go with its first value.
      if (created) current->comments = std::move(pending), pending.clear();
      continue;
    }
    if (!current) return false;
    size_t pos = 0;
    auto name = unquote(line, pos);
    if (!name) return false;
    std::string_view rest = fncTrimAsciiSpace(line.substr(pos));
    if (rest.empty() || rest.front() != '=') return false;
    rest = fncTrimAsciiSpace(rest.substr(1));
    Value value;
    if (rest.substr(0, 6) == "dword:") {
      std::string_view hex = rest.substr(6);
      uint32_t number = 0;
      auto [end, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), number, 16);
      if (ec != std::errc() || end != hex.data() + hex.size() || hex.empty()) return false;
      value = static_cast<int32_t>(number);
    } else {
      size_t vpos = 0;
      auto str = unquote(rest, vpos);
      if (!str || vpos != rest.size()) return false;
      value = std::move(*str);
    }
    bool created = false;
    Entry& entry = fncEntry(*current, *name, created);
    entry.value = std::move(value);
    for (auto& comment : pending) entry.comments.push_back(std::move(comment));
    pending.clear();
  }
  mKeys = std::move(keys);
  mKeyIndex = std::move(keyIndex);
  mHeader.clear();
  mTrailer = std::move(pending);
  return true;
}

std::string cRegistry::fncSerialise() const {
  std::string out;
  const auto lines = [&out](const std::vector<std::string>& comments) {
    for (const auto& line : comments) out += line + '\n';
  };
  lines(mHeader);
  for (const auto& key : mKeys) {
    lines(key.comments);
    out += "[" + key.path + "]\n";
    for (const auto& entry : key.entries) {
      lines(entry.comments);
      out += quote(entry.name) + '=';
      if (auto n = std::get_if<int32_t>(&entry.value)) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<uint32_t>(*n));
        out += buf;
      } else {
        out += quote(std::get<std::string>(entry.value));
      }
      out += '\n';
    }
  }
  lines(mTrailer);
  return out;
}

const cRegistry::Value* cRegistry::fncFind(std::string_view valueName, eRegistryRoot root,
                                           std::optional<std::string_view> keyPath) const {
  if (root != eRegistryRoot::CurrentUser) return nullptr;
  Location location = locate(keyPath.value_or(mCurrentKey), valueName);
  const auto key = mKeyIndex.find(foldedName(location.key));
  if (key == mKeyIndex.end()) return nullptr;
  const Key& found = mKeys[key->second];
  const auto entry = found.index.find(foldedName(location.name));
  return entry == found.index.end() ? nullptr : &found.entries[entry->second].value;
}

bool cRegistry::fncReadValue(std::string_view valueName, std::string& target, eRegistryRoot root,
                             std::optional<std::string_view> keyPath,
                             std::optional<std::string> defaultValue) const {
  const Value* value = fncFind(valueName, root, keyPath);
  if (!value) {
    if (defaultValue) target = std::move(*defaultValue);
    return false;
  }
  if (auto n = std::get_if<int32_t>(value)) {
    target = std::to_string(*n);
  } else {
    // The stored string may hold a NUL written by a caller; a string ends there.
    const auto& text = std::get<std::string>(*value);
    target = text.substr(0, text.find('\0'));
  }
  return true;
}

bool cRegistry::fncReadValue(std::string_view valueName, int32_t& target, eRegistryRoot root,
                             std::optional<std::string_view> keyPath,
                             std::optional<int32_t> defaultValue) const {
  const Value* value = fncFind(valueName, root, keyPath);
  std::optional<int32_t> number = value ? numberOf(*value) : std::nullopt;
  if (!number) {
    if (defaultValue) target = *defaultValue;
    return false;
  }
  target = *number;
  return true;
}

bool cRegistry::fncReadValue(std::string_view valueName, int16_t& target, eRegistryRoot root,
                             std::optional<std::string_view> keyPath,
                             std::optional<int16_t> defaultValue) const {
  int32_t wide = 0;
  if (!fncReadValue(valueName, wide, root, keyPath)) {
    if (defaultValue) target = *defaultValue;
    return false;
  }
  target = static_cast<int16_t>(wide);
  return true;
}

bool cRegistry::fncReadValue(std::string_view valueName, bool& target, eRegistryRoot root,
                             std::optional<std::string_view> keyPath,
                             std::optional<bool> defaultValue) const {
  int32_t wide = 0;
  if (!fncReadValue(valueName, wide, root, keyPath)) {
    if (defaultValue) target = *defaultValue;
    return false;
  }
  target = wide != 0;
  return true;
}

int32_t cRegistry::fncReadNumber(std::string_view valueName, int32_t defaultValue) const {
  int32_t value = defaultValue;
  fncReadValue(valueName, value, eRegistryRoot::CurrentUser, std::nullopt, defaultValue);
  return value;
}

void cRegistry::subStore(std::string_view valueName, Value value, eRegistryRoot root,
                         std::optional<std::string_view> keyPath) {
  if (root != eRegistryRoot::CurrentUser) return;
  Location location = locate(keyPath.value_or(mCurrentKey), valueName);
  bool created = false;
  Key& key = fncKey(mKeys, mKeyIndex, location.key, created);
  if (created) key.comments.emplace_back();  // a blank line before a new section
  fncEntry(key, location.name, created).value = std::move(value);
  mDirty = true;
  if (mBatchDepth == 0) fncSave();
}

void cRegistry::subWriteValue(std::string_view valueName, std::string_view value,
                              eRegistryRoot root, std::optional<std::string_view> keyPath) {
  subStore(valueName, std::string(value), root, keyPath);
}

void cRegistry::subWriteValue(std::string_view valueName, const char* value, eRegistryRoot root,
                              std::optional<std::string_view> keyPath) {
  subStore(valueName, std::string(value ? value : ""), root, keyPath);
}

void cRegistry::subWriteValue(std::string_view valueName, int32_t value, eRegistryRoot root,
                              std::optional<std::string_view> keyPath) {
  subStore(valueName, value, root, keyPath);
}

void cRegistry::subWriteValue(std::string_view valueName, bool value, eRegistryRoot root,
                              std::optional<std::string_view> keyPath) {
  subStore(valueName, static_cast<int32_t>(value ? 1 : 0), root, keyPath);
}

bool cRegistry::fncEndBatch() {
  if (mBatchDepth > 0) --mBatchDepth;
  if (mBatchDepth > 0 || !mDirty) return true;
  return fncSave();
}

bool cRegistry::fncSave() {
  if (mFile.empty()) {
    mDirty = false;
    return true;
  }
  if (mSaveDisabled) return false;
  std::string error;
  if (!fncWriteFileAtomically(mFile, fncSerialise(), &error, mBeforeRename)) {
    if (!mSaveFailureReported) subWarn(error);
    mSaveFailureReported = true;
    return false;
  }
  mSaveFailureReported = false;
  mDirty = false;
  return true;
}

}  // namespace lyn
