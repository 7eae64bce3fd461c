#include "platform/desktop/cSleepWatcher.h"

#include <QDBusMessage>
#include <QDBusReply>

namespace lyn {

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");

}  // namespace

cSleepWatcher::cSleepWatcher(tSuspend iOnSuspend, QDBusConnection iBus)
    : mOnSuspend(std::move(iOnSuspend)), mBus(std::move(iBus)) {
  if (mBus.isConnected())
    mbolWatching = mBus.connect(kService, kPath, kInterface, QStringLiteral("PrepareForSleep"), this,
                                SLOT(subPrepareForSleep(bool)));
}

cSleepWatcher::~cSleepWatcher() = default;

void cSleepWatcher::subStart() {
  if (!mInhibitor.isValid()) mInhibitor = fncRequestInhibitor();
}

QDBusUnixFileDescriptor cSleepWatcher::fncRequestInhibitor() {
  if (!mbolWatching) return {};
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Inhibit"));
  call << QStringLiteral("sleep") << QStringLiteral("LYN Reader")
       << QStringLiteral("Saving the reading position") << QStringLiteral("delay");
  const QDBusReply<QDBusUnixFileDescriptor> reply = mBus.call(call, QDBus::Block, 2000);
  return reply.isValid() ? reply.value() : QDBusUnixFileDescriptor();
}

void cSleepWatcher::subPrepareForSleep(bool ibolStarting) {
  if (ibolStarting) {
    if (mOnSuspend) mOnSuspend();
    // Saved: logind may go on.
    mInhibitor = QDBusUnixFileDescriptor();
  } else {
    subStart();
  }
}

}  // namespace lyn
