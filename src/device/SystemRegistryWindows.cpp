// SPDX-License-Identifier: GPL-3.0-or-later
// On Windows the instrument's keys are the registry's own, written by the USB bridge's driver.
#include "device/DeviceRegistry.h"

#include <windows.h>

namespace {

std::wstring Wide(const std::string& text) {
    std::wstring wide(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0)),
                      L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    wide.resize(wide.empty() ? 0 : wide.size() - 1);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    std::string text(
        static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr)),
        '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), static_cast<int>(text.size()), nullptr,
                        nullptr);
    text.resize(text.empty() ? 0 : text.size() - 1);
    return text;
}

HKEY RootHandle(const std::string& name) {
    static const struct {
        const char* name;
        HKEY key;
    } roots[] = {{"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                 {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                 {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                 {"HKEY_USERS", HKEY_USERS},
                 {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}};
    for (const auto& root : roots)
        if (lstrcmpiA(root.name, name.c_str()) == 0) return root.key;
    return nullptr;
}

std::wstring SubKey(const std::string& key) {
    return Wide(!key.empty() && key.front() == '\\' ? key.substr(1) : key);
}

class TWindowsRegistry : public TRegistryReader {
public:
    ~TWindowsRegistry() override { CloseCurrent(); }

    bool KeyExists(const std::string& key) override {
        HKEY opened = nullptr;
        if (!Open(key, opened)) return false;
        RegCloseKey(opened);
        return true;
    }

    bool OpenKey(const std::string& key, bool canCreate) override {
        TRegistryReader::OpenKey(key, canCreate);
        HKEY opened = nullptr;
        if (!Open(key, opened)) return false;
        CloseCurrent();
        current_ = opened;
        return true;
    }

    std::string ReadString(const std::string& valueName) override {
        if (!current_) return {};
        const std::wstring name = Wide(valueName);
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(current_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return {};
        if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryException(valueName);
        std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        if (RegQueryValueExW(current_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                             &size) != ERROR_SUCCESS)
            return {};
        // A stored text need not end in a null character.
        value.resize(size / sizeof(wchar_t));
        while (!value.empty() && value.back() == L'\0')
            value.pop_back();
        return Utf8(value);
    }

private:
    bool Open(const std::string& key, HKEY& opened) const {
        const HKEY root = RootHandle(RootKey());
        return root && RegOpenKeyExW(root, SubKey(key).c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS;
    }

    void CloseCurrent() {
        if (current_) RegCloseKey(current_);
        current_ = nullptr;
    }

    HKEY current_ = nullptr;
};

} // namespace

std::unique_ptr<TRegistryReader> CreateSystemRegistry() {
    return std::make_unique<TWindowsRegistry>();
}
