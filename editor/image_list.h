// The toolbar's picture list: 16 × 16 pictures numbered from 0, each with a transparent background.
#pragma once

#include <QIcon>
#include <QObject>
#include <vector>

namespace editor {

class TImageList : public QObject {
    Q_OBJECT
public:
    static constexpr int kPictureSize = 16;

    explicit TImageList(QObject* parent = nullptr);

    int Count() const { return static_cast<int>(pictures_.size()); }
    // The picture at a number; an empty icon outside the list.
    QIcon Picture(int index) const;

private:
    std::vector<QIcon> pictures_;
};

} // namespace editor
