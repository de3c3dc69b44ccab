#include "mission_document.h"

#include "file_names.h"
#include "skirmish_file.h"
#include "skirmish_layout.h"
#include "team_colours.h"

#include <QUndoStack>
#include <filesystem>
#include <tuple>
#include <utility>
#include <variant>

namespace document {

namespace {

// The most steps the history keeps; beyond it the oldest go.
constexpr int kHistoryLimit = 1000;
// What the steps of a field typed into share, so that the history offers them to each other.
constexpr int kTypingStepId = 1;

// The name's bytes as the system gave them, also where they are not UTF-8.
std::filesystem::path ToPath(const QString& fileName) {
    return files::PathFromName(fileName.toStdU16String());
}

} // namespace

// The mission's records outside the flight groups, one of each part of the mission that is no
// flight group's: what one step of the history changes when it changes no flight group.
auto Records(const mission::TMission& mission) {
    return std::apply(
        [&](const auto&... part) {
            const auto record = [&](const auto& p) {
                if constexpr (mission::layout::kEachGroup<decltype(p.record)>)
                    return std::tuple<>();
                else
                    return std::tuple(mission.*(p.record));
            };
            return std::tuple_cat(record(part)...);
        },
        mission::layout::kParts);
}
using TRecords = decltype(Records(std::declval<const mission::TMission&>()));

// Puts the records back, but the mission name, which every save sets from the file name.
void PutRecords(mission::TMission& mission, const TRecords& records) {
    const auto name = mission.Header.MissionName;
    std::apply(
        [&](const auto&... record) {
            ((mission.*(mission::layout::PartOf<std::remove_cvref_t<decltype(record)>>().record) = record),
             ...);
        },
        records);
    mission.Header.MissionName = name;
}

// One change to the document: the records it changed as they stood before and after it. Doing it
// the first time is redo() as well.
class TMissionDocument::TEditStep : public QUndoCommand {
public:
    struct TSlotState {
        int Slot = 0;
        mission::TFlightGroup Group;
    };
    using TState = std::variant<TSlotState, TRecords>;

    TEditStep(TMissionDocument& document, TState before, TState after, const void* typedField)
        : document_(document), before_(std::move(before)), after_(std::move(after)), typedField_(typedField),
          typingRun_(document.typingRun_) {}

    int id() const override { return typedField_ ? kTypingStepId : -1; }

    // Keystrokes in one field, of one slot, in one run of typing make one step.
    bool mergeWith(const QUndoCommand* other) override {
        const auto& next = static_cast<const TEditStep&>(*other);
        if (next.typedField_ != typedField_ || next.typingRun_ != typingRun_ ||
            next.after_.index() != after_.index())
            return false;
        const auto* slot = std::get_if<TSlotState>(&after_);
        if (slot && std::get<TSlotState>(next.after_).Slot != slot->Slot)
            return false;
        after_ = next.after_;
        return true;
    }

    void redo() override { Apply(after_); }
    void undo() override { Apply(before_); }

private:
    void Apply(const TState& state) {
        mission::TMission& mission = document_.mission_;
        if (const auto* slot = std::get_if<TSlotState>(&state))
            mission.FlightGroups[static_cast<std::size_t>(slot->Slot)] = slot->Group;
        else
            PutRecords(mission, std::get<TRecords>(state));
        AssignTeamColours(mission);
        if (const auto* slot = std::get_if<TSlotState>(&state))
            emit document_.SlotChanged(slot->Slot);
        else
            emit document_.RecordsChanged();
    }

    TMissionDocument& document_;
    TState before_;
    TState after_;
    const void* typedField_;
    int typingRun_;
};

TMissionDocument::TMissionDocument(QObject* parent)
    : QObject(parent), fileName_(kUnnamed), history_(new QUndoStack(this)) {
    history_->setUndoLimit(kHistoryLimit);
    connect(history_, &QUndoStack::cleanChanged, this, [this](bool clean) { emit ModifiedChanged(!clean); });
    mission::NewMission(mission_);
    AssignTeamColours(mission_);
}

TMissionDocument::~TMissionDocument() {
    // The history goes first, quietly: nobody listens to a document being destroyed.
    history_->disconnect(this);
}

bool TMissionDocument::Modified() const {
    return !history_->isClean();
}

void TMissionDocument::EditSlot(int slot, const mission::TFlightGroup& after, const void* typedField) {
    TEditStep::TSlotState before{slot, mission_.FlightGroups[static_cast<std::size_t>(slot)]};
    history_->push(new TEditStep(*this, std::move(before), TEditStep::TSlotState{slot, after}, typedField));
}

void TMissionDocument::EditRecords(const mission::TMission& after, const void* typedField) {
    history_->push(new TEditStep(*this, Records(mission_), Records(after), typedField));
}

void TMissionDocument::Undo() {
    EndTypingRun();
    history_->undo();
}

void TMissionDocument::Redo() {
    EndTypingRun();
    history_->redo();
}

void TMissionDocument::SetListText(int slot, std::string text) {
    mission_.FlightGroups[static_cast<std::size_t>(slot)].ListText = std::move(text);
}

void TMissionDocument::Replace(const mission::TMission& mission, const QString& fileName,
                               const files::FileStamp& stamp) {
    mission_ = mission;
    AssignTeamColours(mission_);
    fileName_ = fileName;
    stamp_ = stamp;
    history_->clear();
    // clear() leaves the clean point alone when the history is already empty, as after Recover.
    history_->setClean();
    emit FileNameChanged();
}

void TMissionDocument::New() {
    mission::TMission fresh = mission_;
    mission::NewMission(fresh);
    Replace(fresh, kUnnamed, {});
}

std::uintmax_t TMissionDocument::Open(const QString& path) {
    mission::TMission opened = mission_;
    files::FileStamp stamp;
    const std::uintmax_t length = mission::LoadMission(opened, ToPath(path), &stamp);
    Replace(opened, path, stamp);
    return length;
}

void TMissionDocument::OpenUnnamed(std::span<const std::uint8_t> image) {
    mission::TMission opened = mission_;
    mission::DecodeMission(opened, image);
    Replace(opened, kUnnamed, {});
}

TMissionDocument::TSaveOutcome TMissionDocument::Save(const std::function<bool()>& mayOverwriteChange) {
    if (files::ChangedSince(ToPath(fileName_), stamp_) && !mayOverwriteChange())
        return TSaveOutcome::Cancelled;
    SaveTo(fileName_);
    history_->setClean();
    return TSaveOutcome::Saved;
}

// Every save sets the mission name from the file name; a save that fails leaves the document as it
// was, name and all.
void TMissionDocument::SaveTo(const QString& path) {
    mission::TMission saved = mission_;
    stamp_ = mission::SaveMission(saved, ToPath(path));
    mission_.Header = saved.Header;
}

void TMissionDocument::SaveAs(const QString& path) {
    // The file name changes only once the file is saved, so a failed Save As leaves the document
    // named as it was.
    SaveTo(path);
    fileName_ = path;
    history_->setClean();
    emit FileNameChanged();
}

void TMissionDocument::Recover(const mission::TMission& mission, const QString& fileName,
                               const files::FileStamp& stamp) {
    Replace(mission, fileName, stamp);
    // No point of the new history is the file's.
    history_->resetClean();
}

void TMissionDocument::Close() {
    emit Closed();
}

} // namespace document
