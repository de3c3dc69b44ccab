// libFuzzer target: any text read as a link's mission either gives a mission whose own link reads
// back to the same bytes, or is refused with the link's error; nothing is read past its end.
#include "mission_link.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    mission::TSkirmishImage image;
    try {
        image = mission::ImageFromLinkText(text);
    } catch (const mission::ELinkError&) {
        return 0;
    }
    if (mission::ImageFromLinkText(mission::LinkText(image)) != image)
        std::abort();
    return 0;
}
