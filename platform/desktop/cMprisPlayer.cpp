#include "platform/desktop/cMprisPlayer.h"

#include <QDBusMessage>
#include <QDBusObjectPath>

#include "platform/desktop/MprisAdaptors.h"

namespace lyn {

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");

}  // namespace

cMprisPlayer::cMprisPlayer(tPost iPost, tRaise iRaise, QDBusConnection iBus)
    : mRootAdaptor(std::make_unique<cMprisRootAdaptor>(this)),
      mPlayerAdaptor(std::make_unique<cMprisPlayerAdaptor>(this)),
      mPost(std::move(iPost)),
      mRaise(std::move(iRaise)),
      mBus(std::move(iBus)) {
  if (mBus.isConnected() && mBus.registerObject(kObjectPath, this)) {
    mbolRegistered = mBus.registerService(QString::fromLatin1(kServiceName));
    if (!mbolRegistered) mBus.unregisterObject(kObjectPath);
  }
}

cMprisPlayer::~cMprisPlayer() {
  if (mbolRegistered) {
    mBus.unregisterService(QString::fromLatin1(kServiceName));
    mBus.unregisterObject(kObjectPath);
  }
}

void cMprisPlayer::subCommand(eMediaCommand ienCommand) {
  switch (ienCommand) {
    case eMediaCommand::Play: mPost("START", std::nullopt); break;
    case eMediaCommand::Pause:
    case eMediaCommand::Stop: mPost("STOP", std::nullopt); break;
    case eMediaCommand::PlayPause: mPost("STARTSTOP", std::nullopt); break;
    case eMediaCommand::Next: mPost("NEXTUNIT", 1); break;
    case eMediaCommand::Previous: mPost("PREVIOUSUNIT", 1); break;
    case eMediaCommand::Quit: mPost("QUIT", std::nullopt); break;
    case eMediaCommand::Raise:
      if (mRaise) mRaise();
      break;
  }
}

QString cMprisPlayer::fncPlaybackStatus() const {
  return mbolPlaying ? QStringLiteral("Playing") : QStringLiteral("Paused");
}

QVariantMap cMprisPlayer::fncMetadata() const {
  QVariantMap metadata;
  metadata.insert(QStringLiteral("mpris:trackid"),
                  QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/lyn_reader/CurrentPlace"))));
  if (!msHeading.isEmpty()) metadata.insert(QStringLiteral("xesam:title"), msHeading);
  if (!msBookTitle.isEmpty()) metadata.insert(QStringLiteral("xesam:album"), msBookTitle);
  return metadata;
}

void cMprisPlayer::subSetPlaying(bool ibolPlaying) {
  if (ibolPlaying == mbolPlaying) return;
  mbolPlaying = ibolPlaying;
  subPropertiesChanged({{QStringLiteral("PlaybackStatus"), fncPlaybackStatus()}});
}

void cMprisPlayer::subSetMetadata(const std::string& isBookTitle, const std::string& isHeading) {
  const QString title = QString::fromStdString(isBookTitle);
  const QString heading = QString::fromStdString(isHeading);
  if (title == msBookTitle && heading == msHeading) return;
  msBookTitle = title;
  msHeading = heading;
  subPropertiesChanged({{QStringLiteral("Metadata"), fncMetadata()}});
}

void cMprisPlayer::subPropertiesChanged(const QVariantMap& iChanged) {
  if (!mbolRegistered) return;
  QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                   QStringLiteral("PropertiesChanged"));
  signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << iChanged << QStringList();
  mBus.send(signal);
}

}  // namespace lyn
