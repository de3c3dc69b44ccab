#include "recovery_keeper.h"

#include "user_error.h"

#include <cstdio>

namespace document {

TRecoveryKeeper::TRecoveryKeeper(const TMissionDocument& document, TRecoveryFolder& folder,
                                 std::chrono::milliseconds delay)
    : document_(document), folder_(folder), writer_([this] { WriterLoop(); }) {
    timer_.setSingleShot(true);
    timer_.setInterval(delay);
    // The first change of a burst starts the delay; the copy then holds every change made until it ends.
    const auto changed = [this] {
        if (document_.Modified() && !timer_.isActive())
            timer_.start();
    };
    connect(&document, &TMissionDocument::SlotChanged, this, changed);
    connect(&document, &TMissionDocument::RecordsChanged, this, changed);
    connect(&document, &TMissionDocument::FileNameChanged, this, changed);
    connect(&document, &TMissionDocument::ModifiedChanged, this, [this, changed](bool modified) {
        if (modified) {
            changed();
        } else {
            timer_.stop();
            Ask(std::nullopt);
        }
    });
    connect(&document, &TMissionDocument::Closed, this, [this] {
        timer_.stop();
        Ask(std::nullopt);
        Settle();
    });
    connect(&timer_, &QTimer::timeout, this, [this] {
        Ask(document_.Modified() ? TRequest(Snapshot()) : std::nullopt);
    });
}

TRecoveryKeeper::~TRecoveryKeeper() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    writer_.join();
}

TRecoveryCopy TRecoveryKeeper::Snapshot() const {
    return {document_.FileName().toStdString(), document_.Stamp(), mission::EncodeMission(document_.Mission())};
}

void TRecoveryKeeper::Ask(TRequest request) {
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(request);
    }
    wake_.notify_all();
}

void TRecoveryKeeper::Settle() {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return !pending_ && !busy_; });
}

bool TRecoveryKeeper::KeepNow() {
    timer_.stop();
    if (!document_.Modified())
        return true;
    const TRecoveryCopy copy = Snapshot();
    {
        std::lock_guard lock(mutex_);
        pending_.reset();
    }
    std::lock_guard io(ioMutex_);
    try {
        folder_.Write(copy);
        return true;
    } catch (const text::EUserError&) {
        return false;
    }
}

// Called with the folder's mutex held.
void TRecoveryKeeper::Carry(const TRequest& request) {
    try {
        if (request)
            folder_.Write(*request);
        else
            folder_.Remove();
    } catch (const text::EUserError& error) {
        // The editor goes on without a copy; saving still reports its own errors. Said once.
        if (!std::exchange(failureTold_, true))
            std::fprintf(stderr, "quarnel: the copy of unsaved work could not be kept: %s\n", error.what());
    }
}

void TRecoveryKeeper::WriterLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return pending_ || stopping_; });
        if (!pending_)
            return;
        const TRequest request = std::move(*pending_);
        pending_.reset();
        busy_ = true;
        lock.unlock();
        {
            std::lock_guard io(ioMutex_);
            Carry(request);
        }
        lock.lock();
        busy_ = false;
        wake_.notify_all();
    }
}

} // namespace document
