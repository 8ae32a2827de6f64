#include "AppIcon.h"

#include <QString>

// The resources live in a static library: nothing references their object
// file, so they must be registered by hand before the first use.
static void registerIconResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(AppIcon);
        return true;
    }();
    (void)done;
}

namespace torvel {

QIcon applicationIcon()
{
    registerIconResources();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/torvel/torvel-%1.png").arg(size), QSize(size, size));
    return icon;
}

QPixmap productPicture()
{
    registerIconResources();
    return QPixmap(QStringLiteral(":/torvel/torvel-128.png"));
}

} // namespace torvel
