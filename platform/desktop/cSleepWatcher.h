#pragma once
// Suspend: logind announces PrepareForSleep(true) on the system bus before the machine sleeps.
// The player then pauses and saves its place, but keeps running (a closed lid must not end the
// program). A delay inhibitor held while the player is awake makes logind wait for the save;
// it is let go once the save is done and taken again after the machine woke. Without a system
// bus or logind the watcher does nothing and says nothing.

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <functional>

namespace lyn {

class cSleepWatcher : public QObject {
  Q_OBJECT

 public:
  // Called before the machine sleeps: pause and save, synchronously.
  using tSuspend = std::function<void()>;

  explicit cSleepWatcher(tSuspend iOnSuspend, QDBusConnection iBus = QDBusConnection::systemBus());
  ~cSleepWatcher() override;

  bool fncbWatching() const { return mbolWatching; }
  bool fncbHoldingInhibitor() const { return mInhibitor.isValid(); }
  // Takes the first inhibitor; called once the player is ready to save.
  void subStart();

 public Q_SLOTS:
  // logind's signal: true before sleeping, false after waking.
  void subPrepareForSleep(bool ibolStarting);

 protected:
  // Asks logind for a delay inhibitor; an invalid descriptor when it cannot be had.
  virtual QDBusUnixFileDescriptor fncRequestInhibitor();

 private:
  tSuspend mOnSuspend;
  QDBusConnection mBus;
  QDBusUnixFileDescriptor mInhibitor;
  bool mbolWatching = false;
};

}  // namespace lyn
