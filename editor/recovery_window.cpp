#include "recovery_window.h"

#include "error_text.h"
#include "file_names.h"
#include "mission_document.h"
#include "mission_show.h"
#include "skirmish_file.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <chrono>
#include <exception>

namespace editor {

namespace {

QString Native(const std::filesystem::path& path) {
    return QDir::toNativeSeparators(QString::fromStdU16String(files::NameFromPath(path)));
}

} // namespace

// The copies, newest first. A copy is read only when its row is first shown, so that a folder of
// thousands opens at once; what is kept of each is the name its row shows.
class TLeftCopiesModel : public QAbstractTableModel {
public:
    TLeftCopiesModel(std::vector<document::TLeftCopy> copies, QObject* parent)
        : QAbstractTableModel(parent), copies_(std::move(copies)), names_(copies_.size()) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(copies_.size());
    }
    int columnCount(const QModelIndex&) const override { return 2; }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return section == 0 ? QStringLiteral("File") : QStringLiteral("Last changed");
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
            return {};
        const document::TLeftCopy& left = At(index.row());
        if (index.column() == 1) {
            // The file clock's time on the system's clock; the page's standard library has no
            // file_clock::to_sys.
            const auto written = std::chrono::system_clock::now() +
                                 std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                     left.Written - std::chrono::file_clock::now());
            return QLocale().toString(
                QDateTime::fromSecsSinceEpoch(
                    std::chrono::duration_cast<std::chrono::seconds>(written.time_since_epoch()).count()),
                QLocale::ShortFormat);
        }
        const QString name = Name(index.row());
        return name.isEmpty() ? QString("cannot be read; kept as \"%1\"").arg(Native(left.Path)) : name;
    }

    const document::TLeftCopy& At(int row) const { return copies_[static_cast<std::size_t>(row)]; }

    // The file a copy belongs to, or "Unnamed"; empty for a copy that cannot be read.
    QString Name(int row) const {
        std::optional<QString>& name = names_[static_cast<std::size_t>(row)];
        if (!name) {
            const auto copy = document::TRecoveryFolder::Read(At(row).Path);
            name = !copy ? QString() : copy->File.empty() ? QString(document::kUnnamed) : Native(copy->File);
        }
        return *name;
    }

    void Remove(int row) {
        beginRemoveRows({}, row, row);
        copies_.erase(copies_.begin() + row);
        names_.erase(names_.begin() + row);
        endRemoveRows();
    }

private:
    std::vector<document::TLeftCopy> copies_;
    mutable std::vector<std::optional<QString>> names_;
};

QString DescribeCopy(const document::TRecoveryCopy& copy) {
    mission::TMission base;
    mission::NewMission(base);
    QStringList lines;
    if (copy.File.empty()) {
        lines << QStringLiteral("A mission that was never saved; its changes to a new mission:");
    } else {
        try {
            files::FileStamp stamp;
            mission::LoadMission(base, copy.File, &stamp);
            lines << (files::ChangedSince(copy.File, copy.Stamp)
                          ? QStringLiteral("The file has changed since. Its changes to the file as it is now:")
                          : QStringLiteral("Its changes to the file:"));
        } catch (const std::exception& error) {
            mission::NewMission(base);
            lines << (files::StampOf(copy.File).Exists
                          ? QString("The file cannot be read (%1). Its changes to a new mission:").arg(error.what())
                          : QStringLiteral("The file is gone. Its changes to a new mission:"));
        }
    }
    mission::TMission recovered = base;
    mission::DecodeMission(recovered, copy.Image);
    const auto before = skm::ShowLines(base);
    const auto after = skm::ShowLines(recovered);
    // Every mission has the same fields in the same order, so the lines pair up one by one.
    const qsizetype heading = lines.size();
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i])
            lines << QString::fromStdString(after[i].Field + ": " + before[i].Value + " \u2192 " + after[i].Value);
    if (lines.size() == heading)
        lines << QStringLiteral("No field differs.");
    return lines.join('\n');
}

TRecoveryWindow::TRecoveryWindow(QWidget* parent, TDialogs& dialogs, std::vector<document::TLeftCopy> copies,
                                 TActions actions)
    : QDialog(parent), dialogs_(dialogs), actions_(std::move(actions)),
      model_(new TLeftCopiesModel(std::move(copies), this)), list_(new QTreeView(this)),
      changes_(new QPlainTextEdit(this)), recover_(new QPushButton("&Recover", this)),
      saveAs_(new QPushButton("&Save As...", this)), discard_(new QPushButton("&Discard", this)) {
    setObjectName("RecoveryWindow");
    setWindowTitle(ApplicationTitle() + " - Unsaved Changes");
    auto* intro = new QLabel("Quarnel closed without saving these changes. Recover one, save it aside, or discard "
                             "it; what you leave is offered again at the next start.",
                             this);
    intro->setWordWrap(true);

    list_->setObjectName("CopyList");
    list_->setAccessibleName("Unsaved changes");
    list_->setModel(model_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list_->header()->setStretchLastSection(false);
    // Sized from one date, not from every row: rows are read only as they are shown.
    list_->header()->setSectionResizeMode(1, QHeaderView::Fixed);
    list_->header()->resizeSection(
        1, list_->fontMetrics().horizontalAdvance(
               QLocale().toString(QDateTime(QDate(2000, 12, 28), QTime(23, 59, 59)), QLocale::ShortFormat) + "MMM"));
    changes_->setObjectName("CopyChanges");
    changes_->setAccessibleName("What the selected copy changes");
    changes_->setReadOnly(true);
    changes_->setLineWrapMode(QPlainTextEdit::NoWrap);
    intro->setBuddy(list_);

    recover_->setObjectName("RecoverBtn");
    saveAs_->setObjectName("SaveAsideBtn");
    discard_->setObjectName("DiscardBtn");
    auto* close = new QPushButton("Close", this);
    close->setObjectName("CloseBtn");
    recover_->setDefault(true);
    for (QPushButton* button : {saveAs_, discard_, close})
        button->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(recover_);
    buttons->addWidget(saveAs_);
    buttons->addWidget(discard_);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(list_, 2);
    layout->addWidget(changes_, 3);
    layout->addLayout(buttons);
    resize(640, 480);

    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { ShowSelected(); });
    connect(list_, &QTreeView::doubleClicked, this, [this] { RecoverClick(); });
    connect(recover_, &QPushButton::clicked, this, [this] { RecoverClick(); });
    connect(saveAs_, &QPushButton::clicked, this, [this] { SaveAsClick(); });
    connect(discard_, &QPushButton::clicked, this, [this] { DiscardClick(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    list_->setCurrentIndex(model_->index(0, 0));
    list_->setFocus();
    ShowSelected();
}

TRecoveryWindow::~TRecoveryWindow() = default;

void TRecoveryWindow::ShowSelected() {
    const int row = list_->currentIndex().row();
    const bool readable = row >= 0 && !model_->Name(row).isEmpty();
    recover_->setEnabled(readable);
    saveAs_->setEnabled(readable);
    discard_->setEnabled(row >= 0);
    if (row < 0)
        changes_->clear();
    else if (const auto copy = readable ? document::TRecoveryFolder::Read(model_->At(row).Path) : std::nullopt)
        changes_->setPlainText(DescribeCopy(*copy));
    else
        changes_->setPlainText(QString("This copy cannot be read. It is kept as \"%1\" until you discard it.")
                                   .arg(Native(model_->At(row).Path)));
}

std::optional<document::TRecoveryCopy> TRecoveryWindow::ReadSelected() {
    const auto copy = document::TRecoveryFolder::Read(model_->At(list_->currentIndex().row()).Path);
    if (!copy)
        dialogs_.ShowError(this, ApplicationTitle(),
                           "This copy can no longer be read; another Quarnel may have taken it.");
    return copy;
}

void TRecoveryWindow::RecoverClick() {
    if (!recover_->isEnabled())
        return;
    const std::filesystem::path path = model_->At(list_->currentIndex().row()).Path;
    std::optional<files::HeldFile> hold = document::TRecoveryFolder::Hold(path);
    if (!hold) {
        dialogs_.ShowError(this, ApplicationTitle(), "Another Quarnel is using this copy.");
        return;
    }
    const auto copy = ReadSelected();
    if (!copy || !actions_.Recover(*copy))
        return;
    // The old copy goes only once this editor's own copy of the work is safely written; otherwise
    // it stays for the next start, and the editor has said why its own could not be kept.
    if (actions_.KeepOwnCopy())
        document::TRecoveryFolder::Discard(path, *hold);
    accept();
}

void TRecoveryWindow::SaveAsClick() {
    const auto copy = ReadSelected();
    if (!copy)
        return;
    QFileDialog dialog(this, QString(), QString(), "Skirmish Files (*.skm);;All Files (*.*)");
    dialog.setObjectName("SaveAsideDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("skm");
    if (!copy->File.empty())
        dialog.selectFile(Native(copy->File));
    PrepareFileDialog(dialog);
    const std::optional<QString> chosen = dialogs_.RunFileDialog(dialog);
    if (!chosen)
        return;
    mission::TMission mission;
    mission::DecodeMission(mission, copy->Image);
    try {
        mission::SaveMission(mission, files::PathFromName(chosen->toStdU16String()));
    } catch (const std::exception& error) {
        dialogs_.ShowError(this, ApplicationTitle(), ErrorBoxText(QString::fromStdString(error.what())));
    }
}

void TRecoveryWindow::DiscardClick() {
    const int row = list_->currentIndex().row();
    if (row < 0)
        return;
    const QString name = model_->Name(row);
    if (!dialogs_.AskYesNo(this, ApplicationTitle(),
                           name.isEmpty() ? QStringLiteral("Discard this copy that cannot be read? It cannot be brought back.")
                                          : QString("Discard the unsaved changes to \"%1\"? They cannot be brought back.")
                                                .arg(name),
                           false))
        return;
    std::optional<files::HeldFile> hold = document::TRecoveryFolder::Hold(model_->At(row).Path);
    if (!hold) {
        dialogs_.ShowError(this, ApplicationTitle(), "Another Quarnel is using this copy.");
        return;
    }
    document::TRecoveryFolder::Discard(model_->At(row).Path, *hold);
    RemoveSelected();
}

void TRecoveryWindow::RemoveSelected() {
    model_->Remove(list_->currentIndex().row());
    if (model_->rowCount({}) == 0)
        accept();
    else
        ShowSelected();
}

} // namespace editor
