#pragma once
// The settings store: a per-user registry of keys and typed values kept in one text file.
//
// Keys are named by paths of components separated by "\" ("software\lyn_reader\misc"); key
// paths and value names match without regard to case, and keep the case they were first
// written with. Values are strings or 32-bit numbers; a boolean is stored as a number.
//
// Reading walks "<key path>\<value name>" component by component: every component but the last
// names a key (an empty one stays on the same key), the last names the value. So the value
// "Vari\Items" under "software\LYN_Reader" is "Items" of "software\lyn_reader\vari".
//
// The file (regedit-like):
//     [software\lyn_reader\misc]
//     "volume"=dword:00000008
//     "last book read"="/home/me/Books/Moby Dick"
// Strings escape "\" and '"' with a backslash, and line ends as \n and \r.
//
// Errors, none of which stops the program:
//   file missing                -> empty store; created on the first save
//   file cannot be parsed       -> set aside as "<file>.damaged" (".damaged.1", ".2", ... when
//                                  that is taken: an earlier one is never replaced), a warning on
//                                  stderr, empty store
//   file exists but unreadable  -> (no permission, a folder, a FIFO, a device, over 64 MiB) empty
//                                  store, a warning naming the file and the reason, and saving is
//                                  disabled so the user's file is never replaced by defaults
//
// Saving keeps the file's comments, blank lines and order, and its permissions; a file that is a
// symbolic link is written through to the file it leads to (see fncWriteFileAtomically).
//   value missing or of a type that cannot be read into the target
//                               -> the target takes the default (when given), result false
//   save fails (folder read-only, disk full)
//                               -> old file intact, one warning, fncSave returns false
//   the machine-wide root       -> does not exist here: reads fail, writes are skipped

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

namespace lyn {

enum class eRegistryRoot { CurrentUser, LocalMachine };

class cRegistry {
 public:
  using Value = std::variant<int32_t, std::string>;

  // A store in memory only, for tests of the layers above.
  cRegistry();
  // A store kept in `file`, loaded now and saved after every write.
  explicit cRegistry(std::filesystem::path file);

  // $XDG_CONFIG_HOME/lyn-reader/registry.ini, or ~/.config/lyn-reader/registry.ini.
  static std::filesystem::path fncDefaultFile();

  // The key used when a caller gives no key path.
  void subSetCurrentKey(std::string keyPath) { mCurrentKey = std::move(keyPath); }
  const std::string& fncCurrentKey() const { return mCurrentKey; }

  // read registry value: true when the value was there and readable into the target.
  bool fncReadValue(std::string_view valueName, std::string& target,
                    eRegistryRoot root = eRegistryRoot::CurrentUser,
                    std::optional<std::string_view> keyPath = {},
                    std::optional<std::string> defaultValue = {}) const;
  bool fncReadValue(std::string_view valueName, int32_t& target,
                    eRegistryRoot root = eRegistryRoot::CurrentUser,
                    std::optional<std::string_view> keyPath = {},
                    std::optional<int32_t> defaultValue = {}) const;
  bool fncReadValue(std::string_view valueName, int16_t& target,
                    eRegistryRoot root = eRegistryRoot::CurrentUser,
                    std::optional<std::string_view> keyPath = {},
                    std::optional<int16_t> defaultValue = {}) const;
  bool fncReadValue(std::string_view valueName, bool& target,
                    eRegistryRoot root = eRegistryRoot::CurrentUser,
                    std::optional<std::string_view> keyPath = {},
                    std::optional<bool> defaultValue = {}) const;

  // read registry number: the value under the current key, or the default.
  int32_t fncReadNumber(std::string_view valueName, int32_t defaultValue) const;

  // write registry value: creates missing keys. A boolean is written as the number 1 or 0.
  void subWriteValue(std::string_view valueName, std::string_view value,
                     eRegistryRoot root = eRegistryRoot::CurrentUser,
                     std::optional<std::string_view> keyPath = {});
  void subWriteValue(std::string_view valueName, const char* value,
                     eRegistryRoot root = eRegistryRoot::CurrentUser,
                     std::optional<std::string_view> keyPath = {});
  void subWriteValue(std::string_view valueName, int32_t value,
                     eRegistryRoot root = eRegistryRoot::CurrentUser,
                     std::optional<std::string_view> keyPath = {});
  void subWriteValue(std::string_view valueName, bool value,
                     eRegistryRoot root = eRegistryRoot::CurrentUser,
                     std::optional<std::string_view> keyPath = {});

  // Writes the file now (atomically). True when it is on disk, or when there is no file.
  bool fncSave();

  // While a batch is open, writes are kept in memory; closing the last one saves once and
  // tells whether that save succeeded.
  void subBeginBatch() { ++mBatchDepth; }
  bool fncEndBatch();

  // The file's contents as they would be saved.
  std::string fncSerialise() const;
  // Replaces the contents from file text; false (and nothing changed) when it cannot be parsed.
  bool fncParse(std::string_view text);

  // Called between writing the temporary file and the rename; returning false simulates a
  // crash at that point.
  void subSetBeforeRenameHook(std::function<bool()> hook) { mBeforeRename = std::move(hook); }

  const std::filesystem::path& fncFile() const { return mFile; }

 private:
  // Comments and blank lines of the file stay with the entry or section they stand before.
  struct Entry {
    std::string name;
    Value value;
    std::vector<std::string> comments;
  };
  struct Key {
    std::string path;  // as first written
    std::vector<Entry> entries;
    std::unordered_map<std::string, size_t> index;  // folded name -> entries
    std::vector<std::string> comments;
  };

  // The key or entry of that name, made when missing (`created` tells).
  static Key& fncKey(std::vector<Key>& keys, std::unordered_map<std::string, size_t>& index,
                     const std::string& path, bool& created);
  static Entry& fncEntry(Key& key, const std::string& name, bool& created);

  const Value* fncFind(std::string_view valueName, eRegistryRoot root,
                       std::optional<std::string_view> keyPath) const;
  void subStore(std::string_view valueName, Value value, eRegistryRoot root,
                std::optional<std::string_view> keyPath);
  void subLoad();
  void subWarn(const std::string& message) const;

  std::filesystem::path mFile;
  std::vector<Key> mKeys;
  std::unordered_map<std::string, size_t> mKeyIndex;  // folded path -> mKeys
  std::vector<std::string> mHeader{"; LYN Reader settings"};
  std::vector<std::string> mTrailer;
  std::string mCurrentKey;
  bool mSaveDisabled = false;
  int mBatchDepth = 0;
  bool mDirty = false;
  bool mSaveFailureReported = false;
  std::function<bool()> mBeforeRename;
};

// Opens a batch of writes on a store for the life of the guard.
class cRegistryBatch {
 public:
  explicit cRegistryBatch(cRegistry& registry) : mRegistry(registry) { mRegistry.subBeginBatch(); }
  ~cRegistryBatch() { mRegistry.fncEndBatch(); }
  cRegistryBatch(const cRegistryBatch&) = delete;
  cRegistryBatch& operator=(const cRegistryBatch&) = delete;

 private:
  cRegistry& mRegistry;
};

}  // namespace lyn
