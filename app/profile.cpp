#include "profile.h"

#include <QSettings>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

#include "zemlo/com_port_rule.h"

namespace zemlo::app {

namespace {

constexpr const char *kOrganisation = "Quennet Corp";
constexpr const char *kApplication = "zemlo";
constexpr const char *kComKey = "setting/COM";
constexpr const char *kPortsGroup = "ports";
constexpr uint32_t kDefaultPort = 3;
constexpr uint32_t kHighestPort = 255;

std::unique_ptr<QSettings> open_settings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, kOrganisation,
                                       kApplication);
}

}  // namespace

uint32_t SettingsProfile::com_port() const {
    bool ok = false;
    auto s = open_settings();
    const uint32_t port = s->value(kComKey, kDefaultPort).toUInt(&ok);
    return ok && port >= 1 && port <= kHighestPort ? port : kDefaultPort;
}

void SettingsProfile::set_com_port(uint32_t port) {
    auto s = open_settings();
    s->setValue(kComKey, port);
}

std::map<uint32_t, std::string> SettingsProfile::port_devices() const {
    std::map<uint32_t, std::string> out;
    auto s = open_settings();
    s->beginGroup(kPortsGroup);
    for (const QString &key : s->childKeys()) {
        // Keys are "COM<n>".
        bool ok = false;
        const uint32_t port = key.mid(3).toUInt(&ok);
        const QString device = s->value(key).toString();
        if (key.startsWith("COM") && ok && port >= 1 && port <= kHighestPort && !device.isEmpty()) {
            out[port] = device.toStdString();
        }
    }
    return out;
}

void SettingsProfile::set_port_device(uint32_t port, const std::string &device) {
    auto s = open_settings();
    s->beginGroup(kPortsGroup);
    const QString key = QString("COM%1").arg(port);
    if (device.empty()) {
        s->remove(key);
    } else {
        s->setValue(key, QString::fromStdString(device));
    }
}

std::string profile_device(const Profile &profile, uint32_t port) {
    const auto mapping = profile.port_devices();
    const auto it = mapping.find(port);
    return com_device(port, it == mapping.end() ? std::nullopt : std::optional(it->second));
}

}  // namespace zemlo::app
