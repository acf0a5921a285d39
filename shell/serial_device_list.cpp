#include "serial_device_list.h"

#include "serial_port_scan.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace zemlo::shell {

namespace {

// The device a path ends at after every link; empty when it does not exist (a dangling link of
// an adapter that was just pulled out).
QString resolved(const QString &path) {
    return QFileInfo(path).canonicalFilePath();
}

}  // namespace

QString serial_device_label(const QString &path, const QString &target) {
    if (target.isEmpty() || target == path) {
        return path;
    }
    return QStringLiteral("%1 (%2)").arg(path, target);
}

QList<SerialDevice> serial_devices(const QString &by_id_dir, const QStringList &system_ports) {
    QList<SerialDevice> found;
    QStringList targets;
    const QDir by_id(by_id_dir);
    for (const QFileInfo &info : by_id.entryInfoList(QDir::System | QDir::Files, QDir::Name)) {
        const QString path = info.absoluteFilePath();
        const QString target = resolved(path);
        found.append({path, serial_device_label(path, target)});
        targets << target;
    }
    for (const QString &port : system_ports) {
        const QString target = resolved(port);
        const bool listed = std::any_of(found.begin(), found.end(),
                                        [&](const SerialDevice &d) { return d.path == port; });
        // A port a by-id link leads to is already shown, beside that link.
        if (listed || (!target.isEmpty() && targets.contains(target))) {
            continue;
        }
        found.append({port, port});
    }
    return found;
}

QList<SerialDevice> detected_serial_devices() {
    return serial_devices(QStringLiteral("/dev/serial/by-id"), system_serial_ports());
}

}  // namespace zemlo::shell
