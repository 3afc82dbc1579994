#include "widgets/imagelist/keyimagelist.h"

#include "platform/gbk.h"
#include "platform/gdi.h"
#include "platform/propertybag.h"
#include "platform/savefile.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "widgets/imagelist/anicursor.h"
#include "widgets/imagelist/picture.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>
#include <QScreen>

#include <algorithm>

namespace {

constexpr int kDefaultIconSize = 16;
constexpr int kDefaultColourDepth = 0;

// The run-time errors the list raises besides those of its file routines (picture.h), with the
// descriptions the rest of the program shows.
constexpr int kErrPastEnd = 62;
constexpr int kErrBadFormat = 321;
const QString kTextSubscript = QStringLiteral("下标越界");
const QString kTextPastEnd = QStringLiteral("输入超出文件尾");
const QString kTextBadFormat = QStringLiteral("无效的文件格式");

// A saved size outside what the list can hold reads as the default, so a hostile bag cannot make
// every image cost megabytes.
int savedSize(const platform::PropertyBag& bag, const QString& name) {
    bool ok = false;
    const int size = bag.read(name, kDefaultIconSize).toInt(&ok);
    return ok && KeyImageList::sizeAllowed(size) ? size : kDefaultIconSize;
}

int savedDepth(const platform::PropertyBag& bag) {
    bool ok = false;
    const int depth = bag.read(QStringLiteral("ColourDepth"), kDefaultColourDepth).toInt(&ok);
    for (const int allowed : {0, 4, 8, 16, 24, 32})
        if (ok && depth == allowed) return depth;
    return kDefaultColourDepth;
}

constexpr int kDesignSize = 36;
constexpr int kPictureBoxPiece = 16;

// Trim as the keys are compared: spaces only.
QString trimSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.mid(first, last - first);
}


// A key argument that names a position: a number, a text that reads as one, or nothing (which
// counts as 0).
bool positionArgument(const QVariant& v, double& position) {
    if (!v.isValid()) {
        position = 0;
        return true;
    }
    if (platform::isNumberVariant(v)) {
        position = v.toDouble();
        return true;
    }
    const QString text = v.toString();
    if (!platform::IsNumeric(text)) return false;
    try {
        position = platform::Val(text);
    } catch (const platform::VbError&) {
        position = -1; // a number too large for any list
    }
    return true;
}

QString executableName() {
    if (QCoreApplication::instance() == nullptr) return QStringLiteral("brelto");
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

// The frame of a picture file nearest to the wanted size (an icon file may hold several sizes);
// an animated cursor gives its first frame.
QImage readPicture(const QString& file, QSize wanted) {
    QFile source(file);
    if (!source.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = source.readAll();
    if (anicursor::isAnimatedCursor(bytes)) {
        const std::vector<QImage> frames = anicursor::readFrames(bytes);
        return frames.empty() ? QImage() : frames.front();
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // Cursor files are icon files of another type: the icon reader takes both.
    const bool cursor =
        QFileInfo(file).suffix().compare(QLatin1String("cur"), Qt::CaseInsensitive) == 0;
    QImageReader reader(&buffer, cursor ? QByteArray("ico") : QByteArray());
    QImage best = reader.read();
    if (best.isNull() || !wanted.isValid() || best.size() == wanted) return best;
    while (reader.jumpToNextImage()) {
        const QImage next = reader.read();
        if (next.size() == wanted) return next;
    }
    return best;
}

// The icon at the list's size: icons of another size are scaled as the system list scales them.
iconstream::IconImage fitIcon(const iconstream::IconImage& icon, QSize size) {
    if (icon.colour.size() == size) return icon;
    iconstream::IconImage fitted = icon;
    fitted.colour = icon.colour.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    fitted.mask = icon.mask.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return fitted;
}

// The glyph a list shows while a form is designed: three overlapping picture frames.
void drawGlyph(QImage& surface, int left, int top) {
    using namespace platform;
    const OleColor frameColours[] = {rgb(0, 0, 128), rgb(0, 128, 0), rgb(128, 0, 0)};
    const OleColor fills[] = {rgb(192, 220, 255), rgb(200, 255, 200), rgb(255, 224, 160)};
    for (int i = 0; i < 3; ++i) {
        const int x = left + 2 + i * 6;
        const int y = top + 2 + i * 4;
        gdi::fillRect(surface, {x, y, x + 16, y + 12}, fills[i]);
        gdi::drawFrame(surface, x, y, 15, 11, frameColours[i]);
        gdi::drawLine(surface, x + 3, y + 8, x + 7, y + 4, frameColours[i]);
        gdi::drawLine(surface, x + 7, y + 4, x + 12, y + 9, frameColours[i]);
    }
}

} // namespace

KeyImageList::KeyImageList(QWidget* parent) : QWidget(parent) {
    setFixedSize(kDesignSize, kDesignSize);
    hide();
    Create();
}

KeyImageList::~KeyImageList() {
    Destroy();
}

int32_t KeyImageList::ProgramStreamVersion() {
    return iconstream::kStreamVersion;
}

void KeyImageList::raiseError(int number, const QString& description) const {
    throw platform::VbError(number, description,
                            executableName() + QStringLiteral(".KeyImageList"));
}

int KeyImageList::SystemColourDepth() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->depth() : 32;
}

bool KeyImageList::Create() {
    Destroy();
    if (!sizeAllowed(m_iconSizeX) || !sizeAllowed(m_iconSizeY)) return false;
    m_list = platform::ImageList::create(m_iconSizeX, m_iconSizeY, m_colourDepth);
    return true;
}

void KeyImageList::Destroy() {
    if (!m_list) return;
    m_list.reset();
    m_keys.clear();
}

void KeyImageList::setIconSizeX(int lSizeX) {
    m_iconSizeX = lSizeX;
    emit propertyChanged(QStringLiteral("IconSizeX"));
}

void KeyImageList::setIconSizeY(int lSizeY) {
    m_iconSizeY = lSizeY;
    emit propertyChanged(QStringLiteral("IconSizeY"));
}

void KeyImageList::setColourDepth(int eDepth) {
    m_colourDepth = eDepth;
    emit propertyChanged(QStringLiteral("ColourDepth"));
}

int KeyImageList::ImageCount() const {
    return m_list ? m_list->count() : 0;
}

int KeyImageList::ItemIndex(const QVariant& vKey) const {
    double position = 0;
    if (positionArgument(vKey, position)) {
        if (position >= 1 && position <= ImageCount()) return platform::CLng(position - 1);
    } else {
        const QString key = vKey.toString();
        const qsizetype at = m_keys.indexOf(key);
        if (at >= 0 && at < ImageCount()) return static_cast<int>(at);
    }
    raiseError(platform::kErrSubscript, kTextSubscript);
}

QString KeyImageList::ItemKey(int iIndex) const {
    if (iIndex < 1 || iIndex > ImageCount())
        raiseError(platform::kErrSubscript, kTextSubscript);
    return m_keys.value(iIndex - 1);
}

void KeyImageList::setItemKey(int iIndex, const QVariant& value) {
    if (iIndex < 1 || iIndex > ImageCount())
        raiseError(platform::kErrSubscript, kTextSubscript);
    StoreKey(iIndex - 1, value);
    emit propertyChanged(QStringLiteral("KeyCount"));
    emit propertyChanged(QStringLiteral("Keys"));
}

bool KeyImageList::KeyExists(const QString& sKey) const {
    if (ImageCount() == 0) return false;
    return m_keys.contains(sKey);
}

void KeyImageList::ResizeKeys() {
    m_keys.resize(ImageCount());
}

void KeyImageList::StoreKey(int i, const QVariant& value) {
    const QString key = value.isValid() ? value.toString() : QString();
    if (!m_list || i < 0) return;
    if (m_keys.size() < i + 1) m_keys.resize(i + 1);
    for (qsizetype j = 0; j < m_keys.size(); ++j) {
        if (j != i && !trimSpaces(m_keys[j]).isEmpty() && m_keys[j] == key)
            return; // a duplicate is refused silently; the image keeps its old key
    }
    m_keys[i] = key;
}

void KeyImageList::ApplyKeyText(int firstIndex, const QString& keyText) {
    if (keyText.isEmpty() || m_keys.isEmpty()) return;
    const qsizetype upper = m_keys.size() - 1;
    qsizetype i = firstIndex;
    qsizetype p = 0;
    for (;;) {
        const qsizetype q = keyText.indexOf(kKeySeparator, p);
        if (q < 0) break;
        // A piece of one character is a key like any other; only an empty piece means no key.
        if (q > p && i <= upper) m_keys[i] = keyText.mid(p, q - p);
        ++i;
        p = q + 1;
        if (i >= upper) break;
    }
    if (i <= upper) {
        // The last image takes the rest up to any further separator; pieces beyond the images
        // are ignored, as when a file is loaded.
        const qsizetype end = keyText.indexOf(kKeySeparator, p);
        const QString rest = keyText.mid(p, end < 0 ? -1 : end - p);
        if (!rest.isEmpty()) m_keys[i] = rest;
    }
}

void KeyImageList::markImagesChanged() {
    for (const char* name : {"Images", "Size", "Keys", "KeyCount"})
        emit propertyChanged(QString::fromLatin1(name));
}

int KeyImageList::addImage(const QImage& image, int iType, int64_t lBackColor) {
    switch (iType) {
    case TypeBitmap: {
        QRgb maskColour = 0;
        if (lBackColor == -1) {
            maskColour = image.pixel(0, 0);
        } else {
            const int32_t resolved =
                platform::OleColorToRgb(static_cast<platform::OleColor>(lBackColor));
            maskColour = platform::toQRgb(
                resolved < 0 ? static_cast<platform::OleColor>(lBackColor) & 0xFFFFFF
                             : static_cast<platform::OleColor>(resolved));
        }
        return m_list->addMasked(image, maskColour);
    }
    case TypeIcon:
    case TypeCursor:
        return m_list->addIcon(image);
    default:
        return -1;
    }
}

bool KeyImageList::AddFromHandle(const QImage& hImage, int iType, const QVariant& vKey,
                                 int64_t lBackColor, const QVariant& vKeyAfter) {
    if (!m_list || hImage.isNull()) return false;
    const int before = ImageCount();
    int target = -1;
    if (vKeyAfter.isValid() && before >= 1) {
        double position = 0;
        if (positionArgument(vKeyAfter, position)) {
            // A number places the new image at that position; one outside the list would carry
            // the image and its key past the end.
            if (position != 0) {
                if (position < 1 || position > before)
                    raiseError(platform::kErrSubscript, kTextSubscript);
                target = platform::CLng(position) - 1;
            }
        } else {
            target = ItemIndex(vKeyAfter) + 1;
        }
    }

    const int index = addImage(hImage, iType, lBackColor);
    ResizeKeys();
    if (index < 0) return false;
    const int added = ImageCount() - before;
    if (target >= 0 && target < ImageCount() - 1) {
        // Carry the new images down to the target one place at a time, their keys with them.
        for (int p = before - 1; p >= target; --p) {
            for (int q = p; q <= p + added - 1; ++q) {
                m_list->copy(q, q + 1, true);
                m_keys.swapItemsAt(q, q + 1);
            }
        }
    }
    StoreKey(target >= 0 ? target : index, vKey);
    ResizeKeys();
    return true;
}

bool KeyImageList::addLoaded(const QImage& image, int iType, const QVariant& vKey,
                             bool bMapSysColors, int64_t lBackColor, const QVariant& vKeyAfter) {
    // The system colours are the classic defaults, so the 3-D greys map onto themselves.
    Q_UNUSED(bMapSysColors);
    return AddFromHandle(image, iType, vKey, lBackColor, vKeyAfter);
}

bool KeyImageList::AddFromFile(const QString& sFileName, int iType, const QVariant& vKey,
                               bool bMapSysColors, int64_t lBackColor, const QVariant& vKeyAfter) {
    if (!m_list) return false;
    const QSize wanted = iType == TypeBitmap ? QSize() : QSize(m_iconSizeX, m_iconSizeY);
    const bool added = addLoaded(readPicture(sFileName, wanted), iType, vKey, bMapSysColors,
                                 lBackColor, vKeyAfter);
    markImagesChanged();
    return added;
}

bool KeyImageList::AddFromResourceID(const QString& lId, int iType, const QVariant& vKey,
                                     bool bMapSysColors, int64_t lBackColor,
                                     const QVariant& vKeyAfter) {
    if (!m_list) return false;
    return addLoaded(readPicture(lId, QSize()), iType, vKey, bMapSysColors, lBackColor, vKeyAfter);
}

int KeyImageList::AddFromPictureBox(const QImage& pic, const QVariant& vKey, int LeftPixels,
                                    int TopPixels, int64_t lBackColor) {
    if (!m_list || m_iconSizeX <= 0 || m_iconSizeY <= 0) return 0;
    platform::OleColor maskColour = 0xC0C0C0;
    if (lBackColor == -1) {
        if (!pic.isNull()) maskColour = platform::fromQRgb(pic.pixel(0, 0));
    } else if (const int32_t rgb =
                   platform::OleColorToRgb(static_cast<platform::OleColor>(lBackColor));
               rgb >= 0) {
        maskColour = static_cast<platform::OleColor>(rgb);
    }
    QImage bitmap(m_iconSizeX, m_iconSizeY, QImage::Format_RGB32);
    bitmap.fill(platform::toQRgb(maskColour));
    // The piece is cut at the edges of the picture.
    const QRect piece =
        QRect(LeftPixels, TopPixels, kPictureBoxPiece, kPictureBoxPiece) & pic.rect();
    if (piece.width() > 0 && piece.height() > 0) {
        QPainter painter(&bitmap);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(piece.topLeft() - QPoint(LeftPixels, TopPixels), pic, piece);
    }
    const int before = ImageCount();
    AddFromHandle(bitmap, TypeBitmap, vKey, maskColour);
    ResizeKeys();
    return ImageCount() > before ? ImageCount() : 0;
}

void KeyImageList::RemoveImage(const QVariant& vKey) {
    if (!m_list) return;
    const int i = ItemIndex(vKey);
    m_list->remove(i);
    if (i < m_keys.size()) m_keys.removeAt(i);
    ResizeKeys();
    markImagesChanged();
}

void KeyImageList::SwapOrCopyImage(const QVariant& vKeySrc, const QVariant& vKeyDst, int eSwap) {
    if (!m_list) return;
    const int a = ItemIndex(vKeySrc);
    const int b = ItemIndex(vKeyDst);
    m_list->copy(a, b, eSwap == SwapImages);
    ResizeKeys();
    m_keys.swapItemsAt(a, b);
    emit propertyChanged(QStringLiteral("Images"));
    emit propertyChanged(QStringLiteral("Size"));
}

void KeyImageList::Clear() {
    Create();
    m_keys.clear();
    emit propertyChanged(QStringLiteral("Images"));
    emit propertyChanged(QStringLiteral("Size"));
}

void KeyImageList::DrawImage(const QVariant& vKey, QImage& hdc, int xPixels, int yPixels,
                             bool bSelected, bool bCut, bool bDisabled,
                             platform::OleColor oCutDitherColour,
                             const std::shared_ptr<platform::ImageList>& hExternalIml) {
    if (!m_list) return;
    const int i = ItemIndex(vKey);
    const platform::ImageList& list = hExternalIml ? *hExternalIml : *m_list;
    const QPoint at(xPixels, yPixels);
    if (hdc.isNull()) return;
    if (bCut) {
        QPainter painter(&hdc);
        list.drawBlended(painter, i, at, oCutDitherColour);
    } else if (!bDisabled) {
        list.draw(hdc, i, at,
                  bSelected ? platform::ImageList::Look::Selected
                            : platform::ImageList::Look::Normal);
    } else {
        list.draw(hdc, i, at, platform::ImageList::Look::Disabled);
    }
}

QPixmap KeyImageList::ItemPicture(const QVariant& vKey) const {
    if (!m_list) return {};
    return IconToPicture(m_list->image(ItemIndex(vKey)));
}

iconstream::IconImage KeyImageList::ItemCopyOfIcon(const QVariant& vKey) const {
    if (!m_list) return {};
    const int i = ItemIndex(vKey);
    return iconstream::makeIcon(m_list->colourBitmap(i), m_list->maskBitmap(i));
}

QPixmap KeyImageList::ImagePictureStrip(const QVariant& vStartKey, const QVariant& vEndKey,
                                        platform::OleColor oBackColor) const {
    if (!m_list) return {};
    const int first = vStartKey.isValid() ? ItemIndex(vStartKey) : 0;
    const int last = vEndKey.isValid() ? ItemIndex(vEndKey) : ImageCount() - 1;
    if (!(last > first && last > -1)) return {};
    QImage strip(ImageCount() * m_iconSizeX, m_iconSizeY, QImage::Format_RGB32);
    strip.fill(platform::toQRgb(oBackColor));
    for (int i = first; i <= last; ++i)
        m_list->draw(strip, i, QPoint(i * m_iconSizeX, 0));
    return BitmapToPicture(strip);
}

std::vector<iconstream::IconImage> KeyImageList::iconCopies(QStringList* keys) const {
    std::vector<iconstream::IconImage> icons;
    for (int i = 0; i < ImageCount(); ++i) {
        iconstream::IconImage icon =
            iconstream::makeIcon(m_list->colourBitmap(i), m_list->maskBitmap(i));
        if (icon.colour.isNull()) continue;
        icons.push_back(icon);
        if (keys) keys->append(m_keys.value(i));
    }
    return icons;
}

void KeyImageList::addIcons(const std::vector<iconstream::IconImage>& icons) {
    const QSize size(m_iconSizeX, m_iconSizeY);
    for (const iconstream::IconImage& icon : icons) {
        const iconstream::IconImage fitted = fitIcon(icon, size);
        m_list->add(fitted.colour, fitted.mask);
    }
}

QByteArray KeyImageList::saveToBytes() const {
    if (!m_list) return {};
    QStringList keys;
    const std::vector<iconstream::IconImage> icons = iconCopies(&keys);
    iconstream::ImageListFile file;
    file.streamVersion = ProgramStreamVersion();
    qsizetype offset = 0;
    for (size_t i = 0; i < icons.size(); ++i) {
        qsizetype length = 0;
        if (!iconstream::SerializeIcon(icons[i], file.stream, offset, length, file.streamVersion))
            continue; // an image that cannot be written leaves no record and no key
        offset += length;
        // The length field counts the bytes written, so keys of double-byte characters survive.
        file.keyText += platform::toGbk(keys[static_cast<qsizetype>(i)]);
        file.keyText += iconstream::kFileKeySeparator;
    }
    file.stream.truncate(offset);
    file.keyText += iconstream::kFileKeySeparator;
    return iconstream::writeFile(file);
}

bool KeyImageList::loadFromBytes(QByteArrayView bytes) {
    if (!m_list) return false;
    iconstream::FileError error = iconstream::FileError::None;
    const std::optional<iconstream::ImageListFile> file = iconstream::readFile(bytes, &error);
    if (!file) {
        if (error == iconstream::FileError::Truncated)
            raiseError(kErrPastEnd, kTextPastEnd);
        raiseError(kErrBadFormat, kTextBadFormat);
    }
    // A record that cannot be rebuilt ends the reading: the images before it are kept with their
    // keys, and the caller learns of the damage.
    const iconstream::StreamRead read = iconstream::readStream(file->stream, file->streamVersion);
    const int first = ImageCount();
    addIcons(read.icons);
    ResizeKeys();
    const QList<QByteArray> pieces = file->keyText.split(iconstream::kFileKeySeparator);
    for (int j = 0; first + j < ImageCount() && j < pieces.size(); ++j) {
        if (!pieces[j].isEmpty()) StoreKey(first + j, platform::fromGbk(pieces[j]));
    }
    markImagesChanged();
    if (!read.complete) raiseError(kErrBadFormat, kTextBadFormat);
    return true;
}

bool KeyImageList::SaveToFile(const QString& sFile) {
    if (!m_list) return false;
    // Written whole and then put in place: an existing longer file keeps no tail of its own.
    // Temporary files of a save cut short by a crash go first.
    platform::removeSaveLeftovers(sFile);
    QSaveFile file(sFile);
    if (!file.open(QIODevice::WriteOnly)) raiseError(kErrFileAccess, kTextFileAccess);
    const QByteArray bytes = saveToBytes();
    if (file.write(bytes) != bytes.size() || !file.commit())
        raiseError(kErrFileAccess, kTextFileAccess);
    return true;
}

bool KeyImageList::LoadFromFile(const QString& sFile) {
    if (!m_list) return false;
    QFile file(sFile);
    if (!file.open(QIODevice::ReadOnly)) raiseError(kErrFileNotFound, kTextFileNotFound);
    const QByteArray bytes = file.readAll();
    file.close();
    return loadFromBytes(bytes);
}

void KeyImageList::readProperties(const platform::PropertyBag& bag) {
    m_iconSizeX = savedSize(bag, QStringLiteral("IconSizeX"));
    m_iconSizeY = savedSize(bag, QStringLiteral("IconSizeY"));
    m_colourDepth = savedDepth(bag);
    m_streamVersion = bag.read(QStringLiteral("Version"), 0).toInt();
    if (!Create()) return;
    const int size = bag.read(QStringLiteral("Size"), 0).toInt();
    bool complete = true;
    if (size > 0) {
        const QByteArray images = bag.read(QStringLiteral("Images")).toByteArray();
        const QByteArrayView stream =
            QByteArrayView(images).first(std::min<qsizetype>(size, images.size()));
        // A record that cannot be rebuilt ends the reading; the images before it stay.
        const iconstream::StreamRead read = iconstream::readStream(stream, m_streamVersion);
        addIcons(read.icons);
        complete = read.complete && images.size() >= size;
    }
    m_keys = QStringList();
    ResizeKeys();
    ApplyKeyText(0, bag.read(QStringLiteral("Keys"), QString()).toString());
    if (!complete) raiseError(kErrBadFormat, kTextBadFormat);
}

void KeyImageList::writeProperties(platform::PropertyBag& bag) const {
    bag.write(QStringLiteral("IconSizeX"), m_iconSizeX, kDefaultIconSize);
    bag.write(QStringLiteral("IconSizeY"), m_iconSizeY, kDefaultIconSize);
    bag.write(QStringLiteral("ColourDepth"), m_colourDepth, kDefaultColourDepth);
    QByteArray stream;
    if (m_list && ImageCount() > 0) {
        const int32_t version = ProgramStreamVersion();
        qsizetype offset = 0;
        for (const iconstream::IconImage& icon : iconCopies(nullptr)) {
            qsizetype length = 0;
            if (iconstream::SerializeIcon(icon, stream, offset, length, version)) offset += length;
        }
        stream.truncate(offset);
    }
    if (!stream.isEmpty()) {
        bag.write(QStringLiteral("Size"), static_cast<int>(stream.size()));
        bag.write(QStringLiteral("Images"), stream);
        bag.write(QStringLiteral("Version"), ProgramStreamVersion());
        bag.write(QStringLiteral("KeyCount"), ImageCount());
        QStringList keys = m_keys;
        keys.resize(ImageCount());
        bag.write(QStringLiteral("Keys"), keys.join(QChar(kKeySeparator)), QString());
    } else {
        bag.write(QStringLiteral("Size"), 0, 0);
        bag.write(QStringLiteral("Images"), 0, 0);
        bag.write(QStringLiteral("Version"), 0, 0);
        bag.write(QStringLiteral("KeyCount"), 0, 0);
        bag.write(QStringLiteral("Keys"), QString(), QString());
    }
}

QImage KeyImageList::designLook() const {
    using namespace platform;
    QImage surface = gdi::makeSurface(kDesignSize, kDesignSize, 0x8000000F);
    drawGlyph(surface, 2, 2);
    gdi::drawEdge(surface, {0, 0, kDesignSize, kDesignSize}, gdi::EDGE_RAISED, gdi::BF_RECT);
    if (ImageCount() > 0)
        gdi::drawText(surface, QString::number(ImageCount()), {3, 22, 34, 34},
                      gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE, font(), 0x80000012);
    return surface;
}

void KeyImageList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, designLook());
}
