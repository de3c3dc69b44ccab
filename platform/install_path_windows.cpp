// The install path from the Windows registry.
#include "install_path.h"

#include <cstring>
#include <cwchar>
#include <vector>
#include <windows.h>

namespace platform {

namespace {

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int size =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size, nullptr,
                          nullptr);
    return utf8;
}

class KeyHandle {
public:
    explicit KeyHandle(HKEY key) : key_(key) {}
    ~KeyHandle() { ::RegCloseKey(key_); }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_;
};

} // namespace

std::string ReadInstallPath() {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(kInstallKey).c_str(), 0, KEY_READ | KEY_WOW64_32KEY,
                        &opened) != ERROR_SUCCESS)
        return {};
    const KeyHandle key(opened);
    const std::wstring valueName = Widen(kInstallValue);

    // The value may grow between asking for its size and reading it; ask again then.
    std::vector<BYTE> data(MAX_PATH * sizeof(wchar_t));
    DWORD type = REG_NONE;
    LSTATUS status = ERROR_MORE_DATA;
    DWORD size = 0;
    for (int attempt = 0; attempt < 8 && status == ERROR_MORE_DATA; ++attempt) {
        size = static_cast<DWORD>(data.size());
        status = ::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA)
            data.resize(size + sizeof(wchar_t));
    }
    if (status != ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryError(kInstallValue);

    // Nothing promises a terminating zero, nor an even byte count: take the whole characters
    // stored, up to the first zero.
    std::wstring text(size / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    return Narrow(text);
}

std::string SkirmishFolder(const std::string& installPath) {
    return installPath + "\\Skirmish";
}

} // namespace platform
