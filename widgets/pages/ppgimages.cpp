#include "widgets/pages/ppgimages.h"

#include "platform/gdi.h"
#include "platform/msgbox.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "widgets/imagelist/anicursor.h"
#include "widgets/imagelist/keyimagelist.h"
#include "widgets/imagelist/picture.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {

namespace gdi = platform::gdi;
using platform::OleColor;

constexpr OleColor kButtonFace = 0x8000000F;
constexpr OleColor kWindow = 0x80000005;
constexpr OleColor kWindowText = 0x80000008;
constexpr OleColor kGrayText = 0x80000010;
constexpr OleColor kAutomaticCursorBack = 0xFFFF00; // cyan
constexpr int kTwips = 15;

const QString kPopulate = QStringLiteral("POPULATE");
const QString kChangedTag = QStringLiteral("CHANGED");
const QString kDuplicateKey = QStringLiteral("此键已与该集合的一个元素相关联");

const QString kAddFilter = QStringLiteral(
    "ImageList Pictures (*.ICO;*.CUR;*.ANI;*.BMP;*.DIB;*.GIF)|*.ICO;*.CUR;*.ANI;*.BMP;*.GIF|"
    "Icon Files (*.ICO)|*.ICO|Cursor Files (*.CUR;*.ANI)|*.CUR;*.ANI;|"
    "Bitmap Files (*.BMP;*.DIB)|*.BMP;*.DIB|GIF Files (*.GIF)|*.GIF|All Files (*.*)|*.*");
constexpr int kAddFlags = 0x80200; // Explorer style, several files

QRect twips(int left, int top, int width, int height) {
    return {left / kTwips, top / kTwips, width / kTwips, height / kTwips};
}

QColor qcolour(OleColor c) {
    const int32_t rgb = platform::OleColorToRgb(c);
    return platform::toQColor(rgb < 0 ? 0 : static_cast<OleColor>(rgb));
}

void setColours(QWidget* w, OleColor back, OleColor text) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, qcolour(back));
    p.setColor(QPalette::Window, qcolour(back));
    p.setColor(QPalette::Text, qcolour(text));
    p.setColor(QPalette::WindowText, qcolour(text));
    w->setPalette(p);
}

// A colour box's value: its leading number rounded to a whole number, within 0 to 255.
int colourPart(const QString& text) {
    double v = 0;
    try {
        v = platform::Val(text);
    } catch (const platform::VbError&) {
        v = 0;
    }
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(std::nearbyint(v), 0.0, 255.0));
}

// The full paths of a file dialog's answer: one path, or a folder and names separated by NULs.
QStringList splitPaths(const QString& answer) {
    const QChar nul(u'\0');
    if (!answer.contains(nul)) return {answer};
    const QStringList parts = answer.split(nul);
    QString folder = parts.first();
    if (!folder.endsWith(u'/') && !folder.endsWith(u'\\')) folder += u'/';
    QStringList paths;
    for (qsizetype i = 1; i < parts.size(); ++i)
        if (!parts[i].isEmpty()) paths << folder + parts[i];
    return paths;
}

QString fileNameOf(const QString& path) {
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(slash + 1);
}

} // namespace

ppgImages::ppgImages(QWidget* parent) : PropertyPage(QStringLiteral("Images"), parent) {
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(5820 / kTwips, 4560 / kTwips);

    auto* fraTransparentColour = new QFrame(this);
    fraTransparentColour->setFrameShape(QFrame::Box);
    fraTransparentColour->setFrameShadow(QFrame::Sunken);
    fraTransparentColour->setGeometry(twips(60, 60, 5655, 1905));
    auto* lblBitmapColour = new QLabel(
        QStringLiteral("Bitmap &Transparent Colour (set before adding bitmaps or GIFs):"),
        fraTransparentColour);
    lblBitmapColour->setGeometry(twips(120, 90, 5400, 240));
    optTransparentColour[0] = new QRadioButton(
        QStringLiteral("&Set Automatically from Top-Left Pixel of Image"), fraTransparentColour);
    optTransparentColour[0]->setGeometry(twips(240, 390, 5000, 270));
    optTransparentColour[1] =
        new QRadioButton(QStringLiteral("Use Co&lour:"), fraTransparentColour);
    optTransparentColour[1]->setGeometry(twips(240, 720, 1500, 270));
    optTransparentColour[0]->setChecked(true);
    lblBitmapColour->setBuddy(optTransparentColour[0]);
    const char* rgbCaptions[] = {"Re&d:", "&Green:", "&Blue:"};
    const char* rgbTexts[] = {"0", "255", "255"};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(QString::fromLatin1(rgbCaptions[i]), fraTransparentColour);
        label->setGeometry(twips(540 + i * 1260, 1080, 600, 285));
        auto* box = new QLineEdit(QString::fromLatin1(rgbTexts[i]), fraTransparentColour);
        box->setGeometry(twips(1140 + i * 1260, 1065, 555, 300));
        label->setBuddy(box);
        acceptDigitsOnly(box);
        lblRGB[static_cast<size_t>(i)] = label;
        txtRGB[static_cast<size_t>(i)] = box;
        connect(box, &QLineEdit::textChanged, this, [this] {
            commitKey();
            showTransparentColour();
        });
    }
    lblColor = new QLabel(fraTransparentColour);
    lblColor->setGeometry(twips(540, 1470, 1200, 330));
    lblColor->setFrameShape(QFrame::Box);
    lblColor->setAutoFillBackground(true);
    cmdPickColour = new QPushButton(QStringLiteral("&Pick..."), fraTransparentColour);
    cmdPickColour->setGeometry(twips(1860, 1455, 1000, 360));
    cmdPickColour->setToolTip(QStringLiteral("Choose Transparent Colour"));
    for (QRadioButton* option : optTransparentColour)
        connect(option, &QRadioButton::clicked, this, &ppgImages::optTransparentColour_Click);
    connect(cmdPickColour, &QPushButton::clicked, this, &ppgImages::cmdPickColour_Click);

    fraCurrent = new QFrame(this);
    fraCurrent->setFrameShape(QFrame::Box);
    fraCurrent->setFrameShadow(QFrame::Sunken);
    fraCurrent->setGeometry(twips(60, 2040, 5655, 915));
    auto* lblItemIndex = new QLabel(QStringLiteral("I&ndex:"), fraCurrent);
    lblItemIndex->setGeometry(twips(120, 120, 600, 285));
    txtIndex = new QLineEdit(fraCurrent);
    txtIndex->setReadOnly(true);
    txtIndex->setGeometry(twips(720, 105, 1200, 300));
    lblItemIndex->setBuddy(txtIndex);
    cmdBack = new QPushButton(fraCurrent);
    cmdBack->setIcon(arrowIcon(true));
    cmdBack->setGeometry(twips(2040, 105, 360, 300));
    cmdBack->setToolTip(QStringLiteral("Select Previous Icon"));
    cmdNext = new QPushButton(fraCurrent);
    cmdNext->setIcon(arrowIcon(false));
    cmdNext->setGeometry(twips(2400, 105, 360, 300));
    cmdNext->setToolTip(QStringLiteral("Select Next Icon"));
    auto* lblItemKey = new QLabel(QStringLiteral("&Key:"), fraCurrent);
    lblItemKey->setGeometry(twips(120, 510, 600, 285));
    txtKey = new QLineEdit(fraCurrent);
    txtKey->setGeometry(twips(720, 495, 2040, 300));
    lblItemKey->setBuddy(txtKey);
    chkSetKeys = new QCheckBox(QStringLiteral("&Set Keys from Filename(s)"), fraCurrent);
    chkSetKeys->setGeometry(twips(2940, 495, 2640, 300));
    connect(cmdBack, &QPushButton::clicked, this, &ppgImages::cmdBack_Click);
    connect(cmdNext, &QPushButton::clicked, this, &ppgImages::cmdNext_Click);
    connect(txtKey, &QLineEdit::textChanged, this, [this] {
        if (m_keyTag == kPopulate) return;
        setChanged(true);
        m_keyTag = kChangedTag;
    });

    hscScroll = new QScrollBar(Qt::Horizontal, this);
    hscScroll->setGeometry(twips(90, 3840, 5610, 195));
    connect(hscScroll, &QScrollBar::valueChanged, this, [this] {
        commitKey();
        drawImageStrip();
    });

    struct ButtonSpec {
        QPushButton** button;
        const char* caption;
        const char* toolTip;
        int left;
        int width;
    };
    const ButtonSpec buttons[] = {
        {&cmdAdd, "&Add...", "Add One or More Images", 60, 1100},
        {&cmdRemove, "&Remove...", "Remove Selected Image", 1220, 1100},
        {&cmdMoveDown, "<<", "Move Selected Image Back", 2380, 700},
        {&cmdMoveUp, ">>", "Move Selected Image Forward", 3140, 700},
        {&cmdClear, "&Clear...", "Clear the Image List", 4615, 1100},
    };
    for (const ButtonSpec& spec : buttons) {
        *spec.button = new QPushButton(QString::fromLatin1(spec.caption), this);
        (*spec.button)->setGeometry(twips(spec.left, 4140, spec.width, 360));
        (*spec.button)->setToolTip(QString::fromLatin1(spec.toolTip));
    }
    connect(cmdAdd, &QPushButton::clicked, this, &ppgImages::cmdAdd_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &ppgImages::cmdRemove_Click);
    connect(cmdMoveDown, &QPushButton::clicked, this, &ppgImages::cmdMoveDown_Click);
    connect(cmdMoveUp, &QPushButton::clicked, this, &ppgImages::cmdMoveUp_Click);
    connect(cmdClear, &QPushButton::clicked, this, &ppgImages::cmdClear_Click);

    m_surface = gdi::makeSurface(width(), height(), kButtonFace);
    const std::pair<QWidget*, const char*> names[] = {
        {optTransparentColour[0], "optTransparentColour0"},
        {optTransparentColour[1], "optTransparentColour1"},
        {txtRGB[0], "txtRGB0"},
        {txtRGB[1], "txtRGB1"},
        {txtRGB[2], "txtRGB2"},
        {cmdPickColour, "cmdPickColour"},
        {txtIndex, "txtIndex"},
        {cmdBack, "cmdBack"},
        {cmdNext, "cmdNext"},
        {txtKey, "txtKey"},
        {chkSetKeys, "chkSetKeys"},
        {hscScroll, "hscScroll"},
        {cmdAdd, "cmdAdd"},
        {cmdRemove, "cmdRemove"},
        {cmdMoveDown, "cmdMoveDown"},
        {cmdMoveUp, "cmdMoveUp"},
        {cmdClear, "cmdClear"},
    };
    for (const auto& [widget, name] : names)
        widget->setObjectName(QLatin1String(name));
}

KeyImageList* ppgImages::list() const {
    return firstSelected<KeyImageList>();
}

void ppgImages::PropertyPage_Start() {
    mSelected = 0;
    showTransparentColour();
    hscScroll->hide();
    optTransparentColour_Click();
}

void ppgImages::SelectionChanged() {
    KeyImageList* images = list();
    setColours(txtKey, images != nullptr && images->ImageCount() > 0 ? kWindow : kButtonFace,
               kWindowText);
    drawImageStrip();
}

void ppgImages::ApplyChanges() {
    if (mSelected >= 0) commitKey();
    drawImageStrip();
}

void ppgImages::ControlsApplied() {
    drawImageStrip();
}

void ppgImages::drawImageStrip() {
    KeyImageList* images = list();
    const QRect frame = fraCurrent->geometry();
    const int left = frame.left();
    const int top = frame.top() + frame.height() + 8;
    const int right = left + frame.width();
    const int bottom = hscScroll->geometry().top() + hscScroll->geometry().height() + 2;
    mStripRect = QRect(QPoint(left, top), QPoint(right, bottom));
    const gdi::Rect outer{left, top, right, bottom};
    gdi::fillRect(m_surface, outer, kWindow);
    gdi::drawEdge(m_surface, outer, gdi::EDGE_SUNKEN, gdi::BF_RECT);
    const gdi::Rect inner{left + 2, top + 2, right - 4, bottom - 4};

    int count = 0;
    if (images != nullptr && images->hIml()) {
        const auto iml = images->hIml();
        count = iml->count();
        if (mSelected >= count) mSelected = count - 1;
        // A list that has gained images since the page last drew has a selection again.
        if (mSelected < 0 && count > 0) mSelected = 0;
        const int cx = iml->imageSize().width();
        const int slot = cx + 2;
        const int fits = (inner.right - inner.left) / slot;
        // The bar's own change event would draw the strip again from inside this drawing.
        const QSignalBlocker quiet(hscScroll);
        if (fits < count) {
            hscScroll->setMaximum((count - fits) * slot);
            hscScroll->setSingleStep(slot);
            hscScroll->setPageStep(slot * 8);
            hscScroll->setVisible(true);
        } else {
            hscScroll->setValue(0);
            hscScroll->setVisible(false);
        }
        QPainter painter(&m_surface);
        painter.setClipRect(
            QRect(inner.left, inner.top, inner.right - inner.left, inner.bottom - inner.top));
        int x = inner.left - (hscScroll->isHidden() ? 0 : hscScroll->value());
        const int cy = iml->imageSize().height();
        for (int i = 0; i < count; ++i) {
            if (x + cx > inner.left) {
                iml->draw(painter, i, QPoint(x, inner.top + 2));
                if (i == mSelected) {
                    painter.end();
                    gdi::drawEdge(m_surface, {x - 2, inner.top, x + cx + 2, inner.top + cy + 4},
                                  gdi::EDGE_RAISED, gdi::BF_RECT);
                    painter.begin(&m_surface);
                    painter.setClipRect(QRect(inner.left, inner.top, inner.right - inner.left,
                                              inner.bottom - inner.top));
                }
            }
            x += slot;
            if (x > inner.right) break;
        }
    }
    // The raised edge is drawn unclipped; whatever it put outside the strip is put right.
    gdi::drawEdge(m_surface, outer, gdi::EDGE_SUNKEN, gdi::BF_RECT);

    cmdNext->setEnabled(mSelected < count - 1);
    cmdMoveUp->setEnabled(mSelected < count - 1);
    cmdBack->setEnabled(mSelected > 0);
    cmdMoveDown->setEnabled(mSelected > 0);
    cmdRemove->setEnabled(count > 0);
    if (count > 0) {
        txtIndex->setText(QString::number(mSelected + 1) + QStringLiteral(" of ") +
                          QString::number(images->ImageCount()));
        txtIndex->setEnabled(true);
        m_keyTag = kPopulate;
        if (mSelected >= 0 && mSelected < images->ImageCount()) {
            try {
                txtKey->setText(images->ItemKey(mSelected + 1));
            } catch (const platform::VbError&) {
                // the box keeps what it showed
            }
        }
        txtKey->setEnabled(true);
        m_keyTag.clear();
    } else {
        m_keyTag = kPopulate;
        txtIndex->clear();
        txtKey->clear();
        m_keyTag.clear();
        txtIndex->setEnabled(false);
        txtKey->setEnabled(false);
    }
    update();
}

void ppgImages::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, m_surface);
}

QImage ppgImages::face() {
    return grab().toImage();
}

void ppgImages::mousePressEvent(QMouseEvent* event) {
    pagePress(event->position().toPoint());
}

void ppgImages::pagePress(QPoint at) {
    commitKey();
    KeyImageList* images = list();
    if (images == nullptr || !images->hIml()) return;
    if (!mStripRect.contains(at)) return;
    int x = at.x();
    if (!hscScroll->isHidden()) x += hscScroll->value();
    const int slot = (x - mStripRect.left()) / (images->hIml()->imageSize().width() + 2);
    if (slot >= 0 && slot < images->ImageCount()) {
        mSelected = slot;
        drawImageStrip();
    }
}

void ppgImages::scrollSelectedIntoView(int direction) {
    KeyImageList* images = list();
    if (images == nullptr || !images->hIml() || images->ImageCount() == 0 || hscScroll->isHidden())
        return;
    const int cx = images->hIml()->imageSize().width();
    const int step = cx + 4;
    const int value = hscScroll->value();
    if (direction > 0) {
        if (mStripRect.left() - value + (mSelected + 1) * (cx + 2) > mStripRect.right())
            hscScroll->setValue(value + step < hscScroll->maximum() ? value + step
                                                                    : hscScroll->maximum());
    } else if (mStripRect.left() - value + mSelected * (cx + 2) < mStripRect.left()) {
        hscScroll->setValue(value > step ? value - step : 0);
    }
}

void ppgImages::commitKey() {
    KeyImageList* images = list();
    if (m_keyTag != kChangedTag || mSelected < 0 || images == nullptr) return;
    const QString typed = txtKey->text();
    try {
        images->setItemKey(mSelected + 1, typed);
        // The list refuses a key another image carries without a word; the page reports it.
        if (images->ItemKey(mSelected + 1) != typed)
            platform::messageBox(kDuplicateKey, {}, platform::BoxButtons::Ok,
                                 platform::BoxIcon::Information, this);
    } catch (const platform::VbError& e) {
        platform::messageBox(e.description, {}, platform::BoxButtons::Ok,
                             platform::BoxIcon::Information, this);
    }
    m_keyTag.clear();
}

void ppgImages::cmdRemove_Click() {
    KeyImageList* images = list();
    if (images == nullptr || !images->hIml()) return;
    if (images->ImageCount() > 0) {
        try {
            images->RemoveImage(mSelected + 1);
        } catch (const platform::VbError&) {
            // nothing to remove there
        }
    } else {
        cmdRemove->setEnabled(false);
    }
    drawImageStrip();
}

void ppgImages::cmdClear_Click() {
    KeyImageList* images = list();
    if (platform::messageBox(QStringLiteral("Are you sure you want to remove all icons?"), {},
                             platform::BoxButtons::YesNo, platform::BoxIcon::Question,
                             this) != platform::BoxAnswer::Yes)
        return;
    if (images != nullptr) images->Clear();
    drawImageStrip();
    setChanged(true);
}

void ppgImages::cmdBack_Click() {
    KeyImageList* images = list();
    if (images == nullptr || !images->hIml() || images->ImageCount() == 0) {
        cmdBack->setEnabled(false);
        return;
    }
    commitKey();
    mSelected -= 1;
    scrollSelectedIntoView(-1);
    drawImageStrip();
}

void ppgImages::cmdNext_Click() {
    KeyImageList* images = list();
    if (images == nullptr || !images->hIml() || images->ImageCount() == 0) {
        cmdNext->setEnabled(false);
        return;
    }
    if (mSelected >= images->ImageCount() - 1) return;
    commitKey();
    mSelected += 1;
    scrollSelectedIntoView(1);
    drawImageStrip();
}

void ppgImages::cmdMoveDown_Click() {
    KeyImageList* images = list();
    if (images == nullptr || !images->hIml() || mSelected <= 0 || images->ImageCount() <= 0) return;
    commitKey();
    images->SwapOrCopyImage(mSelected + 1, mSelected);
    mSelected -= 1;
    scrollSelectedIntoView(-1);
    drawImageStrip();
    setChanged(true);
}

void ppgImages::cmdMoveUp_Click() {
    KeyImageList* images = list();
    if (images == nullptr || !images->hIml() || mSelected < 0 ||
        images->ImageCount() <= mSelected + 1)
        return;
    commitKey();
    images->SwapOrCopyImage(mSelected + 1, mSelected + 2);
    mSelected += 1;
    scrollSelectedIntoView(1);
    drawImageStrip();
    setChanged(true);
}

void ppgImages::showTransparentColour() {
    if (optTransparentColour[1]->isChecked())
        m_swatch = static_cast<uint32_t>(colourPart(txtRGB[0]->text()) +
                                         colourPart(txtRGB[1]->text()) * 256 +
                                         colourPart(txtRGB[2]->text()) * 65536);
    else
        m_swatch = kButtonFace;
    setColours(lblColor, m_swatch, kWindowText);
}

void ppgImages::optTransparentColour_Click() {
    const bool automatic = optTransparentColour[0]->isChecked();
    for (int i = 0; i < 3; ++i) {
        txtRGB[static_cast<size_t>(i)]->setReadOnly(automatic);
        setColours(txtRGB[static_cast<size_t>(i)], automatic ? kButtonFace : kWindow,
                   automatic ? kGrayText : kWindowText);
        setColours(lblRGB[static_cast<size_t>(i)], kButtonFace,
                   automatic ? kGrayText : kWindowText);
    }
    if (automatic) {
        m_swatch = kButtonFace;
        setColours(lblColor, m_swatch, kWindowText);
    } else {
        showTransparentColour();
    }
    cmdPickColour->setEnabled(!automatic);
}

void ppgImages::cmdPickColour_Click() {
    if (!CustomColoursReady) {
        for (int i = 0; i < 16; ++i)
            CustomColours[static_cast<size_t>(i)] = platform::GetSysColor(i);
        CustomColoursReady = true;
    }
    std::vector<uint32_t> custom(CustomColours.begin(), CustomColours.end());
    const int32_t start = TranslateOleColor(m_swatch);
    const int64_t chosen = pageDialogs().colour(cmdPickColour, start < 0 ? 0 : start, custom);
    for (size_t i = 0; i < 16 && i < custom.size(); ++i)
        CustomColours[i] = custom[i];
    if (chosen < 0) return;
    txtRGB[0]->setText(QString::number(chosen & 0xFF));
    txtRGB[1]->setText(QString::number((chosen >> 8) & 0xFF));
    txtRGB[2]->setText(QString::number((chosen >> 16) & 0xFF));
    showTransparentColour();
}

QString ppgImages::uniqueKey(const QString& base, int& n) const {
    KeyImageList* images = list();
    QString candidate = n == 0 ? base : base + u':' + QString::number(n);
    while (images != nullptr && images->KeyExists(candidate)) {
        ++n;
        candidate = base + u':' + QString::number(n);
    }
    return candidate;
}

void ppgImages::cmdAdd_Click() {
    KeyImageList* images = list();
    if (images == nullptr) return;
    const QString answer = pageDialogs().open(cmdAdd, kAddFilter, kAddFlags, {},
                                              QStringLiteral("Choose Icon to add"), true);
    if (answer.isEmpty()) return;
    const int64_t colour = optTransparentColour[0]->isChecked() ? -1 : int64_t(m_swatch);
    for (const QString& path : splitPaths(answer))
        addFile(path, colour);
    if (mSelected < 0) mSelected = 0;
    mSelected = std::min(mSelected, std::max(0, images->ImageCount() - 1));
    drawImageStrip();
    setChanged(true);
}

void ppgImages::addFile(const QString& path, int64_t colour) {
    KeyImageList* images = list();
    const int before = images->ImageCount();
    const QString name = fileNameOf(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : name.mid(dot + 1).toUpper();
    const QString key =
        chkSetKeys->isChecked() ? (dot < 0 ? name : name.left(dot)).toUpper() : QString();
    const int after_ = mSelected + 1;
    try {
        if (extension == QLatin1String("ICO")) {
            images->AddFromFile(path, KeyImageList::TypeIcon, key, false, -1, after_);
        } else if (extension == QLatin1String("CUR")) {
            images->AddFromFile(path, KeyImageList::TypeCursor, key, false, -1, after_);
        } else if (extension == QLatin1String("ANI")) {
            const QString question =
                QStringLiteral("Do you want to load all frames of the animated cursor file '") +
                path + QStringLiteral("'?");
            if (platform::messageBox(question, {}, platform::BoxButtons::YesNo,
                                     platform::BoxIcon::Question, this) == platform::BoxAnswer::Yes)
                addCursorFrames(path, after_, key);
            else
                images->AddFromFile(path, KeyImageList::TypeCursor, key, false, -1, after_);
        } else if (extension == QLatin1String("BMP") || extension == QLatin1String("DIB")) {
            images->AddFromFile(path, KeyImageList::TypeBitmap, key, false, colour, after_);
        } else {
            const QImage picture(path);
            if (!picture.isNull())
                images->AddFromHandle(picture.convertToFormat(QImage::Format_RGB32),
                                      KeyImageList::TypeBitmap, key, colour, after_);
        }
    } catch (const platform::VbError&) {
        // counts as a file that added nothing
    }
    const int after = images->ImageCount();
    if (after == before) {
        platform::messageBox(QStringLiteral("The file '") + path +
                                 QStringLiteral("' could not be loaded.  Please check whether this "
                                                "is a valid image."),
                             {}, platform::BoxButtons::Ok, platform::BoxIcon::Information, this);
        return;
    }
    if (after > before + 1 && chkSetKeys->isChecked()) {
        int n = 1;
        const int first = before == 0 ? 1 : mSelected + 1;
        const int last = before == 0 ? after : mSelected + (after - before);
        try {
            for (int i = first; i <= last; ++i)
                images->setItemKey(i, uniqueKey(key, n));
        } catch (const platform::VbError&) {
            // the images stay with the keys they have
        }
    }
}

void ppgImages::addCursorFrames(const QString& path, int position, const QString& key) {
    KeyImageList* images = list();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    const std::vector<QImage> frames = anicursor::readFrames(file.readAll());
    if (frames.empty()) return;
    const int cx = images->IconSizeX();
    const int cy = images->IconSizeY();
    const OleColor back = optTransparentColour[0]->isChecked() ? kAutomaticCursorBack : m_swatch;
    QImage strip(cx * static_cast<int>(frames.size()), cy, QImage::Format_RGB32);
    strip.fill(qcolour(back));
    QPainter painter(&strip);
    for (size_t i = 0; i < frames.size(); ++i)
        painter.drawImage(QRect(static_cast<int>(i) * cx, 0, cx, cy), frames[i]);
    painter.end();
    images->AddFromHandle(strip, KeyImageList::TypeBitmap, key, back, position);
}
