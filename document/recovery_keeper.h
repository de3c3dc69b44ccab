// Keeps a copy of a document's unsaved work in a recovery folder: written at most a short delay
// after a change (a burst of typing makes one write), on a thread of its own so that no flush
// holds up the window, and removed as soon as there is nothing unsaved.
#pragma once

#include "mission_document.h"
#include "recovery_folder.h"

#include <QObject>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace document {

class TRecoveryKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kDelay{1000};

    TRecoveryKeeper(const TMissionDocument& document, TRecoveryFolder& folder,
                    std::chrono::milliseconds delay = kDelay);
    // Finishes what was asked of the writer. A copy of work still unsaved stays, to be offered.
    ~TRecoveryKeeper() override;

    // Writes the copy at once, on this thread, when there is unsaved work: before the program ends
    // without its window's say (a signal, the session's end). False when the copy could not be
    // written.
    bool KeepNow();
    // Waits until the writer has done what it was asked.
    void Settle();

private:
    // A copy to write, or (nothing) the copy to remove.
    using TRequest = std::optional<TRecoveryCopy>;
    TRecoveryCopy Snapshot() const;
    void Ask(TRequest request);
    void Carry(const TRequest& request);
    void WriterLoop();

    const TMissionDocument& document_;
    TRecoveryFolder& folder_;
    QTimer timer_;

    std::mutex ioMutex_; // guards the folder: one write or removal at a time
    std::mutex mutex_;   // guards what follows; never held while a file is written
    std::condition_variable wake_;
    std::optional<TRequest> pending_; // the newest request not yet carried out
    bool busy_ = false;
    bool stopping_ = false;
    bool failureTold_ = false; // the writer's own
    std::thread writer_;
};

} // namespace document
