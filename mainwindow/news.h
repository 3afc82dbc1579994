#pragma once

#include <QDateTime>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Chart;
class QFrame;
class QLabel;
class QListWidget;
class QTimer;
class QWidget;
namespace platform {
class BrowserPane;
}

// The service's broadcasts (section 0) and news (section 1): the feed, the lists, the ticker and
// the chart markers. The plain part decides every text, place and route; NewsView applies it to
// the main window's controls.
namespace news {

inline constexpr int kBroadcast = 0;
inline constexpr int kNews = 1;
// Ticker labels Tips(0)..Tips(24).
inline constexpr int kTickerLabels = 25;
// Between two ticker labels, and the strip's step per tick, in twips.
inline constexpr int kTickerGap = 300;
inline constexpr int kTickerStep = 15;
inline constexpr int kTickerIntervalMs = 20;
// Marker ids from here on carry three leading digits the item page does not know.
inline constexpr int32_t kLongIdFrom = 999000;

inline constexpr const char16_t* kTipsWaiting = u"等候加载资讯...";
inline constexpr const char16_t* kTipsLoading = u"...手动加载资讯中...";
inline constexpr const char16_t* kListPlaceholder = u"请等候更新...";
inline constexpr const char16_t* kPopupTitle = u"Quillor重要播报提醒";
inline constexpr const char16_t* kLoadFailedLog = u"加载资讯失败.>>LoadNews";
// Fore colour of the ticker labels, &HBBGGRR.
inline constexpr uint32_t kTipsColor = 0xC00000;
// Back colour of the ticker strip and its frame.
inline constexpr uint32_t kStripColor = 0xE0E0E0;

struct FeedItem {
    QString title;
    QDateTime time;
    int32_t id = 0;
};

struct Feed {
    std::array<std::vector<FeedItem>, 2> sections;
    // Items left out because a field was missing, no date or no 32-bit id.
    int malformed = 0;
};

// The feed answer: sections split at "///" (text after a second one is not read), items at "|"
// (the text after the last "|" is not read), fields at ",": title, date-time, id. Nullopt for an
// empty answer or one without "///".
[[nodiscard]] std::optional<Feed> parseFeed(const QString& answer);

// NewsUrl?ver=..&mini=1&time=.. (without "mini=1" before start-up has ended).
[[nodiscard]] QString requestUrl(const QString& newsUrl, float appVer, bool mainStarted,
                                 const QDateTime& serverNow);

// "yyyy-mm-dd hh:mm", the time form of the list rows and of NewsList.
[[nodiscard]] QString rowTime(const QDateTime& t);

struct ListRow {
    QString text;
    int32_t id = 0;
};
struct Marker {
    QString title;
    int32_t id = 0;
    int16_t type = 0;
    QDateTime time; // the item's time, to the minute
};

struct LoadResult {
    enum class Outcome {
        Unchanged, // the same answer as before: nothing to do
        Failed,    // empty or malformed: the waiting text, a log line
        Applied,
    };
    Outcome outcome = Outcome::Unchanged;
    bool clearLists = false;        // before start-up has ended the placeholder rows go
    std::vector<ListRow> broadcastRows; // appended to BBlist
    std::vector<ListRow> newsRows;      // appended to PLList
    QStringList popups;             // titles of important broadcasts to pop up
    std::vector<Marker> markers;    // items of today, for Chart1
    int newItems = 0;
    int malformed = 0;
};

// What the window has taken from the feed so far: the first answer after start-up, the ids seen
// per section and the ticker candidates (NewsList), oldest first. Nothing here is ever cleared.
class NewsBoard {
public:
    using KeywordTest = std::function<bool(const QString& title)>;

    // Applies one answer. `today` is the PC's date; important broadcasts pop up only with
    // `autoPop`.
    LoadResult apply(const QString& answer, bool mainStarted, const QDate& today, bool autoPop,
                     const KeywordTest& important);

    [[nodiscard]] const QString& lastNewsText() const { return m_lastNewsText; }
    [[nodiscard]] const QStringList& newsList() const { return m_newsList; }
    [[nodiscard]] bool seen(int section, int32_t id) const;

private:
    QString m_lastNewsText;
    std::array<QSet<int32_t>, 2> m_seen;
    QStringList m_newsList;
};

struct TickerLabel {
    QString caption;
    QString toolTip;
    QString tag; // the item id
    QString title;
    int kind = 0; // TickerKinds(k)
};

// Label k takes the NewsList row k places from the end, as far as rows remain (at most 25).
[[nodiscard]] std::vector<TickerLabel> tickerLabels(const QStringList& newsList, const QDate& today);

// Lefts of the labels of these widths (twips), and the strip's width.
struct TickerLayout {
    std::vector<int> lefts;
    int stripWidth = 0;
};
[[nodiscard]] TickerLayout tickerLayout(const std::vector<int>& widths);

// One tick: the strip's new left (twips); it re-enters from the right once it has passed the left
// edge whole.
[[nodiscard]] int tickerStep(int left, int stripWidth, int frameWidth);

// The strip's place when the window is laid out (twips): a single label (the waiting text) stands
// centred with the strip as wide as it; a moving ticker that had run beyond a now narrower frame
// carries on from its right edge.
struct StripPlace {
    int left = 0;
    std::optional<int> width; // set: the strip takes this width
    bool operator==(const StripPlace&) const = default;
};
[[nodiscard]] StripPlace stripPlace(int labelCount, int left, int frameWidth, int label0Width);

// A stretch [from, to) of the strip, in its own coordinates (pixels).
struct StripSpan {
    int from = 0;
    int to = 0;
    [[nodiscard]] bool contains(const StripSpan& s) const { return s.from >= from && s.to <= to; }
    bool operator==(const StripSpan&) const = default;
};
// The part of a strip at `left` that its frame shows; empty (from == to) when none.
[[nodiscard]] StripSpan visibleSpan(int left, int stripWidth, int frameWidth);
// What the strip's picture holds: from the shown part on, two frames wide as far as the strip
// goes, so its cost follows the frame, not the strip, and it lasts a frame's width of ticks.
[[nodiscard]] StripSpan pictureSpan(int left, int stripWidth, int frameWidth);

// Where a click leads: a row to select in a list, the pane Web(0) moves into, an address for it
// and a tab to bring forward. Empty parts do nothing.
struct Route {
    int list = -1;  // 0 BBlist, 1 PLList
    int32_t id = 0; // the row of this item is selected
    QString title;  // or, when no row holds the id, the first row containing it
    int pane = -1;  // Cole index Web(0) moves into
    QString url;    // empty: no navigation
    int tab = 0;    // 0: none
    bool reload = false;
};

// The ticker label's click: the waiting text reloads; a filled label opens its item.
[[nodiscard]] Route tickerClick(const QString& caption, const QString& tag, const QString& title, int kind,
                                const QString& broadcastItemUrl, const QString& newsItemUrl);
// A list row's click: the address to open, nullopt when nothing happens.
[[nodiscard]] std::optional<QString> listClick(int rowCount, int32_t itemId, const QString& itemUrl,
                                               const QString& currentLocation);
// A chart marker's click.
[[nodiscard]] Route markerClick(int type, int32_t id, const QString& title, const QString& broadcastItemUrl,
                                const QString& newsItemUrl, const QString& currentLocation);
// 999123 -> 123, 1000123 -> 123; smaller ids stay.
[[nodiscard]] int32_t markerPageId(int32_t id);

// The ticker's timer, replaced in tests.
class TickTimer {
public:
    virtual ~TickTimer() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
    [[nodiscard]] virtual bool isActive() const = 0;
    std::function<void()> onTick;
};

} // namespace news

// The news controls of the main window: the lists BBlist and PLList, the ticker labels Tips on the
// strip NewsGo inside NewsOle, the timer Newsgotime, and Web(0) shared by the two news tabs.
class NewsView : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NewsView)
public:
    struct Controls {
        QListWidget* BBlist = nullptr;
        QListWidget* PLList = nullptr;
        QFrame* NewsGo = nullptr;
        QFrame* NewsOle = nullptr;
        Chart* Chart1 = nullptr;
        platform::BrowserPane* Web0 = nullptr;
        QWidget* Cole1 = nullptr;
        QWidget* Cole2 = nullptr;
    };
    // What the window does around a load: the quote timer, the fetch, selecting a tab.
    struct Host {
        std::function<bool()> quoteTimerActive;
        std::function<void(bool)> setQuoteTimer;
        std::function<QString(const QString& url)> fetch;
        std::function<void(int tab)> selectTab;
        std::function<void(const QString& title)> popup;
    };
    NewsView(const Controls& controls, Host host, std::unique_ptr<news::TickTimer> timer = {},
             QObject* parent = nullptr);
    ~NewsView() override;

    void LoadNews();
    void Newsgotime_Timer();
    void Tips_MouseDown(int Index);
    void BBlist_MouseDown();
    void PLList_MouseDown();
    void Chart1_ClickIt(int16_t CItype, int32_t CIID, const QString& CItitle);
    // The strip's place after the window's layout.
    void placeStrip();

    std::vector<QLabel*> Tips;
    std::array<int32_t, news::kTickerLabels> TickerKinds{};
    [[nodiscard]] news::TickTimer& Newsgotime() { return *m_timer; }
    [[nodiscard]] const news::NewsBoard& board() const { return m_board; }
    [[nodiscard]] bool loading() const { return m_busy; }
    // How often the strip's picture has been drawn from its labels.
    [[nodiscard]] int stripPictures() const { return m_stripPictures; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply(const QString& answer);
    void rebuildTicker();
    void setTip(QLabel* label, const QString& text);
    void markStripStale();
    void redrawStrip();
    bool paintStrip(const QRegion& region);
    void listClick(QListWidget* list, const QString& itemUrl);
    void follow(const news::Route& route);
    static void selectRow(QListWidget* list, int32_t id, const QString& title);
    [[nodiscard]] news::StripSpan shownSpan() const;

    Controls m_c;
    Host m_host;
    std::unique_ptr<news::TickTimer> m_timer;
    news::NewsBoard m_board;
    bool m_busy = false;
    bool m_again = false;
    // The strip moves every 20 ms; its labels change only with a load. So the strip is painted
    // from a picture of its shown part and what comes next, and a tick costs a blit of what is on
    // screen plus the one column that comes in, with no text laid out. The picture spans a few
    // frames' widths, never the whole strip: one long title makes a strip of a million pixels.
    QPixmap m_stripPicture;
    news::StripSpan m_pictureSpan;
    bool m_stripFromPicture = false; // the strip's last paint came from the picture
    bool m_stripStale = true;
    bool m_redrawQueued = false;
    bool m_drawingStrip = false;
    int m_stripPictures = 0;
};
