// The serial devices the port dialog offers. A USB adapter appears once, under its
// /dev/serial/by-id name (which survives re-plugging) with the /dev/ttyUSBn it points to now
// beside it, so the user recognises both the adapter and the name other tools show.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace zemlo::shell {

struct SerialDevice {
    QString path;   // what is stored and opened: the by-id link where there is one
    QString label;  // what the dialog shows
};

// "by-id link (/dev/ttyUSB0)" when the link leads elsewhere; the path alone otherwise (no
// target known, or the target is the path itself).
QString serial_device_label(const QString &path, const QString &target);

// The devices found now: the links in by_id_dir first (each labelled with its target), then the
// ports in system_ports that no link leads to, without repeats.
QList<SerialDevice> serial_devices(const QString &by_id_dir, const QStringList &system_ports);

// serial_devices() over /dev/serial/by-id and the ports the system has (serial_port_scan.h).
QList<SerialDevice> detected_serial_devices();

}  // namespace zemlo::shell
