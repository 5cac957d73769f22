#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <optional>

#include "app/raise_channel.h"

namespace pelnor::raise_channel {

namespace {

constexpr char kRaise[] = "raise\n";

std::optional<sockaddr_un> socketAddress(const QString& folder, const QString& name) {
  const QByteArray path = QFile::encodeName(folder + "/" + name + ".socket");
  sockaddr_un address{};
  if (path.size() >= static_cast<int>(sizeof address.sun_path)) return std::nullopt;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
  return address;
}

int newSocket() { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0); }

// Why the entry at the socket's path is not ours to talk to or replace: empty when there is
// none, or it is a socket of this user. In a shared folder (/tmp when there is no runtime
// folder) anyone may have put something there.
QString foreignEntry(const char* path) {
  struct stat st {};
  if (::lstat(path, &st) != 0) return {};
  if (S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid()) return {};
  return QStringLiteral(
             "%1 はこのユーザーのソケットではないため、そのまま残しました"
             "（二重起動の受け渡しなしで起動します）")
      .arg(QFile::decodeName(path));
}

QString socketFailure(const char* path, int error) {
  return QStringLiteral("二重起動の受け渡し用ソケット %1 を作れません（%2）")
      .arg(QFile::decodeName(path), QString::fromLocal8Bit(std::strerror(error)));
}

// The listening socket; each connection is read once for the ask and closed.
class Listener : public QObject {
 public:
  Listener(int fd, QByteArray path, std::function<void()> raise)
      : fd_(fd), path_(std::move(path)), raise_(std::move(raise)), notifier_(fd, QSocketNotifier::Read) {
    connect(&notifier_, &QSocketNotifier::activated, this, [this] { acceptOne(); });
  }

  ~Listener() override {
    ::close(fd_);
    ::unlink(path_.constData());
  }

 private:
  void acceptOne() {
    const int connection = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (connection < 0) return;
    // The connection is closed with its reader, also when the listener goes first.
    auto* reader = new QSocketNotifier(connection, QSocketNotifier::Read, this);
    connect(reader, &QObject::destroyed, [connection] { ::close(connection); });
    connect(reader, &QSocketNotifier::activated, this, [this, reader, connection] {
      char buffer[64];
      const ssize_t n = ::read(connection, buffer, sizeof buffer);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
      // A start sends its whole ask at once and then closes.
      if (n > 0 && QByteArray(buffer, static_cast<int>(n)).contains("raise") && raise_) raise_();
      reader->setEnabled(false);
      reader->deleteLater();
    });
  }

  int fd_;
  QByteArray path_;
  std::function<void()> raise_;
  QSocketNotifier notifier_;
};

}  // namespace

bool askToRaise(const QString& folder, const QString& name) {
  const std::optional<sockaddr_un> address = socketAddress(folder, name);
  if (!address || !foreignEntry(address->sun_path).isEmpty()) return false;
  const int fd = newSocket();
  if (fd < 0) return false;
  // A live instance's socket takes the connection even before it accepts (the backlog), so
  // the ask needs no answer; a refused connection is a socket left by a crashed instance.
  bool asked = ::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0;
  if (asked)
    asked = ::send(fd, kRaise, sizeof kRaise - 1, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof kRaise - 1);
  ::close(fd);
  return asked;
}

std::unique_ptr<QObject> listen(const QString& folder, const QString& name, std::function<void()> raise,
                                QString* why) {
  auto refuse = [why](QString reason) {
    if (why) *why = std::move(reason);
    return nullptr;
  };
  const std::optional<sockaddr_un> address = socketAddress(folder, name);
  if (!address)
    return refuse(
        socketFailure(QFile::encodeName(folder + "/" + name + ".socket").constData(), ENAMETOOLONG));
  if (QString foreign = foreignEntry(address->sun_path); !foreign.isEmpty()) return refuse(foreign);
  ::unlink(address->sun_path);  // left behind by an instance that crashed
  const int fd = newSocket();
  if (fd < 0) return refuse(socketFailure(address->sun_path, errno));
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
    const int error = errno;
    ::close(fd);
    return refuse(socketFailure(address->sun_path, error));
  }
  // The listener owns the socket's name from here: it closes and removes it when it goes.
  auto listener = std::make_unique<Listener>(fd, QByteArray(address->sun_path), std::move(raise));
  const bool listening = ::chmod(address->sun_path, S_IRUSR | S_IWUSR) == 0 && ::listen(fd, 8) == 0 &&
                         ::fcntl(fd, F_SETFL, O_NONBLOCK) == 0;
  if (!listening) return refuse(socketFailure(address->sun_path, errno));
  return listener;
}

}  // namespace pelnor::raise_channel
