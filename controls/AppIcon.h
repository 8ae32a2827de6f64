#pragma once
// The program's own icon and product picture, from the resources of this layer.

#include <QIcon>
#include <QPixmap>

namespace torvel {

// The application icon in every size it is drawn in; for window icons.
QIcon applicationIcon();

// The product picture of the about box, 128 pixels square.
QPixmap productPicture();

} // namespace torvel
