// The pictures the toolbar and the desktop use: each one in the resources at every size, drawable,
// and as rendered.
#include "pictures.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

TEST(Resources, EveryPictureLoadsAndDrawsSomething) {
    const char* names[] = {"new",  "open",  "saveas", "save", "clear",
                           "copy", "paste", "about",  "home", "quarnel"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const QIcon icon = editor::Picture(QLatin1String(name));
        for (int size : editor::PictureSizes) {
            // Its stored pixels are those of its rendering, the PNG beside it in the sources.
            const QImage rendered(
                QStringLiteral(QUARNEL_ICON_DIR "/%1/%2.png").arg(size).arg(QLatin1String(name)));
            ASSERT_EQ(rendered.size(), QSize(size, size)) << size;
            // Each size drawn for that size, not scaled from a neighbour.
            EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
            const QImage image = icon.pixmap(size, size).toImage();
            ASSERT_EQ(image.size(), QSize(size, size));
            EXPECT_EQ(image.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                      rendered.convertToFormat(QImage::Format_ARGB32_Premultiplied))
                << size;
            int opaque = 0; // pixels at least half covered
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    opaque += qAlpha(image.pixel(x, y)) >= 128 ? 1 : 0;
                }
            }
            // Something drawn, and (for the button pictures) the button face showing around it.
            EXPECT_GT(opaque, size * size / 10) << size;
            if (QLatin1String(name) != QLatin1String("quarnel")) {
                EXPECT_LT(opaque, size * size) << size;
            }
        }
    }
}

// Each size is read only when first drawn; what is drawn must match an icon that holds every
// size from the start, at sizes between and beyond the files and in the disabled look too.
TEST(Resources, PicturesDrawAsAnIconHoldingEverySize) {
    for (const char* name : {"save", "quarnel"}) {
        QIcon reference;
        for (int size : editor::PictureSizes)
            reference.addFile(
                QStringLiteral(QUARNEL_ICON_DIR "/%1/%2.png").arg(size).arg(QLatin1String(name)),
                QSize(size, size));
        for (const QIcon::Mode mode : {QIcon::Disabled, QIcon::Normal}) {
            const QIcon picture = editor::Picture(QLatin1String(name)); // nothing read yet
            for (int size : {20, 16, 64, 24, 40, 48, 32, 8}) {
                SCOPED_TRACE(testing::Message() << name << " mode " << mode << " size " << size);
                const QSize asked(size, size);
                EXPECT_EQ(picture.actualSize(asked, mode), reference.actualSize(asked, mode));
                for (const double ratio : {1.0, 1.5}) { // a HiDPI screen asks for more pixels
                    const QPixmap drawn = picture.pixmap(asked, ratio, mode);
                    const QPixmap expected = reference.pixmap(asked, ratio, mode);
                    EXPECT_EQ(drawn.toImage(), expected.toImage()) << ratio;
                    EXPECT_EQ(drawn.devicePixelRatio(), expected.devicePixelRatio()) << ratio;
                }
            }
        }
    }
}
