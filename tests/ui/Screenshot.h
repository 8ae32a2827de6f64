#pragma once

// Pictures of the window for a person to look at: each is saved under the
// folder named by TORVEL_GRAB_DIR when that is set, and the test checks the
// picture itself, so that a grab that shows nothing fails.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

namespace torvel::testing {

inline QImage grabShot(QWidget& widget, const QString& fileName)
{
    const QImage image = widget.grab().toImage();
    EXPECT_EQ(image.size(), widget.size() * widget.devicePixelRatio()) << fileName.toStdString();
    if (const QByteArray dir = qgetenv("TORVEL_GRAB_DIR"); !dir.isEmpty()) {
        EXPECT_TRUE(image.save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + fileName))
            << fileName.toStdString();
    }
    return image;
}

} // namespace torvel::testing
