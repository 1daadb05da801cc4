// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DeviceRegistry.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

const char* const DeviceKeyPath =
    "SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10c4&Pid_ea60\\KOLiX-Spektrometer_KX207";
const char* const DeviceParametersKey = "\\Device Parameters";
const char* const HKEY_LOCAL_MACHINE_NAME = "HKEY_LOCAL_MACHINE";

namespace {

const char* const PortNameValue = "PortName";
const char* const InstrumentVendor = "10c4";
const char* const InstrumentProduct = "ea60";
const char* const InstrumentSerial = "KOLiX-Spektrometer_KX207";

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

enum class DeviceKey { None, Device, Parameters };

// Which of the instrument's two keys `key` names, below the root `rootKey`.
DeviceKey InstrumentKey(const std::string& rootKey, const std::string& key) {
    if (!SameText(rootKey, HKEY_LOCAL_MACHINE_NAME)) return DeviceKey::None;
    const std::string path = !key.empty() && key.front() == '\\' ? key.substr(1) : key;
    if (SameText(path, DeviceKeyPath)) return DeviceKey::Device;
    if (SameText(path, std::string(DeviceKeyPath) + DeviceParametersKey)) return DeviceKey::Parameters;
    return DeviceKey::None;
}

// First line of a sysfs attribute file, without its line end; "" when unreadable.
std::string Attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
        line.pop_back();
    return line;
}

std::vector<fs::path> SortedEntries(const fs::path& folder) {
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        entries.push_back(it->path());
    std::sort(entries.begin(), entries.end());
    return entries;
}

bool IsTtyName(const std::string& name) {
    return name.size() > 3 && name.compare(0, 3, "tty") == 0;
}

// The tty bound to a USB interface: a usb-serial driver puts it directly below the interface
// (".../1-1:1.0/ttyUSB0"), an ACM driver below a "tty" class folder (".../1-1:1.0/tty/ttyACM0").
std::string InterfaceTty(const fs::path& interface) {
    for (const fs::path& entry : SortedEntries(interface)) {
        const std::string name = entry.filename().string();
        if (IsTtyName(name)) return name;
        if (name == "tty")
            for (const fs::path& tty : SortedEntries(entry))
                if (IsTtyName(tty.filename().string())) return tty.filename().string();
    }
    return {};
}

} // namespace

ERegistryException::ERegistryException(const std::string& valueName)
    : std::runtime_error("Ungültiger Datentyp für '" + valueName + "'") {}

bool TRegistryReader::OpenKey(const std::string& key, bool) {
    const bool exists = KeyExists(key);
    parametersKeyOpen_ = exists && InstrumentKey(rootKey_, key) == DeviceKey::Parameters;
    return exists;
}

TSysfsRegistry::TSysfsRegistry(std::string sysRoot) : sysRoot_(std::move(sysRoot)) {}

bool TSysfsRegistry::KeyExists(const std::string& key) {
    return InstrumentKey(RootKey(), key) != DeviceKey::None && !InstrumentDevices().empty();
}

std::string TSysfsRegistry::ReadString(const std::string& valueName) {
    if (!ParametersKeyOpen() || !SameText(valueName, PortNameValue)) return {};
    return BoundPortName();
}

std::vector<std::string> TSysfsRegistry::InstrumentDevices() const {
    std::vector<std::string> devices;
    for (const fs::path& device : SortedEntries(fs::path(sysRoot_) / "bus" / "usb" / "devices"))
        if (SameText(Attribute(device / "idVendor"), InstrumentVendor) &&
            SameText(Attribute(device / "idProduct"), InstrumentProduct) &&
            SameText(Attribute(device / "serial"), InstrumentSerial))
            devices.push_back(device.string());
    return devices;
}

std::string TSysfsRegistry::BoundPortName() const {
    for (const std::string& device : InstrumentDevices()) {
        // Interfaces of device "1-1" are its sub-folders "1-1:1.0", "1-1:1.1", ...
        const std::string interfacePrefix = fs::path(device).filename().string() + ":";
        for (const fs::path& entry : SortedEntries(device))
            if (entry.filename().string().compare(0, interfacePrefix.size(), interfacePrefix) == 0) {
                const std::string tty = InterfaceTty(entry);
                if (!tty.empty()) return "/dev/" + tty;
            }
    }
    return {};
}

TFixedPortRegistry::TFixedPortRegistry(std::optional<std::string> portName, bool portNameIsText)
    : portName_(std::move(portName)), portNameIsText_(portNameIsText) {}

bool TFixedPortRegistry::KeyExists(const std::string& key) {
    return portName_ && InstrumentKey(RootKey(), key) != DeviceKey::None;
}

std::string TFixedPortRegistry::ReadString(const std::string& valueName) {
    if (!ParametersKeyOpen() || !SameText(valueName, PortNameValue)) return {};
    if (!portNameIsText_) throw ERegistryException(PortNameValue);
    return *portName_;
}

std::optional<std::string> LookUpInstrumentPort(TRegistryReader& registry) {
    registry.SetRootKey(HKEY_LOCAL_MACHINE_NAME);
    const std::string key = std::string(DeviceKeyPath) + DeviceParametersKey;
    if (!registry.KeyExists(key)) return std::nullopt;
    registry.OpenKey(key, false);
    return registry.ReadString(PortNameValue);
}
