#include "prompts/PromptFileHeader.h"

#include <bit>
#include <cstring>

namespace lyn {

namespace {

constexpr size_t kMaxStringBytes = 32767;
// The smallest entry on disk: two empty strings and two doubles.
constexpr size_t kMinEntryBytes = 2 + 2 + 8 + 8;

bool fncIsUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t extra = 0;
    char32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

std::string fncLatin1ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  for (char ch : s) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

class cWriter {
 public:
  void subString(std::string_view s) {
    if (s.size() > kMaxStringBytes) {
      size_t cut = kMaxStringBytes;
      // Back up over continuation bytes so the cut falls between characters.
      while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
      s = s.substr(0, cut);
    }
    subInt16(static_cast<int16_t>(s.size()));
    mBytes.append(s);
  }
  void subInt16(int16_t v) { subRaw(static_cast<uint16_t>(v), 2); }
  void subInt32(int32_t v) { subRaw(static_cast<uint32_t>(v), 4); }
  void subBool(bool v) { subRaw(v ? 0xFFFFu : 0u, 2); }
  void subDouble(double v) { subRaw(std::bit_cast<uint64_t>(v), 8); }
  std::string fncBytes() && { return std::move(mBytes); }

 private:
  void subRaw(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) mBytes += static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  std::string mBytes;
};

class cReader {
 public:
  explicit cReader(std::string_view bytes) : mBytes(bytes) {}
  size_t fncLeft() const { return mBytes.size() - mPos; }
  bool fncbString(std::string& out) {
    int16_t n = 0;
    if (!fncbInt16(n) || n < 0 || size_t(n) > fncLeft()) return false;
    const std::string_view raw = mBytes.substr(mPos, size_t(n));
    mPos += size_t(n);
    out = fncIsUtf8(raw) ? std::string(raw) : fncLatin1ToUtf8(raw);
    return true;
  }
  bool fncbInt16(int16_t& v) {
    uint64_t raw = 0;
    if (!fncbRaw(raw, 2)) return false;
    v = static_cast<int16_t>(static_cast<uint16_t>(raw));
    return true;
  }
  bool fncbInt32(int32_t& v) {
    uint64_t raw = 0;
    if (!fncbRaw(raw, 4)) return false;
    v = static_cast<int32_t>(static_cast<uint32_t>(raw));
    return true;
  }
  bool fncbBool(bool& v) {
    uint64_t raw = 0;
    if (!fncbRaw(raw, 2)) return false;
    v = raw != 0;
    return true;
  }
  bool fncbDouble(double& v) {
    uint64_t raw = 0;
    if (!fncbRaw(raw, 8)) return false;
    v = std::bit_cast<double>(raw);
    return true;
  }

 private:
  bool fncbRaw(uint64_t& v, int n) {
    if (fncLeft() < size_t(n)) return false;
    v = 0;
    for (int i = 0; i < n; ++i)
      v |= uint64_t(static_cast<unsigned char>(mBytes[mPos + size_t(i)])) << (8 * i);
    mPos += size_t(n);
    return true;
  }
  std::string_view mBytes;
  size_t mPos = 0;
};

}  // namespace

std::string fncEncodePromptFile(const PromptFileHeader& h) {
  cWriter w;
  w.subString(h.sAudioFile);
  w.subString(h.sLanguage);
  w.subString(h.sDescription);
  w.subString(h.sFormatVersion);
  w.subString(h.sVersion);
  w.subString(h.sSecondText);
  w.subInt32(h.lLastEntry);
  w.subInt16(1);
  w.subInt32(static_cast<int32_t>(h.entries.size()));
  w.subInt32(0);
  for (const PromptEntry& e : h.entries) {
    w.subString(e.sKey);
    w.subString(e.sText);
    w.subDouble(e.dClipBegin);
    w.subDouble(e.dClipEnd);
  }
  w.subString(h.sFont);
  w.subBool(h.bolRightToLeft);
  w.subInt32(h.lFontSize);
  return std::move(w).fncBytes();
}

enPromptFileResult fncDecodePromptFile(std::string_view bytes, PromptFileHeader& header) {
  cReader r(bytes);
  PromptFileHeader h;
  int16_t dimensions = 0;
  int32_t count = 0, lowerBound = 0;
  if (!r.fncbString(h.sAudioFile) || !r.fncbString(h.sLanguage) ||
      !r.fncbString(h.sDescription) || !r.fncbString(h.sFormatVersion) ||
      !r.fncbString(h.sVersion) || !r.fncbString(h.sSecondText) || !r.fncbInt32(h.lLastEntry) ||
      !r.fncbInt16(dimensions) || dimensions != 1 || !r.fncbInt32(count) ||
      !r.fncbInt32(lowerBound) || count < 0 || size_t(count) > r.fncLeft() / kMinEntryBytes)
    return enPromptFileResult::damaged;
  // The lower bound says how the writer numbered the entries; they are kept in file order.
  h.entries.resize(size_t(count));
  for (PromptEntry& e : h.entries) {
    if (!r.fncbString(e.sKey) || !r.fncbString(e.sText) || !r.fncbDouble(e.dClipBegin) ||
        !r.fncbDouble(e.dClipEnd))
      return enPromptFileResult::damaged;
  }
  if (r.fncLeft() > 0) {
    if (!r.fncbString(h.sFont) || !r.fncbBool(h.bolRightToLeft) || !r.fncbInt32(h.lFontSize))
      return enPromptFileResult::damaged;
  }
  header = std::move(h);
  return enPromptFileResult::ok;
}

PromptFileHeader fncDefaultPromptFileHeader() {
  static constexpr std::pair<const char*, const char*> kEntries[] = {
      {"CONFIRMATION", "Press [enter] to confirm."},
      {"UNDO", "Undo"},
      {"OK", "Ok"},
      {"CANCEL", "Cancel"},
      {"START", "Start"},
      {"STOP", "Stop"},
      {"NOHELPFILE", "No helpfile"},
      {"ERRORINBOOKDATA", "Error in book data"},
      {"BOOK", "Book"},
      {"DISC", "Disc"},
      {"NUMBEROFDISCS", "Number of discs"},
      {"PHRASE", "Phrase"},
      {"PAGE", "Page"},
      {"SECTION", "Section"},
      {"CHAPTER", "Chapter"},
      {"BOOKMARK", "Bookmark"},
      {"GROUP", "Group"},
      {"SIDEBAR", "Sidebar"},
      {"PRODNOTE", "Producers note"},
      {"NOTEPAIR", "Notepair"},
      {"HELP", "Help"},
      {"BOOKSHELF", "Bookshelf"},
      {"SEARCH", "Search"},
      {"INFORMATION", "Information"},
      {"AUTOMATICSHUTDOWN", "Automatic shutdown"},
      {"EXITPROGRAM", "Exit program?"},
      {"TITLE", "Title"},
      {"CURRENTCHAPTER", "Current chapter"},
      {"CURRENTPAGE", "Current page"},
      {"CURRENTSECTION", "Current section"},
      {"NUMBEROFPAGES", "Number of pages"},
      {"NUMBEROFSECTIONS", "Number of sections"},
      {"PROGRAMVERSION", "Program version"},
      {"NUMBEROFBOOKMARKS", "Number of bookmarks"},
      {"INSERTBOOKMARK", "Insert bookmark"},
      {"DELETEBOOKMARK", "Delete bookmark"},
      {"SETTING_VOLUME", "Volume"},
      {"SETTING_RATE", "Rate"},
      {"NUMBEROFCHAPTERS", "Number of chapters"},
      {"CURRENTPHRASE", "Current phrase"},
      {"NUMBEROFPHRASES", "Number of phrases"},
      {"TOTALPLAYTIME", "Total playbacktime"},
      {"CURRENTDISC", "Current disc"},
  };
  PromptFileHeader h;
  h.sAudioFile = "";
  h.sLanguage = "English";
  h.sDescription = "Promptfile generated by LYN Reader V1.1";
  h.sFormatVersion = "1.1";
  h.sVersion = "none";
  h.sSecondText = "none";
  h.lLastEntry = 42;
  for (const auto& [key, text] : kEntries) h.entries.push_back({key, text, 0, 0});
  return h;
}

}  // namespace lyn
