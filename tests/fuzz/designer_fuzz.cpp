// Design files: what brelto-designer saves for an image list or a toolbar, and the candlestick
// control's saved properties. Whatever a file held, what was saved from it opens again and saves
// to the same bytes, and the control reads back what it stored.
#include "tests/fuzz/fuzztarget.h"

#include "charts/klineproperties.h"
#include "platform/propertybag.h"
#include "tools/designer/designer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, QByteArrayView bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes.data(), bytes.size()) == bytes.size();
}

// The designer's round trip: open the file, save, open what was saved, save again.
void designerRoundTrip(designer::Kind kind, QByteArrayView bytes) {
    static QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("control.bag"));
    if (!writeFile(path, bytes)) return;
    {
        designer::Session session(kind, path);
        QString error;
        if (!session.open(&error)) return; // damaged data is refused, and nothing is saved
        fuzz::check(session.save(&error), "an opened control saves");
    }
    const QByteArray saved = fileBytes(path);
    designer::Session again(kind, path);
    QString error;
    fuzz::check(again.open(&error), "a file the designer saved opens again");
    fuzz::check(again.save(&error), "a reopened control saves");
    fuzz::check(fileBytes(path) == saved, "a file the designer saved saves to the same bytes");
}

bool sameProperties(const KlineProperties& a, const KlineProperties& b) {
    return a.BackColor == b.BackColor && a.ForeColor == b.ForeColor && a.Enabled == b.Enabled &&
           a.Font == b.Font && a.BackStyle == b.BackStyle && a.BorderStyle == b.BorderStyle;
}

void klineRoundTrip(QByteArrayView bytes) {
    const QFont ambient = klineFont(QStringLiteral("宋体"), 9, false);
    const KlineProperties read = readKlineProperties(platform::PropertyBag::fromBytes(bytes.toByteArray()), ambient);
    platform::PropertyBag bag;
    writeKlineProperties(read, bag, ambient);
    const QByteArray saved = bag.toBytes();
    const KlineProperties back = readKlineProperties(platform::PropertyBag::fromBytes(saved), ambient);
    fuzz::check(sameProperties(back, read), "the candlestick control reads back the properties it saved");
    platform::PropertyBag again;
    writeKlineProperties(back, again, ambient);
    fuzz::check(again.toBytes() == saved, "the candlestick control's saved properties save to the same bytes");
}

} // namespace

// The first byte chooses the control (image list, toolbar, candlestick); the rest is its file.
BRELTO_FUZZ_TARGET(designfile) {
    fuzz::setUpEnvironment();
    if (data.isEmpty()) return;
    const QByteArrayView file = data.sliced(1);
    switch (static_cast<unsigned char>(data[0]) % 3) {
    case 0: designerRoundTrip(designer::Kind::ImageList, file); break;
    case 1: designerRoundTrip(designer::Kind::Toolbar, file); break;
    default: klineRoundTrip(file); break;
    }
}
