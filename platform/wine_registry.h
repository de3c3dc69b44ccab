// Reading one value from the text registry that Wine keeps in a prefix's system.reg.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>

namespace platform::wine {

// What a registry file holds for one value.
struct RegistryValue {
    enum class State { Missing, String, NotAString };
    State Found = State::Missing;
    std::string Text; // UTF-8, up to the string's first zero; empty unless Found is String
    bool operator==(const RegistryValue&) const = default;
};

// Lines longer than this are skipped unread.
inline constexpr std::size_t kMaxRegistryLine = 64u << 10;

// How much one lookup may read, over all the files it reads together. A real system.reg holds a
// few megabytes in some ten thousand lines; these bounds are many times that, and small enough
// that the lookup takes a few hundredths of a second however many prefixes there are and
// whatever they hold.
struct ReadBudget {
    std::size_t Bytes = 32u << 20;
    std::size_t Lines = 1u << 20;
};

// Looks up valueName in the key (a path under HKEY_LOCAL_MACHINE such as "Software\Vendor\Game")
// in the text of a system.reg file. Key and value names match without regard to case, and a later
// assignment of the value wins over an earlier one, as when Wine loads the file. In a 64-bit
// prefix ("#arch=win64") a key under Software is looked up in the 32-bit view, Software\Wow6432Node,
// before the 64-bit one; the first view that holds the value decides.
//
// Strings ("...", str:"...", str(2):"..." and the same types stored as hex(1): or hex(2):
// UTF-16LE bytes) are String; every other type is NotAString. A text that is not a Wine registry,
// or a malformed line, yields nothing rather than an error. Reading stops where the budget runs
// out, and what was read is taken from it.
RegistryValue ReadRegistryValue(std::istream& in, std::string_view key, std::string_view valueName,
                                ReadBudget& budget);
RegistryValue ReadRegistryValue(std::istream& in, std::string_view key, std::string_view valueName);

// The same for a file; one that cannot be read, or is no regular file, holds nothing.
RegistryValue ReadRegistryFile(const std::filesystem::path& file, std::string_view key,
                               std::string_view valueName, ReadBudget& budget);
RegistryValue ReadRegistryFile(const std::filesystem::path& file, std::string_view key,
                               std::string_view valueName);

} // namespace platform::wine
