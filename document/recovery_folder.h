// The copies of unsaved work that editors keep in the user's state folder, so that work survives
// a crash, a kill or a power cut. Each running editor writes one copy under a name it holds for
// as long as it runs; a copy whose editor is gone is what the next start offers back.
#pragma once

#include "file_system.h"
#include "held_file.h"
#include "skirmish_file.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace document {

// What a copy holds: the document's bytes, the file it belongs to, and that file's stamp.
struct TRecoveryCopy {
    std::string FileName; // the file's path in UTF-8, or "Unnamed"
    files::FileStamp Stamp;
    mission::TSkirmishImage Image{};

    bool operator==(const TRecoveryCopy&) const = default;
};

// The copy as it is stored: a heading, the fields, and a checksum over all of them.
std::vector<std::uint8_t> EncodeRecoveryCopy(const TRecoveryCopy& copy);
// Nothing when the bytes are not a whole, undamaged copy.
std::optional<TRecoveryCopy> DecodeRecoveryCopy(std::span<const std::uint8_t> bytes);

// $XDG_STATE_HOME/quarnel (~/.local/state/quarnel when unset), the local application data folder's
// Quarnel on Windows; empty when the system names no such folder.
std::filesystem::path DefaultRecoveryFolder();

// A copy whose editor is gone, held while it is offered so that no other editor offers it too.
struct TLeftCopy {
    std::filesystem::path Path;
    std::optional<TRecoveryCopy> Copy; // nothing when it cannot be read or is damaged
    files::HeldFile Hold;
};

class TRecoveryFolder {
public:
    explicit TRecoveryFolder(std::filesystem::path folder);
    // Lets go of this editor's name; its copy, when there is one, stays to be offered.
    ~TRecoveryFolder();
    TRecoveryFolder(const TRecoveryFolder&) = delete;
    TRecoveryFolder& operator=(const TRecoveryFolder&) = delete;

    const std::filesystem::path& Folder() const { return folder_; }
    // This editor's copy, written as a save writes (a temporary, flushed, renamed over the old
    // copy), so that it is always whole. Makes the folder when needed. Raises EInOutError.
    void Write(const TRecoveryCopy& copy);
    // Removes this editor's copy, when there is one.
    void Remove();

    // The copies whose editors are gone, newest first, each held until it is discarded, set aside
    // or dropped; never a running editor's. Names left without a copy are cleared on the way.
    std::vector<TLeftCopy> LeftCopies();
    static void Discard(TLeftCopy& left);
    // Keeps a copy that cannot be read under a name that is never offered again; returns it.
    static std::filesystem::path SetAside(TLeftCopy& left);

private:
    std::filesystem::path CopyPath(const std::string& id) const;
    std::filesystem::path HoldPath(const std::string& id) const;

    std::filesystem::path folder_;
    std::string id_;
    std::optional<files::HeldFile> hold_;
    bool hasCopy_ = false;
};

} // namespace document
