#include "instance_channel.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include "outside_file.h"
#include "unix_socket.h"

namespace zemlo::shell {

namespace {

// A socket address holds 108 bytes with its terminator.
constexpr qsizetype kMaxSocketPath = 100;
// Peers served at once; more are turned away rather than queued without limit.
constexpr int kMaxPeers = 8;
// An answer is one short line.
constexpr std::size_t kMaxAnswer = 16;
// How long the window stops taking peers when the system has no room for one more (out of file
// descriptors): the socket stays ready meanwhile, and taking it up again at once would spin.
constexpr int kAcceptPauseMs = 200;
const QByteArray kOpen = QByteArrayLiteral("OPEN ");
const QByteArray kShow = QByteArrayLiteral("SHOW");
const QByteArray kYes = QByteArrayLiteral("OK\n");
const QByteArray kNo = QByteArrayLiteral("NO\n");

SocketClock::time_point deadline_after(int ms) {
    return SocketClock::now() + std::chrono::milliseconds(ms);
}

QString system_text(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

std::optional<QString> channel_socket_in(const QString &dir, QString *why) {
    if (dir.isEmpty() || !QDir::isAbsolutePath(dir)) {
        *why = QStringLiteral("no private runtime folder (XDG_RUNTIME_DIR is not set)");
        return std::nullopt;
    }
    struct stat st {};
    if (::lstat(QFile::encodeName(dir).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *why = QStringLiteral("the runtime folder %1 is not a folder").arg(dir);
        return std::nullopt;
    }
    // Anyone who can enter the folder could answer in the window's place or read the paths.
    if (st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        *why = QStringLiteral("the runtime folder %1 is not private to this user").arg(dir);
        return std::nullopt;
    }
    QString path = QDir(dir).filePath(QStringLiteral("zemlo.sock"));
    if (QFile::encodeName(path).size() > kMaxSocketPath) {
        *why = QStringLiteral("the runtime folder's path is too long for a socket");
        return std::nullopt;
    }
    return path;
}

std::optional<QString> channel_socket_path(QString *why) {
    return channel_socket_in(qEnvironmentVariable("XDG_RUNTIME_DIR"), why);
}

QByteArray encode_request(const ChannelRequest &request) {
    if (request.kind == ChannelRequest::Kind::Show) {
        return kShow + '\n';
    }
    // The URL form carries any byte a file name may hold, a newline included, on one line.
    return kOpen + file_url_of(request.path) + '\n';
}

std::optional<ChannelRequest> decode_request(const QByteArray &line) {
    if (line.size() > kMaxChannelLine || !line.endsWith('\n')) {
        return std::nullopt;
    }
    const QByteArray body = line.chopped(1);
    if (body == kShow) {
        return ChannelRequest{};
    }
    if (!body.startsWith(kOpen)) {
        return std::nullopt;
    }
    const QByteArray url_text = body.mid(kOpen.size());
    // Only the encoded form is accepted: no spaces, controls or bytes outside ASCII.
    for (const char c : url_text) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7f) {
            return std::nullopt;
        }
    }
    const QUrl url = QUrl::fromEncoded(url_text, QUrl::StrictMode);
    if (url.scheme() != QStringLiteral("file") || !url.host().isEmpty()) {
        return std::nullopt;
    }
    const std::optional<std::string> path = local_path_of(url);
    if (!path) {
        return std::nullopt;
    }
    return ChannelRequest{ChannelRequest::Kind::Open, *path};
}

HandOver hand_over(const QString &socket_path, const ChannelRequest &request, int timeout_ms) {
    const SocketClock::time_point deadline = deadline_after(timeout_ms);
    const Connection connection = connect_local(QFile::encodeName(socket_path), deadline);
    if (!connection.socket.valid()) {
        // No socket, or one nobody listens on any more (a window that crashed): nobody to ask.
        if (connection.error == ENOENT || connection.error == ECONNREFUSED) {
            return HandOver::NoInstance;
        }
        return HandOver::NoAnswer;
    }
    const int fd = connection.socket.get();
    if (!send_all(fd, encode_request(request), deadline)) {
        return HandOver::NoAnswer;
    }
    const QByteArray answer = receive_line(fd, kMaxAnswer, deadline);
    if (answer == kYes) {
        return HandOver::Delivered;
    }
    return answer == kNo ? HandOver::Refused : HandOver::NoAnswer;
}

// One later start being served: its connection and what it has sent so far.
class InstanceServer::Peer : public QObject {
  public:
    Peer(int fd, QObject *parent)
        : QObject(parent),
          socket(fd),
          readable(new QSocketNotifier(fd, QSocketNotifier::Read, this)) {}
    // The notifier (a child, deleted after the members) stops watching before the socket closes.
    ~Peer() override { readable->setEnabled(false); }
    Peer(const Peer &) = delete;
    Peer &operator=(const Peer &) = delete;

    SocketFd socket;
    QSocketNotifier *readable;
    QByteArray line;
};

InstanceServer::InstanceServer(QObject *parent) : QObject(parent) {}

InstanceServer::~InstanceServer() {
    if (listener_ < 0) {
        return;
    }
    incoming_->setEnabled(false);
    ::close(listener_);
    // The socket goes with the window, so the next start finds no stale one; but only the file
    // this window made: a later window that took over a socket it judged stale keeps its own.
    struct stat st {};
    if (::lstat(socket_file_.constData(), &st) == 0 && st.st_dev == socket_device_ &&
        st.st_ino == socket_inode_) {
        ::unlink(socket_file_.constData());
    }
}

bool InstanceServer::listen(const QString &socket_path, QString *why) {
    const QByteArray path = QFile::encodeName(socket_path);
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) > max_socket_path()) {
        *why = QStringLiteral("the path %1 is too long for a socket").arg(socket_path);
        return false;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    SocketFd socket;
    // Binding never replaces a file already there, so a live window's socket is never taken;
    // one left behind by a program that ended is removed after a probe, and binding tried again.
    for (int attempt = 0;; ++attempt) {
        socket = SocketFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (!socket.valid()) {
            *why = QStringLiteral("no socket: %1").arg(system_text(errno));
            return false;
        }
        if (::bind(socket.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address) ==
            0) {
            break;
        }
        const int error = errno;
        if (error == EADDRINUSE && attempt > 0) {
            // Another start made its socket between the removal and this bind.
            *why = QStringLiteral("another zemlo window is listening on %1").arg(socket_path);
            return false;
        }
        if (error != EADDRINUSE) {
            *why = QStringLiteral("cannot make the socket %1: %2")
                       .arg(socket_path, system_text(error));
            return false;
        }
        // A socket left behind by a program that crashed refuses connections; a live one answers.
        const Connection probe = connect_local(path, deadline_after(peer_timeout_ms_));
        if (probe.socket.valid()) {
            *why = QStringLiteral("another zemlo window is listening on %1").arg(socket_path);
            return false;
        }
        if (probe.error != ECONNREFUSED && probe.error != ENOENT) {
            *why =
                QStringLiteral("%1 does not answer: %2").arg(socket_path, system_text(probe.error));
            return false;
        }
        if (probe.error == ECONNREFUSED && ::unlink(path.constData()) != 0 && errno != ENOENT) {
            *why = QStringLiteral("cannot remove the stale socket %1: %2")
                       .arg(socket_path, system_text(errno));
            return false;
        }
    }
    // The folder is already private to the user; the socket itself is too.
    struct stat st {};
    if (::chmod(path.constData(), 0600) != 0 || ::lstat(path.constData(), &st) != 0 ||
        ::listen(socket.get(), SOMAXCONN) != 0) {
        *why = QStringLiteral("cannot listen on %1: %2").arg(socket_path, system_text(errno));
        ::unlink(path.constData());
        return false;
    }
    socket_file_ = path;
    socket_device_ = st.st_dev;
    socket_inode_ = st.st_ino;
    listener_ = socket.release();
    incoming_ = new QSocketNotifier(listener_, QSocketNotifier::Read, this);
    connect(incoming_, &QSocketNotifier::activated, this, &InstanceServer::accept_peers);
    return true;
}

void InstanceServer::accept_peers() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                incoming_->setEnabled(false);
                QTimer::singleShot(kAcceptPauseMs, this, [this] { incoming_->setEnabled(true); });
            }
            return;
        }
        if (peers_ >= kMaxPeers) {
            ::close(fd);
            continue;
        }
        ++peers_;
        auto *peer = new Peer(fd, this);
        connect(peer->readable, &QSocketNotifier::activated, this,
                [this, peer] { read_peer(peer); });
        // A peer that says nothing, or never finishes its line, is let go.
        QTimer::singleShot(peer_timeout_ms_, peer, [this, peer] { drop_peer(peer); });
        read_peer(peer);
    }
}

void InstanceServer::drop_peer(Peer *peer) {
    if (!peer->socket.valid()) {
        return;
    }
    peer->readable->setEnabled(false);
    peer->socket = SocketFd();
    --peers_;
    peer->deleteLater();
}

void InstanceServer::read_peer(Peer *peer) {
    if (!peer->socket.valid()) {
        return;
    }
    char buffer[4096];
    for (;;) {
        // Never more than one byte past the longest line: enough to know it is too long.
        const auto room = static_cast<std::size_t>(kMaxChannelLine + 1 - peer->line.size());
        const ssize_t n = ::recv(peer->socket.get(), buffer, std::min(sizeof buffer, room), 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;  // more to come
        }
        if (n <= 0) {
            drop_peer(peer);  // gone, or failed, before its line ended
            return;
        }
        peer->line.append(buffer, n);
        const qsizetype end = peer->line.indexOf('\n');
        if (end >= 0 && end < kMaxChannelLine) {
            break;
        }
        if (end >= 0 || peer->line.size() > kMaxChannelLine) {
            drop_peer(peer);  // too long: cut off without an answer
            return;
        }
    }
    const QByteArray line = peer->line.left(peer->line.indexOf('\n') + 1);
    const std::optional<ChannelRequest> request = decode_request(line);
    const bool open = request && request->kind == ChannelRequest::Kind::Open;
    const bool taken = request && (!open || check_outside_file(request->path).ok());
    // The answer goes first: the later start is waiting, and opening may take a moment. A peer
    // that has gone meanwhile costs nothing (no signal for the broken pipe).
    const QByteArray &answer = taken ? kYes : kNo;
    ::send(peer->socket.get(), answer.constData(), static_cast<std::size_t>(answer.size()),
           MSG_NOSIGNAL | MSG_DONTWAIT);
    drop_peer(peer);
    if (!request) {
        return;
    }
    if (open) {
        // Also a file the window cannot take: the person who chose it in a file manager sees
        // the window say why, not only the later start's error output.
        emit openRequested(QByteArray::fromStdString(request->path));
    } else {
        emit showRequested();
    }
}

}  // namespace zemlo::shell
