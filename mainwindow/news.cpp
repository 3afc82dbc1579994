#include "mainwindow/news.h"

#include "charts/chart.h"
#include "common/log.h"
#include "common/tradingday.h"
#include "platform/boundary.h"
#include "platform/browser.h"
#include "platform/clock.h"
#include "platform/colors.h"
#include "platform/plaintip.h"
#include "platform/screen.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/configstate.h"
#include "state/session.h"
#include "state/usersettings.h"
#include "common/appinfo.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPaintEvent>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace news {

namespace {

const QString kSectionSeparator = QStringLiteral("///");
const QString kRowTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm");

// A field that is not a 32-bit decimal number gives nullopt.
std::optional<int32_t> itemId(const QString& field) {
    bool ok = false;
    const qlonglong v = field.trimmed().toLongLong(&ok);
    if (!ok || v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(v);
}

std::vector<FeedItem> parseSection(const QString& section, int& malformed) {
    std::vector<FeedItem> items;
    QStringList parts = section.split(u'|');
    parts.removeLast(); // whatever follows the last "|" is not an item
    for (const QString& part : parts) {
        if (part.trimmed().isEmpty())
            continue;
        const QStringList fields = part.split(u',');
        if (fields.size() < 3) {
            ++malformed;
            continue;
        }
        const QDateTime time = platform::parseDate(fields[1].trimmed());
        const std::optional<int32_t> id = itemId(fields[2]);
        if (!time.isValid() || !id) {
            ++malformed;
            continue;
        }
        items.push_back(FeedItem{fields[0].trimmed(), time, *id});
    }
    return items;
}

QDateTime toTheMinute(const QDateTime& t) {
    return platform::naiveDateTime(t.date(), QTime(t.time().hour(), t.time().minute()));
}

} // namespace

std::optional<Feed> parseFeed(const QString& answer) {
    if (answer.isEmpty() || !answer.contains(kSectionSeparator))
        return std::nullopt;
    const QStringList sections = answer.split(kSectionSeparator);
    Feed feed;
    for (int s = 0; s < 2; ++s)
        feed.sections[static_cast<size_t>(s)] = parseSection(sections[s], feed.malformed);
    return feed;
}

QString requestUrl(const QString& newsUrl, float appVer, bool mainStarted, const QDateTime& serverNow) {
    return newsUrl + QStringLiteral("?ver=") + platform::singleText(appVer) +
           (mainStarted ? QStringLiteral("&mini=1&time=") : QStringLiteral("&time=")) +
           platform::generalDateText(serverNow);
}

QString rowTime(const QDateTime& t) { return t.toString(kRowTimeFormat); }

bool NewsBoard::seen(int section, int32_t id) const {
    return section >= 0 && section < 2 && m_seen[static_cast<size_t>(section)].contains(id);
}

LoadResult NewsBoard::apply(const QString& answer, bool mainStarted, const QDate& today, bool autoPop,
                            const KeywordTest& important) {
    LoadResult r;
    // The text, not its length, tells a new answer: an item replaced by another of the same
    // length must still arrive. The seen sets keep repeats out anyway.
    if (!m_lastNewsText.isEmpty() && m_lastNewsText == answer)
        return r;
    const std::optional<Feed> feed = parseFeed(answer);
    // Only a readable answer is remembered, or a broken one would shut out the next good answer
    // that happens to match it.
    if (m_lastNewsText.isEmpty() && mainStarted && feed)
        m_lastNewsText = answer;
    if (!feed) {
        r.outcome = LoadResult::Outcome::Failed;
        return r;
    }
    r.outcome = LoadResult::Outcome::Applied;
    // Only the placeholder rows go: a second load before start-up ends must not wipe the rows of
    // the first, which the seen sets keep from coming again.
    r.clearLists = !mainStarted && m_seen[0].isEmpty() && m_seen[1].isEmpty();
    r.malformed = feed->malformed;
    for (int s = 0; s < 2; ++s) {
        for (const FeedItem& item : feed->sections[static_cast<size_t>(s)]) {
            QSet<int32_t>& seenIds = m_seen[static_cast<size_t>(s)];
            if (seenIds.contains(item.id))
                continue;
            const QString t = rowTime(item.time);
            const QString ticker = t + u'|' + item.title + u'|' + QString::number(item.id) + u'|';
            if (s == kBroadcast) {
                if (important && important(item.title)) {
                    if (autoPop)
                        r.popups << item.title;
                    m_newsList << ticker + u'0';
                }
                r.broadcastRows.push_back({t + u' ' + item.title, item.id});
            } else {
                r.newsRows.push_back({t + u' ' + item.title, item.id});
                m_newsList << ticker + u'1';
            }
            seenIds.insert(item.id);
            if (item.time.date() == today)
                r.markers.push_back({item.title, item.id, static_cast<int16_t>(s), toTheMinute(item.time)});
            ++r.newItems;
        }
    }
    return r;
}

std::vector<TickerLabel> tickerLabels(const QStringList& newsList, const QDate& today) {
    std::vector<TickerLabel> labels;
    const int n = std::min<int>(kTickerLabels, static_cast<int>(newsList.size()));
    for (int k = 0; k < n; ++k) {
        const QStringList f = newsList[newsList.size() - 1 - k].split(u'|');
        const QString time = f.value(0);
        const QDateTime t = QDateTime::fromString(time, kRowTimeFormat);
        const QString shown = t.date().day() == today.day() ? t.toString(QStringLiteral("HH:mm"))
                                                            : t.toString(QStringLiteral("MM-dd HH:mm"));
        TickerLabel label;
        label.title = f.value(1);
        label.caption = u'(' + QString::number(k + 1) + u')' + label.title + u'[' + shown + u']';
        label.tag = f.value(2);
        label.kind = f.value(3).toInt();
        const QString section = f.value(3);
        label.toolTip = (section == u"0"   ? QStringLiteral("播报 ")
                         : section == u"1" ? QStringLiteral("资讯 ")
                                           : QString()) +
                        time;
        labels.push_back(label);
    }
    return labels;
}

TickerLayout tickerLayout(const std::vector<int>& widths) {
    TickerLayout layout;
    int left = 0;
    for (size_t k = 0; k < widths.size(); ++k) {
        if (k > 0)
            left += widths[k - 1] + kTickerGap;
        layout.lefts.push_back(left);
    }
    if (!widths.empty())
        layout.stripWidth = layout.lefts.back() + widths.back();
    return layout;
}

int tickerStep(int left, int stripWidth, int frameWidth) {
    const int next = left - kTickerStep;
    return next <= -stripWidth ? frameWidth : next;
}

StripPlace stripPlace(int labelCount, int left, int frameWidth, int label0Width) {
    if (labelCount == 1)
        return {frameWidth / 2 - label0Width / 2, label0Width};
    return {left > frameWidth ? frameWidth : left, std::nullopt};
}

StripSpan visibleSpan(int left, int stripWidth, int frameWidth) {
    const int from = std::clamp(-left, 0, std::max(stripWidth, 0));
    const int to = std::clamp(frameWidth - left, from, std::max(stripWidth, 0));
    return {from, to};
}

StripSpan pictureSpan(int left, int stripWidth, int frameWidth) {
    const StripSpan shown = visibleSpan(left, stripWidth, frameWidth);
    // A strip still to the right of the frame: from its start, which comes in first.
    const int from = shown.from == shown.to && left > 0 ? 0 : shown.from;
    const int64_t to = std::min<int64_t>(int64_t{from} + 2 * int64_t{std::max(frameWidth, 1)}, stripWidth);
    return {from, static_cast<int>(std::max<int64_t>(to, from))};
}

Route tickerClick(const QString& caption, const QString& tag, const QString& title, int kind,
                  const QString& broadcastItemUrl, const QString& newsItemUrl) {
    Route r;
    if (caption == QString::fromUtf16(kTipsWaiting)) {
        r.reload = true;
        return r;
    }
    if (tag.isEmpty() || (kind != kBroadcast && kind != kNews))
        return r;
    const QString& base = kind == kBroadcast ? broadcastItemUrl : newsItemUrl;
    r.list = kind;
    r.id = tag.toInt();
    r.title = title;
    r.pane = kind == kBroadcast ? 1 : 2;
    // Without an item address a bare id would be taken for an address of its own.
    if (!base.isEmpty())
        r.url = base + tag;
    r.tab = kind == kBroadcast ? 4 : 5;
    return r;
}

std::optional<QString> listClick(int rowCount, int32_t itemId, const QString& itemUrl,
                                 const QString& currentLocation) {
    if (rowCount <= 0 || itemId == 0 || itemUrl.isEmpty())
        return std::nullopt;
    const QString url = itemUrl + QString::number(itemId);
    if (currentLocation == url)
        return std::nullopt;
    return url;
}

int32_t markerPageId(int32_t id) {
    if (id < kLongIdFrom)
        return id;
    return QString::number(id).mid(3).toInt();
}

Route markerClick(int type, int32_t id, const QString& title, const QString& broadcastItemUrl,
                  const QString& newsItemUrl, const QString& currentLocation) {
    Route r;
    if (type == kBroadcast) {
        r.list = kBroadcast;
        r.id = id;
        r.title = title;
        const QString url = broadcastItemUrl + QString::number(markerPageId(id));
        if (!broadcastItemUrl.isEmpty() && currentLocation != url)
            r.url = url;
        r.tab = 4;
    } else if (type == kNews) {
        r.list = kNews;
        r.id = id;
        r.title = title;
        if (!newsItemUrl.isEmpty())
            r.url = newsItemUrl + QString::number(id);
        r.tab = 5;
    }
    return r;
}

namespace {

class QtTickTimer final : public TickTimer {
public:
    QtTickTimer() {
        m_timer.setInterval(kTickerIntervalMs);
        QObject::connect(&m_timer, &QTimer::timeout, platform::guard("news m_timer timeout", [this] {
            if (onTick)
                onTick();
        }));
    }
    void start() override { m_timer.start(); }
    void stop() override { m_timer.stop(); }
    [[nodiscard]] bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

} // namespace

} // namespace news

namespace {

void paintText(QLabel* label, platform::OleColor colour) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, platform::toQColor(colour));
    label->setPalette(pal);
}

void paintBack(QWidget* w, platform::OleColor colour) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, platform::toQColor(colour));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void resetList(QListWidget* list) {
    list->clear();
    auto* row = new QListWidgetItem(QString::fromUtf16(news::kListPlaceholder), list);
    row->setData(Qt::UserRole, 0);
}

void addRow(QListWidget* list, const news::ListRow& row) {
    auto* item = new QListWidgetItem(row.text, list);
    item->setData(Qt::UserRole, row.id);
}

} // namespace

NewsView::NewsView(const Controls& controls, Host host, std::unique_ptr<news::TickTimer> timer, QObject* parent)
    : QObject(parent), m_c(controls), m_host(std::move(host)), m_timer(std::move(timer)) {
    if (!m_timer)
        m_timer = std::make_unique<news::QtTickTimer>();
    m_timer->onTick = [this] { Newsgotime_Timer(); };
    paintBack(m_c.NewsOle, news::kStripColor);
    paintBack(m_c.NewsGo, news::kStripColor);
    m_c.NewsGo->installEventFilter(this);
    auto* first = new QLabel(QString::fromUtf16(news::kTipsWaiting), m_c.NewsGo);
    first->setObjectName(QStringLiteral("Tips0"));
    // Titles come from the service: never read as markup (an image tag would load a local file).
    first->setTextFormat(Qt::PlainText);
    paintText(first, news::kTipsColor);
    first->setCursor(Qt::PointingHandCursor);
    first->adjustSize();
    first->move(0, 2);
    first->installEventFilter(this);
    Tips.push_back(first);
    resetList(m_c.BBlist);
    resetList(m_c.PLList);
    connect(m_c.BBlist, &QListWidget::itemPressed, this, platform::guard("news BBlist itemPressed", [this] { BBlist_MouseDown(); }));
    connect(m_c.PLList, &QListWidget::itemPressed, this, platform::guard("news PLList itemPressed", [this] { PLList_MouseDown(); }));
    if (m_c.Chart1 != nullptr)
        connect(m_c.Chart1, &Chart::ClickIt, this, platform::guard("news Chart1 ClickIt", this, &NewsView::Chart1_ClickIt));
}

NewsView::~NewsView() = default;

void NewsView::LoadNews() {
    // The fetch below lets clicks and timers run; one of them may ask again meanwhile (a newer
    // news version in a snapshot). That request waits and is served once this one is done.
    if (m_busy) {
        m_again = true;
        return;
    }
    m_busy = true;
    const QPointer<NewsView> self(this);
    // Quote polling stays as it was found: a user who may not poll must not start polling here.
    const bool quoteTimer = m_host.quoteTimerActive && m_host.quoteTimerActive();
    if (m_host.setQuoteTimer)
        m_host.setQuoteTimer(false);
    do {
        m_again = false;
        const QString answer =
            m_host.fetch ? m_host.fetch(news::requestUrl(NewsUrl, AppVer, MainStarted, ServerNow)) : QString();
        if (!self)
            return;
        try {
            apply(answer);
        } catch (const platform::VbError& e) {
            WriteLog(QString::number(e.number) + u':' + e.description + QStringLiteral(">>LoadNews"));
        }
    } while (m_again);
    if (quoteTimer && m_host.setQuoteTimer)
        m_host.setQuoteTimer(true);
    m_busy = false;
}

void NewsView::apply(const QString& answer) {
    const news::LoadResult r = m_board.apply(answer, MainStarted, platform::pcNow().date(), AutoPopInfo,
                                             [](const QString& title) { return MatchKeyword(title); });
    if (r.outcome == news::LoadResult::Outcome::Unchanged)
        return;
    if (r.outcome == news::LoadResult::Outcome::Failed) {
        setTip(Tips[0], QString::fromUtf16(news::kTipsWaiting));
        WriteLog(QString::fromUtf16(news::kLoadFailedLog));
        return;
    }
    if (Tips.size() == 1) {
        // Empty until a row fills them: a label without an item shows nothing and opens nothing.
        for (int k = 1; k < news::kTickerLabels; ++k) {
            auto* label = new QLabel(m_c.NewsGo);
            label->setObjectName(QStringLiteral("Tips%1").arg(k));
            label->setTextFormat(Qt::PlainText);
            label->setPalette(Tips[0]->palette());
            label->setCursor(Qt::PointingHandCursor);
            label->move(0, Tips[0]->y());
            label->installEventFilter(this);
            label->show();
            Tips.push_back(label);
        }
    }
    if (r.clearLists) {
        m_c.BBlist->clear();
        m_c.PLList->clear();
    }
    if (m_host.popup)
        for (const QString& title : r.popups)
            m_host.popup(title);
    for (const news::ListRow& row : r.broadcastRows)
        addRow(m_c.BBlist, row);
    for (const news::ListRow& row : r.newsRows)
        addRow(m_c.PLList, row);
    if (m_c.Chart1 != nullptr)
        for (const news::Marker& m : r.markers)
            m_c.Chart1->DoTheD(m.title, QString::number(m.id), m.type, m.time);
    if (r.malformed > 0)
        WriteLog(QStringLiteral("资讯有%1条格式不对,已略过.>>LoadNews").arg(r.malformed));
    if (r.newItems > 0)
        rebuildTicker();
    m_timer->start();
}

void NewsView::rebuildTicker() {
    const std::vector<news::TickerLabel> labels = news::tickerLabels(m_board.newsList(), platform::pcNow().date());
    if (labels.empty())
        return;
    std::vector<int> widths;
    for (size_t k = 0; k < labels.size(); ++k) {
        QLabel* label = Tips[k];
        TickerKinds[k] = labels[k].kind;
        label->setText(labels[k].caption);
        label->setToolTip(platform::plainTip(labels[k].toolTip));
        label->setProperty("Tag", labels[k].tag);
        label->setProperty("title", labels[k].title);
        paintText(label, news::kTipsColor);
        label->setCursor(Qt::PointingHandCursor);
        label->adjustSize();
        widths.push_back(label->width() * TwipsX);
    }
    const news::TickerLayout layout = news::tickerLayout(widths);
    for (size_t k = 0; k < labels.size(); ++k)
        Tips[k]->move(layout.lefts[k] / TwipsX, Tips[k]->y());
    m_c.NewsGo->setGeometry(m_c.NewsOle->width(), m_c.NewsGo->y(), layout.stripWidth / TwipsX,
                            std::max(m_c.NewsOle->height(), Tips[0]->height() + 2));
    markStripStale();
    redrawStrip();
}

void NewsView::Newsgotime_Timer() {
    const int left = news::tickerStep(m_c.NewsGo->x() * TwipsX, m_c.NewsGo->width() * TwipsX,
                                      m_c.NewsOle->width() * TwipsX);
    m_c.NewsGo->move(left / TwipsX, news::kTickerStep / TwipsY);
    // The picture holds only the shown part and what follows: draw the next stretch before the
    // strip's paint needs it.
    if (!m_stripStale && !m_pictureSpan.contains(shownSpan())) {
        m_stripStale = true;
        redrawStrip();
    }
}

news::StripSpan NewsView::shownSpan() const {
    return news::visibleSpan(m_c.NewsGo->x(), m_c.NewsGo->width(), m_c.NewsOle->width());
}

void NewsView::placeStrip() {
    const news::StripPlace place =
        news::stripPlace(static_cast<int>(Tips.size()), m_c.NewsGo->x() * TwipsX, m_c.NewsOle->width() * TwipsX,
                         Tips[0]->width() * TwipsX);
    if (place.width)
        m_c.NewsGo->setGeometry(place.left / TwipsX, 0, *place.width / TwipsX, m_c.NewsGo->height());
    else
        m_c.NewsGo->move(place.left / TwipsX, m_c.NewsGo->y());
}

void NewsView::Tips_MouseDown(int Index) {
    if (Index < 0 || Index >= static_cast<int>(Tips.size()))
        return;
    QLabel* label = Tips[static_cast<size_t>(Index)];
    const news::Route route = news::tickerClick(label->text(), label->property("Tag").toString(),
                                                label->property("title").toString(),
                                                TickerKinds[static_cast<size_t>(Index)], BroadcastItemUrl, NewsItemUrl);
    if (route.reload) {
        setTip(label, QString::fromUtf16(news::kTipsLoading));
        const QPointer<QLabel> alive(label);
        const QPointer<NewsView> self(this);
        LoadNews();
        // An answer that changed nothing leaves the label clickable again.
        if (self && alive && alive->text() == QString::fromUtf16(news::kTipsLoading))
            setTip(alive, QString::fromUtf16(news::kTipsWaiting));
        return;
    }
    follow(route);
}

void NewsView::setTip(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
    if (Tips.size() == 1)
        placeStrip();
    markStripStale();
    redrawStrip();
}

void NewsView::markStripStale() {
    m_stripStale = true;
    if (m_redrawQueued)
        return;
    m_redrawQueued = true;
    QMetaObject::invokeMethod(
        this,
        platform::guard("NewsStrip_Redraw", [this] {
            m_redrawQueued = false;
            redrawStrip();
        }),
        Qt::QueuedConnection);
}

// Draws the strip's picture from its labels, outside any paint event.
void NewsView::redrawStrip() {
    if (!m_stripStale)
        return;
    m_stripStale = false;
    QWidget* strip = m_c.NewsGo;
    const qreal ratio = strip->devicePixelRatioF();
    const news::StripSpan span = news::pictureSpan(strip->x(), strip->width(), m_c.NewsOle->width());
    const QRect part(span.from, 0, span.to - span.from, strip->height());
    if (part.isEmpty()) {
        m_stripPicture = QPixmap();
        m_pictureSpan = {};
    } else {
        m_stripPicture = QPixmap(part.size() * ratio);
        m_stripPicture.setDevicePixelRatio(ratio);
        m_stripPicture.fill(strip->palette().color(strip->backgroundRole()));
        m_drawingStrip = true;
        strip->render(&m_stripPicture, QPoint(), QRegion(part), QWidget::DrawChildren);
        m_drawingStrip = false;
        m_pictureSpan = span;
        ++m_stripPictures;
    }
    strip->update();
}

// Paints the strip from its picture. False while the picture is out of date or does not hold
// the part asked for: the strip and its labels then paint as widgets do.
bool NewsView::paintStrip(const QRegion& region) {
    QWidget* strip = m_c.NewsGo;
    m_stripFromPicture = false;
    if (m_stripStale || m_stripPicture.deviceIndependentSize().toSize().height() != strip->height()) {
        markStripStale();
        return false;
    }
    const QRect box = region.boundingRect();
    if (m_stripPicture.isNull() || !m_pictureSpan.contains({box.left(), box.right() + 1})) {
        markStripStale();
        return false;
    }
    const qreal ratio = m_stripPicture.devicePixelRatio();
    QPainter painter(strip);
    for (const QRect& r : region)
        painter.drawPixmap(r, m_stripPicture,
                           QRectF(QPointF(r.topLeft() - QPoint(m_pictureSpan.from, 0)) * ratio, QSizeF(r.size()) * ratio));
    m_stripFromPicture = true;
    return true;
}

void NewsView::listClick(QListWidget* list, const QString& itemUrl) {
    const QListWidgetItem* row = list->currentItem();
    const int32_t id = row != nullptr ? row->data(Qt::UserRole).toInt() : 0;
    if (const auto url = news::listClick(list->count(), id, itemUrl, m_c.Web0->locationUrl()))
        m_c.Web0->navigate(*url);
}

void NewsView::BBlist_MouseDown() { listClick(m_c.BBlist, BroadcastItemUrl); }
void NewsView::PLList_MouseDown() { listClick(m_c.PLList, NewsItemUrl); }

void NewsView::Chart1_ClickIt(int16_t CItype, int32_t CIID, const QString& CItitle) {
    follow(news::markerClick(CItype, CIID, CItitle, BroadcastItemUrl, NewsItemUrl, m_c.Web0->locationUrl()));
}

void NewsView::follow(const news::Route& route) {
    if (route.list == news::kBroadcast)
        selectRow(m_c.BBlist, route.id, route.title);
    else if (route.list == news::kNews)
        selectRow(m_c.PLList, route.id, route.title);
    QWidget* pane = route.pane == 1 ? m_c.Cole1 : route.pane == 2 ? m_c.Cole2 : nullptr;
    if (pane != nullptr && m_c.Web0->parentWidget() != pane) {
        m_c.Web0->setParent(pane);
        m_c.Web0->show();
    }
    if (!route.url.isEmpty())
        m_c.Web0->navigate(route.url);
    if (route.tab > 0 && m_host.selectTab)
        m_host.selectTab(route.tab);
}

// By the item's id: titles repeat, and the row must be the item whose page opens.
void NewsView::selectRow(QListWidget* list, int32_t id, const QString& title) {
    for (int i = 0; i < list->count(); ++i)
        if (id != 0 && list->item(i)->data(Qt::UserRole).toInt() == id) {
            list->setCurrentRow(i);
            return;
        }
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text().contains(title)) {
            list->setCurrentRow(i);
            return;
        }
}

bool NewsView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Paint:
        if (m_drawingStrip)
            break;
        if (watched == m_c.NewsGo)
            return paintStrip(static_cast<QPaintEvent*>(event)->region());
        // A label is already in the strip's picture, where the strip was just painted from it.
        if (m_stripFromPicture && !m_stripStale) {
            const auto it = std::find(Tips.begin(), Tips.end(), watched);
            if (it != Tips.end()) {
                const QRect box = static_cast<QPaintEvent*>(event)->region().boundingRect().translated((*it)->pos());
                if (m_pictureSpan.contains({box.left(), box.right() + 1}))
                    return true;
            }
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::PaletteChange:
    case QEvent::FontChange:
    case QEvent::StyleChange:
        // The tick's own move of the strip does not touch the picture.
        if (watched != m_c.NewsGo || event->type() != QEvent::Move)
            markStripStale();
        break;
    default:
        break;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        const auto it = std::find(Tips.begin(), Tips.end(), watched);
        if (it != Tips.end()) {
            // A reload runs the event loop, and the window may be unloaded meanwhile.
            const QPointer<NewsView> self(this);
            Tips_MouseDown(static_cast<int>(it - Tips.begin()));
            if (!self)
                return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
