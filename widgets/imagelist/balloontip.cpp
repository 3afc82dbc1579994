#include "widgets/imagelist/balloontip.h"

#include "platform/propertybag.h"
#include "widgets/imagelist/frmtooltip.h"

#include <QApplication>

#include <cmath>

namespace {

// The control's fixed size: 555 x 495 twips.
constexpr QSize kControlSize(555 / 15, 495 / 15);

QFont ambientFont(const QWidget* host) {
    return host != nullptr ? host->font() : QApplication::font();
}

double pointSize(const QFont& font) {
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
    return std::round(points * 10000) / 10000;
}

} // namespace

BalloonTip::BalloonTip(QWidget* parent) : QWidget(parent), m_font(ambientFont(parent)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(kControlSize);
    hide();
}

BalloonTip::~BalloonTip() = default;

void BalloonTip::notify(const QString& name) {
    emit propertyChanged(name);
}

platform::OleColor BalloonTip::BackColor() const {
    return m_backColor;
}

void BalloonTip::setBackColor(platform::OleColor color) {
    m_backColor = color;
    notify(QStringLiteral("BackColor"));
}

QFont BalloonTip::Font() const {
    return m_font;
}

void BalloonTip::setBalloonFont(const QFont& font) {
    m_font = font;
    ShownFontName = font.family();
    notify(QStringLiteral("Font"));
}

platform::OleColor BalloonTip::FrameColor() const {
    return m_frameColor;
}

void BalloonTip::setFrameColor(platform::OleColor color) {
    m_frameColor = color;
    notify(QStringLiteral("FrameColor"));
}

QString BalloonTip::TipText() const {
    return m_tipText;
}

void BalloonTip::setTipText(const QString& text) {
    m_tipText = text;
    notify(QStringLiteral("TipText"));
}

bool BalloonTip::Showing() const {
    return m_showing;
}

QString BalloonTip::TitleText() const {
    return m_titleText;
}

void BalloonTip::setTitleText(const QString& text) {
    m_titleText = text;
    notify(QStringLiteral("TitleText"));
}

int BalloonTip::Icon() const {
    return m_icon;
}

void BalloonTip::setIcon(int icon) {
    m_icon = icon;
    notify(QStringLiteral("Icon"));
}

void BalloonTip::ShowTip(float stx, float sty) {
    if (m_ctrlHwnd == 0) {
        // The owner is the window under the point taken as screen pixels; where there is none,
        // the instance stands for itself, so every instance still holds a token of its own.
        const QPoint at(static_cast<int>(std::lround(stx)), static_cast<int>(std::lround(sty)));
        const QWidget* owner = QApplication::widgetAt(at);
        m_ctrlHwnd = reinterpret_cast<quintptr>(owner != nullptr ? owner : this);
        ShownOwner = m_ctrlHwnd;
        frmToolTip::ownerClaimed();
    }
    ShownFontName = m_font.family();
    ShownFontSize = pointSize(m_font);
    ShownBackColor = m_backColor;
    ShownFrameColor = m_frameColor;
    ShownTipText = m_tipText;
    ShownTitleText = m_titleText;
    ShownTipColor = m_tipColor;
    ShownTitleColor = m_titleColor;
    m_showing = true;
    if (!platform::isLoaded<frmToolTip>()) platform::form<frmToolTip>();
}

quintptr BalloonTip::Ctrl_hWnd() const {
    return m_ctrlHwnd;
}

void BalloonTip::setCtrl_hWnd(quintptr token) {
    m_ctrlHwnd = token;
    notify(QStringLiteral("Ctrl_hWnd"));
}

platform::OleColor BalloonTip::TitleColor() const {
    return m_titleColor;
}

void BalloonTip::setTitleColor(platform::OleColor color) {
    m_titleColor = color;
    notify(QStringLiteral("TitleColor"));
}

platform::OleColor BalloonTip::TipColor() const {
    return m_tipColor;
}

void BalloonTip::setTipColor(platform::OleColor color) {
    m_tipColor = color;
    notify(QStringLiteral("TipColor"));
}

void BalloonTip::UnShowIng() {
    platform::unload<frmToolTip>();
    m_showing = false;
}

QString BalloonTip::Tag() const {
    return m_tag;
}

void BalloonTip::setTag(const QString& tag) {
    m_tag = tag;
}

void BalloonTip::readProperties(const platform::PropertyBag& bag) {
    const QFont ambient = ambientFont(parentWidget());
    m_backColor = static_cast<platform::OleColor>(
        bag.read(QStringLiteral("BackColor"), kDefaultBackColor).toLongLong());
    m_font = bag.read(QStringLiteral("Font"), ambient).value<QFont>();
    m_frameColor =
        static_cast<platform::OleColor>(bag.read(QStringLiteral("FrameColor"), 0).toLongLong());
    m_tipText = bag.read(QStringLiteral("TipText"), QString()).toString();
    m_titleText = bag.read(QStringLiteral("TitleText"), QString()).toString();
    m_icon = bag.read(QStringLiteral("Icon"), kDefaultIcon).toInt();
    m_ctrlHwnd = static_cast<quintptr>(bag.read(QStringLiteral("Ctrl_hWnd"), 0).toULongLong());
    m_titleColor =
        static_cast<platform::OleColor>(bag.read(QStringLiteral("TitleColor"), 0).toLongLong());
    m_tipColor =
        static_cast<platform::OleColor>(bag.read(QStringLiteral("TipColor"), 0).toLongLong());
}

void BalloonTip::writeProperties(platform::PropertyBag& bag) const {
    bag.write(QStringLiteral("BackColor"), static_cast<qlonglong>(m_backColor),
              static_cast<qlonglong>(kDefaultBackColor));
    bag.write(QStringLiteral("Font"), m_font, ambientFont(parentWidget()));
    bag.write(QStringLiteral("FrameColor"), static_cast<qlonglong>(m_frameColor), 0);
    bag.write(QStringLiteral("TipText"), m_tipText, QString());
    bag.write(QStringLiteral("TitleText"), m_titleText, QString());
    bag.write(QStringLiteral("Icon"), m_icon, kDefaultIcon);
    bag.write(QStringLiteral("TitleColor"), static_cast<qlonglong>(m_titleColor), 0);
    bag.write(QStringLiteral("TipColor"), static_cast<qlonglong>(m_tipColor), 0);
}
