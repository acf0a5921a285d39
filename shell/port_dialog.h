// The port dialog "端口设置": COM1 to COM11, and, for the chosen number, the serial device it
// stands for. Without a mapping COM n is $HANDLINK_COM<n>, else /dev/ttyS(n-1); the user can map
// it to any serial device found on the machine (USB adapters, /dev/serial/by-id links) or type a
// path.
#pragma once

#include <QDialog>
#include <cstdint>
#include <map>
#include <string>

#include "serial_device_list.h"

class QComboBox;

namespace zemlo::shell {

struct BaseUnits;

inline constexpr uint32_t kFirstComPort = 1;
inline constexpr uint32_t kLastComPort = 11;

// The device COM n uses without a mapping (the one COM rule the library applies).
QString default_port_device(uint32_t port);

class PortDialog : public QDialog {
    Q_OBJECT
  public:
    PortDialog(const BaseUnits &base, uint32_t current, std::map<uint32_t, std::string> mapping,
               const QList<SerialDevice> &devices, QWidget *parent);

    uint32_t chosen_port() const;
    // The device chosen for chosen_port(); empty: the default device.
    std::string chosen_device() const;

    QComboBox *port_box() const { return ports_; }
    QComboBox *device_box() const { return devices_; }

  private:
    void show_mapping_of_port();

    std::map<uint32_t, std::string> mapping_;
    QComboBox *ports_;
    QComboBox *devices_;
};

}  // namespace zemlo::shell
