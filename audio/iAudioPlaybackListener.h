#pragma once
// Events of a playback object (cAudioPlaybackSystem).
//
// Raised on the user-interface thread from inside the poll (or from the operation that failed),
// so a listener may call back into the object: close it, open the next file, set a mark, play.
// A listener may join or leave at any time, also from inside an event; one that leaves during an
// event gets no further events of that round. A listener must not destroy the object from inside
// an event.

#include <string>

namespace lyn {

class iAudioPlaybackListener {
 public:
  virtual ~iAudioPlaybackListener() = default;

  // The armed mark was reached, the stop point was reached, or the file ended.
  virtual void evEndofStream() {}
  // Declared for completeness; never raised (a reached mark raises evEndofStream).
  virtual void evMarkReached() {}
  // Declared for completeness; never raised.
  virtual void evInternalError() {}
  // An error was reported: read mlErrorNumber, msErrorMsg and msErrorLocation.
  virtual void evError() {}
  // The control refused a stop point: the window shows `text` ("ERROR!") in a modal message box.
  virtual void evShowMessageBox(const std::string& text) { (void)text; }
};

}  // namespace lyn
