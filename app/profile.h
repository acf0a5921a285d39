// The stored settings: the COM port ("setting"/"COM", default 3) and the user's mapping of COM
// numbers to serial devices (group "ports"), in the user's INI profile of "Quennet Corp"/"zemlo".
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace zemlo::app {

class Profile {
  public:
    virtual ~Profile() = default;
    virtual uint32_t com_port() const = 0;
    virtual void set_com_port(uint32_t port) = 0;
    virtual std::map<uint32_t, std::string> port_devices() const = 0;
    virtual void set_port_device(uint32_t port, const std::string &device) = 0;
};

// The device the COM number stands for now: the profile's mapping, else the environment's
// (HANDLINK_COM<n>), else /dev/ttyS<n-1>.
std::string profile_device(const Profile &profile, uint32_t port);

// The profile in the user's configuration folder (QSettings, INI format).
class SettingsProfile : public Profile {
  public:
    uint32_t com_port() const override;
    void set_com_port(uint32_t port) override;
    std::map<uint32_t, std::string> port_devices() const override;
    void set_port_device(uint32_t port, const std::string &device) override;
};

// A profile kept in memory only: for a run that must not change the user's settings.
class MemoryProfile : public Profile {
  public:
    explicit MemoryProfile(uint32_t port = 3) : port_(port) {}
    uint32_t com_port() const override { return port_; }
    void set_com_port(uint32_t port) override { port_ = port; }
    std::map<uint32_t, std::string> port_devices() const override { return devices_; }
    void set_port_device(uint32_t port, const std::string &device) override {
        devices_[port] = device;
    }

  private:
    uint32_t port_;
    std::map<uint32_t, std::string> devices_;
};

}  // namespace zemlo::app
