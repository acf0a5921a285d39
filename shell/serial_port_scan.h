// The serial ports the system has now, read from its device folder instead of through a serial
// port library (which would be loaded, with the device database's library, at every start of the
// window for a dialog few starts open).
//
// A port is a tty of /sys/class/tty that has a device behind it (an adapter, a board's port),
// except a standard PC port whose chip is not there (the kernel keeps placeholders for them, and
// only the device itself can say); and, without a device, a Bluetooth port (rfcomm0 to
// rfcomm255), a null-modem pair's end (tnt...) or a gadget port (ttyGS...). Where there is no
// /sys/class/tty, the device nodes of /dev with the usual serial names are taken as they are.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace zemlo::shell {

// Whether a standard PC port (its driver serial8250) has a chip that answers.
using UartCheck = std::function<bool(const QString &device)>;

// The ports' device nodes in dev_dir, in the order of their names in class_dir.
QStringList serial_ports_in(const QString &class_dir, const QString &dev_dir,
                            const UartCheck &answers);

// serial_ports_in() over /sys/class/tty and /dev, asking each standard port's device.
QStringList system_serial_ports();

}  // namespace zemlo::shell
