// The program's pictures, from the compiled resources.
#include "pictures.h"

namespace about {

QIcon Picture(const QString& name) {
    QIcon icon;
    for (int size : PictureSizes) {
        icon.addFile(QStringLiteral(":/icons/%1/%2.png").arg(size).arg(name), QSize(size, size));
    }
    return icon;
}

} // namespace about
