// The open mission as a document: its records, the file it belongs to, and the history of the
// user's changes to it. Windows show it and turn their controls' edits into its edits; it says what
// changed through its signals and knows nothing of any window.
#pragma once

#include "file_system.h"
#include "mission_model.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

class QUndoStack;

namespace document {

// The file name of a document never saved.
inline constexpr char kUnnamed[] = "Unnamed";

class TMissionDocument : public QObject {
    Q_OBJECT
public:
    explicit TMissionDocument(QObject* parent = nullptr);
    ~TMissionDocument() override;

    // The records, with every flight group in its team's colour.
    const mission::TMission& Mission() const { return mission_; }
    // The path of the file the document belongs to, or kUnnamed.
    const QString& FileName() const { return fileName_; }
    bool HasFile() const { return fileName_ != QLatin1StringView(kUnnamed); }
    // The file as this document last read or wrote it.
    const files::FileStamp& Stamp() const { return stamp_; }
    // Whether the history stands away from the point last saved, or where New or Open started it.
    bool Modified() const;

    // Every change to the records is one step on the history, which holds what it changed as it
    // stood before and after. A step for a field being typed into names the field (by any pointer
    // that stands for it), and merges with that field's previous step in the same run of typing.
    void EditSlot(int slot, const mission::TFlightGroup& after, const void* typedField = nullptr);
    // Sets the records outside the flight groups as after holds them, but the mission name, which
    // every save sets from the file name; after's flight groups are not looked at.
    void EditRecords(const mission::TMission& after, const void* typedField = nullptr);
    // Ends the run of typing: the next keystroke in a field starts a step of its own.
    void EndTypingRun() { ++typingRun_; }
    void Undo();
    void Redo();

    // The line the flight group list shows for a slot; kept with the slot, never stored in a file.
    void SetListText(int slot, std::string text);

    // A new default mission, belonging to no file, with a new history.
    void New();
    // Reads a file into the document; only a file read without error replaces it. Returns the
    // file's length, which may differ from a skirmish file's. Raises the file layer's errors.
    std::uintmax_t Open(const QString& path);
    // A mission that belongs to no file, as a link carries it: unmodified, with a new history.
    void OpenUnnamed(std::span<const std::uint8_t> image);
    enum class TSaveOutcome { Saved, Cancelled };
    // Saves the document to its file (it must have one). When another program has changed or removed
    // the file since it was opened or last saved here, mayOverwriteChange is asked first; when it
    // says no, nothing is written and the save counts as cancelled.
    TSaveOutcome Save(const std::function<bool()>& mayOverwriteChange);
    // Saves to another file, which the document then belongs to.
    void SaveAs(const QString& path);
    // Takes back work that was not saved: the records, belonging to the file as it was then, and
    // modified, with a new history.
    void Recover(const mission::TMission& mission, const QString& fileName, const files::FileStamp& stamp);
    // The document is closed: whatever it holds unsaved is let go.
    void Close();

signals:
    // A step changed one flight group slot, or the records outside the flight groups (done, undone or
    // redone).
    void SlotChanged(int slot);
    void RecordsChanged();
    void FileNameChanged();
    void ModifiedChanged(bool modified);
    void Closed();

private:
    class TEditStep;
    // The whole document, with a new history.
    void Replace(const mission::TMission& mission, const QString& fileName, const files::FileStamp& stamp);
    void SaveTo(const QString& path);

    mission::TMission mission_;
    QString fileName_;
    // The file as this document last read or wrote it, so that Save can tell when another program
    // has changed it since; it speaks for fileName_ whenever the document has a file.
    files::FileStamp stamp_;
    QUndoStack* history_ = nullptr;
    int typingRun_ = 0;
};

} // namespace document
