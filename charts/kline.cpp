#include "charts/kline.h"

#include "charts/labelfit.h"

#include "platform/gdi.h"
#include "platform/keys.h"
#include "platform/propertybag.h"
#include "platform/screen.h"
#include "platform/surface.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/quotetables.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

#include <cmath>
#include <limits>

using platform::OleColor;

namespace {

constexpr OleColor kSilver = 0xC0C0C0;
constexpr OleColor kOrange = 0x80FF;
constexpr OleColor kWhite = 0xFFFFFF;
constexpr OleColor kBlue = 0xFF0000;
const QString kLabelTip = QStringLiteral("点击将显示或隐藏指定均线 ");
constexpr double kMaLabelWidth = 1005;
constexpr double kHeadTop = 45;
constexpr double kAverageTop = 315;
constexpr double kMarginPad = 15; // a pixel between a price label and the frame

int px(double twips, int perPixel) { return static_cast<int>(std::lround(twips / perPixel)); }

ChartLabel label(const QString& caption, double left, double top, double width, double height,
                 OleColor fore, const QFont& font, bool autoSize = true) {
    ChartLabel l;
    l.Caption = caption;
    l.Left = left;
    l.Top = top;
    l.Width = width;
    l.Height = height;
    l.Visible = true;
    l.AutoSize = autoSize;
    l.ForeColor = fore;
    l.Font = font;
    return l;
}

ChartLabel crossLabel(const QFont& font) {
    ChartLabel l;
    l.Opaque = true;
    l.BackColor = kBlue;
    l.ForeColor = kWhite;
    l.Font = font;
    l.Height = 240;
    return l;
}

} // namespace

Kline::Kline(QWidget* parent) : Kline(std::make_unique<platform::ImageSurface>(0, 0), parent) {}

Kline::Kline(std::unique_ptr<platform::Surface> surface, QWidget* parent)
    : QWidget(parent),
      m_surface(surface ? std::move(surface) : std::make_unique<platform::ImageSurface>(0, 0)) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_surface->BackColor = kKlineBackColor;
    m_surface->ForeColor = kKlineForeColor;
    applyFont(ambientFont());
    m_labelFont = platform::surfaceFont(QStringLiteral("宋体"), 9, false);
    const QFont captionFont = platform::surfaceFont(QStringLiteral("宋体"), 10.5, false);
    Label5 = label(QStringLiteral("-"), 720, 45, 105, 210, kSilver, captionFont);
    Label6 = label(QStringLiteral("日线图"), 1575, 45, 630, 210, kSilver, captionFont);
    const QStringList heads = {QStringLiteral("开盘:"), QStringLiteral("最高:"),
                               QStringLiteral("最低:"), QStringLiteral("收盘:"),
                               QStringLiteral("涨跌:")};
    const double headLefts[] = {2430, 3645, 4860, 6075, 7290};
    for (int i = 0; i < 5; ++i)
        Label1s[5 + i] = label(heads[i], headLefts[i], 45, 450, 180, kWhite, m_labelFont);
    const double maLefts[] = {720, 1755, 2880, 4005, 5130};
    for (int i = 0; i < 5; ++i)
        Label1s[i] = label(maResetText(kMaPeriods[i]), maLefts[i], 315, kMaLabelWidth, 240,
                           kMaColours[i], m_labelFont, i != 0);
    ChartLabel* readOuts[] = {&cKai, &cMax, &cMin, &cShou, &cZD};
    const double readLefts[] = {2925, 4140, 5355, 6570, 7785};
    for (int i = 0; i < 5; ++i)
        *readOuts[i] = label(QStringLiteral("0000.00"), readLefts[i], 45, 630, 180, kOrange,
                             m_labelFont);
    Labelx = crossLabel(m_labelFont);
    Labely = crossLabel(m_labelFont);
    Labelb = crossLabel(m_labelFont);
    Labelb.AutoSize = true;
    for (ChartLabel* l : {&Label5, &Label6, &cKai, &cMax, &cMin, &cShou, &cZD})
        autoSize(*l);
    for (int i = 1; i < 10; ++i)
        autoSize(Label1s[i]);
    placeHeadRow();
}

Kline::~Kline() = default;

// The labels' room ends at the control's right edge; a control not laid out yet has no edge.
double Kline::labelsRight() const {
    const int w = clientRect().width();
    return w > 0 ? w * TwipsX : std::numeric_limits<double>::infinity();
}

// Long instrument names, wide prices and a narrow control would otherwise print the head row's
// texts over each other or past the edge: the row goes on in a second line, and the averages' row
// moves down under it.
void Kline::placeHeadRow() {
    static constexpr double kDesignLefts[] = {720, 1575, 2430, 2925, 3645, 4140, 4860, 5355, 6075, 6570, 7290, 7785};
    ChartLabel* row[] = {&Label5, &Label6, &Label1s[5], &cKai,  &Label1s[6], &cMax,
                         &Label1s[7], &cMin, &Label1s[8], &cShou, &Label1s[9], &cZD};
    std::vector<HeadItem> items;
    for (size_t i = 0; i < std::size(row); ++i)
        items.push_back({kDesignLefts[i], row[i]->Width,
                         row[i] == &cKai || row[i] == &cMax || row[i] == &cMin ||
                             row[i] == &cShou || row[i] == &cZD});
    const std::vector<HeadPlace> places = headRowPlaces(items, labelsRight());
    double step = 0;
    for (const ChartLabel* l : row)
        step = std::max(step, l->Height);
    m_headBelow = 0;
    for (size_t i = 0; i < std::size(row); ++i) {
        row[i]->Left = places[i].left;
        row[i]->Top = kHeadTop + places[i].line * step;
        m_headBelow = std::max(m_headBelow, places[i].line * step);
    }
    placeAverageRow();
}

// Four-digit prices make the averages' labels wider than their design spacing.
void Kline::placeAverageRow() {
    static constexpr double kDesignLefts[] = {720, 1755, 2880, 4005, 5130};
    std::vector<HeadItem> items;
    for (int i = 0; i < 5; ++i) {
        const double text = platform::textWidthTwips(Label1s[i].Font, Label1s[i].Caption);
        items.push_back({kDesignLefts[i], std::max(Label1s[i].Width, text)});
    }
    const std::vector<HeadPlace> places = headRowPlaces(items, labelsRight());
    double step = 0;
    for (int i = 0; i < 5; ++i)
        step = std::max(step, Label1s[i].Height);
    for (int i = 0; i < 5; ++i) {
        Label1s[i].Left = places[static_cast<size_t>(i)].left;
        Label1s[i].Top = kAverageTop + m_headBelow + places[static_cast<size_t>(i)].line * step;
    }
}

OleColor Kline::BackColor() const { return m_surface->BackColor; }
void Kline::setBackColor(OleColor color) {
    applyBackColor(color);
    emit PropertyChanged(QStringLiteral("BackColor"));
    redraw();
}

void Kline::applyBackColor(OleColor color) {
    m_surface->BackColor = color;
    syncSize();
    m_surface->Cls();
    update();
}

OleColor Kline::ForeColor() const { return m_surface->ForeColor; }
void Kline::setForeColor(OleColor color) {
    m_surface->ForeColor = color;
    emit PropertyChanged(QStringLiteral("ForeColor"));
    redraw();
}

void Kline::setEnabled(bool enabled) {
    QWidget::setEnabled(enabled);
    emit PropertyChanged(QStringLiteral("Enabled"));
}

QFont Kline::Font() const {
    return klineFont(m_surface->FontName(), m_surface->FontSize(), m_surface->FontBold(),
                     m_fontItalic, m_fontUnderline, m_fontStrikeOut);
}

void Kline::setFont(const QFont& font) {
    const std::optional<QFont> f = storedFont(font);
    if (!f)
        throw platform::VbError(380, QStringLiteral("Invalid property value"),
                                QStringLiteral("Kline"));
    applyFont(*f);
    emit PropertyChanged(QStringLiteral("Font"));
}

void Kline::applyFont(const QFont& font) {
    m_surface->setFontName(font.family());
    (void)m_surface->setFontSize(fontPoints(font));
    m_surface->setFontBold(font.bold());
    m_fontItalic = font.italic();
    m_fontUnderline = font.underline();
    m_fontStrikeOut = font.strikeOut();
}

QFont Kline::ambientFont() const {
    if (const QWidget* host = parentWidget())
        return klineFont(host->font());
    return klineFont(QStringLiteral("宋体"), 9, false);
}

void Kline::setBackStyle(int16_t style) {
    if (!storedStyle(style))
        throw platform::VbError(380, QStringLiteral("Invalid property value"),
                                QStringLiteral("Kline"));
    m_backStyle = style;
    setAttribute(Qt::WA_OpaquePaintEvent, style == kBackStyleOpaque);
    emit PropertyChanged(QStringLiteral("BackStyle"));
    redraw();
    overlayChanged();
}

void Kline::setBorderStyle(int16_t style) {
    if (!storedStyle(style))
        throw platform::VbError(380, QStringLiteral("Invalid property value"),
                                QStringLiteral("Kline"));
    m_borderStyle = style;
    syncSize();
    emit PropertyChanged(QStringLiteral("BorderStyle"));
    redraw();
    overlayChanged();
}

void Kline::Refresh() { repaint(); }

void Kline::InitProperties() { applyFont(ambientFont()); }

void Kline::readProperties(const platform::PropertyBag& bag) {
    applyProperties(readKlineProperties(bag, ambientFont()));
}

void Kline::writeProperties(platform::PropertyBag& bag) const {
    KlineProperties p;
    p.BackColor = BackColor();
    p.ForeColor = ForeColor();
    p.Enabled = Enabled();
    p.Font = Font();
    p.BackStyle = m_backStyle;
    p.BorderStyle = m_borderStyle;
    writeKlineProperties(p, bag, ambientFont());
}

// Loading sets the surface itself: nothing is reported as changed. What the control holds is
// drawn again, since the new back colour erased it.
void Kline::applyProperties(const KlineProperties& p) {
    m_borderStyle = p.BorderStyle;
    m_backStyle = p.BackStyle;
    setAttribute(Qt::WA_OpaquePaintEvent, p.BackStyle == kBackStyleOpaque);
    applyBackColor(p.BackColor);
    m_surface->ForeColor = p.ForeColor;
    QWidget::setEnabled(p.Enabled);
    applyFont(p.Font);
    redraw();
    overlayChanged();
}

int Kline::border() const { return m_borderStyle == kBorderStyleFixedSingle ? 2 : 0; }

QRect Kline::clientRect() const {
    const int b = border();
    return {b, b, std::max(width() - 2 * b, 0), std::max(height() - 2 * b, 0)};
}

QPointF Kline::twipsAt(QPointF pixels) const {
    const int b = border();
    return {(pixels.x() - b) * TwipsX, (pixels.y() - b) * TwipsY};
}

void Kline::autoSize(ChartLabel& l) const {
    if (!l.AutoSize)
        return;
    l.Width = platform::textWidthTwips(l.Font, l.Caption);
    l.Height = platform::lineHeightTwips(l.Font);
}

void Kline::syncSize() {
    const QRect client = clientRect();
    if (m_surface->pixelWidth() != client.width() || m_surface->pixelHeight() != client.height())
        m_surface->resize(client.width(), client.height());
}

void Kline::redraw() { DrawKline(QString(), QString(), QString(), 0.03f); }

void Kline::DrawKline(const QString& Dkstr, const QString& Ktype, const QString& Kltype,
                      float MaxMinBai) {
    QString a = Dkstr, b = Ktype, c = Kltype;
    DrawKline(a, b, c, MaxMinBai);
}

void Kline::DrawKline(QString& Dkstr, QString& Ktype, QString& Kltype, float MaxMinBai) {
    if (!Dkstr.isEmpty())
        m_barText = Dkstr;
    if (m_barText.isEmpty() || !m_barText.contains(u'|'))
        return;
    m_bars = m_barText.split(u'|');
    if (!Ktype.isEmpty()) {
        Label5.Tag = Ktype;
        Label5.Caption = Ktype;
    } else {
        Label5.Caption = Label5.Tag.isEmpty() ? Label5.Caption : Label5.Tag;
    }
    if (!Kltype.isEmpty()) {
        Label6.Tag = Kltype;
        Label6.Caption = Kltype;
    } else if (!Label6.Tag.isEmpty()) {
        Label6.Caption = Label6.Tag;
    }
    autoSize(Label5);
    autoSize(Label6);
    placeHeadRow();
    if (NowRmb == 0)
        NowRmb = RmbRate;
    Yangcol = kYangCol;
    Yingcol = kYingCol;
    syncSize();
    try {
        paintChart(MaxMinBai);
    } catch (const platform::VbError&) {
        // A malformed record ends the drawing where it stands; what was painted stays.
    }
    overlayChanged();
}

void Kline::paintChart(float MaxMinBai) {
    platform::Surface& s = *m_surface;
    const double W = s.ScaleWidth();
    const double H = s.ScaleHeight();
    if (m_read.text != m_barText || m_read.text.isEmpty()) {
        m_read = {};
        m_read.range = priceRange(m_bars);
        m_read.closes = readCloses(m_bars);
        m_read.ticks = monthTicks(m_bars);
        m_read.lastReal = LastRealBar(m_bars);
        m_read.text = m_barText;
    }
    const std::optional<KLayout> l = klineLayout(W, H, m_bars.size(), m_read.range, MaxMinBai);
    s.Cls();
    if (!l)
        return;
    m_layout = *l;
    s.setDrawStyle(platform::vbSolid);
    s.Box(630, 250, W - 130, H - 210, Yangcol);
    s.Box(630, H - 210, W - 130, H, Yangcol);
    s.Box(630, H - 195, W - 130, H, Yangcol);
    s.ForeColor = Yangcol;
    for (const auto& [i, month] : m_read.ticks) {
        s.CurrentX = 630 + i * l->slotWidth - 45;
        s.CurrentY = H - 195;
        s.Print(QStringLiteral("|"));
        s.CurrentX = 630 + i * l->slotWidth - 15;
        s.CurrentY = H - 195;
        s.Print(u' ' + QString::number(month));
    }
    s.setDrawStyle(platform::vbDot);
    // The design's widths, widened again for the captions the read-outs still show: a redraw
    // with the crosshair on must not cut them.
    Labelx.Width = 630;
    Labely.Width = 120;
    fitCrossLabels(W);
    const double iHeight = s.TextHeight(QStringLiteral("I"));
    std::vector<double> gridValues;
    for (int i = 0; i <= 15; ++i)
        gridValues.push_back(gridValue(*l, i));
    const charts::TextMeasure measure = [&s](const QString& t) { return s.TextWidth(t); };
    const QStringList gridTexts =
        charts::fitLabels(gridValues, 2, kKMarginLeft - 2 * kMarginPad, measure, gridText).texts;
    for (int i = 0; i <= 15; ++i) {
        const double y = 250 + i * l->rowHeight;
        if (i >= 1 && i <= 14)
            s.Line(630, y, W - 120, y, Yangcol);
        const QString& text = gridTexts[i];
        const double width = s.TextWidth(text);
        s.CurrentX = charts::keepInside(kKMarginLeft / 2 - width / 2, width, 0, W);
        s.CurrentY = y - iHeight / 2;
        s.Print(text);
    }
    (void)s.setDrawWidth(1);
    s.ForeColor = Yangcol;
    (void)s.setFontSize(9);

    const int lastReal = m_read.lastReal;
    s.setDrawStyle(platform::vbSolid);
    for (int i = 0; i < m_bars.size(); ++i) {
        const Candle c = candleAt(m_bars, i, lastReal);
        if (c.kind == CandleKind::Stop)
            break;
        if (c.kind == CandleKind::Skip)
            continue;
        const double x = l->centre(i);
        if (c.kind == CandleKind::Rising) {
            s.ForeColor = Yangcol;
            s.Box(l->bodyLeft(i), l->yOf(c.open), l->bodyRight(i), l->yOf(c.close), Yangcol);
            s.Line(x, l->yOf(c.high), x, l->yOf(c.close), Yangcol);
            s.Line(x, l->yOf(c.open), x, l->yOf(c.low), Yangcol);
        } else {
            s.ForeColor = Yingcol;
            s.FilledBox(l->bodyLeft(i), l->yOf(c.open), l->bodyRight(i), l->yOf(c.close),
                        Yingcol);
            s.Line(x, l->yOf(c.high), x, l->yOf(c.open), Yingcol);
            s.Line(x, l->yOf(c.close), x, l->yOf(c.low), Yingcol);
        }
    }

    for (int k = 0; k < 5; ++k) {
        Label1s[k].Caption = maResetText(kMaPeriods[k]);
        autoSize(Label1s[k]);
    }
    for (int k = 0; k < 5; ++k) {
        if (m_maHidden[k])
            continue;
        const int N = kMaPeriods[k];
        Label1s[k].Caption = maNoValueText(N);
        autoSize(Label1s[k]);
        if (m_bars.size() - 1 <= N)
            continue;
        const std::vector<QString> values = movingAverage(m_read.closes, N, lastReal);
        const MaLine line = maLine(values, N);
        s.ForeColor = kMaColours[k];
        for (const auto& [a, b] : line.segments)
            s.Line(l->centre(a), l->yOf(platform::CDbl(values[a])), l->centre(b),
                   l->yOf(platform::CDbl(values[b])), kMaColours[k]);
        if (line.lastBar >= 0) {
            Label1s[k].Caption =
                maLabelText(N, platform::CDbl(values[line.lastBar]), KRmb, NowRmb);
            autoSize(Label1s[k]);
        }
    }
    // The first average's label has a fixed width, which a price in RMB outgrows.
    Label1s[0].Width = charts::roomFor(
        kMaLabelWidth, platform::textWidthTwips(Label1s[0].Font, Label1s[0].Caption));
    placeAverageRow();
    QString none;
    ShowCaption(none);
    m_dataReady = true;
}

void Kline::setNowcaption(const QString& text) {
    QString t = text;
    ShowCaption(t);
}

void Kline::ShowCaption(QString& Text) {
    const std::optional<KCaption> c = ShowCaptionTexts(Text, m_lastCaption, KRmb, NowRmb);
    if (!c)
        return;
    cKai.Caption = c->kai;
    cMax.Caption = c->max;
    cMin.Caption = c->min;
    cShou.Caption = c->shou;
    cZD.Caption = c->zd;
    for (ChartLabel* l : {&cKai, &cMax, &cMin, &cShou, &cZD})
        autoSize(*l);
    placeHeadRow();
    overlayChanged();
}

// A read-out wider than its margin takes the room it needs, inside the chart.
void Kline::fitCrossLabels(double W) {
    Labelx.Width = charts::roomFor(kKMarginLeft, platform::textWidthTwips(Labelx.Font, Labelx.Caption));
    Labely.Width = charts::roomFor(kKMarginRight, platform::textWidthTwips(Labely.Font, Labely.Caption));
    Labely.Left = charts::keepInside(W - kKMarginRight, Labely.Width, 0, W);
}

void Kline::Unkform() { platform::unload<KlineForms>(); }

void Kline::tracking(bool down, int button, double x, double y) {
    if (!((button == 1 || m_crossOn) && m_dataReady))
        return;
    const double W = m_surface->ScaleWidth();
    const double H = m_surface->ScaleHeight();
    const QFontMetrics fm(m_labelFont);
    if (y > 250 && y < H - 210) {
        Linex = {630, y, W - 120, y, Linex.Visible};
        Labelx.Caption = priceAtY(m_layout, y);
        Labelx.Left = 0;
        Labelx.Top = y - Labelx.Height / 2;
        if (!down) {
            Labely.Caption = platform::singleText(static_cast<float>(
                platform::Round(platform::Val(Labelx.Caption) * NowRmb, 2)));
            Labely.Top = y - Labely.Height / 2;
        }
        fitCrossLabels(W);
    }
    if (x > 630 && x < W - 120) {
        Liney = {x, 280, x, H - 210, Liney.Visible};
        m_curBar = curBarFromX(x, m_layout.slotWidth);
        if (m_curBar >= 0 && m_curBar < m_bars.size() && !m_bars[m_curBar].isEmpty()) {
            m_barFields = m_bars[m_curBar].split(u',');
            Labelb.Caption = m_barFields[0];
            autoSize(Labelb);
            if (!down && platform::isLoaded<KlineForms>() && !Klineforms().isHidden())
                Klineforms().showValues(dataWindowValues(m_barFields));
        }
        Labelb.Top = H - 180;
        Labelb.Left = x - Labelb.Width / 2;
        if (!down && x + Labelb.Width / 2 >= W)
            Labelb.Left = W - Labelb.Width;
        if (down) {
            Linex.Visible = Liney.Visible = Labelx.Visible = Labelb.Visible = true;
            if (m_crossOn)
                Labely.Visible = true;
        }
    }
    overlayChanged();
}

namespace {

// The arguments of the mouse events: 16-bit button and shift, single-precision twips.
struct MouseArgs {
    int16_t button, shift;
    float x, y;
};
MouseArgs mouseArgs(int button, int shift, double x, double y) {
    return {static_cast<int16_t>(button), static_cast<int16_t>(shift), static_cast<float>(x),
            static_cast<float>(y)};
}

} // namespace

void Kline::mouseDownTw(int button, int shift, double x, double y) {
    const MouseArgs a = mouseArgs(button, shift, x, y);
    emit MouseDown(a.button, a.shift, a.x, a.y);
    tracking(true, button, x, y);
}

void Kline::mouseMoveTw(int button, int shift, double x, double y) {
    const MouseArgs a = mouseArgs(button, shift, x, y);
    emit MouseMove(a.button, a.shift, a.x, a.y);
    tracking(false, button, x, y);
}

void Kline::mouseUpTw(int button, int shift, double x, double y) {
    const MouseArgs a = mouseArgs(button, shift, x, y);
    emit MouseUp(a.button, a.shift, a.x, a.y);
    if (m_crossOn)
        return;
    Linex.Visible = Liney.Visible = Labelx.Visible = Labely.Visible = Labelb.Visible = false;
    overlayChanged();
}

void Kline::click() { emit Click(); }

void Kline::dblClick() {
    emit DblClick();
    m_crossOn = !m_crossOn;
    if (m_crossOn) {
        Linex.Visible = Liney.Visible = Labelx.Visible = Labely.Visible = Labelb.Visible = true;
        KlineForms& f = Klineforms();
        f.hide();
        f.setWindowTitle(Label5.Caption + u' ' + Label6.Caption);
        f.move(dataWindowPlace(QRect(mapToGlobal(QPoint(0, 0)), size()), f.frameGeometry().size(),
                               screen()->availableGeometry(),
                               static_cast<int>(std::ceil((Label1s[0].Top + Label1s[0].Height) /
                                                          TwipsY))));
        f.showForm(window());
    } else {
        platform::unload<KlineForms>();
        Linex.Visible = Liney.Visible = Labelx.Visible = Labely.Visible = Labelb.Visible = false;
    }
    overlayChanged();
}

void Kline::keyDownVk(int keyCode, int shift) {
    if (onKeyDown)
        onKeyDown(keyCode, shift);
    switch (klineKeyAction(keyCode)) {
    case KlineKey::Jian: emit PressJian(); break;
    case KlineKey::Jia: emit PressJia(); break;
    case KlineKey::None: break;
    }
}

void Kline::keyPressAscii(int keyAscii) { emit KeyPress(static_cast<int16_t>(keyAscii)); }

void Kline::keyUpVk(int keyCode, int shift) {
    emit KeyUp(static_cast<int16_t>(keyCode), static_cast<int16_t>(shift));
}

void Kline::clickLabel1s(int index) {
    if (index < 0 || index > 4)
        return;
    m_maHidden[index] = !m_maHidden[index];
    redraw();
}

int Kline::label1sAt(double x, double y) const {
    for (int i = 0; i < 10; ++i) {
        const ChartLabel& l = Label1s[i];
        if (x >= l.Left && x < l.Left + l.Width && y >= l.Top && y < l.Top + l.Height)
            return i;
    }
    return -1;
}

QRegion Kline::overlayRegion() const {
    const int b = border();
    const int tx = TwipsX;
    const int ty = TwipsY;
    QRegion region = QRegion(rect()) - QRegion(clientRect());
    for (const ChartLine* line : {&Linex, &Liney})
        if (line->Visible)
            region += QRect(QPoint(px(line->X1, tx), px(line->Y1, ty)),
                            QPoint(px(line->X2, tx), px(line->Y2, ty)))
                          .normalized()
                          .translated(b, b);
    const auto add = [&](const ChartLabel& l) {
        if (l.Visible)
            region += QRect(QPoint(px(l.Left, tx), px(l.Top, ty)),
                            QPoint(px(l.Left + l.Width, tx) - 1, px(l.Top + l.Height, ty) - 1))
                          .translated(b, b);
    };
    for (const ChartLabel* l : {&Label5, &Label6, &cKai, &cMax, &cMin, &cShou, &cZD, &Labelx,
                                &Labely, &Labelb})
        add(*l);
    for (const ChartLabel& l : Label1s)
        add(l);
    return region;
}

void Kline::overlayChanged() {
    if (m_backStyle == kBackStyleTransparent)
        setMask(overlayRegion());
    else
        clearMask();
    update();
}

void Kline::drawOverlay(QImage& image) const {
    const int b = border();
    const int tx = TwipsX;
    const int ty = TwipsY;
    for (const ChartLine* line : {&Linex, &Liney})
        if (line->Visible)
            platform::gdi::drawLine(image, px(line->X1, tx) + b, px(line->Y1, ty) + b,
                                    px(line->X2, tx) + b, px(line->Y2, ty) + b, kWhite);
    const auto draw = [&](const ChartLabel& l) {
        if (!l.Visible)
            return;
        const platform::gdi::Rect rect{px(l.Left, tx) + b, px(l.Top, ty) + b,
                                       px(l.Left + l.Width, tx) + b, px(l.Top + l.Height, ty) + b};
        if (l.Opaque)
            platform::gdi::fillRect(image, rect, l.BackColor);
        platform::gdi::drawText(image, l.Caption, rect,
                                platform::gdi::DT_SINGLELINE | platform::gdi::DT_VCENTER |
                                    platform::gdi::DT_NOPREFIX | platform::gdi::DT_LEFT,
                                l.Font, l.ForeColor);
    };
    for (const ChartLabel* l : {&Label5, &Label6, &cKai, &cMax, &cMin, &cShou, &cZD})
        draw(*l);
    for (const ChartLabel& l : Label1s)
        draw(l);
    for (const ChartLabel* l : {&Labelx, &Labely, &Labelb})
        draw(*l);
}

QImage Kline::frame() {
    syncSize();
    const QRect client = clientRect();
    const int b = border();
    QImage image;
    if (m_backStyle == kBackStyleTransparent) {
        // Only the labels, the crosshair and the edge show; the rest is what lies beneath.
        image = QImage(std::max(width(), 1), std::max(height(), 1),
                       QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
    } else {
        QImage picture = m_surface->picture();
        if (picture.isNull() || picture.size() != client.size())
            picture = platform::gdi::makeSurface(std::max(client.width(), 1),
                                                 std::max(client.height(), 1),
                                                 m_surface->BackColor);
        if (b == 0) {
            image = picture;
        } else {
            image = platform::gdi::makeSurface(std::max(width(), 1), std::max(height(), 1),
                                               m_surface->BackColor);
            QPainter painter(&image);
            painter.drawImage(b, b, picture);
        }
    }
    drawOverlay(image);
    if (b > 0)
        platform::gdi::drawEdge(image, {0, 0, width(), height()}, platform::gdi::EDGE_SUNKEN,
                                platform::gdi::BF_RECT);
    return image;
}

void Kline::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, frame());
}

void Kline::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    syncSize();
    placeHeadRow();
    redraw();
}

void Kline::mousePressEvent(QMouseEvent* event) {
    const int button = platform::mouseButtons(event->button());
    if (button == 0)
        return;
    const QPointF at = twipsAt(event->position());
    const double x = at.x();
    const double y = at.y();
    // The first button pressed decides who has the mouse until all are released.
    if (event->buttons() == event->button()) {
        m_labelPressed = label1sAt(x, y) >= 0;
        m_endsDblClick = false;
    }
    if (m_labelPressed) {
        if (const int hit = label1sAt(x, y); hit >= 0 && button == 1)
            clickLabel1s(hit);
        return;
    }
    mouseDownTw(button, platform::shiftMask(event->modifiers()), x, y);
}

void Kline::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = twipsAt(event->position());
    const double x = at.x();
    const double y = at.y();
    setCursor(label1sAt(x, y) >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    mouseMoveTw(platform::mouseButtons(event->buttons()), platform::shiftMask(event->modifiers()),
                x, y);
}

void Kline::mouseReleaseEvent(QMouseEvent* event) {
    const int button = platform::mouseButtons(event->button());
    const bool labels = m_labelPressed;
    const bool endsDblClick = m_endsDblClick;
    if (event->buttons() == Qt::NoButton)
        m_labelPressed = m_endsDblClick = false;
    if (button == 0 || labels)
        return;
    const QPointF at = twipsAt(event->position());
    mouseUpTw(button, platform::shiftMask(event->modifiers()), at.x(), at.y());
    if (!endsDblClick && rect().contains(event->position().toPoint()))
        click();
}

// The second press of a double click comes here instead of to mousePressEvent: it raises
// DblClick, not MouseDown.
void Kline::mouseDoubleClickEvent(QMouseEvent* event) {
    if (platform::mouseButtons(event->button()) == 0)
        return;
    const QPointF at = twipsAt(event->position());
    m_labelPressed = label1sAt(at.x(), at.y()) >= 0;
    m_endsDblClick = !m_labelPressed;
    if (m_labelPressed)
        return;
    dblClick();
}

void Kline::keyPressEvent(QKeyEvent* event) {
    keyDownVk(platform::virtualKey(*event), platform::shiftMask(event->modifiers()));
    if (const int16_t ascii = platform::keyAscii(*event); ascii != 0)
        keyPressAscii(ascii);
}

// Held keys repeat the key press; the release comes once, when the key is let go.
void Kline::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat())
        return;
    keyUpVk(platform::virtualKey(*event), platform::shiftMask(event->modifiers()));
}

bool Kline::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QPointF at = twipsAt(help->pos());
        if (isEnabled() && label1sAt(at.x(), at.y()) >= 0)
            QToolTip::showText(help->globalPos(), kLabelTip, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

KlineForms::KlineForms() : platform::Form(Qt::Tool) {
    setFixedSize(2475 / TwipsX, 1740 / TwipsY);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, QColor(0xC0, 0xC0, 0xC0));
    setPalette(pal);
    const QFont font = platform::surfaceFont(QStringLiteral("宋体"), 9, false);
    struct Row {
        int top, caption, value;
        const char16_t* text;
    } rows[] = {{45, 0, 15, u"时间日期："},   {270, 7, 14, u"　　星期："}, {495, 2, 12, u"开盘价格："},
                {720, 3, 11, u"收盘价格："},  {945, 4, 10, u"最高价格："}, {1170, 5, 9, u"最低价格："},
                {1395, 6, 8, u"涨跌幅度："}};
    for (QLabel*& l : klfLabels) {
        l = new QLabel(this);
        l->setFont(font);
        l->hide();
    }
    for (const Row& r : rows) {
        QLabel* c = klfLabels[r.caption];
        c->setText(QString::fromUtf16(r.text));
        c->setGeometry(0, r.top / TwipsY, 900 / TwipsX, 15);
        c->show();
        QLabel* v = klfLabels[r.value];
        v->setGeometry(990 / TwipsX, r.top / TwipsY, 100, 15);
        v->show();
    }
}

void KlineForms::showValues(const DataWindowValues& v) {
    const std::pair<int, const std::optional<QString>*> map[] = {
        {15, &v.date}, {14, &v.weekday}, {12, &v.open}, {11, &v.close},
        {10, &v.high}, {9, &v.low},      {8, &v.change}};
    for (const auto& [i, value] : map)
        if (value->has_value()) {
            klfLabels[i]->setText(**value);
            klfLabels[i]->adjustSize();
        }
    if (v.change) {
        QPalette pal = klfLabels[8]->palette();
        const OleColor c = v.changeColour;
        pal.setColor(QPalette::WindowText, QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        klfLabels[8]->setPalette(pal);
    }
}

void KlineForms::keyPressEvent(QKeyEvent* event) {
    platform::sendKeyToMain(platform::virtualKey(*event), platform::shiftMask(event->modifiers()));
}

KlineForms& Klineforms() { return platform::form<KlineForms>(); }
