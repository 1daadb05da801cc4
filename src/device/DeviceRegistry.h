// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Finding the instrument's port: the device registry as the program reads it, a reader
// over Linux's sysfs, the system's reader, a reader that names a given port, and the look-up itself.

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Key of the instrument: USB vendor 10C4, product EA60, instance "KOLiX-Spektrometer_KX207".
extern const char* const DeviceKeyPath;
// The sub-key that holds "PortName".
extern const char* const DeviceParametersKey;
extern const char* const HKEY_LOCAL_MACHINE_NAME;

// Raised by ReadString for a stored value of another type: "Ungültiger Datentyp für 'PortName'".
class ERegistryException : public std::runtime_error {
public:
    explicit ERegistryException(const std::string& valueName);
};

// The four registry operations the discovery needs, under one root key.
class TRegistryReader {
public:
    virtual ~TRegistryReader() = default;

    const std::string& RootKey() const { return rootKey_; }
    void SetRootKey(const std::string& value) { rootKey_ = value; }
    // Whether the key exists below the root (key names compare case-insensitively).
    virtual bool KeyExists(const std::string& key) = 0;
    // Makes an existing key the current one; false when it does not exist. Keys are never created.
    virtual bool OpenKey(const std::string& key, bool canCreate = false);
    // A text value of the current key; "" when absent or unreadable; ERegistryException for a
    // value of another type.
    virtual std::string ReadString(const std::string& valueName) = 0;

protected:
    // Whether the current key is the instrument's parameters key, the one that holds "PortName".
    bool ParametersKeyOpen() const { return parametersKeyOpen_; }

private:
    std::string rootKey_ = HKEY_LOCAL_MACHINE_NAME;
    bool parametersKeyOpen_ = false;
};

// The registry over sysfs: the instrument's keys exist while a USB device with its vendor, product
// and serial is present, and "PortName" is "/dev/" + the tty bound to one of its interfaces, or ""
// when none is bound.
class TSysfsRegistry : public TRegistryReader {
public:
    explicit TSysfsRegistry(std::string sysRoot = "/sys");

    bool KeyExists(const std::string& key) override;
    std::string ReadString(const std::string& valueName) override;

private:
    // The instrument's USB device folders under the root, in name order.
    std::vector<std::string> InstrumentDevices() const;
    // "/dev/" + the first tty bound to an interface of the instrument, or "".
    std::string BoundPortName() const;

    std::string sysRoot_;
};

// A registry in which the instrument's key holds a port chosen by its creator, or is absent: points
// the program at the simulator, and lets tests stage every outcome.
class TFixedPortRegistry : public TRegistryReader {
public:
    // `portName` absent: no instrument key. `portNameIsText` false: "PortName" holds another type.
    explicit TFixedPortRegistry(std::optional<std::string> portName, bool portNameIsText = true);

    bool KeyExists(const std::string& key) override;
    std::string ReadString(const std::string& valueName) override;

private:
    std::optional<std::string> portName_;
    bool portNameIsText_;
};

// The system's own view of the instrument's keys: the sysfs reader on Linux, the registry itself on
// Windows.
std::unique_ptr<TRegistryReader> CreateSystemRegistry();

// The look-up at start: the instrument's "PortName" (possibly ""), or nothing when its
// key does not exist. Raises ERegistryException when "PortName" is not text.
std::optional<std::string> LookUpInstrumentPort(TRegistryReader& registry);
