// The copies of unsaved work that editors keep in the user's state folder, so that work survives
// a crash, a kill or a power cut. Each running editor writes one copy, <id>.recovery, and holds
// <id>.hold for as long as it runs (the id is its process id and eight random letters); a copy
// whose editor is gone is what the next start offers back. Nothing else in the folder is touched.
#pragma once

#include "file_system.h"
#include "held_file.h"
#include "skirmish_file.h"

#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace document {

// What a copy holds: the document's bytes, the file it belongs to, and that file's stamp.
struct TRecoveryCopy {
    std::filesystem::path File; // as the system names it; empty for a document without a file
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

// A copy whose editor is gone, as the folder lists it; read only when asked.
struct TLeftCopy {
    std::filesystem::path Path;
    std::filesystem::file_time_type Written;
};

class TRecoveryFolder {
public:
    explicit TRecoveryFolder(std::filesystem::path folder);
    // With no copy left, lets go of this editor's name, and removes the folders it made when
    // nothing else is in them. A copy of work still unsaved stays, to be offered.
    ~TRecoveryFolder();
    TRecoveryFolder(const TRecoveryFolder&) = delete;
    TRecoveryFolder& operator=(const TRecoveryFolder&) = delete;

    const std::filesystem::path& Folder() const { return folder_; }
    // This editor's copy, written as a save writes (a temporary, flushed, renamed over the old
    // copy) for the user alone, and read back. Makes the folder when needed. Raises EInOutError.
    void Write(const TRecoveryCopy& copy);
    // Removes this editor's copy, when there is one.
    void Remove();

    // The copies whose editors are gone, newest first; never a running editor's, even one whose
    // hold was deleted. Holds nothing open. Names left without a copy are cleared on the way.
    std::vector<TLeftCopy> LeftCopies() const;
    // Whether the editor that wrote a copy is gone; nothing is made on the way.
    static bool EditorGone(const std::filesystem::path& copy);
    // Holds a left copy while it is recovered or discarded; nothing when its editor runs, or
    // another editor holds it now.
    static std::optional<files::HeldFile> Hold(const std::filesystem::path& copy);
    // The copy, or nothing when it cannot be read or is damaged.
    static std::optional<TRecoveryCopy> Read(const std::filesystem::path& copy);
    // Removes a held copy, then its hold.
    static void Discard(const std::filesystem::path& copy, files::HeldFile& hold);

private:
    std::filesystem::path folder_;
    std::string id_;
    std::optional<files::HeldFile> hold_;
    bool hasCopy_ = false;
    std::vector<std::filesystem::path> made_; // the folders this editor made, deepest first
};

} // namespace document
