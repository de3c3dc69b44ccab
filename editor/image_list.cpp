// The toolbar's picture list. Pictures that no button shows keep their numbers as blank sheets, so
// every button's picture number stays what it has always been.
#include "image_list.h"

#include "pictures.h"

#include <QPixmap>
#include <array>

namespace editor {

namespace {

// The picture each number shows (see Picture); nullptr for a picture no control shows.
constexpr std::array<const char*, 21> kPictureNames = {
    "new",    // 0  NewBtn
    "open",   // 1  LoadBtn
    "saveas", // 2  SaveAsBtn
    "save",   // 3  SaveBtn
    nullptr,  // 4
    nullptr,  // 5
    nullptr,  // 6
    nullptr,  // 7
    "copy",   // 8  CopyBtn
    "paste",  // 9  PasteBtn
    "clear",  // 10 ClearFGBtn
    nullptr,  // 11
    nullptr,  // 12
    "about",  // 13 AboutBtn
    nullptr,  // 14
    nullptr,  // 15
    nullptr,  // 16
    nullptr,  // 17
    nullptr,  // 18
    nullptr,  // 19
    "home",   // 20 HomeBtn
};

} // namespace

TImageList::TImageList(QObject* parent) : QObject(parent) {
    setObjectName("ImageList1");
    QPixmap blank(kPictureSize, kPictureSize);
    blank.fill(Qt::transparent);
    const QIcon blankIcon(blank);
    pictures_.reserve(kPictureNames.size());
    for (const char* name : kPictureNames)
        pictures_.push_back(name ? editor::Picture(QString::fromLatin1(name)) : blankIcon);
}

QIcon TImageList::Picture(int index) const {
    if (index < 0 || index >= Count())
        return {};
    return pictures_[static_cast<std::size_t>(index)];
}

} // namespace editor
