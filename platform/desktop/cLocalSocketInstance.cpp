#include "platform/desktop/cLocalSocketInstance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QLocalSocket>
#include <QLockFile>
#include <cstdlib>
#include <filesystem>

namespace lyn {

namespace {

constexpr qint64 kMaxMessageBytes = 64 * 1024;
// How long a second copy waits for the first to take its message; the first answers from its
// event loop, which a local socket reaches at once.
constexpr int kHandOverMilliseconds = 2000;

}  // namespace

cLocalSocketInstance::cLocalSocketInstance(std::string isRuntimeFolder)
    : msRuntimeFolder(std::move(isRuntimeFolder)) {}

cLocalSocketInstance::~cLocalSocketInstance() = default;

std::string cLocalSocketInstance::fncUserRuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/' && std::filesystem::is_directory(runtime)) return runtime;
  return {};
}

bool cLocalSocketInstance::fncbPrepareFolder() {
  std::string base = msRuntimeFolder.empty() ? fncUserRuntimeFolder() : msRuntimeFolder;
  std::string name = "lyn-reader";
  if (base.empty()) {
    base = std::filesystem::temp_directory_path().string();
    name += "-" + std::to_string(::getuid());
  }
  msFolder = (std::filesystem::path(base) / name).string();
  ::mkdir(msFolder.c_str(), 0700);
  // The folder must be ours and a real folder (not a link someone put there), closed to others.
  struct stat info {};
  if (::lstat(msFolder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
    return false;
  if ((info.st_mode & 0777) != 0700 && ::chmod(msFolder.c_str(), 0700) != 0) return false;
  msSocketPath = msFolder + "/instance";
  return true;
}

eInstanceRole cLocalSocketInstance::fncClaim(const std::string& isBookFolder, tActivation iOnActivation) {
  if (!fncbPrepareFolder()) return eInstanceRole::Alone;
  QLockFile lock(QString::fromStdString(msFolder + "/instance.lock"));
  if (!lock.tryLock(kHandOverMilliseconds)) return eInstanceRole::Alone;

  QLocalSocket client;
  client.connectToServer(QString::fromStdString(msSocketPath));
  if (client.waitForConnected(kHandOverMilliseconds)) {
    client.write(QByteArray::fromStdString(isBookFolder.substr(0, kMaxMessageBytes)));
    client.waitForBytesWritten(kHandOverMilliseconds);
    client.disconnectFromServer();
    if (client.state() != QLocalSocket::UnconnectedState) client.waitForDisconnected(kHandOverMilliseconds);
    return eInstanceRole::Second;
  }

  // Nobody answers: what is there was left by a copy that ended without cleaning up.
  QLocalServer::removeServer(QString::fromStdString(msSocketPath));
  mServer = std::make_unique<QLocalServer>();
  mServer->setSocketOptions(QLocalServer::UserAccessOption);
  if (!mServer->listen(QString::fromStdString(msSocketPath))) {
    mServer.reset();
    return eInstanceRole::Alone;
  }
  mOnActivation = std::move(iOnActivation);
  QObject::connect(mServer.get(), &QLocalServer::newConnection, this, [this] { subAccept(); });
  return eInstanceRole::First;
}

void cLocalSocketInstance::subAccept() {
  while (QLocalSocket* connection = mServer->nextPendingConnection()) {
    connection->setParent(this);
    auto message = std::make_shared<QByteArray>();
    const auto read = [connection, message] {
      const QByteArray bytes = connection->readAll();
      if (message->size() + bytes.size() <= kMaxMessageBytes) message->append(bytes);
    };
    QObject::connect(connection, &QLocalSocket::readyRead, this, read);
    QObject::connect(connection, &QLocalSocket::disconnected, this, [this, connection, message, read] {
      read();
      connection->deleteLater();
      if (mOnActivation) mOnActivation(message->toStdString());
    });
    if (connection->state() == QLocalSocket::UnconnectedState) {
      // Gone before it was taken: its bytes are still there to read.
      read();
      connection->deleteLater();
      if (mOnActivation) mOnActivation(message->toStdString());
    }
  }
}

}  // namespace lyn
