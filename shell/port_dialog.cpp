#include "port_dialog.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "dialog_units.h"
#include "zemlo/com_port_rule.h"
#include "zemlo/stable_device_name.h"

namespace zemlo::shell {

namespace {

constexpr int kDefaultDeviceIndex = 0;
constexpr int kDeviceRowDu = 28;  // the device row sits between the port row and the buttons

}  // namespace

QString default_port_device(uint32_t port) {
    return QString::fromStdString(zemlo::unmapped_com_device(port));
}

PortDialog::PortDialog(const BaseUnits &base, uint32_t current,
                       std::map<uint32_t, std::string> mapping, const QList<SerialDevice> &devices,
                       QWidget *parent)
    : QDialog(parent), mapping_(std::move(mapping)) {
    // Laid out from the window's font (a smaller one on a small screen), which a dialog does not
    // take from its window by itself.
    if (parent != nullptr) {
        setFont(parent->font());
    }
    setWindowTitle(tr("端口设置"));
    // 81 units high, with one more row for the device.
    setFixedSize(du_x(base, 153), du_y(base, 81 + kDeviceRowDu));
    auto *label = new QLabel(tr("COM端口设置："), this);
    label->setGeometry(du_rect(base, 16, 17, 56, 14));
    ports_ = new QComboBox(this);
    ports_->setGeometry(du_rect(base, 78, 15, 56, 14));
    for (uint32_t p = kFirstComPort; p <= kLastComPort; ++p) {
        ports_->addItem(QStringLiteral("COM%1").arg(p), p);
    }
    label->setBuddy(ports_);
    const int index = ports_->findData(current);
    ports_->setCurrentIndex(index >= 0 ? index : 0);

    auto *device_label = new QLabel(tr("对应设备："), this);
    device_label->setGeometry(du_rect(base, 16, 17 + kDeviceRowDu / 2 + 2, 56, 14));
    devices_ = new QComboBox(this);
    devices_->setEditable(true);
    devices_->setInsertPolicy(QComboBox::NoInsert);
    devices_->setGeometry(du_rect(base, 16, 15 + kDeviceRowDu, 121, 14));
    device_label->setBuddy(devices_);
    devices_->addItem(QString());  // the default device; its text follows the port
    for (const SerialDevice &device : devices) {
        devices_->addItem(device.label, device.path);  // shown with both names, stored by path
    }
    // A by-id name is longer than the box: the list opens as wide as its longest entry, and the
    // whole text of the chosen one is in the tooltip.
    devices_->view()->setMinimumWidth(devices_->view()->sizeHintForColumn(0) +
                                      devices_->view()->frameWidth() * 2);
    connect(devices_, &QComboBox::currentTextChanged, devices_, &QWidget::setToolTip);

    auto *ok = new QPushButton(tr("确定"), this);
    ok->setGeometry(du_rect(base, 25, 47 + kDeviceRowDu, 48, 14));
    ok->setDefault(true);
    auto *cancel = new QPushButton(tr("取消"), this);
    cancel->setGeometry(du_rect(base, 85, 47 + kDeviceRowDu, 48, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    fit_label_and_box(label, ports_, width() - du_x(base, 4));
    connect(ports_, &QComboBox::currentIndexChanged, this, &PortDialog::show_mapping_of_port);
    show_mapping_of_port();
}

uint32_t PortDialog::chosen_port() const {
    return ports_->currentData().toUInt();
}

std::string PortDialog::chosen_device() const {
    const QString text = devices_->currentText().trimmed();
    if (text.isEmpty() || text == devices_->itemText(kDefaultDeviceIndex)) {
        return {};
    }
    // A listed device's label stands for its path; anything else is a path the user typed.
    const int listed = devices_->findText(text);
    const QString path = listed > kDefaultDeviceIndex && devices_->itemData(listed).isValid()
                             ? devices_->itemData(listed).toString()
                             : text;
    // Kept under its by-id name where it has one, so the adapter is found after re-plugging.
    return stable_device_name(path.toStdString());
}

void PortDialog::show_mapping_of_port() {
    const uint32_t port = chosen_port();
    devices_->setItemText(kDefaultDeviceIndex, tr("%1 (默认)").arg(default_port_device(port)));
    const auto it = mapping_.find(port);
    if (it == mapping_.end() || it->second.empty()) {
        devices_->setCurrentIndex(kDefaultDeviceIndex);
        return;
    }
    const QString device = QString::fromStdString(it->second);
    int index = devices_->findData(device);
    if (index < 0) {
        index = devices_->findText(device);
    }
    if (index < 0) {
        devices_->addItem(device);
        index = devices_->count() - 1;
    }
    devices_->setCurrentIndex(index);
}

}  // namespace zemlo::shell
