#pragma once
// The two MPRIS 2 interfaces of cMprisPlayer, as Qt D-Bus adaptors: they only turn bus calls
// and property reads into calls on the player.

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QStringList>

#include "platform/desktop/cMprisPlayer.h"

namespace lyn {

class cMprisRootAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ CanQuit)
  Q_PROPERTY(bool CanRaise READ CanRaise)
  Q_PROPERTY(bool HasTrackList READ HasTrackList)
  Q_PROPERTY(QString Identity READ Identity)
  Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

 public:
  explicit cMprisRootAdaptor(cMprisPlayer* player) : QDBusAbstractAdaptor(player), mPlayer(player) {}
  bool CanQuit() const { return true; }
  bool CanRaise() const { return true; }
  bool HasTrackList() const { return false; }
  QString Identity() const { return QStringLiteral("LYN Reader"); }
  QString DesktopEntry() const { return QStringLiteral("lyn-reader"); }
  QStringList SupportedUriSchemes() const { return {}; }
  QStringList SupportedMimeTypes() const { return {}; }

 public Q_SLOTS:
  void Raise() { mPlayer->subCommand(eMediaCommand::Raise); }
  void Quit() { mPlayer->subCommand(eMediaCommand::Quit); }

 private:
  cMprisPlayer* mPlayer;
};

class cMprisPlayerAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
  Q_PROPERTY(double Rate READ Rate)
  Q_PROPERTY(double MinimumRate READ Rate)
  Q_PROPERTY(double MaximumRate READ Rate)
  Q_PROPERTY(QVariantMap Metadata READ Metadata)
  Q_PROPERTY(double Volume READ Volume)
  Q_PROPERTY(qlonglong Position READ Position)
  Q_PROPERTY(bool CanGoNext READ CanControl)
  Q_PROPERTY(bool CanGoPrevious READ CanControl)
  Q_PROPERTY(bool CanPlay READ CanControl)
  Q_PROPERTY(bool CanPause READ CanControl)
  Q_PROPERTY(bool CanSeek READ CanSeek)
  Q_PROPERTY(bool CanControl READ CanControl)

 public:
  explicit cMprisPlayerAdaptor(cMprisPlayer* player) : QDBusAbstractAdaptor(player), mPlayer(player) {}
  QString PlaybackStatus() const { return mPlayer->fncPlaybackStatus(); }
  double Rate() const { return 1.0; }
  QVariantMap Metadata() const { return mPlayer->fncMetadata(); }
  double Volume() const { return 1.0; }
  qlonglong Position() const { return 0; }
  bool CanSeek() const { return false; }
  bool CanControl() const { return true; }

 public Q_SLOTS:
  void Play() { mPlayer->subCommand(eMediaCommand::Play); }
  void Pause() { mPlayer->subCommand(eMediaCommand::Pause); }
  void PlayPause() { mPlayer->subCommand(eMediaCommand::PlayPause); }
  void Stop() { mPlayer->subCommand(eMediaCommand::Stop); }
  void Next() { mPlayer->subCommand(eMediaCommand::Next); }
  void Previous() { mPlayer->subCommand(eMediaCommand::Previous); }
  // The player moves by phrases and navigation units, not by offsets.
  void Seek(qlonglong) {}
  void SetPosition(const QDBusObjectPath&, qlonglong) {}
  void OpenUri(const QString&) {}

 private:
  cMprisPlayer* mPlayer;
};

}  // namespace lyn
