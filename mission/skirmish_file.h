// The skirmish file: its fixed 5192-byte layout, the reader and the writer.
#pragma once

#include "errors.h"
#include "file_system.h"
#include "mission_model.h"
#include "skirmish_layout.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace mission {

// Where each block starts, in the order kFileBlocks names them (the names sixth), and last
// the file's length, added up from the fields the layout lists. The file as the game has always
// stored it: a field list that drifts fails the build here.
inline constexpr auto kBlockOffsets = layout::BlockOffsets();
static_assert(kBlockOffsets == std::array<std::size_t, 8>{0, 72, 392, 4808, 4828, 4868, 5188, 5192});
inline constexpr std::size_t kNamesOffset = kBlockOffsets[5];
inline constexpr std::size_t kSkirmishFileSize = kBlockOffsets.back();
// The stored size of one flight group's head.
inline constexpr std::size_t kHeadSize = layout::StoredSize(layout::kHeadFields);
static_assert(kHeadSize == 20);

using TSkirmishImage = std::array<std::uint8_t, kSkirmishFileSize>;
using THeadImage = std::array<std::uint8_t, kHeadSize>;

// The head of a flight group as the 20 bytes the file stores.
THeadImage EncodeHead(const TFlightGroup& group);

// The file image of a mission, every block in file order.
TSkirmishImage EncodeMission(const TMission& mission);

// Fills the stored fields of a mission from the bytes of a file. A short file is read as far
// as it goes and every byte past its end reads as zero; bytes after 5192 are ignored. The
// in-memory members Colour and ListText are left as they were.
void DecodeMission(TMission& mission, std::span<const std::uint8_t> bytes);

// The mission name stored for a file name: the name without its folder, less its last four
// characters, in 8-bit text, cut to 64 bytes and zero-padded.
std::array<std::uint8_t, kMissionNameSize> MissionNameFromPath(const std::filesystem::path& path);

// Reads a regular file into the mission; a read-only file is read as well. Returns the file's
// length, which may differ from 5192: the caller can tell the user what the next save will do
// with it. With stamp, also tells which file was read and how it was then, so that a later save
// can see whether another program has changed it since. Raises EInOutError.
std::uintmax_t LoadMission(TMission& mission, const std::filesystem::path& path,
                           files::FileStamp* stamp = nullptr);

// Sets MissionName from the path and replaces the file with the mission's 5192 bytes. The file
// is written beside the target first and moved over it only once complete, so a failed save
// leaves the previous file as it was; what the file had besides its bytes (mode, owner and group,
// ACL, extended attributes, its other names) stays with it. Returns the saved file's stamp.
// Raises EInOutError.
files::FileStamp SaveMission(TMission& mission, const std::filesystem::path& path);

// Replaces the file with the mission's 5192 bytes as they stand, MissionName included, as safely
// as SaveMission does: for tools that hand back exactly the bytes a file held. Raises EInOutError.
files::FileStamp SaveMissionImage(const TMission& mission, const std::filesystem::path& path);

} // namespace mission
