// The toolbar's picture list. Pictures that no button shows keep their numbers as blank sheets, so
// every button's picture number stays what it has always been.
#include "image_list.h"

#include <QPixmap>
#include <array>

namespace editor {

namespace {

// The resource each picture comes from, by number; nullptr for a picture no control shows.
constexpr std::array<const char*, 21> kPictureFiles = {
    ":/icons/new.svg",    // 0  NewBtn
    ":/icons/open.svg",   // 1  LoadBtn
    ":/icons/saveas.svg", // 2  SaveAsBtn
    ":/icons/save.svg",   // 3  SaveBtn
    nullptr,              // 4
    nullptr,              // 5
    nullptr,              // 6
    nullptr,              // 7
    ":/icons/copy.svg",   // 8  CopyBtn
    ":/icons/paste.svg",  // 9  PasteBtn
    ":/icons/clear.svg",  // 10 ClearFGBtn
    nullptr,              // 11
    nullptr,              // 12
    ":/icons/about.svg",  // 13 AboutBtn
    nullptr,              // 14
    nullptr,              // 15
    nullptr,              // 16
    nullptr,              // 17
    nullptr,              // 18
    nullptr,              // 19
    ":/icons/home.svg",   // 20 HomeBtn
};

} // namespace

TImageList::TImageList(QObject* parent) : QObject(parent) {
    setObjectName("ImageList1");
    QPixmap blank(kPictureSize, kPictureSize);
    blank.fill(Qt::transparent);
    const QIcon blankIcon(blank);
    pictures_.reserve(kPictureFiles.size());
    for (const char* file : kPictureFiles)
        pictures_.push_back(file ? QIcon(QString::fromLatin1(file)) : blankIcon);
}

QIcon TImageList::Picture(int index) const {
    if (index < 0 || index >= Count())
        return {};
    return pictures_[static_cast<std::size_t>(index)];
}

} // namespace editor
