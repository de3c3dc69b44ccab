// libFuzzer target for quarnel-skm's JSON form. The first 5192 bytes of any input (zeros after a
// short one), read as a mission, exported and imported again, must come back byte for byte; and
// the whole input, read as JSON, must either be refused with an error or give a mission whose
// export imports to the same mission.
#include "mission_json.h"
#include "mission_model.h"
#include "skirmish_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_skm_json: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    mission::TSkirmishImage image{};
    std::copy_n(data, std::min(size, image.size()), image.begin());
    mission::TMission fromFile;
    mission::DecodeMission(fromFile, image);
    try {
        const mission::TMission back = skm::ImportJson(skm::ExportJson(fromFile));
        Require(mission::EncodeMission(back) == image, "export then import changed the mission's bytes");
    } catch (const skm::EJsonError& error) {
        std::fprintf(stderr, "fuzz_skm_json: %s\n", error.what());
        Require(false, "import refused an export");
    }

    mission::TMission fromJson;
    try {
        fromJson = skm::ImportJson(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const skm::EJsonError&) {
        return 0; // refused with a message: what bad JSON should get
    }
    Require(mission::EncodeMission(skm::ImportJson(skm::ExportJson(fromJson))) ==
                mission::EncodeMission(fromJson),
            "an imported mission does not survive export and import");
    return 0;
}
