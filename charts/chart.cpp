#include "charts/chart.h"

#include "charts/labelfit.h"

#include "common/tradingday.h"
#include "state/quotetables.h"
#include "platform/clock.h"
#include "platform/gdi.h"
#include "platform/keys.h"
#include "platform/propertybag.h"
#include "platform/screen.h"
#include "platform/surface.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "widgets/imagelist/balloontip.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

using charts::ChartLayout;
using charts::PointSpacing;
using charts::SeriesRule;
using platform::OleColor;
using platform::Surface;

namespace {

constexpr OleColor kBlack = 0x000000;
constexpr OleColor kWhite = 0xFFFFFF;
constexpr OleColor kGrid = platform::rgb(192, 192, 192);
constexpr OleColor kSeparator = platform::rgb(192, 192, 0);
constexpr OleColor kGreyText = 0x80000011;      // the system's grey-text colour
constexpr OleColor kReadoutBack = 0x800000;     // navy behind the axis and time read-outs
constexpr OleColor kMarkerNews = 0xFF0000;      // blue: comments and news
constexpr OleColor kMarkerBroadcast = 0x0000FF; // red: broadcasts
constexpr double kMarkerWidth = 90;
constexpr double kMarkerHeight = 240;
constexpr double kLabelGap = 60;           // least room between two axis labels
constexpr double kMarginPad = 15;          // a pixel between an axis label and the frame
constexpr double kRmbLabelInset = 30;      // the RMB labels start this far into the margin
constexpr int kCreatedMarkers = 144; // members 1 .. 144 beside the design member 0

QString songTi() {
    return QStringLiteral("宋体");
}

// A series or list text split at ","; an empty text is an empty list.
QStringList splitList(const QString& text) {
    return text.isEmpty() ? QStringList{} : text.split(u',');
}

double rounded(double twips) {
    return std::rint(twips);
}

int toPixel(double twips, int perPixel) {
    return static_cast<int>(std::clamp(std::rint(twips / perPixel), -1e6, 1e6));
}

// A saved number converted to its property's type, as the bag's reader converts it.
double storedNumber(const QVariant& value) {
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok) platform::raiseTypeMismatch();
    return d;
}

} // namespace

// --- Construction ------------------------------------------------------------------------------

Chart::Chart(QWidget* parent) : Chart(std::make_unique<platform::ImageSurface>(0, 0), parent) {}

Chart::Chart(std::unique_ptr<platform::Surface> surface, QWidget* parent)
    : QWidget(parent),
      m_surface(surface ? std::move(surface) : std::make_unique<platform::ImageSurface>(0, 0)) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setUpChildren();
    m_tip = new BalloonTip(this);
    m_tip->setBalloonFont(QFont(songTi(), 9));
    m_tip->hide();
    m_mnuMain = new QMenu(this);
    m_mnuLegend = m_mnuMain->addAction(QStringLiteral("图例"));
    m_mnuLegend->setCheckable(true); // a click toggles the mark; nothing reads it
}

Chart::~Chart() = default;

void Chart::setUpChildren() {
    const QFont labelFont = platform::surfaceFont(songTi(), 9, false);
    const double lineHeight = platform::lineHeightTwips(labelFont);
    const auto label = [&](double left, double top, double width, double height) {
        ChartLabel l;
        l.Left = left;
        l.Top = top;
        l.Width = width;
        l.Height = height;
        l.Font = labelFont;
        return l;
    };
    const auto seriesReadout = [&](double top, OleColor color) {
        ChartLabel l = label(2475, top, 360, 180);
        l.AutoSize = true;
        l.Opaque = true;
        l.ForeColor = color;
        setCaption(l, QStringLiteral("0.00"));
        return l;
    };
    m_bluelb = seriesReadout(1080, 0xC00000);
    m_redlb = seriesReadout(855, 0x0000FF);
    m_greenlb = seriesReadout(630, 0x00C000);

    const auto axisReadout = [&](double left, double top, bool autoSize) {
        ChartLabel l = label(left, top, 650, lineHeight);
        l.AutoSize = autoSize;
        l.Centred = true;
        l.Opaque = true;
        l.BackColor = kReadoutBack;
        l.ForeColor = kWhite;
        return l;
    };
    m_labelb = axisReadout(2430, 2295, true);
    m_labelx = axisReadout(1620, 1260, false);
    m_labely = axisReadout(3330, 1260, false);

    m_beginfo = label(1575, 1440, 1350, 180);
    m_beginfo.AutoSize = true;
    m_beginfo.Visible = true;
    setCaption(m_beginfo, QStringLiteral("等候装载数据..."));

    ChartLabel marker = label(450, 3240, kMarkerWidth, kMarkerHeight);
    marker.Caption = QStringLiteral("*");
    marker.Font = platform::surfaceFont(QStringLiteral("System"), 10, true);
    m_dl.assign(1, marker);
}

void Chart::setCaption(ChartLabel& label, const QString& caption) const {
    label.Caption = caption;
    if (label.AutoSize) {
        label.Width = platform::textWidthTwips(label.Font, caption);
        label.Height = platform::lineHeightTwips(label.Font);
    }
}

void Chart::syncSize() {
    if (m_surface->pixelWidth() != width() || m_surface->pixelHeight() != height())
        m_surface->resize(width(), height());
}

double Chart::W() const {
    return m_surface->ScaleWidth();
}
double Chart::H() const {
    return m_surface->ScaleHeight();
}

// --- Properties --------------------------------------------------------------------------------

void Chart::setRows(int32_t value) {
    m_rows = value;
    m_chartType = 0;
    emit PropertyChanged(QStringLiteral("Rows"));
}

void Chart::setCols(int32_t value) {
    m_cols = value;
    emit PropertyChanged(QStringLiteral("Cols"));
}

void Chart::setpRows(int32_t value) {
    m_pRows = value;
    emit PropertyChanged(QStringLiteral("pRows"));
}

void Chart::setpCols(int32_t value) {
    m_pCols = value;
    emit PropertyChanged(QStringLiteral("pCols"));
}

void Chart::setMinValue(float value) {
    m_minValue = value;
    emit PropertyChanged(QStringLiteral("MinValue"));
}

void Chart::setMaxValue(float value) {
    m_maxValue = value;
    emit PropertyChanged(QStringLiteral("MaxValue"));
}

QImage Chart::LoadImg() const {
    return m_surface->picture();
}

void Chart::readProperties(const platform::PropertyBag& bag) {
    m_rows = platform::CLng(storedNumber(bag.read(QStringLiteral("Rows"), 0)));
    m_cols = platform::CLng(storedNumber(bag.read(QStringLiteral("Cols"), 0)));
    m_pRows = platform::CLng(storedNumber(bag.read(QStringLiteral("pRows"), 0)));
    m_pCols = platform::CLng(storedNumber(bag.read(QStringLiteral("pCols"), 0)));
    m_minValue = platform::CSng(storedNumber(bag.read(QStringLiteral("MinValue"), 0.0f)));
    m_maxValue = platform::CSng(storedNumber(bag.read(QStringLiteral("MaxValue"), 5.0f)));
}

void Chart::writeProperties(platform::PropertyBag& bag) const {
    bag.write(QStringLiteral("Rows"), m_rows, 0);
    bag.write(QStringLiteral("Cols"), m_cols, 0);
    bag.write(QStringLiteral("pRows"), m_pRows, 0);
    bag.write(QStringLiteral("pCols"), m_pCols, 0);
    bag.write(QStringLiteral("MinValue"), m_minValue, 0.0f);
    bag.write(QStringLiteral("MaxValue"), m_maxValue, 5.0f);
}

QString Chart::Fostrc(float value) const {
    return charts::Fostrc(value, XsJZ);
}

void Chart::setSeries(int k, const QString& text) {
    m_seriesText[k] = text;
    m_seriesSplit[k].reset();
}

const QStringList& Chart::series(int k) const {
    if (!m_seriesSplit[k]) m_seriesSplit[k] = splitList(m_seriesText[k]);
    return *m_seriesSplit[k];
}

// --- Steps the drawings share ------------------------------------------------------------------

// pRows grows by one with every drawing; the hosts set it again before each one.
int32_t Chart::widenColumns() {
    if (m_pRows < std::numeric_limits<int32_t>::max()) ++m_pRows;
    return m_pRows;
}

ChartLayout Chart::layout(int32_t columns, PointSpacing spacing) const {
    return charts::chartLayout(W(), H(), m_margins, m_rows, columns, m_pCols, m_minValue,
                               m_maxValue, spacing);
}

void Chart::drawFrameAndGrid(const ChartLayout& l, int32_t columns) {
    Surface& s = *m_surface;
    const double bottom = H() - m_margins.Bottom;
    s.Box(m_margins.Left, m_margins.Top, W() - 10 - m_margins.Right, bottom, kBlack);
    for (double x : charts::gridColumnXs(l, m_margins, columns))
        s.Line(x, m_margins.Top, x, bottom, kGrid);
}

// Dotted horizontal grid and the value of every level in the left margin (and, with the RMB
// axis, in RMB in the right margin), each column fitted to its margin.
void Chart::drawValueLevels(const ChartLayout& l, bool rmbAxis) {
    Surface& s = *m_surface;
    s.setDrawStyle(platform::vbDot);
    const float span = m_maxValue - m_minValue;
    const float perTwip = span / l.plotHeight;
    if (l.plotHeight != 0 && std::isfinite(perTwip)) m_valuePerTwip = perTwip;
    m_labelx.Width = m_margins.Left;
    m_labely.Width = m_margins.Right;
    const double lineHeight = s.TextHeight(QStringLiteral("I"));
    const int32_t levels = charts::boundedDivisions(m_pCols);
    const std::vector<double> values = charts::levelValues(l, levels, m_pCols, m_minValue);
    const charts::TextMeasure measure = [&s](const QString& t) { return s.TextWidth(t); };
    const QStringList texts = charts::fitLabels(values, charts::levelDecimals(values, XsJZ),
                                                m_margins.Left - 2 * kMarginPad, measure)
                                  .texts;
    QStringList rmbTexts;
    if (rmbAxis) {
        std::vector<double> rmbValues;
        for (int i = 0; i <= levels; ++i)
            rmbValues.push_back(
                static_cast<float>(charts::levelValue(l, i, m_pCols, m_minValue) * NowRmb));
        rmbTexts = charts::fitLabels(rmbValues, DecimalCount(XsJZ),
                                     m_margins.Right - kRmbLabelInset - kMarginPad, measure)
                       .texts;
    }
    std::vector<charts::LabelSpan> spans;
    for (int i = 0; i <= levels; ++i) {
        const double y = charts::levelY(l, m_margins, i);
        spans.push_back({y - lineHeight / 2, y + lineHeight / 2});
    }
    const std::vector<bool> shown = charts::spacedLabels(spans, texts, kLabelGap);
    m_levelBoxes.clear();
    for (int i = 0; i <= levels; ++i) {
        const double y = charts::levelY(l, m_margins, i);
        if (0 < i && i < m_pCols) s.Line(m_margins.Left, y, W() - m_margins.Right, y, kGrid);
        if (!shown[static_cast<size_t>(i)]) continue;
        const QString& text = texts[i];
        const double width = s.TextWidth(text);
        const QRectF box(charts::keepInside(m_margins.Left / 2.0 - width / 2, width, 0, W()),
                         y - lineHeight / 2, width, lineHeight);
        if (touchesCaption(box)) continue;
        s.CurrentX = box.left();
        s.CurrentY = box.top();
        s.Print(text);
        m_levelBoxes.push_back({box.left(), box.top(), box.right(), box.bottom()});
        if (!rmbAxis || rmbTexts[i].isEmpty()) continue;
        const QString& rmbText = rmbTexts[i];
        const double rmbWidth = s.TextWidth(rmbText);
        const QRectF rmbBox(
            charts::keepInside(W() - m_margins.Right + kRmbLabelInset, rmbWidth, 0, W()),
            y - lineHeight / 2, rmbWidth, lineHeight);
        if (touchesCaption(rmbBox)) continue;
        s.CurrentX = rmbBox.left();
        s.CurrentY = rmbBox.top();
        s.Print(rmbText);
        m_levelBoxes.push_back({rmbBox.left(), rmbBox.top(), rmbBox.right(), rmbBox.bottom()});
    }
    if (rmbAxis) {
        const double y = m_margins.Top - 2 * lineHeight;
        s.CurrentX = 0;
        s.CurrentY = y;
        s.Print(QStringLiteral("(人民币)"));
        s.CurrentX = W() - m_margins.Right + 15;
        s.CurrentY = y;
        s.Print(QStringLiteral("(美元)"));
    }
}

void Chart::printCaptions(const std::vector<Caption>& captions, double y) {
    Surface& s = *m_surface;
    std::vector<charts::LabelSpan> spans;
    QStringList texts;
    for (const Caption& c : captions) {
        spans.push_back({c.x, c.x + s.TextWidth(c.text)});
        texts << c.text;
    }
    const std::vector<bool> shown = charts::spacedLabels(spans, texts, kLabelGap);
    const double height = s.TextHeight(QStringLiteral("I"));
    m_captionBoxes.clear();
    for (size_t i = 0; i < captions.size(); ++i) {
        if (!shown[i]) continue;
        m_captionBoxes.emplace_back(spans[i].start, y, spans[i].end - spans[i].start, height);
        s.CurrentY = y;
        s.CurrentX = captions[i].x;
        s.Print(captions[i].text);
    }
}

bool Chart::touchesCaption(const QRectF& box) const {
    return std::any_of(m_captionBoxes.begin(), m_captionBoxes.end(),
                       [&box](const QRectF& c) { return c.intersects(box); });
}

void Chart::setLineWidth(int width) {
    m_surface->setDrawStyle(platform::vbSolid);
    m_surface->setDrawWidth(width); // a negative width is refused and the pen stays as it was
}

void Chart::drawSegments(const std::vector<charts::SeriesSegment>& segments, OleColor color) {
    std::vector<QLineF> lines;
    lines.reserve(segments.size());
    for (const charts::SeriesSegment& seg : segments)
        lines.emplace_back(seg.x1, seg.y1, seg.x2, seg.y2);
    m_surface->Lines(lines, color);
}

void Chart::finishDrawing() {
    m_surface->setDrawWidth(1);
    m_chartDrawn = true;
    placeMarkers();
    if (!ShowTime) m_labelb.Visible = false;
    update();
}

// Weekday of the current-day series of the instrument "mgold"; 0 when there is none.
int Chart::currentWeekday() const {
    const QString index = ProductIndex(QStringLiteral("mgold"));
    if (index.isEmpty()) return 0;
    const QDate date = ProdSeriesDate[static_cast<size_t>(index.toInt())][0].date();
    return date.isValid() ? date.dayOfWeek() : 0;
}

// --- Drawings ----------------------------------------------------------------------------------

void Chart::DrawNum(const QStringList& LinesArray, const QList<OleColor>& ColorArray,
                    const QStringList& RowCaption, int16_t LineFs, int16_t Dwtypenum) {
    syncSize();
    m_beginfo.Visible = false;
    m_margins = charts::kDrawNumMargins;
    const int32_t columns = widenColumns();
    m_chartType = Dwtypenum;
    Surface& s = *m_surface;
    s.BackColor = kWhite;
    s.Cls();
    const ChartLayout l = layout(columns, PointSpacing::Widened);
    s.setDrawStyle(platform::vbSolid);
    drawFrameAndGrid(l, columns);
    for (double x : charts::separatorXs(l, m_margins, m_rows))
        s.Line(x, m_margins.Top, x, H() - m_margins.Bottom, kSeparator);

    const double captionY = charts::captionY(H(), m_margins, s.TextHeight(QStringLiteral("I")));
    std::vector<Caption> captions;
    for (int i = 0; i <= charts::boundedDivisions(columns) && i < RowCaption.size(); ++i)
        captions.push_back({charts::columnCaptionX(l, m_margins, i), RowCaption[i]});
    printCaptions(captions, captionY);
    drawValueLevels(l, false);

    setLineWidth(LineFs == 0 ? 2 : LineFs);
    const int weekday = currentWeekday();
    for (int k = 2; k >= 0; --k) {
        setSeries(k, k < LinesArray.size() ? LinesArray[k] : QString());
        if (k < ColorArray.size())
            drawSegments(charts::seriesSegments(charts::seriesValues(m_seriesText[k]),
                                                SeriesRule::DrawNum, weekday, l, m_margins, H(),
                                                m_minValue),
                         ColorArray[k]);
    }
    finishDrawing();
}

void Chart::DrawNumLine(const QString& LinesArray, OleColor ColorArray,
                        const QStringList& RowCaption, int16_t LineFs, int16_t Dwtypenum) {
    QString noDates;
    DrawNumLine(LinesArray, ColorArray, RowCaption, LineFs, Dwtypenum, noDates);
}

void Chart::DrawNumLine(const QString& LinesArray, OleColor ColorArray,
                        const QStringList& RowCaption, int16_t LineFs, int16_t Dwtypenum,
                        QString& Bcap) {
    syncSize();
    m_beginfo.Visible = false;
    if (NowRmb == 0) NowRmb = RmbRate;
    m_margins = charts::kDrawNumLineMargins;
    const int32_t columns = widenColumns();
    m_chartType = Dwtypenum;
    setSeries(1, LinesArray);
    Bcap.replace(u'/', u'-');
    if (!Bcap.isEmpty()) m_pointDates = Bcap.split(u',');

    Surface& s = *m_surface;
    s.BackColor = kWhite;
    s.Cls();
    const ChartLayout l = layout(columns, PointSpacing::Exact);
    s.setDrawStyle(platform::vbSolid);
    drawFrameAndGrid(l, columns);

    const double captionY = charts::captionY(H(), m_margins, s.TextHeight(QStringLiteral("I")));
    const int32_t last = charts::boundedDivisions(columns);
    if (!Bcap.isEmpty()) {
        const int year = platform::pcNow().date().year();
        int j = 0; // a date index that cannot be worked out keeps the one before
        std::vector<Caption> captions;
        for (int i = 1; i <= last + 1; ++i) {
            if (const auto under =
                    charts::dateLabelIndex(l, i, static_cast<int>(m_pointDates.size()) - 1))
                j = *under;
            if (j >= 0 && j < m_pointDates.size())
                captions.push_back({charts::dateLabelX(l, m_margins, i, columns),
                                    charts::dateLabelText(m_pointDates[j], year)});
        }
        printCaptions(captions, captionY);
    } else {
        std::vector<Caption> captions;
        for (int i = 0; i <= last; ++i) {
            const double x = charts::columnX(l, m_margins, i);
            s.Line(x, m_margins.Top, x, H() - m_margins.Bottom, kGrid);
            if (i < RowCaption.size())
                captions.push_back(
                    {charts::lineCaptionX(l, m_margins, i, columns, s.TextWidth(RowCaption[i])),
                     RowCaption[i]});
        }
        printCaptions(captions, captionY);
    }
    drawValueLevels(l, false);

    setLineWidth(LineFs == 0 ? 2 : LineFs);
    drawSegments(charts::seriesSegments(charts::seriesValues(LinesArray), SeriesRule::DrawNumLine,
                                        0, l, m_margins, H(), m_minValue),
                 ColorArray);
    finishDrawing();
}

void Chart::DrawLine(const QString& LinesArray, OleColor ColorArray, const QStringList& RowCaption,
                     int16_t& LineFs) {
    syncSize();
    m_beginfo.Visible = false;
    if (NowRmb == 0) NowRmb = RmbRate;
    m_margins = charts::kRmbAxisMargins;
    const int32_t columns = widenColumns();
    m_chartType = 2;
    if (LineFs == -1) LineFs = 1;
    Surface& s = *m_surface;
    s.BackColor = kWhite;
    s.Cls();
    const ChartLayout l = layout(columns, PointSpacing::Widened);
    s.setDrawStyle(platform::vbSolid);
    drawFrameAndGrid(l, columns);

    // Caption i stands at column i - 1: the first caption is left out.
    const double captionY = charts::captionY(H(), m_margins, s.TextHeight(QStringLiteral("I")));
    std::vector<Caption> captions;
    for (int i = 1; i <= charts::boundedDivisions(columns) + 1 && i < RowCaption.size(); ++i)
        captions.push_back({charts::columnCaptionX(l, m_margins, i - 1), RowCaption[i]});
    printCaptions(captions, captionY);
    drawValueLevels(l, true);

    setLineWidth(LineFs == 0 ? 2 : LineFs);
    setSeries(1, LinesArray);
    drawSegments(charts::seriesSegments(charts::seriesValues(LinesArray), SeriesRule::DrawLine, 0,
                                        l, m_margins, H(), m_minValue),
                 ColorArray);
    finishDrawing();
}

void Chart::DrawGraph(const QStringList& LinesArray, const QList<OleColor>& ColorArray,
                      const QStringList& RowCaption, bool IsNotbold) {
    syncSize();
    m_beginfo.Visible = false;
    if (NowRmb == 0) NowRmb = RmbRate;
    m_margins = charts::kRmbAxisMargins;
    const int32_t columns = widenColumns();
    m_chartType = 1;
    Surface& s = *m_surface;
    s.BackColor = kWhite;
    s.Cls();
    const ChartLayout l = layout(columns, PointSpacing::Widened);
    s.setDrawStyle(platform::vbSolid);
    drawFrameAndGrid(l, columns);

    const double captionY = charts::captionY(H(), m_margins, s.TextHeight(QStringLiteral("I")));
    std::vector<Caption> captions;
    for (int i = 0; i <= charts::boundedDivisions(columns) && i < RowCaption.size(); ++i)
        captions.push_back({charts::columnCaptionX(l, m_margins, i), RowCaption[i]});
    printCaptions(captions, captionY);
    drawValueLevels(l, true);

    setLineWidth(IsNotbold ? 1 : 2);
    const int weekday = currentWeekday();
    for (int k = 2; k >= 0; --k) {
        setSeries(k, k < LinesArray.size() ? LinesArray[k] : QString());
        if (k < ColorArray.size())
            drawSegments(charts::seriesSegments(charts::seriesValues(m_seriesText[k]),
                                                SeriesRule::DrawGraph, weekday, l, m_margins, H(),
                                                m_minValue),
                         ColorArray[k]);
    }
    finishDrawing();
}

// --- Text and legends --------------------------------------------------------------------------

void Chart::Xie(int32_t Xiex, int32_t Xiey, int32_t Xcolor, const QString& Xfont, int32_t Xfontsize,
                const QString& Xfontstr, bool Xbold, float Duiqi) {
    syncSize();
    Surface& s = *m_surface;
    s.ForeColor = static_cast<OleColor>(Xcolor);
    s.setFontName(Xfont);
    if (!s.setFontSize(Xfontsize))
        throw platform::VbError(380, QStringLiteral("Invalid property value"),
                                QStringLiteral("Chart"));
    if (Xbold) s.setFontBold(true);
    // Measured in the regular weight, as the measuring label has it.
    const double tw =
        platform::textWidthTwips(platform::surfaceFont(Xfont, Xfontsize, false), Xfontstr);
    if (Duiqi == 0) {
        s.CurrentX = Xiex;
        s.CurrentY = Xiey;
    } else if (Duiqi == 1) {
        s.CurrentX = W() / 2 - tw / 2;
        s.CurrentY = Xiex;
    } else if (Duiqi == 2) {
        s.CurrentX = W() - tw - Xiey;
        s.CurrentY = Xiex;
    } else if (Duiqi == 3) {
        s.CurrentX = W() - Xiex - tw;
        s.CurrentY = H() - Xiey;
    }
    s.Print(Xfontstr);
    s.ForeColor = kBlack;
    s.setFontName(songTi());
    s.setFontSize(9);
    s.setFontBold(false);
    update();
}

void Chart::LineLegend(const QString& LegendArray, OleColor ColorArray, int32_t CuY, int32_t Cux) {
    syncSize();
    m_beginfo.Visible = false;
    Surface& s = *m_surface;
    m_legendX = charts::legendX(Cux, W());
    m_legendY = charts::legendY(CuY, H());
    s.CurrentY = m_legendY + 50;
    const double top = rounded(s.CurrentY);
    const double tw = s.TextWidth(LegendArray);
    const auto w = static_cast<int32_t>(tw > 0 ? rounded(tw) : 0);
    s.Print();
    m_legendRight = m_legendX + w + 300;
    const double bottom = s.CurrentY;
    m_legendBottom = bottom + 40;
    s.FilledBox(m_legendX, m_legendY, m_legendRight, bottom + 40, kWhite);
    s.Box(m_legendX, m_legendY, m_legendRight, bottom, kGreyText);

    const auto y0 = static_cast<int32_t>(top);
    const charts::TwipRect swatch = charts::legendSwatch(m_legendX, y0);
    s.FilledBox(swatch.x1, swatch.y1, swatch.x2, swatch.y2, ColorArray);
    s.CurrentX = m_legendX + 300;
    s.CurrentY = y0;
    s.ForeColor = ColorArray;
    s.Print(LegendArray);
    s.ForeColor = kBlack;
    update();
}

void Chart::DrawLegend(const QStringList& LegendArray, const QList<OleColor>& ColorArray,
                       int32_t CuY, int32_t Cux) {
    syncSize();
    Surface& s = *m_surface;
    m_legendX = charts::legendX(Cux, W());
    m_legendY = charts::legendY(CuY, H());
    s.CurrentY = m_legendY + 50;
    const double top = rounded(s.CurrentY);
    int32_t w = 0;
    for (const QString& entry : LegendArray) {
        const double tw = s.TextWidth(entry);
        if (tw > w) w = static_cast<int32_t>(rounded(tw));
        s.Print();
    }
    m_legendRight = m_legendX + w + 300;
    const double bottom = s.CurrentY;
    m_legendBottom = bottom + 40;
    s.Box(m_legendX, m_legendY, m_legendRight, bottom + 40, kWhite);
    s.Box(m_legendX, m_legendY, m_legendRight, bottom, kGreyText);

    s.CurrentY = top;
    for (qsizetype i = 0; i < LegendArray.size(); ++i) {
        const auto y0 = static_cast<int32_t>(rounded(s.CurrentY));
        // An entry without a colour has no swatch and keeps the colour of the entry before.
        if (i < ColorArray.size()) {
            const charts::TwipRect swatch = charts::legendSwatch(m_legendX, y0);
            s.FilledBox(swatch.x1, swatch.y1, swatch.x2, swatch.y2, ColorArray[i]);
        }
        s.CurrentX = m_legendX + 300;
        s.CurrentY = y0;
        if (i < ColorArray.size()) s.ForeColor = ColorArray[i];
        s.Print(LegendArray[i]);
    }
    s.ForeColor = kBlack;
    update();
}

// --- Resizing ----------------------------------------------------------------------------------

void Chart::Me_Resize() {
    syncSize();
    if (m_beginfo.Visible) {
        m_beginfo.Left = W() / 2 - m_beginfo.Width / 2;
        m_beginfo.Top = H() / 2 - m_beginfo.Height / 2;
    }
    placeMarkers();
    update();
}

// The markers stand on the plot, whose edges move with the size and with the margins each kind
// of drawing sets: news loaded before the first drawing would otherwise keep the places of a
// plot without margins.
void Chart::placeMarkers() {
    if (!ShowChartD) return;
    const size_t count = std::min(m_dl.size(), m_markers.size());
    for (size_t k = 0; k < count; ++k) {
        if (!m_markers[k].used) continue;
        m_dl[k].Visible = DayAxis;
        m_dl[k].Left = charts::markerLeft(W(), m_margins, m_markers[k].slot);
        m_dl[k].Top = charts::markerTop(H(), m_margins, m_dl[k].Height);
    }
    if (!DayAxis && m_tip->Showing()) m_tip->UnShowIng();
}

// --- Crosshair ---------------------------------------------------------------------------------

// The horizontal line and the value read-outs at height Y.
void Chart::placeHorizontal(double Y) {
    m_linex.X1 = m_margins.Left;
    m_linex.Y1 = Y;
    m_linex.X2 = W() - m_margins.Right;
    m_linex.Y2 = Y;
    if (const auto value = charts::valueReadout(m_maxValue, m_valuePerTwip, Y, m_margins))
        m_labelx.Caption = *value;
    // A read-out wider than its margin takes the room it needs, inside the chart.
    m_labelx.Width =
        charts::roomFor(m_margins.Left, platform::textWidthTwips(m_labelx.Font, m_labelx.Caption));
    m_labelx.Left = 0;
    m_labelx.Top = Y - m_labelx.Height / 2;
    if (const auto rmb = charts::rmbReadout(m_labelx.Caption, NowRmb)) m_labely.Caption = *rmb;
    m_labely.Width =
        charts::roomFor(m_margins.Right, platform::textWidthTwips(m_labely.Font, m_labely.Caption));
    m_labely.Left = charts::keepInside(W() - m_margins.Right, m_labely.Width, 0, W());
    m_labely.Top = Y - m_labely.Height / 2;
}

// The vertical line at X and the read-outs of the point under it. Moving, the time caption is
// set whatever ShowTime is and the time label only follows while it fits.
void Chart::placeVertical(double X, double Y, bool moving) {
    m_liney.X1 = X;
    m_liney.Y1 = m_margins.Top;
    m_liney.X2 = X;
    m_liney.Y2 = H() - m_margins.Bottom;
    const int i = charts::pointIndexAt(X, W(), m_margins, m_rows);
    if (moving) {
        updateTimeReadout(i, true);
        if (X + m_labelb.Width / 2 < W()) {
            m_labelb.Left = X - m_labelb.Width / 2;
            m_labelb.Top = H() - m_margins.Bottom;
        }
    } else if (ShowTime) {
        updateTimeReadout(i, false);
        m_labelb.Left = X - m_labelb.Width / 2;
        m_labelb.Top = H() - m_margins.Bottom;
        m_labelb.Visible = true;
    } else {
        m_labelb.Visible = false;
    }
    updateSeriesReadouts(i, X, Y);
}

void Chart::updateTimeReadout(int i, bool moving) {
    const bool slotIndex =
        i >= std::numeric_limits<int16_t>::min() && i <= std::numeric_limits<int16_t>::max();
    const auto slot = static_cast<int16_t>(i);
    std::optional<QString> caption;
    if (moving && IsTd) {
        if (slotIndex) caption = MDtoTDGet(slot);
    } else if (Is720) {
        if (slotIndex) caption = MDtoGet(slot);
    } else if (IsTd) {
        if (slotIndex) caption = MDtoTDGet(slot);
    } else if (Is240) {
        if (slotIndex) caption = MStoGet(slot);
    } else if (ShowRarr) {
        if (i >= 0 && i < m_pointDates.size()) caption = m_pointDates[i];
        if (i >= 0 && i < series(1).size()) {
            if (const auto price = charts::priceReadout(series(1)[i])) setCaption(m_redlb, *price);
        }
    } else if (slotIndex) {
        caption = DtoGet(slot);
    }
    if (caption) setCaption(m_labelb, *caption);
}

void Chart::updateSeriesReadouts(int i, double X, double Y) {
    const double left = charts::seriesReadoutLeft(W(), X, m_margins);
    const auto readout = [&](ChartLabel& label, const QStringList& elements, double top) {
        if (i >= 0 && i < elements.size()) {
            if (const auto price = charts::priceReadout(elements[i])) setCaption(label, *price);
        }
        label.Left = left;
        label.Top = top;
        label.Visible = true;
    };
    switch (m_chartType) {
    case 1:
        readout(m_greenlb, series(0), Y - 650);
        readout(m_redlb, series(1), Y - 450);
        readout(m_bluelb, series(2), Y - 250);
        break;
    case 2:
        readout(m_redlb, series(1), Y - 450);
        break;
    case 3:
        m_redlb.Visible = true;
        break;
    default:
        break;
    }
}

void Chart::showCrosshair() {
    m_liney.Visible = true;
    m_linex.Visible = true;
    m_labelx.Visible = true;
    if (m_margins.Right > 300) // the narrow right margins have no room for the RMB read-out
        m_labely.Visible = true;
}

void Chart::chartMouseDown(int16_t Button, int16_t Shift, float X, float Y) {
    emit MouseDown(Button, Shift, X, Y);
    if (Button != 1 || !m_chartDrawn || !charts::insidePlot(X, Y, W(), H(), m_margins)) return;
    placeHorizontal(Y);
    placeVertical(X, Y, false);
    showCrosshair();
    update();
}

void Chart::chartMouseMove(int16_t Button, int16_t Shift, float X, float Y) {
    emit MouseMove(Button, Shift, X, Y);
    if (m_tip->Showing()) m_tip->UnShowIng();
    if (!(Button == 1 || m_crossLocked) || !m_chartDrawn) return;
    if (charts::insidePlotRows(Y, H(), m_margins)) placeHorizontal(Y);
    if (charts::insidePlotColumns(X, W(), m_margins)) placeVertical(X, Y, true);
    update();
}

void Chart::chartMouseUp(int16_t Button, int16_t Shift, float X, float Y) {
    emit MouseUp(Button, Shift, X, Y);
    if (m_crossLocked) return;
    for (ChartLine* line : {&m_liney, &m_linex})
        line->Visible = false;
    for (ChartLabel* label : {&m_labelx, &m_labely, &m_labelb, &m_greenlb, &m_bluelb, &m_redlb})
        label->Visible = false;
    update();
}

void Chart::chartDblClick() {
    if (!m_chartDrawn) return;
    m_crossLocked = !m_crossLocked;
    if (m_crossLocked) {
        showCrosshair();
        if (ShowTime) m_labelb.Visible = true;
    }
    update();
}

// --- News markers ------------------------------------------------------------------------------

bool Chart::markerExists(int k) const {
    return k >= 0 && static_cast<size_t>(k) < m_dl.size() &&
           static_cast<size_t>(k) < m_markers.size();
}

bool Chart::MarkerUsed(int k) const {
    return markerExists(k) && m_markers[static_cast<size_t>(k)].used;
}

int16_t Chart::MarkerType(int k) const {
    return markerExists(k) ? m_markers[static_cast<size_t>(k)].type : 0;
}

QString Chart::MarkerText(int k) const {
    return markerExists(k) ? m_markers[static_cast<size_t>(k)].text : QString();
}

void Chart::DoTheD(const QString& InDtitle, const QString& InDurl, int16_t InDtype,
                   const QDateTime& IndTime) {
    syncSize();
    if (m_dl.size() < 2) {
        ChartLabel member = m_dl.front();
        member.Visible = false;
        m_dl.resize(1 + kCreatedMarkers, member);
        m_markers.assign(charts::kMarkerSlots, MarkerState{});
        ShowChartD = true;
    }
    const int16_t s = TtoGetd(IndTime);
    if (!markerExists(s)) // an item before 06:00 has no slot
        return;
    MarkerState& marker = m_markers[static_cast<size_t>(s)];
    marker.slot = s;
    if (marker.used) // the first item of a slot keeps it
        return;
    ChartLabel& label = m_dl[static_cast<size_t>(s)];
    label.Visible = DayAxis;
    marker.text = platform::generalDateText(IndTime) + QStringLiteral("\r\n") + InDtitle;
    label.Tag = InDurl;
    marker.type = InDtype;
    label.ForeColor = InDtype != 0 ? kMarkerNews : kMarkerBroadcast;
    label.Left = charts::markerLeft(W(), m_margins, s);
    label.Top = charts::markerTop(H(), m_margins, label.Height);
    marker.used = true;
    update();
}

// Besides removing the created members, the slots are forgotten and a press in progress ends,
// so that nothing later reaches for a marker that is gone.
void Chart::ClearD() {
    m_dl.front().Visible = false;
    if (m_dl.size() > 1) m_dl.resize(1);
    m_markers.clear();
    m_markerPressed = false;
    if (m_capture >= 0) m_capture = kNoCapture;
    update();
}

int Chart::markerAt(double X, double Y) const {
    for (int k = static_cast<int>(m_dl.size()) - 1; k >= 0; --k) {
        const ChartLabel& l = m_dl[static_cast<size_t>(k)];
        if (l.Visible && X >= l.Left && X < l.Left + l.Width && Y >= l.Top && Y < l.Top + l.Height)
            return k;
    }
    return -1;
}

void Chart::markerMouseMove(int k, int16_t, int16_t, float X, float Y) {
    if (!markerExists(k) || m_markerPressed) return;
    const QString index = QString::number(k);
    if (m_tip->Tag() == index && m_tip->Showing()) return;
    m_tip->UnShowIng();
    const MarkerState& marker = m_markers[static_cast<size_t>(k)];
    m_tip->setTipText(marker.text);
    if (const auto title = charts::markerTitle(marker.type, marker.text))
        m_tip->setTitleText(*title);
    m_tip->setTag(index);
    const ChartLabel& label = m_dl[static_cast<size_t>(k)];
    const QPoint screen =
        mapToGlobal(QPoint(toPixel(label.Left + X, TwipsX), toPixel(label.Top + Y, TwipsY)));
    m_tip->ShowTip(static_cast<float>(screen.x()), static_cast<float>(screen.y()));
}

void Chart::markerMouseDown(int k, int16_t, int16_t, float, float) {
    if (!markerExists(k)) return;
    m_markerPressed = true;
    int32_t id = 0; // an id that is no 32-bit number is passed as 0
    try {
        id = platform::CLng(platform::CDbl(m_dl[static_cast<size_t>(k)].Tag));
    } catch (const platform::VbError&) {
    }
    const MarkerState marker = m_markers[static_cast<size_t>(k)];
    emit ClickIt(marker.type, id, charts::markerItemTitle(marker.text));
    m_tip->UnShowIng();
}

void Chart::markerMouseUp(int, int16_t, int16_t, float, float) {
    m_tip->UnShowIng();
    m_markerPressed = false;
}

// --- Screen ------------------------------------------------------------------------------------

QImage Chart::frame() {
    syncSize();
    QImage image = m_surface->picture();
    if (image.isNull() || image.size() != size())
        image = platform::gdi::makeSurface(width(), height(), kWhite);
    for (const ChartLine* line : {&m_linex, &m_liney}) {
        if (line->Visible)
            platform::gdi::drawLine(image, toPixel(line->X1, TwipsX), toPixel(line->Y1, TwipsY),
                                    toPixel(line->X2, TwipsX), toPixel(line->Y2, TwipsY), kBlack);
    }
    const auto drawLabel = [&image](const ChartLabel& l) {
        if (!l.Visible) return;
        const platform::gdi::Rect rect{toPixel(l.Left, TwipsX), toPixel(l.Top, TwipsY),
                                       toPixel(l.Left + l.Width, TwipsX),
                                       toPixel(l.Top + l.Height, TwipsY)};
        if (l.Opaque) platform::gdi::fillRect(image, rect, l.BackColor);
        int format =
            platform::gdi::DT_SINGLELINE | platform::gdi::DT_VCENTER | platform::gdi::DT_NOPREFIX;
        format |= l.Centred ? platform::gdi::DT_CENTER : platform::gdi::DT_LEFT;
        if (l.AutoSize) format |= platform::gdi::DT_NOCLIP;
        platform::gdi::drawText(image, l.Caption, rect, format, l.Font, l.ForeColor);
    };
    for (const ChartLabel* label :
         {&m_beginfo, &m_labelx, &m_labely, &m_labelb, &m_greenlb, &m_redlb, &m_bluelb})
        drawLabel(*label);
    for (const ChartLabel& marker : m_dl)
        drawLabel(marker);
    return image;
}

void Chart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, frame());
}

void Chart::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Me_Resize();
}

void Chart::deliverMouse(QMouseEvent* event, MouseKind kind) {
    using enum MouseKind;
    const double X = event->position().x() * TwipsX;
    const double Y = event->position().y() * TwipsY;
    const auto shift = static_cast<int16_t>(platform::shiftMask(event->modifiers()));
    const auto button = static_cast<int16_t>(platform::mouseButtons(
        kind == Release ? Qt::MouseButtons(event->button()) : event->buttons()));
    int target = kChartCapture;
    if (kind == Press || kind == DoubleClick) {
        const int k = markerAt(X, Y);
        target = k >= 0 ? k : kChartCapture;
        m_capture = target;
    } else if (m_capture != kNoCapture) {
        target = m_capture;
    } else {
        const int k = markerAt(X, Y);
        target = k >= 0 ? k : kChartCapture;
    }

    if (target >= 0 && markerExists(target)) {
        const ChartLabel& l = m_dl[static_cast<size_t>(target)];
        const auto lx = static_cast<float>(X - l.Left);
        const auto ly = static_cast<float>(Y - l.Top);
        if (kind == Press)
            markerMouseDown(target, button, shift, lx, ly);
        else if (kind == Move)
            markerMouseMove(target, button, shift, lx, ly);
        else if (kind == Release)
            markerMouseUp(target, button, shift, lx, ly);
    } else if (target < 0) {
        const auto x = static_cast<float>(X);
        const auto y = static_cast<float>(Y);
        if (kind == Press)
            chartMouseDown(button, shift, x, y);
        else if (kind == Move)
            chartMouseMove(button, shift, x, y);
        else if (kind == Release)
            chartMouseUp(button, shift, x, y);
        else
            chartDblClick();
    }
    if (kind == Release && event->buttons() == Qt::NoButton) m_capture = kNoCapture;
    if (markerAt(X, Y) >= 0)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void Chart::mousePressEvent(QMouseEvent* event) {
    deliverMouse(event, MouseKind::Press);
}
void Chart::mouseMoveEvent(QMouseEvent* event) {
    deliverMouse(event, MouseKind::Move);
}
void Chart::mouseReleaseEvent(QMouseEvent* event) {
    deliverMouse(event, MouseKind::Release);
}
void Chart::mouseDoubleClickEvent(QMouseEvent* event) {
    deliverMouse(event, MouseKind::DoubleClick);
}
