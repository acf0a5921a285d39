// One window per user: a later start hands its file to the window already running, over a local
// socket in the user's private runtime folder, instead of opening the same serial port twice.
//
// The exchange is one line each way. The later start sends "OPEN <file URL>\n" (or "SHOW\n" to
// bring the window forward) and the window answers "OK\n" or "NO\n". Every line is bounded and
// every wait has a timeout, so a peer that stops answering or sends garbage never holds either
// side.
#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>
#include <string>

class QSocketNotifier;

namespace zemlo::shell {

// Longer lines are refused: a path is at most 4096 bytes, and its URL form at most three times
// that.
constexpr qsizetype kMaxChannelLine = 16 * 1024;
constexpr int kChannelTimeoutMs = 2000;

// The socket in dir when dir is a private folder of this user (owned by them, no access for
// others, not a link); otherwise nothing, with the reason in *why.
std::optional<QString> channel_socket_in(const QString &dir, QString *why);
// The same for $XDG_RUNTIME_DIR.
std::optional<QString> channel_socket_path(QString *why);

// What one line of a later start asks.
struct ChannelRequest {
    enum class Kind { Show, Open } kind = Kind::Show;
    std::string path;  // for Open: an absolute local path, as bytes
};
QByteArray encode_request(const ChannelRequest &request);
// Nothing for a line that is not a well-formed request (the path itself is judged by the caller).
std::optional<ChannelRequest> decode_request(const QByteArray &line);

enum class HandOver {
    Delivered,   // the running window took it
    Refused,     // the running window answered no
    NoInstance,  // nobody listens (no socket, or one left by a program that has ended)
    NoAnswer,    // something listens but did not answer in time
};
HandOver hand_over(const QString &socket_path, const ChannelRequest &request,
                   int timeout_ms = kChannelTimeoutMs);

// The running window's side.
class InstanceServer : public QObject {
    Q_OBJECT
  public:
    explicit InstanceServer(QObject *parent = nullptr);
    ~InstanceServer() override;

    // Listens on socket_path, taking the place of a socket nobody answers on. False (with the
    // reason) when another program answers there or the socket cannot be made.
    bool listen(const QString &socket_path, QString *why);
    void set_peer_timeout(int ms) { peer_timeout_ms_ = ms; }
    // Later starts being served now.
    int peer_count() const { return peers_; }

  signals:
    // A well-formed request to open a file, answered OK when the file can be opened and NO when
    // not; the window judges it again and says why it cannot take it.
    void openRequested(const QByteArray &path);
    void showRequested();

  private:
    class Peer;
    void accept_peers();
    void read_peer(Peer *peer);
    void drop_peer(Peer *peer);

    int listener_ = -1;
    QSocketNotifier *incoming_ = nullptr;
    // The socket file this server made, so that going it removes that file and no other.
    QByteArray socket_file_;
    dev_t socket_device_ = 0;
    ino_t socket_inode_ = 0;
    int peer_timeout_ms_ = kChannelTimeoutMs;
    int peers_ = 0;
};

}  // namespace zemlo::shell
