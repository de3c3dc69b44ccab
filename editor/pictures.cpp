// The program's pictures, from the compiled resources, each size read when it is first drawn.
#include "pictures.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QResource>
#include <algorithm>
#include <bitset>

namespace editor {

namespace {

constexpr int kSizeCount = static_cast<int>(std::size(PictureSizes));

// A picture's pixels as stored: side x side pixels, row by row, as red, green, blue and alpha
// bytes. A file of any other length reads as no picture.
QImage ReadPicture(const QString& name, int side) {
    const QResource file(QStringLiteral(":/icons/%1/%2.rgba").arg(side).arg(name));
    const QByteArray pixels = file.uncompressedData();
    if (pixels.size() != qsizetype{side} * side * 4)
        return {};
    const QImage stored(reinterpret_cast<const uchar*>(pixels.constData()), side, side, side * 4,
                        QImage::Format_RGBA8888);
    // A converted copy, in the form the screen draws from, which outlives the stored bytes.
    return stored.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Hands every request to a plain pixmap icon, having first given it the one file that such an
// icon holding all sizes would draw from: the smallest size at least as large as asked, or the
// largest. Drawing therefore matches an icon made from every file, disabled look included, while
// a start-up that draws each picture at one size reads one file per picture, not every size.
class TPictureEngine : public QIconEngine {
public:
    explicit TPictureEngine(const QString& name) : name_(name) {}

    // Sizes arrive in device pixels; the inner icon is asked at a ratio of 1 so that it does not
    // scale them again.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        Need(size);
        return icon_.pixmap(size, 1.0, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        Need(rect.size() * painter->device()->devicePixelRatio());
        icon_.paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = PictureSizes[Chosen(size)];
        QSize actual(side, side);
        if (actual.width() > size.width() || actual.height() > size.height())
            actual.scale(size, Qt::KeepAspectRatio);
        return actual;
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        QList<QSize> sizes;
        if (mode == QIcon::Normal && state == QIcon::Off)
            for (int size : PictureSizes)
                sizes.append(QSize(size, size));
        return sizes;
    }
    QIconEngine* clone() const override { return new TPictureEngine(*this); }
    QString key() const override { return QStringLiteral("TPictureEngine"); }

private:
    static int Chosen(const QSize& size) {
        const int area = size.width() * size.height();
        for (int i = 0; i < kSizeCount; ++i)
            if (PictureSizes[i] * PictureSizes[i] >= area)
                return i;
        return kSizeCount - 1;
    }

    void Need(const QSize& size) {
        const int chosen = Chosen(size);
        if (read_[static_cast<std::size_t>(chosen)])
            return;
        read_.set(static_cast<std::size_t>(chosen));
        icon_.addPixmap(QPixmap::fromImage(ReadPicture(name_, PictureSizes[chosen])));
    }

    QString name_;
    QIcon icon_;
    std::bitset<kSizeCount> read_;
};

} // namespace

QIcon Picture(const QString& name) {
    return QIcon(new TPictureEngine(name));
}

} // namespace editor
