// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the instrument's port in fake sysfs trees and in the fixed-port registry.
#include "device/DeviceRegistry.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

const std::string ParametersKey = std::string(DeviceKeyPath) + DeviceParametersKey;

// A USB device folder with the three identity files below bus/usb/devices.
fs::path AddUsbDevice(const TempFolder& sys, const std::string& name, const std::string& vendor,
                      const std::string& product, const std::string& serial) {
    const fs::path device = fs::path(sys.Path()) / "bus" / "usb" / "devices" / name;
    fs::create_directories(device);
    TempFolder::Write((device / "idVendor").string(), vendor + "\n");
    TempFolder::Write((device / "idProduct").string(), product + "\n");
    TempFolder::Write((device / "serial").string(), serial + "\n");
    return device;
}

fs::path AddInstrument(const TempFolder& sys, const std::string& name = "1-1") {
    return AddUsbDevice(sys, name, "10c4", "ea60", "KOLiX-Spektrometer_KX207");
}

} // namespace

TEST(DeviceRegistry, KeyNames) {
    EXPECT_STREQ(DeviceKeyPath,
                 "SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10c4&Pid_ea60\\KOLiX-Spektrometer_KX207");
    EXPECT_STREQ(DeviceParametersKey, "\\Device Parameters");
}

TEST(DeviceRegistry, InstrumentWithUsbSerialTtyNamesItsPort) {
    TempFolder sys;
    const fs::path device = AddInstrument(sys);
    fs::create_directories(device / "1-1:1.0" / "ttyUSB0" / "tty" / "ttyUSB0");
    TSysfsRegistry registry(sys.Path());
    EXPECT_EQ(LookUpInstrumentPort(registry), std::optional<std::string>("/dev/ttyUSB0"));
}

TEST(DeviceRegistry, InstrumentWithAcmTtyNamesItsPort) {
    TempFolder sys;
    const fs::path device = AddInstrument(sys, "3-2");
    fs::create_directories(device / "3-2:1.0");
    fs::create_directories(device / "3-2:1.1" / "tty" / "ttyACM1");
    TSysfsRegistry registry(sys.Path());
    EXPECT_EQ(LookUpInstrumentPort(registry), std::optional<std::string>("/dev/ttyACM1"));
}

TEST(DeviceRegistry, InstrumentWithoutTtyHasAnEmptyPortName) {
    TempFolder sys;
    const fs::path device = AddInstrument(sys);
    fs::create_directories(device / "1-1:1.0");
    TSysfsRegistry registry(sys.Path());
    EXPECT_EQ(LookUpInstrumentPort(registry), std::optional<std::string>(""));
}

TEST(DeviceRegistry, NoDeviceMeansNoKey) {
    TempFolder sys;
    TSysfsRegistry registry(sys.Path());
    EXPECT_EQ(LookUpInstrumentPort(registry), std::nullopt);
    AddUsbDevice(sys, "1-2", "1d6b", "0002", "0000:00:14.0");
    EXPECT_EQ(LookUpInstrumentPort(registry), std::nullopt);
}

TEST(DeviceRegistry, OtherVendorOrSerialIsNotTheInstrument) {
    TempFolder sys;
    fs::create_directories(AddUsbDevice(sys, "1-1", "10c5", "ea60", "KOLiX-Spektrometer_KX207") / "1-1:1.0" /
                           "ttyUSB0");
    fs::create_directories(AddUsbDevice(sys, "1-3", "10c4", "ea60", "0001") / "1-3:1.0" / "ttyUSB1");
    TSysfsRegistry registry(sys.Path());
    EXPECT_EQ(LookUpInstrumentPort(registry), std::nullopt);
}

TEST(DeviceRegistry, KeysCompareWithoutCaseAndOnlyUnderTheMachineRoot) {
    TempFolder sys;
    AddInstrument(sys);
    TSysfsRegistry registry(sys.Path());
    EXPECT_TRUE(registry.KeyExists(DeviceKeyPath));
    EXPECT_TRUE(registry.KeyExists("system\\currentcontrolset\\enum\\usb\\VID_10C4&PID_EA60\\"
                                   "kolix-spektrometer_kx207\\device parameters"));
    EXPECT_FALSE(registry.KeyExists("SYSTEM\\CurrentControlSet\\Enum\\USB"));
    registry.SetRootKey("HKEY_CURRENT_USER");
    EXPECT_FALSE(registry.KeyExists(ParametersKey));
}

TEST(DeviceRegistry, PortNameLivesOnlyInTheParametersKey) {
    TempFolder sys;
    fs::create_directories(AddInstrument(sys) / "1-1:1.0" / "ttyUSB3");
    TSysfsRegistry registry(sys.Path());
    EXPECT_EQ(registry.ReadString("PortName"), ""); // no key open
    EXPECT_TRUE(registry.OpenKey(DeviceKeyPath));
    EXPECT_EQ(registry.ReadString("PortName"), "");
    EXPECT_TRUE(registry.OpenKey(ParametersKey));
    EXPECT_EQ(registry.ReadString("PortName"), "/dev/ttyUSB3");
    EXPECT_EQ(registry.ReadString("Other"), "");
    EXPECT_FALSE(registry.OpenKey("SOFTWARE\\KX207"));
    EXPECT_EQ(registry.ReadString("PortName"), "");
}

TEST(DeviceRegistry, FixedPortRegistryStagesEveryOutcome) {
    TFixedPortRegistry present("/dev/pts/7");
    EXPECT_EQ(LookUpInstrumentPort(present), std::optional<std::string>("/dev/pts/7"));
    TFixedPortRegistry empty("");
    EXPECT_EQ(LookUpInstrumentPort(empty), std::optional<std::string>(""));
    TFixedPortRegistry absent(std::nullopt);
    EXPECT_EQ(LookUpInstrumentPort(absent), std::nullopt);
}

TEST(DeviceRegistry, PortNameOfAnotherTypeRaises) {
    TFixedPortRegistry registry("/dev/pts/7", false);
    try {
        LookUpInstrumentPort(registry);
        FAIL() << "no error";
    } catch (const ERegistryException& error) {
        EXPECT_STREQ(error.what(), "Ungültiger Datentyp für 'PortName'");
    }
}
