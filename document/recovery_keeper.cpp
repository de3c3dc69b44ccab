#include "recovery_keeper.h"

#include "file_names.h"

#include <system_error>

namespace document {

TRecoveryKeeper::TRecoveryKeeper(const TMissionDocument& document, TRecoveryFolder& folder,
                                 std::chrono::milliseconds delay, TWriter writer)
    : document_(document), folder_(folder) {
    if (writer == TWriter::OwnThread)
        writer_ = std::thread([this] { WriterLoop(); });
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
            Ask(false);
        }
    });
    connect(&document, &TMissionDocument::Closed, this, [this] {
        timer_.stop();
        Ask(false);
        Settle();
    });
    connect(&timer_, &QTimer::timeout, this, [this] { Ask(document_.Modified()); });
}

TRecoveryKeeper::~TRecoveryKeeper() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (writer_.joinable())
        writer_.join();
}

// The copy is taken here, on the window's thread, of the document as it is now.
void TRecoveryKeeper::Ask(bool keep) {
    TRequest request;
    if (keep)
        request = {document_.HasFile() ? files::PathFromName(document_.FileName().toStdU16String())
                                       : std::filesystem::path(),
                   document_.Stamp(), mission::EncodeMission(document_.Mission())};
    if (!writer_.joinable()) {
        Report(Carry(request));
        return;
    }
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
    Ask(document_.Modified());
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return !pending_ && !busy_; });
    return kept_;
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
        const QString failure = Carry(request);
        lock.lock();
        busy_ = false;
        Report(failure);
        wake_.notify_all();
    }
}

QString TRecoveryKeeper::Carry(const TRequest& request) {
    try {
        if (request)
            folder_.Write(*request);
        else
            folder_.Remove();
    } catch (const files::EInOutError& error) {
        return QString::fromStdString(error.ErrorCode ? std::system_category().message(error.ErrorCode)
                                                      : error.what());
    }
    return {};
}

void TRecoveryKeeper::Report(const QString& failure) {
    if (std::exchange(kept_, failure.isEmpty()) && !failure.isEmpty())
        emit KeepingFailed(QString("Unsaved changes cannot be kept in %1: %2. Save your work often until "
                                   "this is mended.")
                               .arg(QString::fromStdU16String(files::NameFromPath(folder_.Folder())), failure));
}

} // namespace document
