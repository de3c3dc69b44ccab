// Whether a file is still the one a stamp describes: the same on every system.
#include "file_system.h"

#include <vector>

namespace files {

bool ChangedSince(const std::filesystem::path& path, const FileStamp& stamp) {
    try {
        if (!stamp.Exists)
            return StampOf(path).Exists;
        // The bytes are read again also where nothing else differs: a mission is short, and they
        // tell what no time does.
        std::vector<std::uint8_t> content(stamp.Content.size());
        return ReadFilePrefix(path, content).Stamp != stamp;
    } catch (const EInOutError&) {
        return true;
    }
}

} // namespace files
