// The install path from the Windows registry.
#include "install_path.h"

#include "ansi_text.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>
#include <windows.h>

namespace platform {

namespace {

// Registry names and values are UTF-16, which is what wchar_t holds on Windows.
std::wstring Wide(std::string_view utf8) {
    const std::u16string units = text::Utf8ToUnicode(utf8);
    return std::wstring(units.begin(), units.end());
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
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(kInstallKey).c_str(), 0, KEY_READ | KEY_WOW64_32KEY,
                        &opened) != ERROR_SUCCESS)
        return {};
    const KeyHandle key(opened);
    const std::wstring valueName = Wide(kInstallValue);

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
    return text::UnicodeToUtf8(std::u16string(text.begin(), text.end()));
}

std::string SkirmishFolder(const std::string& installPath) {
    return installPath + "\\Skirmish";
}

} // namespace platform
