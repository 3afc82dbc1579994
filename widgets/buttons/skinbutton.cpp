#include "widgets/buttons/skinbutton.h"

#include "platform/gdi.h"
#include "platform/keys.h"
#include "platform/propertybag.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/theme.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QShortcutEvent>
#include <QStyle>
#include <QStyleOptionButton>

#include <cmath>

using platform::GetSysColor;
using platform::OleColor;
using platform::OleColorToRgb;
namespace gdi = platform::gdi;

namespace {

// Mouse buttons by the classic numbers.
constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
constexpr int kMiddleButton = 4;

// The control never gets smaller than this, each way.
constexpr int kMinimumTwips = 300;

// System colour codes of a new button's colours and of the grey caption.
constexpr OleColor kSysButtonFace = 0x8000000F;
constexpr OleColor kSysHighlight = 0x8000000D;
constexpr OleColor kSysButtonText = 0x80000012;
constexpr OleColor kSysGrayText = 0x80000011;

constexpr OleColor kDefaultMaskColor = 0xC0C0C0;

int vbButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton: return kLeftButton;
    case Qt::RightButton: return kRightButton;
    case Qt::MiddleButton: return kMiddleButton;
    default: return 0;
    }
}

OleColor resolved(OleColor systemCode) { return static_cast<OleColor>(OleColorToRgb(systemCode)); }

OleColor sysFace() { return GetSysColor(platform::COLOR_BTNFACE); }

QFont designFont() {
    QFont font(QStringLiteral("Verdana"));
    font.setPointSizeF(8.25);
    return font;
}

int roundHalfEven(double v) { return static_cast<int>(std::nearbyint(v)); }

Qt::CursorShape cursorShape(int pointer) {
    switch (pointer) {
    case 2: return Qt::CrossCursor;
    case 3: return Qt::IBeamCursor;
    case 5:
    case 15: return Qt::SizeAllCursor;
    case 6: return Qt::SizeBDiagCursor;
    case 7: return Qt::SizeVerCursor;
    case 8: return Qt::SizeFDiagCursor;
    case 9: return Qt::SizeHorCursor;
    case 10: return Qt::UpArrowCursor;
    case 11: return Qt::WaitCursor;
    case 12: return Qt::ForbiddenCursor;
    case 13: return Qt::BusyCursor;
    case 14: return Qt::WhatsThisCursor;
    default: return Qt::ArrowCursor;
    }
}

// The greys a greyed icon keeps as they are: &H000000, &H101010 .. &H808080, &HA0A0A0 .. &HFFFFFF.
bool keepsItsGrey(QRgb c) {
    const int v = qRed(c);
    if (v != qGreen(c) || v != qBlue(c))
        return false;
    return v == 0xFF || (v % 0x10 == 0 && v != 0x90);
}

QImage iconImage(const QPixmap& icon, int width, int height) {
    return icon.toImage()
        .convertToFormat(QImage::Format_ARGB32)
        .scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

} // namespace

SkinButton::SkinButton(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(kMinimumTwips / TwipsX, kMinimumTwips / TwipsY);
    m_backColor = resolved(kSysButtonFace);
    m_highlightColor = resolved(kSysHighlight);
    m_fontColor = resolved(kSysButtonText);
    m_fontHighlightColor = resolved(kSysButtonText);
    m_face.background = sysFace();
    setFont(designFont());
}

SkinButton::~SkinButton() = default;

// ---- Properties ------------------------------------------------------------------------------

void SkinButton::notify(const QString& name) { emit propertyChanged(name); }

template <typename T>
void SkinButton::setRepainting(T& member, T value, const QString& name) {
    member = value;
    notify(name);
    Refresh();
}

void SkinButton::propertyResized(const QString& name) {
    notify(name);
    resizeHandling();
}

void SkinButton::setCaption(const QString& caption) {
    m_caption = caption;
    updateAccessKey();
    propertyResized(QStringLiteral("Caption"));
}

QString SkinButton::caption() const { return m_caption; }

void SkinButton::setButtonStyle(int style) {
    m_style = style;
    propertyResized(QStringLiteral("Style"));
}

int SkinButton::buttonStyle() const { return m_style; }

void SkinButton::setIcon(const QPixmap& icon) {
    m_icon = icon;
    propertyResized(QStringLiteral("Icon"));
}

QPixmap SkinButton::icon() const { return m_icon; }

void SkinButton::setIconAlign(int align) {
    m_iconAlign = align;
    propertyResized(QStringLiteral("IconAlign"));
}

int SkinButton::iconAlign() const { return m_iconAlign; }

void SkinButton::setIconSize(int size) {
    m_iconSize = static_cast<int16_t>(size);
    propertyResized(QStringLiteral("IconSize"));
}

int SkinButton::iconSize() const { return m_iconSize; }

void SkinButton::setCaptionAlign(int align) {
    m_captionAlign = align;
    propertyResized(QStringLiteral("CaptionAlign"));
}

int SkinButton::captionAlign() const { return m_captionAlign; }

void SkinButton::setNonThemeStyle(int style) {
    m_nonThemeStyle = style;
    propertyResized(QStringLiteral("NonThemeStyle"));
}

int SkinButton::nonThemeStyle() const { return m_nonThemeStyle; }

void SkinButton::setShowFocus(bool v) { setRepainting(m_showFocus, v, QStringLiteral("ShowFocus")); }
bool SkinButton::showFocus() const { return m_showFocus; }

void SkinButton::setUseCustomColors(bool v) { setRepainting(m_useCustomColors, v, QStringLiteral("UseCustomColors")); }
bool SkinButton::useCustomColors() const { return m_useCustomColors; }

void SkinButton::setBackColor(OleColor v) { setRepainting(m_backColor, v, QStringLiteral("BackColor")); }
OleColor SkinButton::backColor() const { return m_backColor; }

void SkinButton::setHighlightColor(OleColor v) { setRepainting(m_highlightColor, v, QStringLiteral("HighlightColor")); }
OleColor SkinButton::highlightColor() const { return m_highlightColor; }

void SkinButton::setFontColor(OleColor v) { setRepainting(m_fontColor, v, QStringLiteral("FontColor")); }
OleColor SkinButton::fontColor() const { return m_fontColor; }

void SkinButton::setFontHighlightColor(OleColor v) { setRepainting(m_fontHighlightColor, v, QStringLiteral("FontHighlightColor")); }
OleColor SkinButton::fontHighlightColor() const { return m_fontHighlightColor; }

void SkinButton::setButtonType(int v) { setRepainting(m_buttonType, v, QStringLiteral("ButtonType")); }
int SkinButton::buttonType() const { return m_buttonType; }

void SkinButton::setValue(bool v) { setRepainting(m_value, v, QStringLiteral("Value")); }
bool SkinButton::value() const { return m_value; }

void SkinButton::setMaskColor(OleColor v) { setRepainting(m_maskColor, v, QStringLiteral("MaskColor")); }
OleColor SkinButton::maskColor() const { return m_maskColor; }

void SkinButton::setUseMaskColor(bool v) { setRepainting(m_useMaskColor, v, QStringLiteral("UseMaskColor")); }
bool SkinButton::useMaskColor() const { return m_useMaskColor; }

void SkinButton::setMousePointer(int pointer) {
    m_mousePointer = static_cast<int16_t>(pointer);
    if (m_mousePointer == 0)
        unsetCursor();
    else
        setCursor(cursorShape(m_mousePointer));
    notify(QStringLiteral("MousePointer"));
}

int SkinButton::mousePointer() const { return m_mousePointer; }

void SkinButton::setDisplayAsDefault(bool isDefault) {
    m_displayAsDefault = isDefault;
    Refresh();
}

bool SkinButton::displayAsDefault() const { return m_displayAsDefault; }

QString SkinButton::Version() { return QStringLiteral("3.4.0"); }

int SkinButton::OpenLink(const QString& link) {
    constexpr int kOpened = 42;
    constexpr int kFileNotFound = 2;
    return platform::shellOpen(link) ? kOpened : kFileNotFound;
}

// ---- Saved properties ------------------------------------------------------------------------

void SkinButton::readProperties(const platform::PropertyBag& bag) {
    m_state = StateNormal;
    m_icon = bag.read(QStringLiteral("Icon")).value<QPixmap>();
    m_style = bag.read(QStringLiteral("Style"), 3).toInt();
    m_caption = bag.read(QStringLiteral("Caption"), QStringLiteral("SkinButton")).toString();
    m_iconSize = static_cast<int16_t>(bag.read(QStringLiteral("IconSize"), 16).toInt());
    m_captionAlign = bag.read(QStringLiteral("CaptionAlign"), 0).toInt();
    m_iconAlign = bag.read(QStringLiteral("IconAlign"), 1).toInt();
    m_nonThemeStyle = bag.read(QStringLiteral("iNonThemeStyle"), 5).toInt();
    const bool enabled = bag.read(QStringLiteral("Enabled"), true).toBool();
    m_showFocus = bag.read(QStringLiteral("ShowFocus"), false).toBool();
    m_useCustomColors = bag.read(QStringLiteral("USeCustomColors"), false).toBool();
    m_backColor = bag.read(QStringLiteral("BackColor"), GetSysColor(platform::COLOR_BTNFACE)).toUInt();
    m_highlightColor = bag.read(QStringLiteral("HighlightColor"), GetSysColor(platform::COLOR_HIGHLIGHT)).toUInt();
    m_fontColor = bag.read(QStringLiteral("FontColor"), GetSysColor(platform::COLOR_BTNTEXT)).toUInt();
    m_fontHighlightColor =
        bag.read(QStringLiteral("FontHighlightColor"), GetSysColor(platform::COLOR_BTNTEXT)).toUInt();
    setToolTip(bag.read(QStringLiteral("ToolTipText"), toolTip()).toString());
    m_toolTipText = bag.read(QStringLiteral("ToolTipText"), QString()).toString();
    m_toolTipTitle = bag.read(QStringLiteral("Tooltiptitle"), QString()).toString();
    m_toolTipIcon = bag.read(QStringLiteral("ToolTipIcon"), 0).toInt();
    m_toolTipType = bag.read(QStringLiteral("ToolTipType"), 1).toInt();
    m_ttBackColor = bag.read(QStringLiteral("ttBackColor"), GetSysColor(platform::COLOR_INFOTEXT)).toUInt();
    m_ttForeColor = bag.read(QStringLiteral("ttForeColor"), GetSysColor(platform::COLOR_INFOBK)).toUInt();
    const QFont savedFont = bag.read(QStringLiteral("Font"), font()).value<QFont>();
    m_buttonType = bag.read(QStringLiteral("ButtonType"), 0).toInt();
    m_value = bag.read(QStringLiteral("Value"), false).toBool();
    m_useMaskColor = bag.read(QStringLiteral("UseMaskColor"), false).toBool();
    m_maskColor = bag.read(QStringLiteral("MaskColor"), kDefaultMaskColor).toUInt();
    const int pointer = bag.read(QStringLiteral("MousePointer"), 0).toInt();

    // Restoring is not a change the host has to store again: no property notices from here on.
    const QSignalBlocker quiet(this);
    setFont(savedFont);
    setEnabled(enabled);
    setMousePointer(pointer);
    updateAccessKey();
    resizeHandling();
}

void SkinButton::writeProperties(platform::PropertyBag& bag) const {
    bag.write(QStringLiteral("Icon"), QVariant::fromValue(m_icon));
    bag.write(QStringLiteral("Style"), m_style, 3);
    // Written against the default it is read with, so an empty caption comes back empty.
    bag.write(QStringLiteral("Caption"), m_caption, QStringLiteral("SkinButton"));
    bag.write(QStringLiteral("IconSize"), m_iconSize, 16);
    bag.write(QStringLiteral("IconAlign"), m_iconAlign, 1);
    bag.write(QStringLiteral("CaptionAlign"), m_captionAlign, 0);
    bag.write(QStringLiteral("iNonThemeStyle"), m_nonThemeStyle, 5);
    bag.write(QStringLiteral("Enabled"), isEnabled(), true);
    bag.write(QStringLiteral("ShowFocus"), m_showFocus, false);
    bag.write(QStringLiteral("USeCustomColors"), m_useCustomColors, false);
    bag.write(QStringLiteral("BackColor"), m_backColor, GetSysColor(platform::COLOR_BTNFACE));
    bag.write(QStringLiteral("HighlightColor"), m_highlightColor, GetSysColor(platform::COLOR_HIGHLIGHT));
    bag.write(QStringLiteral("FontColor"), m_fontColor, GetSysColor(platform::COLOR_BTNTEXT));
    bag.write(QStringLiteral("FontHighlightColor"), m_fontHighlightColor, GetSysColor(platform::COLOR_BTNTEXT));
    // The host's tooltip is the widget's own and nobody else stores it, so it is kept here.
    bag.write(QStringLiteral("ToolTipText"), toolTip(), QString());
    bag.write(QStringLiteral("Tooltiptitle"), m_toolTipTitle);
    bag.write(QStringLiteral("ToolTipIcon"), m_toolTipIcon);
    bag.write(QStringLiteral("ToolTipType"), m_toolTipType);
    bag.write(QStringLiteral("ttBackColor"), m_ttBackColor, GetSysColor(platform::COLOR_INFOTEXT));
    bag.write(QStringLiteral("ttForeColor"), m_ttForeColor, GetSysColor(platform::COLOR_INFOBK));
    bag.write(QStringLiteral("Font"), font());
    bag.write(QStringLiteral("ButtonType"), m_buttonType, 0);
    bag.write(QStringLiteral("Value"), m_value, false);
    bag.write(QStringLiteral("MaskColor"), m_maskColor, kDefaultMaskColor);
    bag.write(QStringLiteral("UseMaskColor"), m_useMaskColor, false);
    bag.write(QStringLiteral("MousePointer"), m_mousePointer, 0);
}

// ---- Painting --------------------------------------------------------------------------------

OleColor SkinButton::face(OleColor custom) const { return m_useCustomColors ? custom : sysFace(); }

buttons::FaceLook SkinButton::look() const {
    return {m_useCustomColors, m_backColor, m_highlightColor, m_hasFocus, m_showFocus, m_displayAsDefault};
}

void SkinButton::Refresh() {
    if (m_face.surface.size() != size())
        m_face.resize(width(), height());
    m_face.clear();
    if (m_shown) {
        if (m_buttonType == ToggleButton && m_value)
            m_state = StatePressed;
        if (!isEnabled()) {
            m_state = StateDisabled;
            m_face.setBackground(sysFace());
        }
        paintFace(m_style, false);
        DrawCaption();
    }
    update();
}

void SkinButton::paintFace(int style, bool fallBack) {
    QImage& dc = m_face.surface;
    const int W = m_face.W();
    const int H = m_face.H();
    const OleColor shadow = GetSysColor(platform::COLOR_BTNSHADOW);
    int iconMargin = 4;

    switch (style) {
    case 0:
        m_face.setBackground(face(m_state == StateNormal ? m_backColor : m_highlightColor));
        buttons::DrawEdgeRect(dc, 0, 0, W, H, m_state == StatePressed ? gdi::EDGE_SUNKEN : gdi::EDGE_RAISED,
                              gdi::BF_RECT);
        if ((m_hasFocus && m_showFocus) || (!m_hasFocus && m_displayAsDefault))
            buttons::FrameRectangle(dc, 0, 0, W - 1, H - 1, 0);
        break;
    case 1:
    case 2: {
        const bool plain = m_state == StateNormal || m_state == StateDisabled;
        m_face.setBackground(face(plain ? m_backColor : m_highlightColor));
        if (m_state == StatePressed)
            buttons::DrawEdgeRect(dc, 0, 0, W, H, gdi::BDR_SUNKENOUTER, gdi::BF_RECT);
        else if (style == 1 && m_state != StateDisabled)
            buttons::DrawEdgeRect(dc, 0, 0, W, H, gdi::BDR_RAISEDINNER, gdi::BF_RECT);
        else if (style == 2 && m_state == StateHot)
            buttons::DrawEdgeRect(dc, 0, 0, W, H, gdi::BDR_RAISEDINNER, gdi::BF_RECT);
        else
            buttons::FrameRectangle(dc, 0, 0, W - 1, H - 1, m_face.background);
        break;
    }
    case 3: {
        m_face.setBackground(face(m_backColor));
        OleColor fill = face(m_backColor);
        if (m_state == StateHot)
            fill = m_useCustomColors ? platform::BlendColors(m_highlightColor, m_backColor)
                                     : platform::BlendColors(shadow, sysFace());
        else if (m_state == StatePressed)
            fill = m_useCustomColors ? m_highlightColor : shadow;
        buttons::FillRectWithColor(dc, m_captionRect, fill);
        buttons::DrawRoundedFrame(dc, 0, 0, W - 1, H - 1, shadow, GetSysColor(platform::COLOR_WINDOW), fill);
        break;
    }
    case 4:
        if (m_state == StateHot || m_state == StatePressed) {
            const OleColor c = m_useCustomColors ? m_highlightColor : GetSysColor(platform::COLOR_HIGHLIGHT);
            buttons::FillSolidRect(dc, 0, 0, W - 1, H - 1,
                                   platform::LightenColor(c, m_state == StateHot ? 176 : 128));
            buttons::FrameRectangle(dc, 0, 0, W - 1, H - 1, c);
        } else {
            buttons::FillSolidRect(dc, 0, 0, W, H, platform::LightenColor(face(m_backColor), 32));
        }
        break;
    case 5:
        iconMargin = 5;
        if (m_useCustomColors)
            buttons::PaintStyle5Custom(m_face, look(), m_state);
        else
            buttons::PaintStyle5System(m_face, look(), m_state);
        break;
    case 6: {
        m_face.setBackground(sysFace());
        const int themeState = (m_hasFocus && m_state == StateNormal) ? 5 : m_state;
        if (!DrawThemePart(themeState)) {
            // The style falls back for good; its own face and window region show at once.
            m_style = m_nonThemeStyle;
            ApplyWindowRegion();
            if (!fallBack && m_style != 6) {
                paintFace(m_style, true);
                return;
            }
        }
        break;
    }
    case 7:
        iconMargin = 5;
        buttons::PaintStyle7(m_face, look(), m_state);
        break;
    case 8:
        buttons::PaintStyle8(m_face, look(), m_state);
        break;
    case 9:
        iconMargin = 7;
        buttons::PaintStyle9(m_face, look(), m_state);
        break;
    case 10:
        iconMargin = 7;
        buttons::PaintStyle10(m_face, look(), m_state);
        break;
    default:
        break;
    }
    drawIcon(iconMargin);
}

bool SkinButton::DrawThemePart(int state) {
    if (!platform::isThemed())
        return false;
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = QRect(0, 0, m_buttonRect.width(), m_buttonRect.height());
    option.state = QStyle::State_None;
    if (state != StateDisabled)
        option.state |= QStyle::State_Enabled;
    if (state == StateHot)
        option.state |= QStyle::State_MouseOver | QStyle::State_Raised;
    else if (state == StatePressed)
        option.state |= QStyle::State_Sunken;
    else
        option.state |= QStyle::State_Raised;
    if (state == 5)
        option.features |= QStyleOptionButton::DefaultButton;
    QPainter painter(&m_face.surface);
    painter.setClipRect(option.rect);
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
    return true;
}

void SkinButton::drawIcon(int iconMargin) {
    if (m_icon.isNull())
        return;
    QImage& dc = m_face.surface;
    const int W = m_face.W();
    const int H = m_face.H();
    const int size = m_iconSize;
    double fx = 0;
    double fy = 0;
    switch (m_iconAlign) {
    case AlignCentre: fx = (W - size) / 2.0; fy = (H - size) / 2.0; break;
    case AlignLeft: fx = iconMargin; fy = (H - size) / 2.0; break;
    case AlignRight: fx = W - size - iconMargin; fy = (H - size) / 2.0; break;
    case AlignTop: fx = (W - size) / 2.0; fy = iconMargin; break;
    case AlignBottom: fx = (W - size) / 2.0; fy = H - size - iconMargin; break;
    default: break;
    }
    int x = roundHalfEven(fx);
    int y = roundHalfEven(fy);
    const bool enabled = isEnabled();
    const QImage picture = iconImage(m_icon, size, size);

    // The icon drawn on a square of the mask colour: its places that differ from the mask colour.
    const auto maskedPixels = [&](auto&& place) {
        QImage scratch = gdi::makeSurface(size, size, m_maskColor);
        QPainter(&scratch).drawImage(0, 0, picture);
        for (int j = 0; j < size; ++j) {
            for (int i = 0; i < size; ++i) {
                const OleColor c = platform::fromQRgb(scratch.pixel(i, j));
                if (c != m_maskColor)
                    place(x + i, y + j, c);
            }
        }
    };

    if (m_state == StatePressed) {
        ++x;
        ++y;
    } else if (m_state == StateHot && m_style == 4) {
        constexpr OleColor kShadow = 0x808080;
        if (m_useMaskColor) {
            maskedPixels([&dc](int px, int py, OleColor) { gdi::setPixel(dc, px, py, kShadow); });
        } else {
            QPainter(&dc).drawImage(x, y, picture);
            const int32_t background = gdi::pixel(dc, 1, 1);
            for (int j = 0; j < size; ++j)
                for (int i = 0; i < size; ++i)
                    if (gdi::pixel(dc, x + i, y + j) != background)
                        gdi::setPixel(dc, x + i, y + j, kShadow);
        }
        x -= 2;
        y -= 2;
    }

    if (m_useMaskColor) {
        maskedPixels([&dc, enabled](int px, int py, OleColor c) {
            gdi::setPixel(dc, px, py, enabled ? c : platform::GrayColor(c));
        });
    } else if (enabled) {
        QPainter(&dc).drawImage(x, y, picture);
    } else {
        PaintIconGrayscale(dc, m_icon, x, y, size, size);
    }
}

bool SkinButton::PaintIconGrayscale(QImage& surface, const QPixmap& icon, int x, int y, int height, int width) {
    if (surface.isNull() || icon.isNull())
        return false;
    QImage grey = icon.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int j = 0; j < grey.height(); ++j) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(j));
        for (int i = 0; i < grey.width(); ++i) {
            const QRgb c = line[i];
            if (keepsItsGrey(c))
                continue;
            const int v = std::min(255, roundHalfEven(0.59 * qGreen(c) + 0.33 * qRed(c) + 0.11 * qBlue(c)));
            line[i] = qRgba(v, v, v, qAlpha(c));
        }
    }
    QPainter painter(&surface);
    painter.drawImage(QRect(x, y, width, height), grey);
    return true;
}

void SkinButton::DrawCaption() {
    OleColor color = GetSysColor(platform::COLOR_BTNTEXT);
    if (m_state == StateDisabled)
        color = resolved(kSysGrayText);
    else if (m_useCustomColors)
        color = m_state == StateNormal ? m_fontColor : m_fontHighlightColor;
    gdi::drawText(m_face.surface, m_caption, m_captionRect, m_captionFormat, font(), color);
}

void SkinButton::resizeHandling() {
    const int W = width();
    const int H = height();
    m_buttonRect = {0, 0, W, H};
    m_captionRect = {4, 4, W - 4, H - 4};
    switch (m_captionAlign) {
    case AlignCentre: m_captionFormat = gdi::DT_SINGLELINE | gdi::DT_VCENTER | gdi::DT_CENTER; break;
    case AlignLeft: m_captionFormat = gdi::DT_SINGLELINE | gdi::DT_VCENTER; break;
    case AlignRight: m_captionFormat = gdi::DT_SINGLELINE | gdi::DT_VCENTER | gdi::DT_RIGHT; break;
    case AlignTop: m_captionFormat = gdi::DT_SINGLELINE | gdi::DT_CENTER; break;
    case AlignBottom: m_captionFormat = gdi::DT_SINGLELINE | gdi::DT_BOTTOM | gdi::DT_CENTER; break;
    default: break;
    }
    ApplyWindowRegion();
    Refresh();
}

void SkinButton::ApplyWindowRegion() {
    const int W = width();
    const int H = height();
    switch (m_style) {
    case 5:
    case 7: m_windowRegion = buttons::MakeBevelRegion(W, H); break;
    case 8:
    case 9: m_windowRegion = buttons::MakeWideBevelRegion(W, H); break;
    case 10: m_windowRegion = buttons::MakeRoundRegion(W, H); break;
    default: m_windowRegion = QRegion(0, 0, W, H); break;
    }
    setMask(m_windowRegion);
}

void SkinButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, m_face.surface);
}

// ---- Events ----------------------------------------------------------------------------------

void SkinButton::resizeEvent(QResizeEvent*) { resizeHandling(); }

void SkinButton::showEvent(QShowEvent*) {
    m_shown = true;
    Refresh();
}

void SkinButton::hideEvent(QHideEvent*) { m_shown = false; }

void SkinButton::changeEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::EnabledChange:
        m_state = StateNormal;
        // A disabled button hears no pointer; the next move over it counts as an entry.
        m_mouseInside = false;
        m_pressedInside = false;
        Refresh();
        notify(QStringLiteral("Enabled"));
        break;
    case QEvent::FontChange:
        Refresh();
        notify(QStringLiteral("Font"));
        break;
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::ThemeChange:
        Refresh();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

bool SkinButton::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut) {
        const auto* shortcut = static_cast<QShortcutEvent*>(event);
        if (m_accessShortcut != 0 && shortcut->shortcutId() == m_accessShortcut) {
            if (isEnabled())
                accessKeyPress();
            return true;
        }
    }
    return QWidget::event(event);
}

void SkinButton::updateAccessKey() {
    if (m_accessShortcut != 0) {
        releaseShortcut(m_accessShortcut);
        m_accessShortcut = 0;
    }
    const QChar key = platform::accessKey(m_caption);
    if (!key.isNull())
        m_accessShortcut = grabShortcut(QKeySequence(QKeyCombination(Qt::AltModifier, Qt::Key(key.unicode()))));
}

bool SkinButton::emitClick() {
    const QPointer<SkinButton> alive(this);
    emit Click();
    return !alive.isNull();
}

void SkinButton::pressLeft() {
    m_state = StatePressed;
    Refresh();
}

void SkinButton::releaseButton(int button, bool inside) {
    if (button == kLeftButton) {
        // A release away from the button leaves it normal: nothing was clicked.
        if (!inside)
            m_state = StateNormal;
        else
            m_state = (m_buttonType == ToggleButton && !m_value) ? StatePressed : StateHot;
    }
    m_lastMouseButton = button;
    Refresh();
}

void SkinButton::clickHandling() {
    if (m_buttonType == ToggleButton)
        m_value = !m_value;
    // Hot only while the pointer is over the button (a key can click it from anywhere).
    m_state = m_mouseInside ? StateHot : StateNormal;
    Refresh();
    emitClick();
}

void SkinButton::accessKeyPress() { clickHandling(); }

void SkinButton::enterHandling() {
    m_mouseInside = true;
    m_state = StateHot;
    Refresh();
    emit MouseEnter();
}

void SkinButton::leaveHandling() {
    m_mouseInside = false;
    m_state = StateNormal;
    Refresh();
    emit MouseLeave();
}

void SkinButton::enterEvent(QEnterEvent*) {
    if (isEnabled() && !m_mouseInside)
        enterHandling();
}

void SkinButton::leaveEvent(QEvent*) {
    if (m_mouseInside)
        leaveHandling();
}

void SkinButton::mouseMoveEvent(QMouseEvent* event) {
    // While a button is held the pointer is grabbed, so moves away from the button arrive here.
    const bool inside = m_windowRegion.contains(event->position().toPoint());
    if (inside && !m_mouseInside)
        enterHandling();
    else if (!inside && m_mouseInside)
        leaveHandling();
}

void SkinButton::mousePressEvent(QMouseEvent* event) {
    const int button = vbButton(event->button());
    m_pressedInside = true;
    m_doubleClickPress = false;
    if (button == kLeftButton)
        pressLeft();
}

void SkinButton::mouseDoubleClickEvent(QMouseEvent* event) {
    const int button = vbButton(event->button());
    m_pressedInside = true;
    // The second press of a double click shows pressed but clicks no second time.
    m_doubleClickPress = button == kLeftButton && m_lastMouseButton == kLeftButton;
    if (m_doubleClickPress)
        pressLeft();
}

void SkinButton::mouseReleaseEvent(QMouseEvent* event) {
    const int button = vbButton(event->button());
    const bool inside = m_windowRegion.contains(event->position().toPoint());
    const bool clicked = inside && m_pressedInside && !m_doubleClickPress;
    m_pressedInside = false;
    m_doubleClickPress = false;
    if (!inside && m_mouseInside) {
        m_mouseInside = false;
        emit MouseLeave();
    }
    releaseButton(button, inside);
    if (clicked && m_lastMouseButton == kLeftButton)
        clickHandling();
}

void SkinButton::keyPressEvent(QKeyEvent* event) {
    const int key = platform::virtualKey(*event);
    const bool plain = platform::shiftMask(event->modifiers()) == 0;
    if (key == platform::VK_SPACE) {
        if (!event->isAutoRepeat()) {
            m_spaceDown = true;
            pressLeft();
        }
        return;
    }
    if (key == platform::VK_RIGHT && plain) {
        focusNextChild();
        return;
    }
    if (key == platform::VK_LEFT && plain) {
        focusPreviousChild();
        return;
    }
    // Enter and every other key are left to the host.
    QWidget::keyPressEvent(event);
}

void SkinButton::keyReleaseEvent(QKeyEvent* event) {
    if (platform::virtualKey(*event) != platform::VK_SPACE || event->isAutoRepeat() || !m_spaceDown) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    // Space clicks like the left button: pressed on key down, released and clicked on key up.
    m_spaceDown = false;
    releaseButton(kLeftButton, true);
    clickHandling();
}

void SkinButton::focusInEvent(QFocusEvent* event) {
    m_hasFocus = true;
    Refresh();
    QWidget::focusInEvent(event);
}

void SkinButton::focusOutEvent(QFocusEvent* event) {
    m_hasFocus = false;
    if (m_spaceDown) {
        m_spaceDown = false;
        m_state = m_mouseInside ? StateHot : StateNormal;
    }
    Refresh();
    QWidget::focusOutEvent(event);
}
