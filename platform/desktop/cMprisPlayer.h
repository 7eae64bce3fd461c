#pragma once
// Media keys: an MPRIS 2 player on the session bus ("org.mpris.MediaPlayer2.lyn_reader"), so
// the keyboard's media keys, a headset's buttons and the desktop's media controls drive the
// player. Play, Pause, PlayPause, Stop, Next and Previous post the messages of the Start and
// Stop commands, Space and the arrow taps; Raise brings the window up; Quit asks, as the close
// box does. The metadata carry the book's title and the current heading. Without a session bus
// the player runs without it.

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace lyn {

class cMprisRootAdaptor;
class cMprisPlayerAdaptor;

enum class eMediaCommand { Play, Pause, PlayPause, Stop, Next, Previous, Raise, Quit };

class cMprisPlayer : public QObject {
  Q_OBJECT

 public:
  // Posts one of the program's messages, with its argument when it has one.
  using tPost = std::function<void(const std::string& isMessage, std::optional<int32_t> ilArgument)>;
  using tRaise = std::function<void()>;

  static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.lyn_reader";

  cMprisPlayer(tPost iPost, tRaise iRaise, QDBusConnection iBus = QDBusConnection::sessionBus());
  ~cMprisPlayer() override;

  bool fncbRegistered() const { return mbolRegistered; }

  // What the desktop shows: playing or paused, the book's title and the heading being read.
  void subSetPlaying(bool ibolPlaying);
  void subSetMetadata(const std::string& isBookTitle, const std::string& isHeading);

  // A command from the bus (the adaptors call this).
  void subCommand(eMediaCommand ienCommand);

  QString fncPlaybackStatus() const;
  QVariantMap fncMetadata() const;

 private:
  void subPropertiesChanged(const QVariantMap& iChanged);

  std::unique_ptr<cMprisRootAdaptor> mRootAdaptor;
  std::unique_ptr<cMprisPlayerAdaptor> mPlayerAdaptor;
  tPost mPost;
  tRaise mRaise;
  QDBusConnection mBus;
  bool mbolRegistered = false;
  bool mbolPlaying = false;
  QString msBookTitle;
  QString msHeading;
};

}  // namespace lyn
