#include "serial_port_scan.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zemlo::shell {

namespace {

// The device node's name the kernel gives the tty (DEVNAME= in its uevent); empty without one.
QString device_name(const QString &tty_dir) {
    QFile uevent(tty_dir + QStringLiteral("/uevent"));
    if (!uevent.open(QIODevice::ReadOnly)) {
        return {};
    }
    // A uevent is a few short lines; anything longer is not one.
    const QByteArray text = uevent.read(4096);
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith("DEVNAME=")) {
            return QFile::decodeName(line.mid(8).trimmed());
        }
    }
    return {};
}

bool numbered_within(const QString &name, const QString &prefix, int last) {
    if (!name.startsWith(prefix) || name.size() == prefix.size()) {
        return false;
    }
    bool ok = false;
    const int number = name.mid(prefix.size()).toInt(&ok);
    return ok && number >= 0 && number <= last && name.mid(prefix.size()).at(0).isDigit();
}

// The ports that live without a device of their own.
bool deviceless_port(const QString &name) {
    return numbered_within(name, QStringLiteral("rfcomm"), 255) ||
           name.startsWith(QStringLiteral("tnt")) || name.startsWith(QStringLiteral("ttyGS"));
}

bool answers_as_uart(const QString &device) {
    const int fd =
        ::open(QFile::encodeName(device).constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    serial_struct info{};
    const bool there = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return there;
}

QStringList ports_by_name(const QString &dev_dir) {
    const QStringList patterns = {QStringLiteral("ttyS*"),   QStringLiteral("ttyO*"),
                                  QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*"),
                                  QStringLiteral("ttyGS*"),  QStringLiteral("ttyMI*"),
                                  QStringLiteral("ttymxc*"), QStringLiteral("ttyAMA*"),
                                  QStringLiteral("rfcomm*"), QStringLiteral("ircomm*")};
    QStringList found;
    const QDir dev(dev_dir);
    for (const QFileInfo &node :
         dev.entryInfoList(patterns, QDir::Files | QDir::System | QDir::NoSymLinks, QDir::Name)) {
        found << node.absoluteFilePath();
    }
    return found;
}

}  // namespace

QStringList serial_ports_in(const QString &class_dir, const QString &dev_dir,
                            const UartCheck &answers) {
    const QDir ttys(class_dir);
    if (!ttys.exists() || !ttys.isReadable()) {
        return ports_by_name(dev_dir);
    }
    QStringList found;
    for (const QString &entry : ttys.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString tty_dir = ttys.filePath(entry);
        const QString name = device_name(tty_dir);
        if (name.isEmpty()) {
            continue;
        }
        const QString node = QDir(dev_dir).filePath(name);
        if (QFileInfo::exists(tty_dir + QStringLiteral("/device"))) {
            const QString driver =
                QFileInfo(QFileInfo(tty_dir + QStringLiteral("/device/driver")).symLinkTarget())
                    .fileName();
            if (driver == QStringLiteral("serial8250") && !answers(node)) {
                continue;
            }
        } else if (!deviceless_port(name)) {
            continue;  // a console, a virtual terminal, a pseudo-terminal's master
        }
        found << node;
    }
    return found;
}

QStringList system_serial_ports() {
    return serial_ports_in(QStringLiteral("/sys/class/tty"), QStringLiteral("/dev"),
                           answers_as_uart);
}

}  // namespace zemlo::shell
