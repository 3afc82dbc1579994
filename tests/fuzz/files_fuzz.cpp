// Files a user can edit or replace: the settings file (as text and through the settings load), the
// image list file, the icon stream and the saved properties of a control.
#include "tests/fuzz/fuzztarget.h"

#include "common/settings.h"
#include "platform/inifile.h"
#include "platform/propertybag.h"
#include "platform/vberror.h"
#include "shell/usersettings.h"
#include "state/quotetables.h"
#include "state/usersettings.h"
#include "widgets/imagelist/iconstream.h"
#include "widgets/imagelist/keyimagelist.h"

#include <QDateTime>
#include <QFile>

namespace {

// The file as a user left it some time ago: each run's file has a time of its own, a while back.
void writeSettingsFile(const QByteArray& bytes) {
    static int run = 0;
    QFile f(settingsFilePath());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        f.write(bytes);
        f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600).addMSecs(++run % 1000000),
                      QFileDevice::FileModificationTime);
    }
}

} // namespace

BRELTO_FUZZ_TARGET(settingsfile) {
    using platform::IniDocument;
    const IniDocument doc = IniDocument::parse(data);
    const QString section = QStringLiteral("Main Set");
    const QStringList keys = doc.keys(section);
    // Written and read back, a file gives the same keys and values.
    const IniDocument again = IniDocument::parse(doc.toBytes());
    fuzz::check(again.keys(section) == keys, "the keys survive a write and a read");
    for (const QString& k : keys)
        fuzz::check(again.value(section, k) == doc.value(section, k), "each value survives a write and a read");
    // A value set is the value read, whatever the file held before.
    IniDocument edited = IniDocument::parse(data);
    const QString value = QStringLiteral("黄金 %1").arg(keys.size());
    edited.setValue(section, QStringLiteral("tab"), value);
    fuzz::check(IniDocument::parse(edited.toBytes()).value(section, QStringLiteral("tab")) == value,
                "a value set reads back");
    (void)platform::cutToProfileBuffer(doc.value(section, QStringLiteral("tab")).value_or(QString()));
}

BRELTO_FUZZ_TARGET(getset) {
    fuzz::setUpEnvironment();
    writeSettingsFile(data.toByteArray());
    GetSet();
    // Whatever the file holds, every setting the windows index by ends up within its range.
    const auto within = [](int v, int low, int high) { return v >= low && v <= high; };
    const int lastProd = kMaxProducts - 1;
    fuzz::check(within(CurProd, 0, lastProd) && within(Pane2Prod, 0, lastProd) && within(Pane3Prod, 0, lastProd) &&
                    within(Pane4Prod, 0, lastProd),
                "the chosen instruments are instruments");
    fuzz::check(within(RightChart1Prod, 0, lastProd) && within(RightChart2Prod, 0, lastProd),
                "the twin charts' instruments are instruments");
    fuzz::check(within(QuoteBackColor, 0, 8), "the board colour is one of the schemes");
    fuzz::check(within(TransLevel, 0, 9), "the mini window's opacity level is one of its levels");
    fuzz::check(within(ChartKind, 0, 1) && within(ThreeDayChart, 0, 1), "chart kinds are 0 or 1");
    fuzz::check(ShowBuyPrice || ShowSellPrice, "at least one price is shown");
}

namespace {

KeyImageList& imageList() {
    static KeyImageList* list = new KeyImageList;
    return *list;
}

} // namespace

BRELTO_FUZZ_TARGET(imagelistfile) {
    fuzz::setUpEnvironment();
    KeyImageList& list = imageList();
    list.Clear();
    try {
        list.loadFromBytes(data);
    } catch (const platform::VbError&) {
    }
    // What was read writes to a file that reads back as the same list.
    const QByteArray saved = list.saveToBytes();
    const int count = list.ImageCount();
    list.Clear();
    try {
        list.loadFromBytes(saved);
    } catch (const platform::VbError&) {
        fuzz::check(false, "a list's own file reads back without error");
    }
    fuzz::check(list.ImageCount() == count, "a list's own file reads back with every image");
    fuzz::check(list.saveToBytes() == saved, "a list's own file reads back to the same file");
    list.Clear();
}

BRELTO_FUZZ_TARGET(iconstream) {
    fuzz::setUpEnvironment();
    if (data.isEmpty())
        return;
    // The first byte picks the colour depth the stream is read with.
    const int32_t version = (static_cast<unsigned char>(data[0]) & 1) != 0 ? iconstream::kStreamVersion : 0;
    const iconstream::StreamRead read = iconstream::readStream(data.sliced(1), version);
    for (const iconstream::IconImage& icon : read.icons) {
        fuzz::check(icon.colour.size() == icon.mask.size(), "an icon's mask matches its colour bitmap");
        fuzz::check(icon.colour.width() <= iconstream::kMaxRecordSide && icon.colour.height() <= iconstream::kMaxRecordSide,
                    "an icon is never larger than a record may hold");
    }
    const QByteArray written = iconstream::writeStream(read.icons, version);
    const iconstream::StreamRead back = iconstream::readStream(written, version);
    fuzz::check(back.complete && back.icons.size() == read.icons.size(), "the icons read write to a stream that reads back whole");

    if (const auto file = iconstream::readFile(data))
        (void)iconstream::readStream(file->stream, file->streamVersion);
}

BRELTO_FUZZ_TARGET(propertybag) {
    fuzz::setUpEnvironment();
    const platform::PropertyBag bag = platform::PropertyBag::fromBytes(data.toByteArray());
    const platform::PropertyBag again = platform::PropertyBag::fromBytes(bag.toBytes());
    fuzz::check(again.keys() == bag.keys(), "a bag read writes to bytes that read back with the same keys");
}

// The image list's saved properties: its images (an icon stream) and sizes come from a bag.
BRELTO_FUZZ_TARGET(imagelistbag) {
    fuzz::setUpEnvironment();
    const platform::PropertyBag bag = platform::PropertyBag::fromBytes(data.toByteArray());
    KeyImageList& list = imageList();
    list.Clear();
    try {
        list.readProperties(bag);
    } catch (const platform::VbError&) {
    }
    list.Clear();
}
