// Keeps a copy of a document's unsaved work in a recovery folder: written at most a short delay
// after a change (a burst of typing makes one write), on a thread of its own so that no flush
// holds up the window, and removed as soon as there is nothing unsaved. Where the program has no
// threads (the browser's page), the copy is written on the window's thread instead.
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
    // Where the copy is written.
    enum class TWriter { OwnThread, WindowThread };
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    static constexpr TWriter kWriter = TWriter::WindowThread;
#else
    static constexpr TWriter kWriter = TWriter::OwnThread;
#endif

    TRecoveryKeeper(const TMissionDocument& document, TRecoveryFolder& folder,
                    std::chrono::milliseconds delay = kDelay, TWriter writer = kWriter);
    // Finishes what was asked of the writer. A copy of work still unsaved stays, to be offered.
    ~TRecoveryKeeper() override;

    // Brings the copy in line with the document at once and waits for it: written while there is
    // unsaved work, removed when there is none. Before the program ends without its window's say
    // (a signal, the session's end), and before a recovered copy goes. False when the copy could
    // not be written and read back.
    bool KeepNow();
    // Waits until the writer has done what it was asked.
    void Settle();

signals:
    // The copy could not be kept, after it could: the text tells the user where and why. Said once
    // until a copy has been kept again.
    void KeepingFailed(const QString& text);

private:
    // A copy to write, or (nothing) the copy to remove.
    using TRequest = std::optional<TRecoveryCopy>;
    // Asks for a copy of the document as it is now (keep), or for the copy's removal.
    void Ask(bool keep);
    void WriterLoop();
    // Writes or removes the copy; the system's reason when it could not.
    QString Carry(const TRequest& request);
    // Whether the last request was carried out; the user is told when that changes to no.
    void Report(const QString& failure);

    const TMissionDocument& document_;
    TRecoveryFolder& folder_;
    QTimer timer_;

    // The writer carries out one request at a time, always the newest asked, so an older copy
    // never replaces a newer one.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<TRequest> pending_;
    bool busy_ = false;
    bool stopping_ = false;
    bool kept_ = true; // whether the last request was carried out
    std::thread writer_; // none where the window's thread writes
};

} // namespace document
