#pragma once
// What the main window on screen hands on: every key, click, menu event and close request,
// untouched. The application behind it decides what each means; the window holds no logic.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/view/iHtmlView.h"
#include "shell/window/cWindowLayout.h"

namespace lyn {

class iMainFormInput {
 public:
  virtual ~iMainFormInput() = default;

  // Keys of the document (the view has the focus). True lets the view act on the key (Tab
  // moves among the links, Alt combinations reach the menus).
  virtual bool fncbKeyDown(const cViewKey& iKey) = 0;
  virtual bool fncbKeyUp(const cViewKey& iKey) = 0;
  // A mouse button went down on the document; `iLink` when it was on a link.
  virtual void subDocumentMouseDown(const std::optional<cLinkHit>& iLink) = 0;
  // A button was clicked; cbPrevUnit and cbNextUnit report their presses and releases instead.
  virtual void subButton(eControl ienButton) = 0;
  virtual void subUnitButton(eControl ienButton, bool ibolDown) = 0;
  // A menu item was chosen ("mnuBookshelf"; "mnuQuit" comes as a close request instead).
  virtual void subMenuItem(const std::string& isName) = 0;
  // The menus opened (true) or the last popup closed (false).
  virtual void subMenuLoop(bool ibolEntered) = 0;
  // A menu title ("mnuFile") or item ("mnuFind") was highlighted.
  virtual void subMenuSelect(const std::string& isName, bool ibolEnabled) = 0;
  // The close box, Alt+F4 or the Quit item, while no quit has been confirmed.
  virtual void subCloseRequested() = 0;
};

}  // namespace lyn
