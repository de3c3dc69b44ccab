// File names as the system gives them against the UTF-16 text the window shows. On Linux a name is
// any bytes, not always UTF-8: a byte that is no part of a UTF-8 character is carried in the text
// as a lone low surrogate, U+DC80 to U+DCFF (the way Python keeps such bytes), so that the name
// leads back to the same file. Standard C++ only.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace files {

// The text of a name from the system: UTF-8 decoded, every other byte kept as U+DC00 + byte.
std::u16string NameFromSystem(std::string_view bytes);

// The path a text names, the kept bytes put back; on Windows the text is the name itself.
std::filesystem::path PathFromName(std::u16string_view name);

// The text of a path's name, as NameFromSystem makes it (on Windows the name itself).
std::u16string NameFromPath(const std::filesystem::path& path);

// The name made absolute against the working folder, "." and ".." taken out.
std::u16string AbsoluteName(std::u16string_view name);

} // namespace files
