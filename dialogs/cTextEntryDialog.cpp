#include "dialogs/cTextEntryDialog.h"

#include "modes/iDialogs.h"
#include "modes/iMode.h"
#include "prompts/cPromptHandler.h"

namespace lyn {

namespace {

// Appends `c` to `text` as UTF-8.
void subAppendUtf8(std::string& text, char32_t c) {
  if (c < 0x80) {
    text += char(c);
  } else if (c < 0x800) {
    text += char(0xC0 | (c >> 6));
    text += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    text += char(0xE0 | (c >> 12));
    text += char(0x80 | ((c >> 6) & 0x3F));
    text += char(0x80 | (c & 0x3F));
  } else {
    text += char(0xF0 | (c >> 18));
    text += char(0x80 | ((c >> 12) & 0x3F));
    text += char(0x80 | ((c >> 6) & 0x3F));
    text += char(0x80 | (c & 0x3F));
  }
}

// The start of the last UTF-8 character of `text`.
size_t fncLastCharStart(const std::string& text) {
  size_t i = text.size();
  while (i > 0 && (static_cast<unsigned char>(text[i - 1]) & 0xC0) == 0x80) --i;
  return i > 0 ? i - 1 : 0;
}

char32_t fncDecode(std::string_view s) {
  const auto b = [&](size_t i) { return char32_t(static_cast<unsigned char>(s[i])); };
  if (s.empty()) return 0;
  if (b(0) < 0x80 || s.size() < 2) return b(0);
  if (b(0) < 0xE0) return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
  if (b(0) < 0xF0 || s.size() < 4) return s.size() < 3 ? 0xFFFD : ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
  return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
}

// Upper case for the letters a prompt file names by code (ASCII and Latin-1).
char32_t fncUpper(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  return c;
}

}  // namespace

cTextEntryDialog::cTextEntryDialog(eKind kind, cPromptHandler& prompts, iMode& mode, cTocView toc,
                                   bool readingModeCurrent, bool screenReaderMode)
    : mKind(kind), mPrompts(prompts), mMode(mode), mToc(std::move(toc)), mbReading(readingModeCurrent),
      mbScreenReader(screenReaderMode) {
  if (kind == eKind::Search) msText = mode.sSearchString;
}

const char* cTextEntryDialog::fncCaptionKey() const {
  return mKind == eKind::Search ? "cap_find" : "cap_gotopage";
}

void cTextEntryDialog::subSpeak(std::vector<std::string> keys) {
  std::vector<PromptItem> items(keys.begin(), keys.end());
  mPrompts.subAddAudioPrompts(8, true, true, false, items);
}

std::string cTextEntryDialog::fncCharKey(const char* prefix, char32_t c) {
  return prefix + std::to_string(static_cast<uint32_t>(fncUpper(c)));
}

char32_t cTextEntryDialog::fncLastChar() const {
  return fncDecode(std::string_view(msText).substr(fncLastCharStart(msText)));
}

void cTextEntryDialog::subActivate() {
  mPrompts.subclearQue();
  subSpeak({fncCaptionKey()});
  mbSelected = !msText.empty();
}

void cTextEntryDialog::subReadBack() {
  std::vector<std::string> keys{mKind == eKind::Search ? "fnd_searchstring" : "fnd_pagenumber"};
  for (size_t i = 0; i < msText.size();) {
    size_t next = i + 1;
    while (next < msText.size() && (static_cast<unsigned char>(msText[next]) & 0xC0) == 0x80) ++next;
    keys.push_back(fncCharKey("uc_", fncDecode(std::string_view(msText).substr(i, next - i))));
    i = next;
  }
  subSpeak(std::move(keys));
}

void cTextEntryDialog::subOk() {
  mlFoundTocItem = mKind == eKind::Search ? fnclSearchResult(msText, mToc, mMode, mbReading)
                                          : fnclGotoPageResult(msText, mToc, mMode, mbReading);
  if (msText.empty()) mlFoundTocItem = iDialogs::kEmpty;
  mbDone = true;
}

void cTextEntryDialog::subCancel() {
  mlFoundTocItem = iDialogs::kNothing;
  mbDone = true;
}

void cTextEntryDialog::subKeyDown(const cKey& k) {
  if (mbDone) return;
  switch (k.lCode) {
    case key::Backspace:
      if (!msText.empty()) {
        if (!mbScreenReader) {
          const std::string c = fncCharKey("UC_", fncLastChar());
          if (!mbSelected) subSpeak({"gen_delete", c});
          else subSpeak({c});
        }
        if (mbSelected) msText.clear();
        else msText.erase(fncLastCharStart(msText));
      }
      mbSelected = false;
      return;
    case key::Left:
    case key::Right:
      if (!mbScreenReader) subReadBack();
      mbSelected = false;
      return;
    case key::Enter:
    case key::F3:
      subOk();
      return;
    case key::Escape:
      subCancel();
      return;
    default:
      mbTyped = true;
      if (k.cChar >= 0x20) {
        if (mbSelected) msText.clear();
        mbSelected = false;
        subAppendUtf8(msText, k.cChar);
      }
  }
}

void cTextEntryDialog::subKeyUp(const cKey&) {
  if (mbTyped && !mbScreenReader && !msText.empty() && !mbDone)
    subSpeak({fncCharKey("UC_", fncLastChar())});
  mbTyped = false;
}

}  // namespace lyn
