// What loading or saving a file reports: the error's text, or "no error".
#pragma once

#include "skirmish_file.h"

#include <filesystem>
#include <string>

namespace testsupport {

inline std::string LoadError(const std::filesystem::path& path) {
    mission::TMission m;
    try {
        mission::LoadMission(m, path);
    } catch (const mission::EInOutError& e) {
        return e.what();
    }
    return "no error";
}

// Saves a new mission.
inline std::string SaveError(const std::filesystem::path& path) {
    mission::TMission m;
    mission::NewMission(m);
    try {
        mission::SaveMission(m, path);
    } catch (const mission::EInOutError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace testsupport
