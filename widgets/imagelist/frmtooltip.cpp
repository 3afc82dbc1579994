#include "widgets/imagelist/frmtooltip.h"

#include "platform/boundary.h"
#include "platform/gdi.h"
#include "platform/screen.h"

#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace {

using balloon::kTwipsPerPixel;

QString normalisedLines(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    return lines;
}

// An auto-sizing label's size in twips: the widest line by the number of lines.
QSize labelSize(const QString& text, const QFont& font) {
    QFont f = font;
    f.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(f);
    const QStringList lines = normalisedLines(text).split(u'\n');
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    return QSize(width, static_cast<int>(lines.size()) * metrics.height()) * kTwipsPerPixel;
}

QFont shownFont(bool bold) {
    // The design font, until the shared state names another.
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    if (!ShownFontName.isEmpty()) font.setFamily(ShownFontName);
    if (ShownFontSize > 0) font.setPointSizeF(ShownFontSize);
    font.setBold(bold);
    return font;
}

QRect pixelsOf(const QRect& twips) {
    return QRect(balloon::toPixels(twips.x()), balloon::toPixels(twips.y()),
                 balloon::toPixels(twips.width()), balloon::toPixels(twips.height()));
}

} // namespace

frmToolTip::frmToolTip()
    : platform::Form(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                     Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_backColor = ShownBackColor;

    m_tipFont = shownFont(false);
    m_tipCaption = ShownTipText;
    m_tipColor = ShownTipColor;
    m_tipLabel = QRect(balloon::kTipPos, labelSize(m_tipCaption, m_tipFont));

    m_titleFont = shownFont(true);
    m_titleCaption = ShownTitleText;
    m_titleColor = ShownTitleColor;
    m_titleLabel = QRect(balloon::kTitlePos, labelSize(m_titleCaption, m_titleFont));

    m_frame = balloon::frameFor(m_tipLabel.size());
    BalloonPointer = m_frame.pointer;
    setFixedSize(windowPixels());

    tmrToolTip.start(kPlaceDelayMs, [this] { tmrToolTip_Timer(); });
    Timer1.start(kLifetimeMs, [this] { Timer1_Timer(); });
}

frmToolTip::~frmToolTip() {
    m_placed = false;
}

// The shape reaches one pixel right of the body, so the window is one pixel wider than the
// body: its right outline would otherwise fall outside the window. Placement keeps to the body.
QSize frmToolTip::windowPixels() const {
    return QSize(balloon::toPixels(m_frame.windowWidth) + 1,
                 balloon::toPixels(m_frame.windowHeight));
}

void frmToolTip::ownerClaimed() {
    if (!platform::isLoaded<frmToolTip>()) return;
    frmToolTip& balloon = platform::form<frmToolTip>();
    QTimer::singleShot(0, &balloon, platform::guard("frmToolTip_checkOwner", &balloon, &frmToolTip::checkOwner));
}

void frmToolTip::tmrToolTip_Timer() {
    if (!m_placed) {
        m_ownerAtShow = ShownOwner;
        m_placed = true;
        buildBalloonRegion();
    }
    checkOwner();
}

// Another instance claiming the balloon is announced (ownerClaimed) rather than watched for
// with a fast timer.
void frmToolTip::checkOwner() {
    if (m_placed && m_ownerAtShow != ShownOwner) {
        m_placed = false;
        unload();
    }
}

void frmToolTip::Timer1_Timer() {
    unload();
}

void frmToolTip::buildBalloonRegion() {
    const QPoint cursor = QCursor::pos();
    const QScreen* screen = QGuiApplication::screenAt(cursor);
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);

    m_placement =
        balloon::place(m_frame, cursor - area.topLeft(), TwipsX, TwipsY, area.width() * TwipsX);
    BalloonBodyTop = m_placement.bodyTop;
    BalloonPointer = m_placement.pointer;
    if (m_placement.pointerTop) {
        const int shift = balloon::kTopPointerShiftPx * kTwipsPerPixel;
        m_titleLabel.translate(0, shift);
        m_tipLabel.translate(0, shift);
    }
    m_region =
        balloon::shape(m_frame.bodyWidth, m_frame.bodyHeight, BalloonBodyTop, BalloonPointer);
    setMask(m_region);

    const QPoint topLeft(balloon::toPixels(m_placement.topLeft.x()),
                         balloon::toPixels(m_placement.topLeft.y()));
    move(area.topLeft() + topLeft);
    show();
}

QImage frmToolTip::face() const {
    using namespace platform;
    QImage surface = gdi::makeSurface(windowPixels().width(), windowPixels().height(), m_backColor);
    const std::vector<OleColor> rows = balloon::gradientRows(m_backColor, m_frame.bodyHeight);
    for (size_t y = 0; y < rows.size(); ++y)
        gdi::drawLine(surface, 0, static_cast<int>(y), balloon::toPixels(m_frame.bodyWidth),
                      static_cast<int>(y), rows[y]);
    for (const QRect& r : balloon::outline(m_region))
        gdi::fillRect(surface, {r.left(), r.top(), r.right() + 1, r.bottom() + 1}, 0);
    const QRect title = pixelsOf(m_titleLabel);
    gdi::drawText(surface, normalisedLines(m_titleCaption),
                  {title.left(), title.top(), title.right() + 1, title.bottom() + 1},
                  gdi::DT_NOPREFIX | gdi::DT_NOCLIP, m_titleFont, m_titleColor);
    const QRect tip = pixelsOf(m_tipLabel);
    gdi::drawText(surface, normalisedLines(m_tipCaption),
                  {tip.left(), tip.top(), tip.right() + 1, tip.bottom() + 1},
                  gdi::DT_NOPREFIX | gdi::DT_NOCLIP, m_tipFont, m_tipColor);
    return surface;
}

void frmToolTip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, face());
}
