// Files handed to the program from outside: the judgement of a file, the one-line exchange with
// a running window (including peers that misbehave), the window choosing a handed or dropped
// file as a click would, a second start of the real program handing its file over, and the
// desktop entry offering every kind of file the program opens.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocalSocket>
#include <QMimeData>
#include <QMimeDatabase>
#include <QProcess>
#include <QTest>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "file_list_view.h"
#include "instance_channel.h"
#include "main_window.h"
#include "melody_panel.h"
#include "offscreen_app.h"
#include "outside_file.h"
#include "pc_folder_tree.h"
#include "picture_panel.h"
#include "profile.h"

namespace zemlo::shell {
namespace {

namespace fs = std::filesystem;

QString q(const fs::path &p) {
    return QString::fromStdString(p.string());
}

class TempDir {
  public:
    TempDir() {
        char tmpl[] = "/tmp/zemlo-outside-XXXXXX";
        path_ = ::mkdtemp(tmpl);  // made 0700
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path &path() const { return path_; }

  private:
    fs::path path_;
};

void touch(const fs::path &p, const std::string &bytes = "x") {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

// A socket file as a crashed program leaves it: bound, then closed without being removed.
// With listening kept on and nothing accepted it stands for a program that hangs.
int bind_raw_socket(const QString &path, bool keep_listening) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(addr.sun_path, name.constData(), static_cast<size_t>(name.size()));
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    if (keep_listening) {
        EXPECT_EQ(::listen(fd, 4), 0);
        return fd;
    }
    ::close(fd);
    return -1;
}

// hand_over blocks, so it runs on a thread while this one serves the window's event loop.
HandOver hand_over_pumping(const QString &socket, const ChannelRequest &request,
                           int timeout_ms = kChannelTimeoutMs) {
    auto result =
        std::async(std::launch::async, [&] { return hand_over(socket, request, timeout_ms); });
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        10000));
    return result.get();
}

TEST(OutsideFile, OnlyExistingRegularPicturesAndMelodiesAreOpened) {
    TempDir dir;
    const fs::path d = dir.path();
    touch(d / "Photo.JPG");
    touch(d / "tune.midi");
    touch(d / "notes.txt");
    fs::create_directories(d / "folder.bmp");
    ASSERT_EQ(::mkfifo((d / "pipe.mid").c_str(), 0600), 0);
    fs::create_symlink(d / "tune.midi", d / "link.mid");

    const OutsideFile picture = check_outside_file((d / "Photo.JPG").string());
    EXPECT_TRUE(picture.ok()) << picture.error.toStdString();
    EXPECT_EQ(picture.file_type, 0);
    const OutsideFile melody = check_outside_file((d / "tune.midi").string());
    EXPECT_TRUE(melody.ok());
    EXPECT_EQ(melody.file_type, 1);
    EXPECT_TRUE(check_outside_file((d / "link.mid").string()).ok());

    for (const std::string &bad :
         {std::string("Photo.JPG"), std::string(), (d / "missing.bmp").string(),
          (d / "notes.txt").string(), (d / "folder.bmp").string(), (d / "pipe.mid").string()}) {
        const OutsideFile file = check_outside_file(bad);
        EXPECT_FALSE(file.ok()) << bad;
        EXPECT_FALSE(file.error.isEmpty());
    }
    EXPECT_TRUE(
        check_outside_file((d / "missing.bmp").string()).error.contains(QStringLiteral("不存在")));
}

TEST(OutsideFile, EveryExtensionTheDesktopEntryOffersIsTaken) {
    TempDir dir;
    // A file manager offers the program every file of image/jpeg (.jpeg, .jpe), image/bmp (.dib)
    // and audio/midi (.kar), in any case.
    for (const char *name : {"a.jpeg", "b.JPE", "c.Jpg", "d.dib", "e.kar", "f.MIDI"}) {
        touch(dir.path() / name);
        const OutsideFile file = check_outside_file((dir.path() / name).string());
        EXPECT_TRUE(file.ok()) << name << ": " << file.error.toStdString();
    }
    EXPECT_EQ(check_outside_file((dir.path() / "e.kar").string()).file_type, 1);
    // The byte that is not UTF-8 stays in the path, and the refusal shows it escaped.
    const std::string latin = (dir.path() / "caf\xe9.jpg").string();
    touch(latin);
    EXPECT_TRUE(check_outside_file(latin).ok());
    const OutsideFile missing = check_outside_file((dir.path() / "gon\xe9.jpg").string());
    EXPECT_TRUE(missing.error.contains(QStringLiteral("gon\\xe9.jpg")))
        << missing.error.toStdString();
}

TEST(OutsideFile, CommandLineArgumentsBecomeAbsoluteByteForByte) {
    const std::string here = fs::current_path().string();
    EXPECT_EQ(absolute_argument("caf\xe9.jpg"), here + "/caf\xe9.jpg");
    EXPECT_EQ(absolute_argument("/a/./b/../c.bmp"), "/a/c.bmp");
    EXPECT_EQ(absolute_argument(""), "");
}

TEST(OutsideFile, DropsGiveTheirLocalFilesOrNothing) {
    const QUrl local = QUrl::fromLocalFile(QStringLiteral("/home/u/a b.bmp"));
    using Paths = std::vector<std::string>;
    EXPECT_EQ(dropped_files({local}), Paths{"/home/u/a b.bmp"});
    EXPECT_EQ(dropped_files({QUrl(QStringLiteral("file://localhost/tmp/a.bmp"))}),
              Paths{"/tmp/a.bmp"});
    // A file manager encodes a name that is not UTF-8 byte by byte; the bytes come back.
    EXPECT_EQ(dropped_files({QUrl::fromEncoded("file:///tmp/caf%E9.jpg"),
                             QUrl::fromEncoded("file:///tmp/%E4%B8%A4.bmp")}),
              (Paths{"/tmp/caf\xe9.jpg", "/tmp/\xe4\xb8\xa4.bmp"}));
    EXPECT_TRUE(dropped_files({}).empty());
    // One URL that is not a local file spoils the drop.
    for (const QUrl &other :
         {QUrl(QStringLiteral("https://example.org/a.bmp")),
          QUrl(QStringLiteral("file://elsewhere.example/a.bmp")), QUrl(QStringLiteral("a.bmp"))}) {
        EXPECT_TRUE(dropped_files({local, other}).empty()) << other.toString().toStdString();
    }
}

TEST(InstanceChannel, RequestsSurviveTheLineAndMalformedOnesAreRefused) {
    for (const std::string &odd :
         {std::string("/tmp/两 words\nnext%20line/a.bmp"), std::string("/tmp/caf\xe9 \xff.jpg")}) {
        const QByteArray line = encode_request({ChannelRequest::Kind::Open, odd});
        EXPECT_EQ(line.count('\n'), 1);
        const auto back = decode_request(line);
        ASSERT_TRUE(back) << line.toStdString();
        EXPECT_EQ(back->kind, ChannelRequest::Kind::Open);
        EXPECT_EQ(back->path, odd);
    }
    const auto show = decode_request(encode_request({}));
    ASSERT_TRUE(show);
    EXPECT_EQ(show->kind, ChannelRequest::Kind::Show);

    for (const QByteArray &bad :
         {QByteArray("OPEN file:///tmp/a.bmp"),  // no end of line
          QByteArray("OPEN file:///tmp/a b.bmp\n"), QByteArray("OPEN http://h/a.bmp\n"),
          QByteArray("OPEN file://host/tmp/a.bmp\n"), QByteArray("OPEN a.bmp\n"),
          QByteArray("DELETE file:///tmp/a.bmp\n"), QByteArray("SHOW \n"), QByteArray("\n"),
          QByteArray("OPEN file:///") + QByteArray(kMaxChannelLine, 'a') + '\n'}) {
        EXPECT_FALSE(decode_request(bad)) << bad.left(60).toStdString();
    }
}

TEST(InstanceChannel, SocketOnlyInAFolderPrivateToTheUser) {
    TempDir dir;
    QString why;
    const auto path = channel_socket_in(q(dir.path()), &why);
    ASSERT_TRUE(path) << why.toStdString();
    EXPECT_EQ(*path, q(dir.path() / "zemlo.sock"));

    fs::create_directories(dir.path() / "open");
    ::chmod((dir.path() / "open").c_str(), 0755);
    fs::create_directory_symlink(dir.path(), dir.path() / "link");
    for (const QString &bad : {q(dir.path() / "open"), q(dir.path() / "link"),
                               q(dir.path() / "missing"), QString(), QStringLiteral("rel")}) {
        why.clear();
        EXPECT_FALSE(channel_socket_in(bad, &why)) << bad.toStdString();
        EXPECT_FALSE(why.isEmpty());
    }
    EXPECT_FALSE(channel_socket_in(QStringLiteral("/tmp/") + QString(120, u'd'), &why));
}

class ChannelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::ensure_app();
        socket_ = q(dir_.path() / "zemlo.sock");
        touch(dir_.path() / "a.bmp");
        QObject::connect(&server_, &InstanceServer::openRequested,
                         [this](const QByteArray &p) { opened_.push_back(p.toStdString()); });
        QObject::connect(&server_, &InstanceServer::showRequested, [this] { ++shown_; });
    }

    void listen() {
        QString why;
        ASSERT_TRUE(server_.listen(socket_, &why)) << why.toStdString();
    }

    // Sends raw bytes as a peer and returns what came back before the server closed.
    QByteArray raw_exchange(const QByteArray &bytes) {
        QLocalSocket peer;
        peer.connectToServer(socket_);
        EXPECT_TRUE(QTest::qWaitFor([&] { return peer.state() == QLocalSocket::ConnectedState; }));
        peer.write(bytes);
        QByteArray got;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                got += peer.readAll();
                return peer.state() == QLocalSocket::UnconnectedState;
            },
            10000));
        return got + peer.readAll();
    }

    TempDir dir_;
    QString socket_;
    InstanceServer server_;
    std::vector<std::string> opened_;
    int shown_ = 0;
};

TEST_F(ChannelTest, ARunningWindowTakesGoodRequestsAndRefusesTheRest) {
    listen();
    const std::string file = (dir_.path() / "a.bmp").string();
    EXPECT_EQ(hand_over_pumping(socket_, {ChannelRequest::Kind::Open, file}), HandOver::Delivered);
    EXPECT_EQ(hand_over_pumping(socket_, {}), HandOver::Delivered);
    // Well-formed but naming nothing the program opens: refused, and still handed to the window,
    // which says why where the person who chose the file looks.
    EXPECT_EQ(hand_over_pumping(socket_, {ChannelRequest::Kind::Open, file + ".txt"}),
              HandOver::Refused);
    EXPECT_EQ(hand_over_pumping(socket_, {ChannelRequest::Kind::Open, dir_.path().string()}),
              HandOver::Refused);
    EXPECT_EQ(raw_exchange("GIVE ME EVERYTHING\n"), QByteArray("NO\n"));
    EXPECT_EQ(opened_, (std::vector<std::string>{file, file + ".txt", dir_.path().string()}));
    EXPECT_EQ(shown_, 1);
}

TEST_F(ChannelTest, PeersThatFloodOrStaySilentAreLetGoAndOthersStillServed) {
    server_.set_peer_timeout(300);
    listen();
    // A line that never ends is cut off at the bound, without an answer.
    EXPECT_EQ(raw_exchange(QByteArray(kMaxChannelLine * 3, 'A')), QByteArray());
    // A peer that says nothing is dropped after the timeout.
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(raw_exchange(QByteArray()), QByteArray());
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(
        hand_over_pumping(socket_, {ChannelRequest::Kind::Open, (dir_.path() / "a.bmp").string()}),
        HandOver::Delivered);
    EXPECT_EQ(opened_.size(), 1);
}

TEST_F(ChannelTest, ASocketLeftByACrashIsTakenOverButALiveOneIsNot) {
    EXPECT_EQ(hand_over(socket_, {}), HandOver::NoInstance);  // nothing there at all
    bind_raw_socket(socket_, false);
    ASSERT_TRUE(fs::exists(dir_.path() / "zemlo.sock"));
    EXPECT_EQ(hand_over(socket_, {}), HandOver::NoInstance);
    listen();
    EXPECT_EQ(hand_over_pumping(socket_, {}), HandOver::Delivered);

    InstanceServer second;
    QString why;
    EXPECT_FALSE(second.listen(socket_, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(hand_over_pumping(socket_, {}), HandOver::Delivered);  // still the first one's
}

TEST_F(ChannelTest, AProgramThatHangsNeverHoldsALaterStart) {
    const int fd = bind_raw_socket(socket_, true);  // accepts into its queue, never answers
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(hand_over(socket_, {}, 300), HandOver::NoAnswer);
    EXPECT_LT(clock.elapsed(), 3000);
    ::close(fd);
}

// A later start's end of the line, as bare as it gets: connected, and nothing more unless asked.
int raw_peer(const QString &path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(addr.sun_path, name.constData(), static_cast<size_t>(name.size()));
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    return fd;
}

// Whether the other side has closed fd (everything it sent read and dropped).
bool closed_by_peer(int fd) {
    char buffer[64];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0) {
            return n == 0;
        }
    }
}

TEST_F(ChannelTest, LinesUpToTheBoundAreAnsweredOneByteMoreIsCutOff) {
    listen();
    const QByteArray head = QByteArrayLiteral("OPEN file:///");
    const QByteArray longest = head + QByteArray(kMaxChannelLine - head.size() - 1, 'a') + '\n';
    ASSERT_EQ(longest.size(), kMaxChannelLine);
    EXPECT_EQ(raw_exchange(longest), QByteArray("NO\n"));  // heard, and no such file
    EXPECT_EQ(raw_exchange(head + 'a' + longest.mid(head.size())), QByteArray());
}

TEST_F(ChannelTest, EightPeersAreServedAtOnceTheNinthIsTurnedAwayAndAPeerThatLeftCostsNothing) {
    server_.set_peer_timeout(60000);
    listen();
    std::vector<int> silent;
    for (int i = 0; i < 8; ++i) {
        silent.push_back(raw_peer(socket_));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return server_.peer_count() == 8; }, 10000));
    const int ninth = raw_peer(socket_);
    EXPECT_TRUE(QTest::qWaitFor([&] { return closed_by_peer(ninth); }, 10000));
    ::close(ninth);
    for (const int fd : silent) {
        EXPECT_FALSE(closed_by_peer(fd));  // still held, waiting for their line
    }
    // Those that go free their places.
    for (const int fd : silent) {
        ::close(fd);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return server_.peer_count() == 0; }, 10000));
    // A request from a start that is gone before the answer: still taken, and writing the answer
    // to nobody does not end the window.
    const int hasty = raw_peer(socket_);
    ASSERT_EQ(::send(hasty, "SHOW\n", 5, 0), 5);
    ::close(hasty);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown_ == 1; }, 10000));
    EXPECT_EQ(hand_over_pumping(socket_, {}), HandOver::Delivered);
    EXPECT_EQ(shown_, 2);
}

TEST_F(ChannelTest, TheSocketIsTheUsersAloneAndGoesWithItsWindowButNeverAnothersSocket) {
    {
        InstanceServer window;
        QString why;
        ASSERT_TRUE(window.listen(socket_, &why)) << why.toStdString();
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(socket_).constData(), &st), 0);
        EXPECT_TRUE(S_ISSOCK(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
    EXPECT_FALSE(fs::exists(dir_.path() / "zemlo.sock"));
    int other = -1;
    {
        InstanceServer window;
        QString why;
        ASSERT_TRUE(window.listen(socket_, &why)) << why.toStdString();
        // Someone else's socket in its place by the time this window goes: left alone.
        ::unlink(QFile::encodeName(socket_).constData());
        other = bind_raw_socket(socket_, true);
    }
    EXPECT_TRUE(fs::exists(dir_.path() / "zemlo.sock"));
    ::close(other);
}

TEST_F(ChannelTest, AWindowWhoseQueueIsFullHoldsALaterStartOnlyForTheTimeoutAndKeepsItsSocket) {
    const int hung = bind_raw_socket(socket_, true);  // listens with room for 4 (+1), never accepts
    std::vector<int> queued;
    for (int i = 0; i < 5; ++i) {
        queued.push_back(raw_peer(socket_));
    }
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(hand_over(socket_, {}, 300), HandOver::NoAnswer);
    EXPECT_LT(clock.elapsed(), 3000);
    server_.set_peer_timeout(300);
    QString why;
    EXPECT_FALSE(server_.listen(socket_, &why));
    EXPECT_TRUE(why.contains(QStringLiteral("does not answer"))) << why.toStdString();
    EXPECT_TRUE(fs::exists(dir_.path() / "zemlo.sock"));
    for (const int fd : queued) {
        ::close(fd);
    }
    ::close(hung);
}

TEST_F(ChannelTest, AnAnswerThatIsNotExactlyYesOrNoIsNoAnswer) {
    for (const QByteArray &reply :
         {QByteArray("MAYBE\n"), QByteArray("OK"), QByteArray("ok\n"), QByteArray(64, 'O')}) {
        const int listener = bind_raw_socket(socket_, true);
        std::thread window([listener, reply] {
            const int peer = ::accept(listener, nullptr, nullptr);
            char buffer[256];
            while (::recv(peer, buffer, sizeof buffer, 0) > 0 &&
                   std::memchr(buffer, '\n', sizeof buffer) == nullptr) {
            }
            ::send(peer, reply.constData(), static_cast<size_t>(reply.size()), MSG_NOSIGNAL);
            ::close(peer);
        });
        EXPECT_EQ(hand_over(socket_, {}, 5000), HandOver::NoAnswer) << reply.toStdString();
        window.join();
        ::close(listener);
        ::unlink(QFile::encodeName(socket_).constData());
    }
}

// --- the window ---------------------------------------------------------------------------------

class OutsideWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::ensure_app();
        home_ = dir_.path() / "home";
        ::setenv("HOME", home_.c_str(), 1);
        ::setenv("ZEMLO_WORK_DIR", (dir_.path() / "work").c_str(), 1);
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        fs::create_directories(home_ / "pics" / "deep");
        fs::create_directories(home_ / ".hidden");
        ASSERT_TRUE(picture.save(q(home_ / "pics" / "deep" / "blue.bmp")));
        ASSERT_TRUE(picture.save(q(home_ / ".hidden" / "secret.bmp")));
        touch(home_ / "pics" / "song.mid", "MThd");
        touch(home_ / "pics" / "readme.txt");
        touch(home_ / "top.gif");
        // A JPEG under a Latin-1 name and one under the longer extension.
        ASSERT_TRUE(picture.save(q(home_ / "pics" / "photo.jpeg"), "JPEG"));
        fs::rename(home_ / "pics" / "photo.jpeg", home_ / "pics" / "caf\xe9.jpg");
        ASSERT_TRUE(picture.save(q(home_ / "pics" / "photo.jpeg"), "JPEG"));

        WindowHooks hooks;
        hooks.box = [this](const app::MessageBoxDetails &box, QWidget *) {
            boxes_.push_back(box.caption + " " + box.text);
            return app::BoxAnswer::Ok;
        };
        hooks.run_dialog = [](QDialog &) { return 0; };
        hooks.open_url = [](const QUrl &) { return true; };
        // No device library: browsing is all these tests need.
        window_ = std::make_unique<MainWindow>(profile_, (dir_.path() / "none").string(), hooks);
        window_->initialise();
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return window_->browser_ready(); }, 10000));
        boxes_.clear();
    }

    MainWindow &w() { return *window_; }

    QString chosen_row() const {
        const QTreeWidgetItem *item = window_->parts().pc_list->currentItem();
        return item == nullptr ? QString() : item->text(0);
    }

    // A file manager's drag: the URLs, and their text as well.
    bool send_drop(const QList<QUrl> &urls, QWidget *target = nullptr) {
        target = target != nullptr ? target : window_.get();
        QMimeData data;
        data.setUrls(urls);
        data.setText(urls.isEmpty() ? QString() : urls.front().toString());
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }

    TempDir dir_;
    fs::path home_;
    app::MemoryProfile profile_;
    std::unique_ptr<MainWindow> window_;
    std::vector<std::string> boxes_;
};

TEST_F(OutsideWindowTest, AHandedFileIsChosenAsAClickWouldChooseIt) {
    const fs::path blue = home_ / "pics" / "deep" / "blue.bmp";
    ASSERT_TRUE(w().open_outside_file(blue.string()));
    EXPECT_EQ(w().parts().pc_tree->selected_folder_path(), blue.parent_path().string());
    EXPECT_EQ(chosen_row(), QStringLiteral("blue.bmp"));
    EXPECT_EQ(w().parts().pc_file_label->text(), QStringLiteral("blue.bmp"));
    EXPECT_EQ(w().core().selected_pc_file(), blue.string());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w().parts().picture_panel->captured(); }));

    // A melody switches the file type, the panel and the list's filter.
    const fs::path song = home_ / "pics" / "song.mid";
    ASSERT_TRUE(w().open_outside_file(song.string()));
    EXPECT_EQ(w().parts().file_type_box->currentIndex(), 1);
    EXPECT_TRUE(w().parts().melody_panel->isVisible());
    EXPECT_EQ(w().core().selected_pc_file(), song.string());
    EXPECT_EQ(chosen_row(), QStringLiteral("song.mid"));

    // A folder the tree leaves out, and a file made after its folder was listed.
    ASSERT_TRUE(w().open_outside_file((home_ / ".hidden" / "secret.bmp").string()));
    EXPECT_EQ(w().parts().file_type_box->currentIndex(), 0);
    EXPECT_EQ(w().core().selected_pc_file(), (home_ / ".hidden" / "secret.bmp").string());
    touch(home_ / ".hidden" / "later.gif");
    ASSERT_TRUE(w().open_outside_file((home_ / ".hidden" / "later.gif").string()));
    EXPECT_EQ(w().core().selected_pc_file(), (home_ / ".hidden" / "later.gif").string());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(OutsideWindowTest, AFileThatCannotBeOpenedGetsABoxAndChangesNothing) {
    const fs::path blue = home_ / "pics" / "deep" / "blue.bmp";
    ASSERT_TRUE(w().open_outside_file(blue.string()));
    for (const fs::path &bad :
         {home_ / "pics" / "readme.txt", home_ / "gone.bmp", home_ / "pics"}) {
        boxes_.clear();
        EXPECT_FALSE(w().open_outside_file(bad.string()));
        ASSERT_EQ(boxes_.size(), 1u) << bad;
        EXPECT_EQ(boxes_[0].rfind("打开文件 ", 0), 0u) << boxes_[0];
        EXPECT_EQ(w().core().selected_pc_file(), blue.string());
        EXPECT_EQ(w().parts().pc_tree->selected_folder_path(), blue.parent_path().string());
    }
}

TEST_F(OutsideWindowTest, DroppingOnePictureOrMelodyChoosesItOtherDropsAreRefused) {
    EXPECT_TRUE(send_drop({QUrl::fromLocalFile(q(home_ / "top.gif"))}));
    EXPECT_EQ(w().core().selected_pc_file(), (home_ / "top.gif").string());
    EXPECT_FALSE(send_drop({QUrl::fromLocalFile(q(home_ / "pics" / "readme.txt"))}));
    EXPECT_FALSE(send_drop({QUrl(QStringLiteral("https://example.org/a.bmp"))}));
    EXPECT_FALSE(send_drop({QUrl::fromLocalFile(q(home_ / "top.gif")),
                            QUrl::fromLocalFile(q(home_ / "pics" / "readme.txt"))}));
    EXPECT_TRUE(boxes_.empty());
    // Files that cannot be chosen together: a box says why, and nothing changes.
    for (const fs::path &other : {home_ / "pics" / "song.mid", home_ / "pics" / "photo.jpeg"}) {
        boxes_.clear();
        EXPECT_FALSE(
            send_drop({QUrl::fromLocalFile(q(home_ / "top.gif")), QUrl::fromLocalFile(q(other))}));
        EXPECT_EQ(boxes_, std::vector<std::string>{"打开文件 一起拖入的文件须在同一个文件夹中，"
                                                   "且都是图片或都是乐曲"});
    }
    boxes_.clear();
    EXPECT_EQ(w().core().selected_pc_file(), (home_ / "top.gif").string());
    EXPECT_EQ(w().parts().pc_list->selectedItems().size(), 1);
    // Dropped on the name box, the file is opened and its URL is not typed into the box.
    w().parts().name_box->setText(QStringLiteral("keep"));
    EXPECT_TRUE(
        send_drop({QUrl::fromLocalFile(q(home_ / "pics" / "song.mid"))}, w().parts().name_box));
    EXPECT_EQ(w().core().selected_pc_file(), (home_ / "pics" / "song.mid").string());
    EXPECT_EQ(w().parts().name_box->text(), QStringLiteral("keep"));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(OutsideWindowTest, ASecondStartOfTheProgramHandsItsFileToThisWindow) {
    const fs::path program = fs::read_symlink("/proc/self/exe").parent_path() / "zemlo";
    if (!fs::exists(program)) {
        GTEST_SKIP() << "the program is not built";
    }
    const QString socket = q(dir_.path() / "zemlo.sock");
    InstanceServer server;
    QString why;
    ASSERT_TRUE(server.listen(socket, &why)) << why.toStdString();
    QObject::connect(&server, &InstanceServer::openRequested, window_.get(),
                     [this](const QByteArray &p) { w().open_outside_file(p.toStdString()); });

    // The argument goes through the shell's printf, so that a name that is not UTF-8 reaches
    // the program as the bytes a file manager would pass.
    const auto run = [&](const QString &printf_argument) {
        QProcess later;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), q(dir_.path()));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        later.setProcessEnvironment(env);
        later.setWorkingDirectory(q(home_ / "pics"));
        later.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$(printf \"$1\")\""),
                     q(program), printf_argument});
        // The window answers on this thread's event loop, so wait without blocking it.
        EXPECT_TRUE(QTest::qWaitFor([&] { return later.state() == QProcess::NotRunning; }, 30000));
        return later.exitCode();
    };
    // A relative name is resolved in the later start's own folder.
    EXPECT_EQ(run(QStringLiteral("song.mid")), 0);
    EXPECT_EQ(w().core().selected_pc_file(), (home_ / "pics" / "song.mid").string());
    // A Latin-1 name ("caf\xe9.jpg") and a .jpeg, as a file manager hands them over.
    EXPECT_EQ(run(QStringLiteral("caf\\351.jpg")), 0);
    EXPECT_EQ(w().core().selected_pc_file(), (home_ / "pics" / "caf\xe9.jpg").string());
    EXPECT_EQ(run(QStringLiteral("photo.jpeg")), 0);
    EXPECT_EQ(w().core().selected_pc_file(), (home_ / "pics" / "photo.jpeg").string());
    EXPECT_TRUE(boxes_.empty());
    // A file it cannot open is refused (status 1), this window keeps its choice, and says why:
    // the person who chose the file in a file manager sees no error output.
    EXPECT_EQ(run(QStringLiteral("readme.txt")), 1);
    EXPECT_EQ(w().core().selected_pc_file(), (home_ / "pics" / "photo.jpeg").string());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes_.empty(); }));
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].rfind("打开文件 不支持的文件类型", 0), 0u) << boxes_[0];
    EXPECT_NE(boxes_[0].find("readme.txt"), std::string::npos) << boxes_[0];
}

TEST_F(OutsideWindowTest, ANameThatIsNotUtf8IsShownEscapedAndOpensItsOwnFile) {
    const fs::path latin = home_ / "pics" / "caf\xe9.jpg";
    // The list shows it escaped; choosing the row opens that very file, not one named
    // "caf\\xe9.jpg", so the picture is drawn.
    ASSERT_TRUE(w().open_outside_file((home_ / "pics" / "song.mid").string()));
    w().parts().file_type_box->setCurrentIndex(0);
    FileListView *list = w().parts().pc_list;
    int row = -1;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(0) == QStringLiteral("caf\\xe9.jpg")) {
            row = i;
        }
    }
    ASSERT_GE(row, 0);
    list->select_row(row);
    emit list->row_chosen(row);
    EXPECT_EQ(w().core().selected_pc_file(), latin.string());
    EXPECT_EQ(w().parts().pc_file_label->text(), QStringLiteral("caf\\xe9.jpg"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w().parts().picture_panel->captured(); }));
    EXPECT_TRUE(w().parts().picture_panel->has_picture());

    // The same file dropped, its URL encoded byte by byte as a file manager encodes it.
    w().parts().file_type_box->setCurrentIndex(1);
    EXPECT_TRUE(send_drop({QUrl::fromEncoded(file_url_of(latin.string()))}));
    EXPECT_EQ(w().core().selected_pc_file(), latin.string());
    EXPECT_EQ(chosen_row(), QStringLiteral("caf\\xe9.jpg"));
    EXPECT_TRUE(boxes_.empty());
}

TEST(SlowBrowser, TheWindowShowsBeforeASlowMountAnswersAndAHandedFileWaitsForIt) {
    test::ensure_app();
    TempDir dir;
    const fs::path home = dir.path() / "home";
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("ZEMLO_WORK_DIR", (dir.path() / "work").c_str(), 1);
    touch(home / "a" / "tune.mid", "MThd");
    fs::create_directories(home / "dead" / "x");

    std::promise<void> answer;
    std::shared_future<void> answered = answer.get_future().share();
    std::promise<void> never;
    std::shared_future<void> dead = never.get_future().share();
    app::MemoryProfile profile;
    WindowHooks hooks;
    std::vector<std::string> boxes;
    hooks.box = [&](const app::MessageBoxDetails &box, QWidget *) {
        boxes.push_back(box.text);
        return app::BoxAnswer::Ok;
    };
    auto window = std::make_unique<MainWindow>(profile, (dir.path() / "none").string(), hooks);
    window->parts().pc_tree->set_sources(
        [answered] {
            answered.wait();
            return top_level_places();
        },
        [dead](const std::string &path) {
            if (path.size() >= 5 && path.compare(path.size() - 5, 5, "/dead") == 0) {
                dead.wait();  // a mount that never answers
            }
            return subfolders(path);
        });
    window->initialise();
    boxes.clear();  // the missing device library's
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->parts().pc_tree->topLevelItemCount(), 0);
    EXPECT_FALSE(window->browser_ready());
    // Handed in now, chosen once the places are there, instead of the first place.
    EXPECT_TRUE(window->open_outside_file((home / "a" / "tune.mid").string()));
    answer.set_value();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->browser_ready(); }, 10000));
    EXPECT_EQ(window->core().selected_pc_file(), (home / "a" / "tune.mid").string());
    EXPECT_TRUE(boxes.empty());

    // Opening the dead folder leaves the rest of the tree working; the window goes while the
    // read is still stuck.
    QTreeWidgetItem *home_node = window->parts().pc_tree->topLevelItem(0);
    QTreeWidgetItem *dead_node = nullptr;
    for (int i = 0; i < home_node->childCount(); ++i) {
        if (home_node->child(i)->text(0) == QStringLiteral("dead")) {
            dead_node = home_node->child(i);
        }
    }
    ASSERT_NE(dead_node, nullptr);
    window->parts().pc_tree->expandItem(dead_node);
    EXPECT_FALSE(window->browser_ready());
    window->parts().pc_tree->setCurrentItem(home_node);
    EXPECT_EQ(window->parts().pc_tree->selected_folder_path(), home.string());
    window.reset();
    never.set_value();  // the stuck read ends after its window: nothing is delivered
}

TEST(DesktopEntry, OffersEveryKindOfFileTheProgramOpens) {
    test::ensure_app();
    QFile file(QStringLiteral(ZEMLO_DESKTOP_ENTRY));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString exec;
    QStringList declared;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(QStringLiteral("Exec="))) {
            exec = line.mid(5);
        } else if (line.startsWith(QStringLiteral("MimeType="))) {
            declared = line.mid(9).split(u';', Qt::SkipEmptyParts);
        }
    }
    // %f: the file manager passes one local file, as the program takes it.
    EXPECT_TRUE(exec.endsWith(QStringLiteral(" %f"))) << exec.toStdString();
    ASSERT_FALSE(declared.isEmpty());
    const QMimeDatabase mimes;
    for (const char *ext : {"bmp", "gif", "jpg", "ico", "emf", "wmf", "mid", "midi"}) {
        const QString name = QStringLiteral("a.") + QLatin1String(ext);
        const QMimeType type = mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
        QStringList names = type.aliases();
        names << type.name();
        const bool offered = std::any_of(names.begin(), names.end(),
                                         [&](const QString &n) { return declared.contains(n); });
        EXPECT_TRUE(offered) << ext << " is " << type.name().toStdString();
    }
}

}  // namespace
}  // namespace zemlo::shell
