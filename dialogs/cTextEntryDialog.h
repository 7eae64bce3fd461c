#pragma once
// The search and go-to-page dialogs without their window: a text box that speaks. Every key is
// echoed, the text can be read back, Enter (or F3) confirms, Escape cancels. The front end
// forwards keys, shows fncText and closes its window once fncbDone; the caller then reads
// fnclResult (a navigation point number or one of iDialogs' codes).
//
// Prompts go to the prompt handler at priority 8 (flags true, true, false); the dialog's own
// loop pumps "PLAYNEXTPROMPT" so that they are heard. Nothing is echoed in screen-reader mode,
// where the user's screen reader speaks the box.

#include <cstdint>
#include <string>

#include "dialogs/cSearchLogic.h"
#include "shell/KeyCodes.h"

namespace lyn {

class cPromptHandler;
class iMode;

class cTextEntryDialog {
 public:
  enum class eKind { Search, GotoPage };

  // `mode` is the current mode; its sSearchString is the search dialog's starting text.
  cTextEntryDialog(eKind kind, cPromptHandler& prompts, iMode& mode, cTocView toc,
                   bool readingModeCurrent, bool screenReaderMode);

  // The window opened: speaks the caption, selects the text.
  void subActivate();
  void subKeyDown(const cKey& key);
  void subKeyUp(const cKey& key);
  // Closed by other means (the window closed, the program quits): nothing found.
  void subCancel();

  bool fncbDone() const { return mbDone; }
  int32_t fnclResult() const { return mlFoundTocItem; }
  const std::string& fncText() const { return msText; }
  bool fncbSelected() const { return mbSelected; }
  eKind fncKind() const { return mKind; }
  // The caption's prompt key: "cap_find" or "cap_gotopage".
  const char* fncCaptionKey() const;

 private:
  void subSpeak(std::vector<std::string> keys);
  void subReadBack();
  void subOk();
  static std::string fncCharKey(const char* prefix, char32_t c);
  char32_t fncLastChar() const;

  eKind mKind;
  cPromptHandler& mPrompts;
  iMode& mMode;
  cTocView mToc;
  bool mbReading;
  bool mbScreenReader;
  std::string msText;
  bool mbSelected = false;
  bool mbTyped = false;
  bool mbDone = false;
  int32_t mlFoundTocItem = 0;
};

}  // namespace lyn
