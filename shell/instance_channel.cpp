#include "instance_channel.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QUrl>

#include "outside_file.h"

namespace zemlo::shell {

namespace {

// A socket address holds 108 bytes with its terminator.
constexpr qsizetype kMaxSocketPath = 100;
// Peers served at once; more are turned away rather than queued without limit.
constexpr int kMaxPeers = 8;
const QByteArray kOpen = QByteArrayLiteral("OPEN ");
const QByteArray kShow = QByteArrayLiteral("SHOW");
const QByteArray kYes = QByteArrayLiteral("OK\n");
const QByteArray kNo = QByteArrayLiteral("NO\n");

int remaining(const QElapsedTimer &clock, int timeout_ms) {
    return std::max(0, timeout_ms - static_cast<int>(clock.elapsed()));
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
    QElapsedTimer clock;
    clock.start();
    QLocalSocket socket;
    socket.connectToServer(socket_path);
    if (!socket.waitForConnected(timeout_ms)) {
        const auto error = socket.error();
        if (error == QLocalSocket::ServerNotFoundError ||
            error == QLocalSocket::ConnectionRefusedError) {
            return HandOver::NoInstance;
        }
        return HandOver::NoAnswer;
    }
    socket.write(encode_request(request));
    if (!socket.waitForBytesWritten(remaining(clock, timeout_ms))) {
        return HandOver::NoAnswer;
    }
    while (!socket.canReadLine()) {
        if (socket.bytesAvailable() > 16 || remaining(clock, timeout_ms) == 0 ||
            !socket.waitForReadyRead(remaining(clock, timeout_ms))) {
            return HandOver::NoAnswer;
        }
    }
    const QByteArray answer = socket.readLine(16);
    socket.disconnectFromServer();
    if (answer == kYes) {
        return HandOver::Delivered;
    }
    return answer == kNo ? HandOver::Refused : HandOver::NoAnswer;
}

InstanceServer::InstanceServer(QObject *parent) : QObject(parent) {}

InstanceServer::~InstanceServer() {
    if (server_ != nullptr) {
        // Closing removes the socket, so the next start finds no stale one.
        server_->close();
    }
}

bool InstanceServer::listen(const QString &socket_path, QString *why) {
    if (QFileInfo::exists(socket_path)) {
        // A socket left behind by a program that crashed refuses connections; a live one answers.
        QLocalSocket probe;
        probe.connectToServer(socket_path);
        if (probe.waitForConnected(peer_timeout_ms_)) {
            probe.abort();
            *why = QStringLiteral("another zemlo window is listening on %1").arg(socket_path);
            return false;
        }
        if (probe.error() != QLocalSocket::ConnectionRefusedError &&
            probe.error() != QLocalSocket::ServerNotFoundError) {
            *why = QStringLiteral("%1 does not answer: %2").arg(socket_path, probe.errorString());
            return false;
        }
        QLocalServer::removeServer(socket_path);
    }
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    server->setMaxPendingConnections(kMaxPeers);
    if (!server->listen(socket_path)) {
        *why = server->errorString();
        delete server;
        return false;
    }
    server_ = server;
    connect(server_, &QLocalServer::newConnection, this, &InstanceServer::accept_peers);
    return true;
}

void InstanceServer::accept_peers() {
    while (QLocalSocket *peer = server_->nextPendingConnection()) {
        if (peers_ >= kMaxPeers) {
            peer->abort();
            peer->deleteLater();
            continue;
        }
        ++peers_;
        peer->setReadBufferSize(kMaxChannelLine + 1);
        connect(peer, &QLocalSocket::readyRead, this, [this, peer] { read_peer(peer); });
        connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        connect(peer, &QObject::destroyed, this, [this] { --peers_; });
        // A peer that says nothing, or never finishes its line, is let go.
        QTimer::singleShot(peer_timeout_ms_, peer, [peer] {
            peer->abort();
            peer->deleteLater();
        });
        if (peer->bytesAvailable() > 0) {
            read_peer(peer);
        }
    }
}

void InstanceServer::read_peer(QLocalSocket *peer) {
    if (peer->property("answered").toBool()) {
        peer->readAll();
        return;
    }
    if (!peer->canReadLine()) {
        if (peer->bytesAvailable() > kMaxChannelLine) {
            peer->abort();
            peer->deleteLater();
        }
        return;
    }
    const QByteArray line = peer->readLine(kMaxChannelLine + 1);
    peer->setProperty("answered", true);
    const std::optional<ChannelRequest> request = decode_request(line);
    const bool open = request && request->kind == ChannelRequest::Kind::Open;
    const bool taken = request && (!open || check_outside_file(request->path).ok());
    // The answer goes first: the later start is waiting, and opening may take a moment.
    peer->write(taken ? kYes : kNo);
    peer->flush();
    peer->disconnectFromServer();
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
