#pragma once

#include "platform/colors.h"
#include "platform/imagelist.h"
#include "widgets/imagelist/iconstream.h"

#include <QByteArray>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <cstdint>
#include <memory>

namespace platform {
class PropertyBag;
}

// The keyed image list: one platform image list and a text key for every image in it, so callers
// name an image by key or by its one-based number. A key argument (vKey) is a QVariant: a number,
// or a text that reads as a number, is a position; anything else is a key, compared exactly. An
// unknown key or a position outside the list raises VbError 9 with the source
// "<executable>.KeyImageList" before anything changes. Among keys that are not blank no two are
// equal; a duplicate is refused silently.
//
// The images travel as saved properties in the icon stream format, and SaveToFile/LoadFromFile
// keep them with their keys in an image list file. The control never shows at run time.
class KeyImageList : public QWidget {
    Q_OBJECT
public:
    // Image types of the add members.
    enum : int { TypeBitmap = 0, TypeIcon = 1, TypeCursor = 2 };
    // Modes of SwapOrCopyImage.
    enum : int { CopyImage = 0, SwapImages = 1 };

    // A newly placed control: 16 x 16 images, the display's depth, an empty list.
    explicit KeyImageList(QWidget* parent = nullptr);
    ~KeyImageList() override;

    // The version this program writes streams with: major x 65,536 + minor.
    [[nodiscard]] static int32_t ProgramStreamVersion();
    // Image sides the list holds: 1 to 256 pixels. A list of any other size is not created.
    static constexpr int kMinIconSize = 1;
    static constexpr int kMaxIconSize = 256;
    [[nodiscard]] static constexpr bool sizeAllowed(int side) {
        return side >= kMinIconSize && side <= kMaxIconSize;
    }
    // The separator of the keys in the saved property "Keys" (code-page byte 255 read as text).
    static constexpr char16_t kKeySeparator = u'\xF8F5';

    [[nodiscard]] int SystemColourDepth() const;
    void SwapOrCopyImage(const QVariant& vKeySrc, const QVariant& vKeyDst, int eSwap = SwapImages);
    bool Create();
    void Destroy();
    // Draws one image on the surface; bCut blends it with oCutDitherColour (the window colour when
    // that cannot be translated), bSelected with the highlight colour, bDisabled greys it. An
    // external list, when given, is drawn from in place of this one, by the position vKey names
    // here.
    void DrawImage(const QVariant& vKey, QImage& hdc, int xPixels, int yPixels,
                   bool bSelected = false, bool bCut = false, bool bDisabled = false,
                   platform::OleColor oCutDitherColour = 0xFFFFFFFF,
                   const std::shared_ptr<platform::ImageList>& hExternalIml = {});

    [[nodiscard]] int IconSizeX() const { return m_iconSizeX; }
    void setIconSizeX(int lSizeX);
    [[nodiscard]] int IconSizeY() const { return m_iconSizeY; }
    void setIconSizeY(int lSizeY);
    [[nodiscard]] int ColourDepth() const { return m_colourDepth; }
    void setColourDepth(int eDepth);

    [[nodiscard]] int ImageCount() const;
    void RemoveImage(const QVariant& vKey);
    // Zero-based position of the image vKey names.
    [[nodiscard]] int ItemIndex(const QVariant& vKey) const;
    // Key of image iIndex (one-based).
    [[nodiscard]] QString ItemKey(int iIndex) const;
    void setItemKey(int iIndex, const QVariant& value);
    [[nodiscard]] bool KeyExists(const QString& sKey) const;
    // The image as an icon picture (transparent where masked); null when it cannot be made.
    [[nodiscard]] QPixmap ItemPicture(const QVariant& vKey) const;
    // A copy of the image as an icon; an empty icon when it cannot be made.
    [[nodiscard]] iconstream::IconImage ItemCopyOfIcon(const QVariant& vKey) const;
    void Clear();

    // Loads a picture file as a bitmap, icon or cursor (icons and cursors at the list's size; an
    // animated cursor gives its first frame) and adds it as AddFromHandle does. Mapping the 3-D greys to the system colours changes nothing:
    // the system colours are the classic ones.
    bool AddFromFile(const QString& sFileName, int iType, const QVariant& vKey = {},
                     bool bMapSysColors = false, int64_t lBackColor = -1,
                     const QVariant& vKeyAfter = {});
    // As AddFromFile for a picture among the program's resources (a resource path), at its own
    // size, without marking the saved properties changed.
    bool AddFromResourceID(const QString& lId, int iType, const QVariant& vKey = {},
                           bool bMapSysColors = false, int64_t lBackColor = -1,
                           const QVariant& vKeyAfter = {});
    // Adds a bitmap (a strip adds one image per IconSizeX columns; lBackColor -1 takes the
    // top-left pixel as the transparent colour) or an icon or cursor, after the image vKeyAfter
    // names (a key: right after it; a number m: as image m; 0 or nothing: at the end).
    bool AddFromHandle(const QImage& hImage, int iType, const QVariant& vKey = {},
                       int64_t lBackColor = -1, const QVariant& vKeyAfter = {});
    // Copies a 16 x 16 piece of a picture into a new image; the one-based position of the new
    // image, 0 when nothing was added.
    int AddFromPictureBox(const QImage& pic, const QVariant& vKey, int LeftPixels, int TopPixels,
                          int64_t lBackColor = -1);
    // The platform list; null when there is none.
    [[nodiscard]] std::shared_ptr<platform::ImageList> hIml() const { return m_list; }
    // The images from vStartKey to vEndKey side by side on oBackColor in a strip as wide as all
    // images; null for a range of fewer than two images.
    [[nodiscard]] QPixmap ImagePictureStrip(const QVariant& vStartKey = {},
                                            const QVariant& vEndKey = {},
                                            platform::OleColor oBackColor = 0x8000000F) const;

    // The list as image list file bytes, and the file's images and keys appended to the list.
    // loadFromBytes raises VbError 62 for a file that ends early and 321 for a negative length
    // (nothing is added then); at a record that cannot be rebuilt the images before it are added
    // with their keys and 321 is raised.
    [[nodiscard]] QByteArray saveToBytes() const;
    bool loadFromBytes(QByteArrayView bytes);
    // The same through a file; a file that cannot be written or read raises VbError 75 or 53.
    bool SaveToFile(const QString& sFile);
    bool LoadFromFile(const QString& sFile);

    // Saved properties: restore from and store into the host's bag. Sizes outside 1 to 256 and
    // unknown colour depths read as their defaults; damaged images keep those before the damage
    // and raise VbError 321 once the keys are applied.
    void readProperties(const platform::PropertyBag& bag);
    void writeProperties(platform::PropertyBag& bag) const;

    // How the control looks on a form being designed: a glyph and the image count, 36 x 36.
    [[nodiscard]] QImage designLook() const;

signals:
    // A saved property changed (by its saved key), so the host stores the control again.
    void propertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    [[noreturn]] void raiseError(int number, const QString& description) const;
    void ResizeKeys();
    void StoreKey(int i, const QVariant& value);
    void ApplyKeyText(int firstIndex, const QString& keyText);
    void markImagesChanged();
    [[nodiscard]] int addImage(const QImage& image, int iType, int64_t lBackColor);
    bool addLoaded(const QImage& image, int iType, const QVariant& vKey, bool bMapSysColors,
                   int64_t lBackColor, const QVariant& vKeyAfter);
    [[nodiscard]] std::vector<iconstream::IconImage> iconCopies(QStringList* keys) const;
    void addIcons(const std::vector<iconstream::IconImage>& icons);

    int m_iconSizeX = 16;
    int m_iconSizeY = 16;
    int m_colourDepth = 0;
    int32_t m_streamVersion = 0;
    std::shared_ptr<platform::ImageList> m_list;
    QStringList m_keys;
};

// Loads the main window's KeyImageList1 from its design data (the program's resources): the icons
// of the eleven tabs in tab order. Missing data leaves an empty list; damaged data keeps the
// images before the damage and raises VbError 321.
void loadKeyImageList1(KeyImageList& list);
