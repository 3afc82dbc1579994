#pragma once

#include <QDir>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#ifdef BRELTO_GALLERY_DIR
// Writes a picture for a reviewer to <build dir>/gallery/<folder>/<name>.
inline void savePicture(const QImage& image, const QString& name, const QString& folder = QStringLiteral("program")) {
    QDir gallery(QStringLiteral(BRELTO_GALLERY_DIR));
    ASSERT_TRUE(gallery.mkpath(folder));
    ASSERT_TRUE(image.save(gallery.filePath(folder + u'/' + name)));
}
#endif
