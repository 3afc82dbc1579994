// Files a user can edit or replace: the settings file (as text and through the settings load), the
// image list file, the icon stream and the saved properties of a control.
#include "tests/fuzz/fuzztarget.h"

#include "common/settings.h"
#include "mainwindow/startup.h"
#include "platform/gbk.h"
#include "platform/inifile.h"
#include "platform/propertybag.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "shell/usersettings.h"
#include "state/quotetables.h"
#include "state/usersettings.h"
#include "widgets/imagelist/iconstream.h"
#include "widgets/imagelist/keyimagelist.h"

#include <QDateTime>
#include <QFile>
#include <QPixmap>

#include <cmath>
#include <limits>

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

// A number as the start-up reads it from set.ini: its leading number, 0 when there is none or it
// is beyond a double.
double leadingNumber(const QString& text) {
    try {
        return platform::Val(text);
    } catch (const platform::VbError&) {
        return 0;
    }
}

// The settings the main window's start-up reads itself rather than through GetSet: the tab to
// restore (`tab`) and the mini window's place (`minix`, `miniy`).
void checkStartupReads(const QString& tab, const QString& minix, const QString& miniy) {
    try {
        const std::optional<int> restored = rememberedTab(tab);
        fuzz::check(!restored || (*restored >= 1 && *restored <= 11), "a remembered tab is one of the strip's tabs");
        fuzz::check(restored.has_value() == (leadingNumber(tab) > 0), "a tab is restored exactly for a positive number");
        fuzz::check(!restored || leadingNumber(tab) < 32768, "a tab is restored only from a 16-bit number");
    } catch (const platform::VbError& e) {
        // The tab number is 16 bits: only a number beyond that overflows (the step is skipped).
        fuzz::check(e.number == platform::kErrOverflow && leadingNumber(tab) >= 32768,
                    "a remembered tab overflows only beyond 16 bits");
    }
    for (const QString& place : {minix, miniy}) {
        // A place is the whole number written when it fits 32 bits, else none (0).
        const double whole = std::trunc(leadingNumber(place));
        const bool fits = whole >= std::numeric_limits<int32_t>::min() && whole <= std::numeric_limits<int32_t>::max();
        fuzz::check(rememberedTwips(place) == (fits ? static_cast<int32_t>(whole) : 0),
                    "a remembered place is the number written, or none beyond 32 bits");
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
    const auto stored = [&](const char* key) { return doc.value(section, QString::fromLatin1(key)).value_or(QString()); };
    checkStartupReads(stored("tab"), stored("minix"), stored("miniy"));
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
    // What the start-up reads beside GetSet, from the same file, as it reads it.
    checkStartupReads(GetIni(QStringLiteral("tab")), GetIni(QStringLiteral("minix")), GetIni(QStringLiteral("miniy")));
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
    const int count = list.ImageCount();
    // Each image takes the key the file gives it, as written (a key that reads as a number too),
    // unless an image before it holds that key already.
    if (const auto file = iconstream::readFile(data)) {
        const QList<QByteArray> pieces = file->keyText.split(iconstream::kFileKeySeparator);
        QStringList earlier;
        for (int j = 0; j < count && j < pieces.size(); ++j) {
            const QString key = platform::fromGbk(pieces[j]);
            const QString taken = list.ItemKey(j + 1);
            fuzz::check(taken == key || (taken.isEmpty() && earlier.contains(key)),
                        "an image takes the key the file gives it, unless an earlier image holds it");
            earlier << taken;
        }
    }
    // What was read writes to a file that reads back as the same list.
    const QByteArray saved = list.saveToBytes();
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

namespace {

// Two values of a bag are the same value: as the controls compare them, except that a picture is
// compared by its pixels and a number that is no number (NaN) is the same as another.
bool sameValue(const QVariant& a, const QVariant& b) {
    if (a.typeId() == QMetaType::QPixmap && b.typeId() == QMetaType::QPixmap)
        return a.value<QPixmap>().toImage() == b.value<QPixmap>().toImage();
    if (platform::isNumberVariant(a) && platform::isNumberVariant(b) && std::isnan(a.toDouble()))
        return std::isnan(b.toDouble());
    return platform::samePropertyValue(a, b);
}

} // namespace

BRELTO_FUZZ_TARGET(propertybag) {
    fuzz::setUpEnvironment();
    const platform::PropertyBag bag = platform::PropertyBag::fromBytes(data.toByteArray());
    const platform::PropertyBag again = platform::PropertyBag::fromBytes(bag.toBytes());
    fuzz::check(again.keys() == bag.keys(), "a bag read writes to bytes that read back with the same keys");
    for (const QString& key : bag.keys()) {
        const QVariant value = bag.read(key);
        const QVariant back = again.read(key);
        fuzz::check(back.typeId() == value.typeId(), "a value reads back with its type");
        fuzz::check(sameValue(back, value), "a value reads back as the value written");
    }
}

// The image list's saved properties: its images (an icon stream) and sizes come from a bag.
BRELTO_FUZZ_TARGET(imagelistbag) {
    fuzz::setUpEnvironment();
    const platform::PropertyBag bag = platform::PropertyBag::fromBytes(data.toByteArray());
    KeyImageList& list = imageList();
    list.Clear();
    try {
        list.readProperties(bag);
    } catch (const platform::VbError& e) {
        fuzz::check(e.number == 321, "saved images fail only as a damaged format");
    }
    // Whatever the bag asks for, the list holds images of a size it allows.
    fuzz::check(KeyImageList::sizeAllowed(list.IconSizeX()) && KeyImageList::sizeAllowed(list.IconSizeY()),
                "the image sizes read are within 1 to 256");
    fuzz::check(!list.hIml() || list.hIml()->imageSize() == QSize(list.IconSizeX(), list.IconSizeY()),
                "the images are of the list's size");
    const auto keysOf = [&list] {
        QStringList keys;
        for (int i = 1; i <= list.ImageCount(); ++i)
            keys << list.ItemKey(i);
        return keys;
    };
    // Each image takes its piece of the saved keys as written (a key that reads as a number too).
    const QStringList pieces = bag.read(QStringLiteral("Keys"), QString()).toString().split(KeyImageList::kKeySeparator);
    const QStringList read = keysOf();
    for (qsizetype j = 0; j < read.size(); ++j)
        fuzz::check(read[j] == pieces.value(j), "an image takes its piece of the saved keys as written");
    // What was read is saved, and the saved properties read back to the same images and keys.
    const int count = list.ImageCount();
    const QStringList keys = keysOf();
    platform::PropertyBag saved;
    list.writeProperties(saved);
    list.Clear();
    try {
        list.readProperties(platform::PropertyBag::fromBytes(saved.toBytes()));
    } catch (const platform::VbError&) {
        fuzz::check(false, "a list's own saved properties read back without error");
    }
    fuzz::check(list.ImageCount() == count, "a list's own saved properties read back with every image");
    fuzz::check(keysOf() == keys, "a list's own saved properties read back with the same keys");
    platform::PropertyBag again;
    list.writeProperties(again);
    fuzz::check(again == saved, "a list's own saved properties read back to the same images and sizes");
    list.Clear();
}
