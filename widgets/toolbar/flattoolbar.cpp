#include "widgets/toolbar/flattoolbar.h"

#include "platform/boundary.h"
#include "platform/propertybag.h"
#include "platform/screen.h"
#include "platform/theme.h"
#include "platform/vberror.h"
#include "widgets/toolbar/toolbarpicture.h"
#include "widgets/toolbar/toolbarpopup.h"

#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>
#include <limits>

using namespace toolbar;
using platform::OleColor;
using platform::PropertyBag;

namespace {

constexpr int kPollInterval = 100;
constexpr int kMaxButtons = std::numeric_limits<int16_t>::max();
const int kMinWidth = (kMinWidthTwips + TwipsX - 1) / TwipsX;

// The names of the colour schemes as the popup offers them, by ThemeColor.
const char16_t* const kSchemeNames[] = {u"蓝色",   u"银色", u"橄榄绿",
                                        u"米黄色", u"金色", u"跟随系统"};

// Fonts count as the same when what the saved font keeps agrees.
bool sameFont(const QFont& a, const QFont& b) {
    return a.family() == b.family() && a.pointSizeF() == b.pointSizeF() && a.bold() == b.bold() &&
           a.italic() == b.italic() && a.underline() == b.underline() &&
           a.strikeOut() == b.strikeOut();
}

int toInt(const QVariant& v) {
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok || n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max())
        platform::raiseTypeMismatch();
    return static_cast<int>(n);
}

OleColor toColor(const QVariant& v) {
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok) platform::raiseTypeMismatch();
    return static_cast<OleColor>(n);
}

bool isPicture(const QVariant& v) {
    return v.typeId() == QMetaType::QImage || v.typeId() == QMetaType::QPixmap;
}

// A picture or nothing; anything else is no picture.
QImage toImage(const QVariant& v) {
    return isPicture(v) ? v.value<QImage>() : QImage();
}

// Bag values that cannot be read as their type read as the default.
int readInt(const PropertyBag& bag, const QString& key, int defaultValue) {
    bool ok = false;
    const qlonglong n = bag.read(key, defaultValue).toLongLong(&ok);
    if (!ok || n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max())
        return defaultValue;
    return static_cast<int>(n);
}

OleColor readColor(const PropertyBag& bag, const QString& key, OleColor defaultValue) {
    bool ok = false;
    const qlonglong n = bag.read(key, static_cast<qlonglong>(defaultValue)).toLongLong(&ok);
    return ok ? static_cast<OleColor>(n) : defaultValue;
}

bool readBool(const PropertyBag& bag, const QString& key, bool defaultValue) {
    const QVariant v = bag.read(key, defaultValue);
    return v.canConvert<bool>() ? v.toBool() : defaultValue;
}

QString btnKey(const char* name, int index) {
    return QLatin1String(name) + QString::number(index);
}

} // namespace

// ---- Lifecycle --------------------------------------------------------------------------------

FlatToolbar::FlatToolbar(QWidget* parent)
    : QWidget(parent), m_buttons(1), m_runtime(1),
      m_picLeft(new ToolbarPicture(QStringLiteral("PicLeft"), this)),
      m_picTB(new ToolbarPicture(QStringLiteral("PicTB"), this)),
      m_picRight(new ToolbarPicture(QStringLiteral("PicRight"), this)),
      m_picChevron(new ToolbarPopup(this)) {
    setFont(defaultButtonFont());
    setMinimumWidth(kMinWidth);
    setFixedHeight(kMinBarHeight);
    resize(kMinWidth, kMinBarHeight);
    for (QWidget* picture : {static_cast<QWidget*>(m_picTB), static_cast<QWidget*>(m_picRight)})
        picture->installEventFilter(this);

    m_tmrBtns.setObjectName(QStringLiteral("TmrBtns"));
    m_tmrBtns.setInterval(kPollInterval);
    connect(&m_tmrBtns, &QTimer::timeout, this, platform::guard("flattoolbar m_tmrBtns timeout", this, &FlatToolbar::pollStrip));
    m_tmrRight.setObjectName(QStringLiteral("tmrRight"));
    m_tmrRight.setInterval(kPollInterval);
    connect(&m_tmrRight, &QTimer::timeout, this, platform::guard("flattoolbar m_tmrRight timeout", this, &FlatToolbar::pollChevron));
    connect(m_picChevron, &ToolbarPopup::chosen, this, platform::guard("flattoolbar m_picChevron chosen", this, &FlatToolbar::popupChosen));
    connect(m_picChevron, &ToolbarPopup::closed, this, platform::guard("flattoolbar m_picChevron closed", this, &FlatToolbar::popupClosed));

    applyThemePalette();
    applyBackColor(m_backColor);
    resizeHandling();
}

FlatToolbar::~FlatToolbar() {
    disconnect(m_picChevron, nullptr, this, nullptr);
    unhookParentWindow();
}

void FlatToolbar::InitProperties() {
    applyBackColor(m_ambientBackColor);
    Calculate_Size(1, false);
    InitialGradToolbar();
    resize(kMinWidth, height());
    repaintAll();
}

void FlatToolbar::readProperties(const PropertyBag& bag) {
    closeOverflowPopup();
    applyBackColor(readColor(bag, QStringLiteral("BackColor"), m_ambientBackColor));
    m_themeColor = readInt(bag, QStringLiteral("ThemeColor"), SchemeAutomatic);
    m_isStrech = readBool(bag, QStringLiteral("IsStrech"), false);
    m_menuLanguage = readInt(bag, QStringLiteral("MenuLanguage"), 2);
    m_showMenuColor = readBool(bag, QStringLiteral("ShowMenuColor"), true);
    int count = readInt(bag, QStringLiteral("ButtonCount"), 0);
    // A count no bar can hold loads an empty bar rather than failing half-way.
    if (count < 0 || count > kMaxButtons) count = 0;

    m_buttons.assign(static_cast<size_t>(count) + 1, ToolbarButton{});
    m_runtime.assign(static_cast<size_t>(count) + 1, ButtonRuntime{});
    for (int i = 1; i <= count; ++i) {
        ToolbarButton& b = m_buttons[i];
        b.Caption = bag.read(btnKey("BtnCaption", i), QString()).toString();
        b.Enabled = readBool(bag, btnKey("BtnEnabled", i), true);
        b.Icon = toImage(bag.read(btnKey("BtnIcon", i)));
        b.IconSize = readInt(bag, btnKey("BtnIconSize", i), kDefaultIconSize);
        b.ToolTipText = bag.read(btnKey("BtnToolTipText", i), QString()).toString();
        b.Key = bag.read(btnKey("BtnKey", i), QString()).toString();
        b.Alignment = readInt(bag, btnKey("BtnAlignment", i), AlignIconLeft);
        b.Type = readInt(bag, btnKey("BtnType", i), TypeButton);
        b.Style = readInt(bag, btnKey("BtnStyle", i), StyleNormal);
        b.ForeColor = readColor(bag, btnKey("BtnForeColor", i), kWindowTextColor);
        const QVariant savedFont = bag.read(btnKey("BtnFont", i));
        b.Font = savedFont.typeId() == QMetaType::QFont ? savedFont.value<QFont>() : font();
        b.State = readInt(bag, btnKey("BtnState", i), StateNormal);
        b.Value = readBool(bag, btnKey("BtnValue", i), false);
        b.UseMaskColor = readBool(bag, btnKey("BtnUseMaskColor", i), true);
        b.MaskColor = readColor(bag, btnKey("BtnMaskColor", i), kDefaultMaskColor);
        m_runtime[i] = {b.State, b.Value, true};
    }
    m_hot = m_pressed = 0;

    applyThemePalette();
    Calculate_Size(1, false);
    resizeHandling();
}

void FlatToolbar::writeProperties(PropertyBag& bag) const {
    bag.write(QStringLiteral("BackColor"), static_cast<qlonglong>(m_backColor),
              static_cast<qlonglong>(m_ambientBackColor));
    bag.write(QStringLiteral("ThemeColor"), m_themeColor, int(SchemeAutomatic));
    bag.write(QStringLiteral("IsStrech"), m_isStrech, false);
    bag.write(QStringLiteral("MenuLanguage"), m_menuLanguage, 2);
    bag.write(QStringLiteral("ShowMenuColor"), m_showMenuColor, true);
    bag.write(QStringLiteral("ButtonCount"), ButtonCount(), 0);
    const ToolbarButton defaults;
    for (int i = 1; i <= ButtonCount(); ++i) {
        const ToolbarButton& b = m_buttons[i];
        bag.write(btnKey("BtnCaption", i), b.Caption, QString());
        bag.write(btnKey("BtnEnabled", i), b.Enabled, true);
        bag.write(btnKey("BtnIcon", i), b.hasIcon() ? QVariant(b.Icon) : QVariant(), QVariant());
        bag.write(btnKey("BtnIconSize", i), b.IconSize, kDefaultIconSize);
        bag.write(btnKey("BtnToolTipText", i), b.ToolTipText, QString());
        bag.write(btnKey("BtnKey", i), b.Key, QString());
        bag.write(btnKey("BtnAlignment", i), b.Alignment, int(AlignIconLeft));
        bag.write(btnKey("BtnType", i), b.Type, int(TypeButton));
        bag.write(btnKey("BtnStyle", i), b.Style, int(StyleNormal));
        bag.write(btnKey("BtnForeColor", i), static_cast<qlonglong>(b.ForeColor),
                  static_cast<qlonglong>(kWindowTextColor));
        bag.write(btnKey("BtnFont", i), b.Font, font());
        bag.write(btnKey("BtnState", i), b.State, int(StateNormal));
        bag.write(btnKey("BtnValue", i), b.Value, false);
        bag.write(btnKey("BtnLeft", i), b.Left, 0);
        bag.write(btnKey("BtnTop", i), b.Top, 0);
        bag.write(btnKey("BtnWidth", i), b.Width, 0);
        bag.write(btnKey("BtnHeight", i), b.Height, 0);
        bag.write(btnKey("BtnUseMaskColor", i), b.UseMaskColor, true);
        bag.write(btnKey("BtnMaskColor", i), static_cast<qlonglong>(b.MaskColor),
                  static_cast<qlonglong>(defaults.MaskColor));
    }
}

void FlatToolbar::setAmbientBackColor(OleColor color) {
    m_ambientBackColor = color;
    applyBackColor(color);
    resizeHandling();
}

// ---- Control properties ------------------------------------------------------------------------

void FlatToolbar::notify(const QString& name) {
    emit propertyChanged(name);
}

void FlatToolbar::applyBackColor(OleColor color) {
    m_backColor = color;
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(m_picLeft),
                       static_cast<QWidget*>(m_picRight)}) {
        QPalette palette = w->palette();
        palette.setColor(QPalette::Window, platform::toQColor(color));
        w->setPalette(palette);
    }
}

void FlatToolbar::setBackColor(OleColor color) {
    applyBackColor(color);
    notify(QStringLiteral("BackColor"));
    repaintAll();
}

void FlatToolbar::setIsStrech(bool stretch) {
    m_isStrech = stretch;
    resizeHandling();
    notify(QStringLiteral("IsStrech"));
}

void FlatToolbar::setThemeColor(int scheme) {
    if (scheme == m_themeColor) return;
    m_themeColor = scheme;
    applyThemePalette();
    InitialGradToolbar();
    repaintAll();
    notify(QStringLiteral("ThemeColor"));
}

void FlatToolbar::setMenuLanguage(int language) {
    m_menuLanguage = language;
    notify(QStringLiteral("MenuLanguage"));
}

void FlatToolbar::setShowMenuColor(bool show) {
    m_showMenuColor = show;
    notify(QStringLiteral("ShowMenuColor"));
}

void FlatToolbar::applyThemePalette() {
    // This desktop names no visual-style colour scheme, so the automatic scheme goes by the
    // themed flag alone.
    if (m_themeColor == SchemeAutomatic) m_themeName.clear();
    m_colors = schemeColors(m_themeColor, platform::isThemed(), m_themeName);
}

// ---- Indexed button properties -----------------------------------------------------------------

void FlatToolbar::checkIndex(int index) const {
    if (index < 1 || index > ButtonCount()) platform::raiseSubscript();
}

ToolbarButton& FlatToolbar::button(int index) {
    checkIndex(index);
    return m_buttons[static_cast<size_t>(index)];
}

const ToolbarButton& FlatToolbar::button(int index) const {
    checkIndex(index);
    return m_buttons[static_cast<size_t>(index)];
}

template <typename T>
void FlatToolbar::setField(int index, T ToolbarButton::*field, const T& value, int option,
                           const QString& name) {
    ToolbarButton& b = button(index);
    if (b.*field == value) return;
    if (option != 0)
        ChangeBtnProperty(option, index, QVariant::fromValue(value));
    else
        b.*field = value;
    notify(name);
}

QString FlatToolbar::BtnCaption(int i) const {
    return button(i).Caption;
}
void FlatToolbar::setBtnCaption(int i, const QString& v) {
    setField(i, &ToolbarButton::Caption, v, OptCaption, QStringLiteral("BtnCaption"));
}
bool FlatToolbar::BtnEnabled(int i) const {
    return button(i).Enabled;
}
void FlatToolbar::setBtnEnabled(int i, bool v) {
    setField(i, &ToolbarButton::Enabled, v, OptEnabled, QStringLiteral("BtnEnabled"));
}
QImage FlatToolbar::BtnIcon(int i) const {
    return button(i).Icon;
}
void FlatToolbar::setBtnIcon(int i, const QImage& v) {
    checkIndex(i);
    ChangeBtnProperty(OptIcon, i, v);
    notify(QStringLiteral("BtnIcon"));
}
int FlatToolbar::BtnIconSize(int i) const {
    return button(i).IconSize;
}
void FlatToolbar::setBtnIconSize(int i, int v) {
    setField(i, &ToolbarButton::IconSize, v, OptIconSize, QStringLiteral("BtnIconSize"));
}
QString FlatToolbar::BtnToolTipText(int i) const {
    return button(i).ToolTipText;
}
void FlatToolbar::setBtnToolTipText(int i, const QString& v) {
    setField(i, &ToolbarButton::ToolTipText, v, OptToolTipText, QStringLiteral("BtnToolTipText"));
}
QString FlatToolbar::BtnKey(int i) const {
    return button(i).Key;
}
void FlatToolbar::setBtnKey(int i, const QString& v) {
    setField(i, &ToolbarButton::Key, v, OptKey, QStringLiteral("BtnKey"));
}
int FlatToolbar::BtnAlignment(int i) const {
    return button(i).Alignment;
}
void FlatToolbar::setBtnAlignment(int i, int v) {
    setField(i, &ToolbarButton::Alignment, v, OptAlignment, QStringLiteral("BtnAlignment"));
}
int FlatToolbar::BtnType(int i) const {
    return button(i).Type;
}
void FlatToolbar::setBtnType(int i, int v) {
    setField(i, &ToolbarButton::Type, v, OptType, QStringLiteral("BtnType"));
}
int FlatToolbar::BtnStyle(int i) const {
    return button(i).Style;
}
void FlatToolbar::setBtnStyle(int i, int v) {
    setField(i, &ToolbarButton::Style, v, OptStyle, QStringLiteral("BtnStyle"));
}
OleColor FlatToolbar::BtnForeColor(int i) const {
    return button(i).ForeColor;
}
void FlatToolbar::setBtnForeColor(int i, OleColor v) {
    setField(i, &ToolbarButton::ForeColor, v, OptForeColor, QStringLiteral("BtnForeColor"));
}
QFont FlatToolbar::BtnFont(int i) const {
    return button(i).Font;
}
void FlatToolbar::setBtnFont(int i, const QFont& v) {
    if (sameFont(button(i).Font, v)) return;
    ChangeBtnProperty(OptFont, i, v);
    notify(QStringLiteral("BtnFont"));
}
int FlatToolbar::btnState(int i) const {
    return button(i).State;
}
void FlatToolbar::setBtnState(int i, int v) {
    setField(i, &ToolbarButton::State, v, OptState, QStringLiteral("BtnState"));
}
bool FlatToolbar::BtnValue(int i) const {
    return button(i).Value;
}
void FlatToolbar::setBtnValue(int i, bool v) {
    setField(i, &ToolbarButton::Value, v, OptValue, QStringLiteral("BtnValue"));
}
int FlatToolbar::BtnLeft(int i) const {
    return button(i).Left;
}
void FlatToolbar::setBtnLeft(int i, int v) {
    setField(i, &ToolbarButton::Left, v, 0, QStringLiteral("BtnLeft"));
}
int FlatToolbar::BtnTop(int i) const {
    return button(i).Top;
}
void FlatToolbar::setBtnTop(int i, int v) {
    setField(i, &ToolbarButton::Top, v, 0, QStringLiteral("BtnTop"));
}
int FlatToolbar::BtnWidth(int i) const {
    return button(i).Width;
}
void FlatToolbar::setBtnWidth(int i, int v) {
    setField(i, &ToolbarButton::Width, v, 0, QStringLiteral("BtnWidth"));
}
int FlatToolbar::btnHeight(int i) const {
    return button(i).Height;
}
void FlatToolbar::setBtnHeight(int i, int v) {
    setField(i, &ToolbarButton::Height, v, 0, QStringLiteral("BtnHeight"));
}
int FlatToolbar::btnRHeight(int i) const {
    return button(i).RHeight;
}
void FlatToolbar::setBtnRHeight(int i, int v) {
    setField(i, &ToolbarButton::RHeight, v, 0, QStringLiteral("BtnRHeight"));
}
bool FlatToolbar::BtnUseMaskColor(int i) const {
    return button(i).UseMaskColor;
}
void FlatToolbar::setBtnUseMaskColor(int i, bool v) {
    setField(i, &ToolbarButton::UseMaskColor, v, OptUseMaskColor,
             QStringLiteral("BtnUseMaskColor"));
}
OleColor FlatToolbar::BtnMaskColor(int i) const {
    return button(i).MaskColor;
}
void FlatToolbar::setBtnMaskColor(int i, OleColor v) {
    setField(i, &ToolbarButton::MaskColor, v, OptMaskColor, QStringLiteral("BtnMaskColor"));
}

int FlatToolbar::runtimeState(int index) const {
    checkIndex(index);
    return m_runtime[static_cast<size_t>(index)].state;
}

void FlatToolbar::ChangeBtnProperty(int option, int index, const QVariant& value) {
    ToolbarButton& b = button(index);
    ButtonRuntime& rt = m_runtime[static_cast<size_t>(index)];
    switch (option) {
    case OptCaption:
        b.Caption = value.toString();
        repaintButton(index);
        break;
    case OptEnabled:
        b.Enabled = value.toBool();
        b.State = b.Enabled ? (b.Value ? StatePressed : StateNormal) : StateDisabled;
        rt.state = b.State;
        repaintButton(index);
        break;
    case OptKey:
        b.Key = value.toString();
        break;
    case OptIcon:
        if (value.isValid() && !isPicture(value)) platform::raiseTypeMismatch();
        b.Icon = toImage(value);
        relayout(); // an icon coming or going changes the button's width
        break;
    case OptIconSize:
        b.IconSize = toInt(value);
        repaintButton(index);
        break;
    case OptToolTipText:
        b.ToolTipText = value.toString();
        break;
    case OptForeColor:
        b.ForeColor = toColor(value);
        repaintButton(index);
        break;
    case OptStyle:
        b.Style = toInt(value);
        relayout(); // a drop-down button is wider by its arrow
        break;
    case OptState:
        b.State = toInt(value);
        rt.state = b.State;
        repaintButton(index);
        break;
    case OptValue:
        b.Value = value.toBool();
        b.State = b.Value ? StatePressed : StateNormal;
        rt.state = b.State;
        rt.value = b.Value;
        repaintButton(index);
        break;
    case OptFont:
        if (value.typeId() != QMetaType::QFont) platform::raiseTypeMismatch();
        b.Font = value.value<QFont>();
        relayout();
        break;
    case OptAlignment:
        b.Alignment = toInt(value);
        relayout();
        break;
    case OptType:
        b.Type = toInt(value);
        InitialGradToolbar();
        repaintAll();
        break;
    case OptUseMaskColor:
        b.UseMaskColor = value.toBool();
        repaintButton(index);
        break;
    case OptMaskColor:
        b.MaskColor = toColor(value);
        repaintButton(index);
        break;
    default:
        break;
    }
}

// ---- Button list and layout
// ----------------------------------------------------------------------

int FlatToolbar::AddButton(int type, const QString& caption, const QString& key, const QImage& icon,
                           int iconSize, int alignment, const QString& toolTip, OleColor foreColor,
                           const std::optional<QFont>& font, int style, int state,
                           bool useMaskColor, OleColor maskColor) {
    if (ButtonCount() >= kMaxButtons) platform::raiseOverflow();
    ToolbarButton b;
    b.Type = type;
    b.Font = font.value_or(defaultButtonFont());
    b.Caption = caption;
    b.Key = key;
    b.Icon = icon;
    b.IconSize = iconSize;
    b.Alignment = alignment;
    b.ToolTipText = toolTip;
    b.ForeColor = foreColor;
    b.Style = style;
    b.State = state;
    b.UseMaskColor = useMaskColor;
    b.MaskColor = maskColor;
    b.Enabled = false;
    m_buttons.push_back(b);
    m_runtime.push_back({state, false, false});

    Calculate_Size(1, false);
    InitialGradToolbar();
    resize(m_totalWidthTwips / TwipsX, height());
    repaintAll();
    return ButtonCount();
}

int FlatToolbar::DeleteButton(int index) {
    if (ButtonCount() == 0) return 0;
    // Slot 0 is no button: deleting it would shift every button over the empty slot.
    if (index < 1 || index > ButtonCount()) return -1;
    closeOverflowPopup();
    m_buttons.erase(m_buttons.begin() + index);
    m_runtime.erase(m_runtime.begin() + index);
    m_hot = m_pressed = 0;
    for (size_t i = 1; i < m_runtime.size(); ++i)
        m_runtime[i].state = m_buttons[i].State;

    Calculate_Size(1, false);
    resize(m_totalWidthTwips / TwipsX, height());
    InitialGradToolbar();
    repaintAll();
    return ButtonCount();
}

int FlatToolbar::MoveButton(int index, int direction) {
    if (index < 1 || index > ButtonCount()) return 0;
    int other = 0;
    if (direction == 0 && index > 1)
        other = index - 1;
    else if (direction == 1 && index < ButtonCount())
        other = index + 1;
    if (other == 0) return 0;
    setHot(0);
    m_pressed = 0;
    std::swap(m_buttons[static_cast<size_t>(index)], m_buttons[static_cast<size_t>(other)]);
    std::swap(m_runtime[static_cast<size_t>(index)], m_runtime[static_cast<size_t>(other)]);
    // The positions travelled with the records; the two may differ in width.
    Calculate_Size(1, false);
    repaintAll();
    return other;
}

void FlatToolbar::Calculate_Size(int start, bool resizeControl) {
    const LayoutTotals totals = calculateLayout(m_buttons, start);
    m_totalWidthTwips = totals.widthTwips;
    m_totalHeightTwips = totals.heightTwips;
    setFixedHeight(totals.heightTwips / TwipsY);
    if (resizeControl) resize(m_totalWidthTwips / TwipsX, height());
    m_shown = fittingButtonCount(m_buttons, stripWidth());
}

// ---- Sizing and painting
// -------------------------------------------------------------------------

void FlatToolbar::resizeEvent(QResizeEvent*) {
    resizeHandling();
}

void FlatToolbar::resizeHandling() {
    if (m_inResize) return;
    m_inResize = true;
    const int h = height();
    const int w = std::max(width(), kMinWidth);
    m_picLeft->setGeometry(0, 0, kGripperWidth, h);
    m_picTB->setGeometry(kGripperWidth, 0, stripWidth(), h);
    m_picRight->setGeometry(w - kChevronWidth, 0, kChevronWidth, h);
    m_shown = fittingButtonCount(m_buttons, stripWidth());
    if (m_hot > m_shown) setHot(0);
    if (m_pressed > m_shown) m_pressed = 0;
    InitialGradToolbar();
    repaintAll();
    m_inResize = false;
}

// A hidden widget hears of a new size only when shown, so widths come from the control's own.
int FlatToolbar::stripWidth() const {
    return std::max(std::max(width(), kMinWidth) - kGripperWidth - kChevronWidth, 0);
}

void FlatToolbar::InitialGradToolbar() {
    m_background = makeStripBackground(std::max(width(), kMinWidth) + 500, height(), m_colors);
}

void FlatToolbar::paintGripperPicture() {
    QImage image = m_background.copy(0, 0, m_picLeft->width(), m_picLeft->height());
    paintGripper(image, m_colors);
    m_picLeft->setImage(std::move(image));
}

void FlatToolbar::paintChevronPicture() {
    QImage image = m_background.copy(m_picRight->x(), 0, m_picRight->width(), m_picRight->height());
    paintChevron(image, m_chevronLook, m_shown < ButtonCount(), m_colors);
    m_picRight->setImage(std::move(image));
}

void FlatToolbar::relayout() {
    Calculate_Size(1, false);
    resize(m_totalWidthTwips / TwipsX, height());
    InitialGradToolbar();
    repaintAll();
}

void FlatToolbar::repaintAll() {
    if (m_background.height() != height() || m_background.width() < width()) InitialGradToolbar();
    paintGripperPicture();
    QImage strip = m_background.copy(m_picTB->x(), 0, m_picTB->width(), m_picTB->height());
    for (int i = 1; i <= m_shown; ++i)
        paintButton(strip, m_buttons[i], m_runtime[i].state, m_colors);
    m_picTB->setImage(std::move(strip));
    paintChevronPicture();
}

void FlatToolbar::repaintButton(int index) {
    if (index < 1 || index > m_shown) return;
    QImage& strip = m_picTB->image();
    const ToolbarButton& b = m_buttons[static_cast<size_t>(index)];
    // A separator's light line stands one pixel right of and below its box.
    const QRect area = buttonRect(b).adjusted(0, 0, 1, 1);
    restoreBackground(strip, m_background, area, m_picTB->x());
    paintButton(strip, b, m_runtime[static_cast<size_t>(index)].state, m_colors);
    m_picTB->update(area);
}

void FlatToolbar::setChevronLook(ChevronLook look) {
    if (look == m_chevronLook) return;
    m_chevronLook = look;
    paintChevronPicture();
}

const QImage& FlatToolbar::gripperImage() const {
    return m_picLeft->image();
}
const QImage& FlatToolbar::stripImage() const {
    return m_picTB->image();
}
const QImage& FlatToolbar::chevronImage() const {
    return m_picRight->image();
}
QWidget* FlatToolbar::PicLeft() const {
    return m_picLeft;
}
QWidget* FlatToolbar::PicTB() const {
    return m_picTB;
}
QWidget* FlatToolbar::PicRight() const {
    return m_picRight;
}

// ---- Pointer -----------------------------------------------------------------------------------

bool FlatToolbar::isCursorOverChevron() {
    const bool over = QApplication::widgetAt(QCursor::pos()) == m_picRight;
    if (over)
        m_tmrRight.start();
    else
        m_tmrRight.stop();
    return over;
}

bool FlatToolbar::isCursorOverStrip() const {
    return QApplication::widgetAt(QCursor::pos()) == m_picTB;
}

void FlatToolbar::restState(int index) {
    if (index < 1 || index > ButtonCount()) return;
    m_runtime[static_cast<size_t>(index)].state = m_buttons[static_cast<size_t>(index)].State;
    repaintButton(index);
}

void FlatToolbar::setHot(int index) {
    if (index == m_hot) return;
    const int previous = m_hot;
    m_hot = index;
    restState(previous);
    if (index > 0) {
        m_runtime[static_cast<size_t>(index)].state =
            hotState(m_buttons[static_cast<size_t>(index)].State);
        repaintButton(index);
        m_tmrBtns.start();
    } else {
        m_tmrBtns.stop();
    }
}

void FlatToolbar::stripMouseMove(QPoint pos) {
    int under = buttonAt(m_buttons, m_shown, pos);
    if (under > 0 && !takesInput(m_buttons[static_cast<size_t>(under)])) under = 0;
    if (m_pressed > 0) {
        // While held, the button looks pressed only with the pointer over it.
        const int state =
            under == m_pressed ? StatePressed : m_buttons[static_cast<size_t>(m_pressed)].State;
        if (m_runtime[static_cast<size_t>(m_pressed)].state != state) {
            m_runtime[static_cast<size_t>(m_pressed)].state = state;
            repaintButton(m_pressed);
        }
        return;
    }
    setHot(under);
}

void FlatToolbar::stripPress(QPoint pos) {
    const int under = buttonAt(m_buttons, m_shown, pos);
    if (under == 0 || !takesInput(m_buttons[static_cast<size_t>(under)])) return;
    if (m_hot != under) setHot(under);
    m_pressed = under;
    m_runtime[static_cast<size_t>(under)].state = StatePressed;
    repaintButton(under);
}

void FlatToolbar::stripRelease(QPoint pos) {
    const int pressed = m_pressed;
    if (pressed == 0) return;
    m_pressed = 0;
    const int under = buttonAt(m_buttons, m_shown, pos);
    if (under != pressed) {
        restState(pressed);
        m_hot = 0;
        stripMouseMove(pos);
        return;
    }
    ToolbarButton& b = m_buttons[static_cast<size_t>(pressed)];
    if (b.Style == StyleCheck) ChangeBtnProperty(OptValue, pressed, !b.Value);
    m_runtime[static_cast<size_t>(pressed)].state = hotState(b.State);
    repaintButton(pressed);
    emitButtonClick(pressed, true);
}

void FlatToolbar::stripLeave() {
    if (m_pressed == 0) setHot(0);
}

void FlatToolbar::pollStrip() {
    if (m_pressed == 0 && !isCursorOverStrip()) setHot(0);
}

bool FlatToolbar::emitButtonClick(int index, bool visible) {
    const ToolbarButton& b = m_buttons[static_cast<size_t>(index)];
    const QPointer<FlatToolbar> alive(this);
    emit ButtonClick(index, b.Key, m_picTB->x() + b.Left, b.Top, b.Width, b.Height, visible);
    return !alive.isNull();
}

void FlatToolbar::pollChevron() {
    if (isOverflowPopupOpen()) return;
    setChevronLook(isCursorOverChevron() ? ChevronLook::Hot : ChevronLook::Normal);
}

void FlatToolbar::chevronPress() {
    setChevronLook(ChevronLook::Down);
    showOverflowPopup();
}

void FlatToolbar::chevronRelease() {
    if (!isOverflowPopupOpen()) pollChevron();
}

// ---- Overflow popup ----------------------------------------------------------------------------

std::vector<PopupItem> FlatToolbar::popupItems() const {
    std::vector<PopupItem> items;
    for (int i = m_shown + 1; i <= ButtonCount(); ++i) {
        const ToolbarButton& b = m_buttons[static_cast<size_t>(i)];
        if (b.isSeparator()) {
            if (!items.empty() && items.back().kind != PopupItem::Separator)
                items.push_back({PopupItem::Separator, i, {}, false, false});
            continue;
        }
        items.push_back({PopupItem::Button, i, b.Caption.trimmed(), b.State != StateDisabled,
                         b.Style == StyleCheck && b.Value});
    }
    if (m_showMenuColor) {
        if (!items.empty() && items.back().kind != PopupItem::Separator)
            items.push_back({PopupItem::Separator, 0, {}, false, false});
        for (int scheme = SchemeBlue; scheme <= SchemeAutomatic; ++scheme)
            items.push_back({PopupItem::Scheme, scheme, QString::fromUtf16(kSchemeNames[scheme]),
                             true, scheme == m_themeColor});
    }
    if (!items.empty() && items.back().kind == PopupItem::Separator) items.pop_back();
    return items;
}

void FlatToolbar::showOverflowPopup() {
    std::vector<PopupItem> items = popupItems();
    if (items.empty()) return;
    PopupLayout layout = layoutPopup(items, font());
    m_picChevron->setItems(items, layout, [this, items, layout](int hot, bool pressed) {
        return paintPopup(items, layout, m_buttons, hot, pressed, font(), m_colors);
    });
    const QPoint corner = mapToGlobal(QPoint(width(), height()));
    m_picChevron->setGeometry(
        QRect(QPoint(corner.x() - layout.size.width(), corner.y()), layout.size));
    hookParentWindow();
    setChevronLook(ChevronLook::Down);
    m_picChevron->show();
}

void FlatToolbar::closeOverflowPopup() {
    if (m_picChevron->isVisible()) m_picChevron->close();
}

bool FlatToolbar::isOverflowPopupOpen() const {
    return m_picChevron->isVisible();
}
QWidget* FlatToolbar::overflowPopup() const {
    return m_picChevron;
}

void FlatToolbar::popupChosen(int item) {
    const std::vector<PopupItem>& items = m_picChevron->items();
    if (item < 0 || item >= static_cast<int>(items.size())) return;
    const PopupItem chosen = items[static_cast<size_t>(item)];
    closeOverflowPopup();
    // The popup's release handler is still running: the choice takes effect once it returned, so
    // a ButtonClick handler that deletes the bar cannot delete the popup under its own feet.
    QMetaObject::invokeMethod(
        this, platform::guard("FlatToolbar_PopupChoice", [this, chosen] { applyPopupChoice(chosen); }),
        Qt::QueuedConnection);
}

void FlatToolbar::applyPopupChoice(const PopupItem& chosen) {
    if (chosen.kind == PopupItem::Scheme) {
        setThemeColor(chosen.index);
    } else if (chosen.kind == PopupItem::Button && chosen.index <= ButtonCount() &&
               takesInput(m_buttons[static_cast<size_t>(chosen.index)])) {
        if (m_buttons[static_cast<size_t>(chosen.index)].Style == StyleCheck)
            ChangeBtnProperty(OptValue, chosen.index,
                              !m_buttons[static_cast<size_t>(chosen.index)].Value);
        emitButtonClick(chosen.index, false);
    }
}

void FlatToolbar::popupClosed() {
    unhookParentWindow();
    m_chevronLook = ChevronLook::Normal;
    pollChevron();
    paintChevronPicture();
}

// The popup goes when its parent window moves, changes size, is clicked or loses activation.
void FlatToolbar::hookParentWindow() {
    QWidget* parentWindow = window();
    if (m_hookedWindow == parentWindow) return;
    unhookParentWindow();
    m_hookedWindow = parentWindow;
    parentWindow->installEventFilter(this);
}

void FlatToolbar::unhookParentWindow() {
    if (m_hookedWindow) m_hookedWindow->removeEventFilter(this);
    m_hookedWindow = nullptr;
}

bool FlatToolbar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_hookedWindow) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::MouseButtonPress:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::WindowDeactivate:
        case QEvent::Hide:
            closeOverflowPopup();
            break;
        default:
            break;
        }
    }
    if (watched == m_picTB) {
        switch (event->type()) {
        // Input on the bar's parts ends there; passed on, a press would reach the parent window
        // and close the popup it just opened.
        case QEvent::MouseMove:
            stripMouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                stripPress(static_cast<QMouseEvent*>(event)->position().toPoint());
            return true;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                stripRelease(static_cast<QMouseEvent*>(event)->position().toPoint());
            return true;
        case QEvent::Leave:
            stripLeave();
            break;
        case QEvent::ToolTip: {
            auto* help = static_cast<QHelpEvent*>(event);
            const int under = buttonAt(m_buttons, m_shown, help->pos());
            const QString tip =
                under > 0 ? m_buttons[static_cast<size_t>(under)].ToolTipText : QString();
            if (tip.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), tip, m_picTB,
                                   buttonRect(m_buttons[static_cast<size_t>(under)]));
            return true;
        }
        default:
            break;
        }
    } else if (watched == m_picRight) {
        switch (event->type()) {
        case QEvent::Enter:
        case QEvent::Leave:
            if (m_chevronLook != ChevronLook::Down) pollChevron();
            break;
        case QEvent::MouseMove:
            if (m_chevronLook != ChevronLook::Down) pollChevron();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) chevronPress();
            return true;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) chevronRelease();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
