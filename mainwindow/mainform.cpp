#include "mainwindow/mainform.h"

#include "companions/calc.h"
#include "companions/cangjsq.h"
#include "companions/jiaoyiform.h"
#include "companions/custring.h"
#include "companions/txform.h"
#include "companions/mainset.h"
#include "mainwindow/settingshost.h"
#include "companions/menuform.h"
#include "companions/mini.h"
#include "market/quotetexts.h"

#include "charts/chart.h"
#include "charts/chartfeed.h"
#include "charts/kline.h"
#include "charts/klinefeed.h"
#include "common/appinfo.h"
#include "common/config.h"
#include "common/http.h"
#include "common/log.h"
#include "common/msgbox.h"
#include "common/shellhelpers.h"
#include "common/settings.h"
#include "common/storedlists.h"
#include "common/tradingday.h"
#include "common/update.h"
#include "common/windowutil.h"
#include "companions/tray.h"
#include "mainwindow/commands.h"
#include "mainwindow/layout.h"
#include "mainwindow/textadvert.h"
#include "market/clipboardtexts.h"
#include "mainwindow/news.h"
#include "market/quoterun.h"
#include "state/quotetables.h"
#include "market/scheduler.h"
#include "mainwindow/startup.h"
#include "mainwindow/tabswitch.h"
#include "platform/boundary.h"
#include "platform/boxfit.h"
#include "platform/browser.h"
#include "platform/clock.h"
#include "platform/eventwait.h"
#include "platform/colors.h"
#include "platform/keys.h"
#include "platform/msgbox.h"
#include "platform/plaintip.h"
#include "platform/screen.h"
#include "platform/tray.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/configstate.h"
#include "shell/hello.h"
#include "shell/instance.h"
#include "shell/livelink.h"
#include "shell/login.h"
#include "shell/loginform.h"
#include "shell/logout.h"
#include "state/livelink.h"
#include "state/session.h"
#include "shell/usersettings.h"
#include "widgets/buttons/skinbutton.h"
#include "widgets/imagelist/keyimagelist.h"
#include "widgets/toolbar/flattoolbar.h"
#include "widgets/toolbar/mainbar.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QRadioButton>
#include <QScreen>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

namespace {

// The eleven views: key, caption (the K-line caption ends in a blank), icon.
struct TabDef {
    const char* key;
    const char16_t* caption;
};
constexpr TabDef kTabs[] = {
    {"T1", u"综合行情"}, {"T2", u"分时图"}, {"T3", u"K线图 "}, {"T4", u"播报"},
    {"T5", u"资讯"},     {"T6", u"数据"},   {"T7", u"记账"},   {"T8", u"短信"},
    {"T9", u"黄金ETF"},  {"T10", u"白银ETF"}, {"T11", u"论坛&&浏览器"},
};
// The panel of each tab: -1 for MainView, -2 for MiniWeb, else the Cole index.
constexpr int kTabPanel[] = {-1, 0, 8, 1, 2, 5, 6, 7, 3, 4, -2};

constexpr const char16_t* kBoardHeads[] = {u"市场名称", u"现价", u"涨跌", u"涨幅%", u"最高", u"最低",
                                           u"今开",     u"昨收", u"震幅", u"其它",  u"上次涨跌", u"卖出"};

// Steps that fail are skipped and the next one runs, as every start-up step of this window does.
void step(const std::function<void()>& body, const char* where = nullptr) {
    try {
        body();
    } catch (const platform::VbError& e) {
        if (where != nullptr)
            WriteLog(QString::number(e.number) + u':' + e.description + QLatin1String(where));
    }
}

QFont songFont(int pixelSize) {
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(pixelSize);
    return f;
}

QFrame* frame(QWidget* parent, const QString& title = {}) {
    auto* f = new QFrame(parent);
    f->setFrameShape(QFrame::NoFrame);
    if (!title.isEmpty()) {
        auto* caption = new QLabel(title, f);
        caption->setObjectName(QStringLiteral("caption"));
        caption->setGeometry(4, 0, 200, 18);
    }
    return f;
}

void setBackground(QWidget* w, platform::OleColor color) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, platform::toQColor(color));
    w->setPalette(pal);
    // Buttons (the check boxes among them) fill with their button colour; the board's colour is
    // the window colour, or they would show the desktop's light grey.
    w->setBackgroundRole(QPalette::Window);
    w->setAutoFillBackground(true);
}

// Text colours go through the palette, never a style sheet: setting a second style sheet on a
// label drops the font it inherited, and the board would show two fonts in one row.
void setTextColour(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, colour);
    w->setPalette(pal);
}

// The grey of the board's heads and plain cells and of the right column's texts.
const QColor kDesignGrey(0xc0, 0xc0, 0xc0);

// A selector painted by CListBack: the box and its list take the colour, the text stays readable.
void setSelectorBackground(QWidget* box, platform::OleColor color) {
    QPalette pal = box->palette();
    for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        pal.setColor(role, platform::toQColor(color));
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(role, kDesignGrey);
    box->setPalette(pal);
}

} // namespace

MainForm& Main() { return platform::form<MainForm>(); }

MainForm::MainForm() {
    setWindowTitle(QString::fromUtf16(kProgramTitle));
    QString ownIcon; // the program's own file: its icon
    SetFormIcon(this, ownIcon, 0);
    setFont(songFont(12));
    // The design's minimum of 9600 x 7200 twips, as a window minimum.
    setMinimumSize(static_cast<int>(MainDesign::kMinWidth) / TwipsX,
                   static_cast<int>(MainDesign::kMinHeight) / TwipsY);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(normalPlacement(QSize(1280, 800), screen->availableGeometry(), minimumSize()));
    else
        resize(1280, 800);
    buildControls();
    buildMenus();
    m_report = std::make_unique<DiagnosticReport>();
    m_keyPreview = std::make_unique<commands::KeyPreview>(this, [this](int key, int shift) {
        if (commands::keyCommand(key, shift).kind == commands::KeyCommand::Kind::None)
            return false;
        Form_KeyDown(key, shift);
        return true;
    });
}

MainForm::~MainForm() = default;

QRect MainForm::pixels(float left, float top, float width, float height) const {
    return QRect(qRound(left / TwipsX), qRound(top / TwipsY), std::max(0, qRound(width / TwipsX)),
                 std::max(0, qRound(height / TwipsY)));
}

float MainForm::twipsWidth(const QWidget* w) const { return static_cast<float>(w->width() * TwipsX); }
float MainForm::twipsHeight(const QWidget* w) const { return static_cast<float>(w->height() * TwipsY); }

void MainForm::buildMenus() {
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("menuBar"));
    std::map<QString, QMenu*> menus;
    for (const commands::Menu& m : commands::menus()) {
        QMenu* menu = bar->addMenu(QString::fromUtf16(m.caption));
        menu->setObjectName(QLatin1String(m.name));
        menus[QLatin1String(m.name)] = menu;
    }
    for (const commands::MenuItem& item : commands::menuItems()) {
        QMenu* menu = menus[QLatin1String(item.menu)];
        const bool separator = item.action == commands::MenuAction::Separator;
        QAction* action = separator ? menu->addSeparator() : menu->addAction(QString::fromUtf16(item.caption));
        action->setObjectName(QLatin1String(item.name));
        if (!separator)
            connect(action, &QAction::triggered, this,
                    platform::guard("menuCommand", [this, &item] { menuCommand(item); }));
    }
    m2 = menus[QStringLiteral("m2")];
    m4 = menus[QStringLiteral("m4")];
    m5 = menus[QStringLiteral("m5")];
    m21 = findChild<QAction*>(QStringLiteral("m21"));
    m22 = findChild<QAction*>(QStringLiteral("m22"));
    m25 = findChild<QAction*>(QStringLiteral("m25"));
    m43 = findChild<QAction*>(QStringLiteral("m43"));
    m22->setEnabled(false);
    bar->setGeometry(0, 0, width(), bar->sizeHint().height());
}

void MainForm::buildControls() {
    MainBar = new FlatToolbar(this);
    step([this] { MainBar->readProperties(toolbar::mainBarDesign()); });
    connect(MainBar, &FlatToolbar::ButtonClick, this,
            platform::guard("MainBar_ButtonClick", [this](int btnIndex, const QString& key, int, int, int, int, bool) {
                MainBar_ButtonClick(btnIndex, key);
            }));

    KeyImageList1 = new KeyImageList(this);
    KeyImageList1->hide();
    step([this] { loadKeyImageList1(*KeyImageList1); });

    Maintab = new DockTabControl(this);
    connect(Maintab, &DockTabControl::TabSelected, this,
            platform::guard("Maintab_TabSelected", [this](cTab theTab) { Maintab_TabSelected(theTab); }));

    // Tab 1: the quote board.
    MainView = new QWidget(this);
    // The board's design font, whatever the tab strip that carries it uses.
    MainView->setFont(songFont(12));
    setBackground(MainView, GetBack(0));
    MainView->installEventFilter(this);
    for (int i = 0; i < 12; ++i) {
        Mcaps[i] = new QLabel(QString::fromUtf16(kBoardHeads[i]), MainView);
        setTextColour(Mcaps[i], kDesignGrey);
    }
    OlemoveOle = new QWidget(MainView);
    OleMove = new QWidget(OlemoveOle);
    VScroll = new QScrollBar(Qt::Vertical, MainView);
    VScroll->hide();
    placeBoardColumns();
    auto scrollBoard = [this](int value) { OleMove->move(OleMove->x(), boardTopForScroll(value) / TwipsY); };
    connect(VScroll, &QScrollBar::valueChanged, this, platform::guard("VScroll_Change", scrollBoard));

    for (int i = 0; i < 9; ++i) {
        Cole[i] = new QWidget(this);
        Cole[i]->setObjectName(QStringLiteral("Cole%1").arg(i));
    }
    // Tab 2: intraday charts and the notice strip.
    for (int i = 0; i < 4; ++i) {
        Charts[i] = new Chart(Cole[0]);
        Charts[i]->setObjectName(QStringLiteral("Chart%1").arg(i + 1));
        if (i > 0)
            Charts[i]->hide();
    }
    InfoOle = frame(Cole[0]);
    InfoOle->setGeometry(0, 0, 400, static_cast<int>(MainDesign::kInfoOleHeight) / TwipsY);
    InfoLabel = new QLabel(InfoOle);
    // The service's texts are shown as they are written: markup in them must not load files or
    // reshape the window.
    InfoLabel->setTextFormat(Qt::PlainText);
    InfoLabel->setCursor(Qt::PointingHandCursor);
    InfoLabel->installEventFilter(this);
    CloseInfo = new QLabel(QStringLiteral("×"), InfoOle);
    CloseInfo->setCursor(Qt::PointingHandCursor);
    CloseInfo->installEventFilter(this);
    InfoOle->hide();
    // Tabs 4 and 5: broadcast and news titles over the shared browser.
    BBlist = new QListWidget(Cole[1]);
    PLList = new QListWidget(Cole[2]);
    // Tab 3: the K-line option bar; its buttons and the candlestick chart join it with the feeds.
    Frame4 = frame(Cole[8]);
    // Tab 7: bookkeeping head line.
    Web5info = new QLabel(QStringLiteral("持仓信息"), Cole[6]);
    // Tab 8 and the other signed-in pages: the log-in-first notice.
    NoLoginInfo = frame(Cole[7]);
    auto* noLoginText = new QLabel(QStringLiteral("请登录后方可使用本功能."), NoLoginInfo);
    noLoginText->setObjectName(QStringLiteral("NoLILabel"));
    noLoginText->setGeometry(20, 20, 300, 20);

    // Web panes: each is only a placeholder until first shown.
    QWidget* webParents[8] = {Cole[1], Cole[0], nullptr, Cole[5], Cole[5], Cole[6], Cole[7], nullptr};
    MiniWeb = new QWidget(this);
    auto* addressCaption = new QLabel(QStringLiteral("地址:"), MiniWeb);
    addressCaption->setObjectName(QStringLiteral("Label1"));
    addressCaption->setGeometry(4, 10, 36, 20);
    Mwurl = new QLineEdit(MiniWeb);
    Mwurl->setGeometry(40, 10, 400, 22);
    Mwto = new SkinButton(MiniWeb);
    Goback = new SkinButton(MiniWeb);
    ToBBs = new SkinButton(MiniWeb);
    const std::pair<SkinButton*, const char16_t*> buttons[] = {{Mwto, u"转到"}, {Goback, u"后退"}, {ToBBs, u"论坛"}};
    for (const auto& [b, caption] : buttons) {
        b->setCaption(QString::fromUtf16(caption));
        b->setButtonStyle(8);
        b->resize(60, 24);
    }
    webParents[2] = MiniWeb;
    NewsOle = frame(this);
    NewsGo = frame(NewsOle);
    YYMZ = frame(this);
    webParents[7] = YYMZ;
    for (int i = 0; i < 8; ++i) {
        Web[i] = platform::createBrowserPane(webParents[i]);
        Web[i]->setObjectName(QStringLiteral("Web%1").arg(i));
    }
    Web[1]->hide();
    Web[3]->hide();
    // The text advert lies across the top of the strip, above its web pane (the window's layout
    // makes room for it); a layout keeps it as wide as the strip without touching the pane.
    TextAD = new QLabel(YYMZ);
    TextAD->setObjectName(QStringLiteral("TextAD"));
    TextAD->setFont(songFont(12));
    TextAD->setFixedHeight(20);
    TextAD->setContentsMargins(6, 0, 6, 0);
    TextAD->setAutoFillBackground(true);
    {
        QPalette pal = TextAD->palette();
        pal.setColor(QPalette::Window, QColor(0xff, 0xf8, 0xdc));
        pal.setColor(QPalette::WindowText, QColor(0x99, 0x00, 0x00));
        TextAD->setPalette(pal);
    }
    connect(TextAD, &QLabel::linkActivated, this,
            platform::guard("TextAD_Click", [](const QString& link) { OpenUrl(link); }));
    auto* adLayout = new QVBoxLayout(YYMZ);
    adLayout->setContentsMargins(0, 0, 0, 0);
    adLayout->addWidget(TextAD);
    adLayout->addStretch();
    TextAD->hide();
    connect(Mwto, &SkinButton::Click, this, platform::guard("Mwto_Click", [this] {
        if (!Mwurl->text().trimmed().isEmpty())
            Web[2]->navigate(platform::typedAddress(Mwurl->text()));
    }));
    // The address box names the page the pane shows, also after a step back or a link.
    connect(Web[2], &platform::BrowserPane::locationChanged, Mwurl, &QLineEdit::setText);
    connect(ToBBs, &SkinButton::Click, this, platform::guard("ToBBs_Click", [this] { Web[2]->navigate(ForumUrl); }));
    connect(Goback, &SkinButton::Click, this, platform::guard("Goback_Click", [this] { Web[2]->back(); }));

    buildRightColumn();

    m_quotes = std::make_unique<QuoteRun>(*this);
    m_scheduler = std::make_unique<RefreshScheduler>(*m_quotes, *this);
    Timer1 = new QTimer(this);
    Timer2 = new QTimer(this);
    Timer3 = new QTimer(this);
    Timer4 = new QTimer(this);
    for (QTimer* t : {Timer1, Timer2, Timer3, Timer4})
        t->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, platform::guard("Timer1_Timer", [this] { m_scheduler->Timer1_Timer(); }));
    connect(Timer2, &QTimer::timeout, this, platform::guard("Timer2_Timer", [this] { m_scheduler->Timer2_Timer(); }));
    connect(Timer3, &QTimer::timeout, this, platform::guard("Timer3_Timer", [this] { m_scheduler->Timer3_Timer(); }));
    connect(Timer4, &QTimer::timeout, this, platform::guard("Timer4_Timer", [this] { m_scheduler->Timer4_Timer(); }));

    m_usersock = std::make_unique<TcpLinkSocket>();
    LiveLinkUi linkUi;
    linkUi.setStatus = [this](const QString& text) { m_quotes->setStatus(text); };
    linkUi.setLiveBoxTicked = [this](bool ticked) { Check12->setChecked(ticked); };
    linkUi.showRefusal = [this](const QString& text, const QString& title) {
        ShowMsg(text, title, this, {}, false, 5000);
    };
    linkUi.applyPush = [this](const QString& snapshot) {
        QString data = snapshot;
        LoadData(data);
    };
    linkUi.currentSlot = [] { return static_cast<int>(NowSlot720()); };
    m_link = std::make_unique<LiveLink>(*m_usersock, linkUi);
    m_usersock->bind(m_link.get());

    charts::FeedControls feed;
    feed.Chart1 = Charts[0];
    feed.Chart2 = Charts[1];
    feed.Chart3 = Charts[2];
    feed.Chart4 = Charts[3];
    feed.MZChart = MZChart;
    feed.YYChart = YYChart;
    feed.Combo4 = Combos[3];
    feed.Combo1 = Combos[0];
    feed.Combo2 = Combos[1];
    feed.Combo3 = Combos[2];
    feed.Combo5 = Combos[4];
    feed.Combo6 = Combos[5];
    feed.SetDrawtype = SetDrawtype;
    feed.VIPChart2 = VIPChart2;
    feed.VIPChart3 = VIPChart3;
    feed.VIPChart4 = VIPChart4;
    feed.Cole0 = Cole[0];
    feed.Nextupti = Nextupti;
    feed.quotes = m_quotes.get();
    feed.meResize = [this](bool redraw) { Me_Resize(!redraw); };
    feed.windowWidthTwips = [this] { return width() * TwipsX; };
    feed.selectChartTab = [this] { step([this] { Maintab->Tabs().Item(2).setSelected(true); }); };
    const KlinePanel klinePanel = buildKlinePanel(Frame4, Cole[8]);
    Klines = klinePanel.Klines;
    KlineHost klineHost;
    klineHost.loadDataActive = [this] { return m_quotes->loading(); };
    klineHost.loadData = [this] {
        QString none;
        LoadData(none);
    };
    klineHost.loadLine = [this](int16_t c) { m_quotes->LoadLine(c); };
    m_kline = std::make_unique<KlineFeed>(klinePanel, klineHost);
    feed.setKlineCaption = [this](const QString& text) { Klines->setNowcaption(text); };
    feed.refreshK = [this] { m_kline->RefreshK(); };
    m_feed = std::make_unique<charts::ChartFeed>(feed);
    m_feed->connectControls();
    fitRangeBox();

    NewsView::Controls news{BBlist, PLList, NewsGo, NewsOle, Charts[0], Web[0], Cole[1], Cole[2]};
    NewsView::Host newsHost;
    newsHost.quoteTimerActive = [this] { return Timer1->isActive(); };
    newsHost.setQuoteTimer = [this](bool on) { on ? Timer1->start() : Timer1->stop(); };
    newsHost.fetch = [](const QString& url) {
        return GetHttpText(url, {}, 0, QStringLiteral("GB2312"), {}, true);
    };
    newsHost.selectTab = [this](int tab) { step([this, tab] { Maintab->Tabs().Item(tab).setSelected(true); }); };
    newsHost.popup = [this](const QString& title) {
        ShowMsg(title, QString::fromUtf16(news::kPopupTitle), this, {}, false, 0);
    };
    m_newsView = std::make_unique<NewsView>(news, newsHost);
    // The right button on the intraday chart opens the tray icon's menu there.
    connect(Charts[0], &Chart::MouseDown, this, platform::guard("Chart1_MouseDown", [](int16_t Button, int16_t, float, float) {
        if (Button == 2 && platform::isLoaded<MenuForm>())
            menuForm().MainMenu->popup(QCursor::pos());
    }));
}

void MainForm::buildRightColumn() {
    FR = frame(this);
    // The right column shares the quote board's dark design colours.
    setBackground(FR, GetBack(0));
    setTextColour(FR, kDesignGrey);
    Loged = frame(FR);
    Loged->setGeometry(0, 0, static_cast<int>(MainDesign::kFrWidth) / TwipsX, 48);
    Loginca = new QLabel(QStringLiteral("您还未登录"), Loged);
    Loginca->setGeometry(6, 4, 150, 18);
    Loginca->setTextFormat(Qt::PlainText);
    VipUserSet = new QLabel(QStringLiteral("升级VIP"), Loged);
    VipUserSet->setGeometry(160, 4, 70, 18);
    VipUserSet->setCursor(Qt::PointingHandCursor);
    Check12 = new QCheckBox(QStringLiteral("启用VIP实时服务器"), Loged);
    Check12->setGeometry(6, 24, 200, 20);
    connect(Check12, &QCheckBox::clicked, this, platform::guard("Check12_MouseUp", [this] { Check12_MouseUp(1, 0, 0, 0); }));

    Frame10 = frame(FR);
    Frame10->setGeometry(0, 48, static_cast<int>(MainDesign::kFrWidth) / TwipsX, 132);
    auto* market = new QLabel(QStringLiteral("当前市场："), Frame10);
    market->setGeometry(6, 4, 70, 20);
    SetDrawtype = new QComboBox(Frame10);
    SetDrawtype->setGeometry(76, 2, 150, 22);
    const char16_t* paneBoxes[] = {u"启用2图", u"启用3图", u"启用4图"};
    QCheckBox** boxes[] = {&VIPChart2, &VIPChart3, &VIPChart4};
    for (int i = 0; i < 3; ++i) {
        *boxes[i] = new QCheckBox(QString::fromUtf16(paneBoxes[i]), Frame10);
        (*boxes[i])->setGeometry(6, 28 + i * 24, 70, 20);
        Combos[i] = new QComboBox(Frame10);
        Combos[i]->setGeometry(76, 27 + i * 24, 150, 22);
    }
    Combos[3] = new QComboBox(Frame10); // the chart range box
    Combos[3]->setGeometry(6, 102, 110, 22);
    Nowtimes = new QLabel(Frame10);
    Nowtimes->setGeometry(122, 104, 60, 18);
    Systime = new QLabel(Frame10);
    Systime->setGeometry(184, 104, 60, 18);
    Nextupti = new QLabel(FR);
    Nextupti->setTextFormat(Qt::PlainText);

    Frame1 = frame(FR, QStringLiteral("重点关注市场"));
    Combos[4] = new QComboBox(Frame1);
    Combos[5] = new QComboBox(Frame1);
    YYChart = new Chart(Frame1);
    MZChart = new Chart(Frame1);
    YYDO = frame(FR);
    Frames0 = frame(YYDO);
    Frames0->installEventFilter(this);
}

void MainForm::addTabs() {
    Maintab->setDrawStyle(2);
    Maintab->setTabAlign(0);
    Maintab->setImageList(*KeyImageList1);
    Maintab->setShowCloseButton(false);
    m_addingTabs = true;
    for (int i = 0; i < 11; ++i) {
        step([this, i] {
            cTab tab = Maintab->Tabs().Add(QString::fromLatin1(kTabs[i].key), {}, QString::fromUtf16(kTabs[i].caption), i);
            const int panel = kTabPanel[i];
            tab.setPanel(panel == -1 ? MainView : panel == -2 ? MiniWeb : Cole[panel]);
            if (i == 1)
                tab.setCanClose(false);
        });
    }
    m_addingTabs = false;
}

void MainForm::formLoad() {
    ServerNow = platform::pcNow();
    if (MainStarted)
        return;
    FirstRun = true;
    CurTab = -1;
    setWindowTitle(QString::fromUtf16(kProgramTitle) + QStringLiteral(" V") + QStringLiteral(BRELTO_VERSION_TEXT));
    platform::setMainForm(this, [this](int key, int shift) { ReceiveKeyDown(key, shift); });
    instanceChannel().setHandler([this](const QString& command) { Form_LinkExecute(command); });
    // The bookkeeping page hands the user's positions over as "EVENT:" followed by the records.
    platform::setEventAddressHandler([](const QString& address) {
        HoldText = address.mid(address.indexOf(u':') + 1);
        LoadHoldings();
    });
    platform::setRefusedAddressHandler(
        [](const QString& address) { WriteLog(QStringLiteral("网页窗格拒绝打开地址: ") + address); });

    SettingsUi ui;
    ui.listBack = [this](int16_t scheme) {
        const platform::OleColor color = GetBack(scheme);
        m_boardBack = color;
        for (QWidget* w : CListBackControls()) {
            if (qobject_cast<QComboBox*>(w) != nullptr) {
                setSelectorBackground(w, color);
            } else {
                setBackground(w, color);
                // The K-line bar (its captions, period buttons and RMB box) sits outside the right
                // column, whose grey text the other boxes take: on the board's dark colours black
                // would vanish.
                if (w == Frame4 || qobject_cast<QAbstractButton*>(w) != nullptr)
                    setTextColour(w, kDesignGrey);
            }
            if (auto* chart = qobject_cast<Kline*>(w))
                chart->setBackColor(color);
        }
    };
    ui.transLevel = [](int16_t) { CalcAlpha(); };
    ui.miniSkin = [](int16_t theme) { Mini().Loadskin(theme); };
    ui.miniPosition = [] {
        const MiniForm& mini = Mini();
        return std::pair{mini.x() * TwipsX, mini.y() * TwipsY};
    };
    setSettingsUi(ui);
    step([] { GetSet(); });
    // The range box starts on entry 1 ("72小时 F3"), set when the feed filled it.
    menuForm().setMainActions(MenuForm::MainActions{
        [this] { openSettings(); },
        [this] { CopyPricestr(); },
        [this] { DoEndMe(); },
        [this](int index) {
            // As a choice in the selector itself, so everything that follows the instrument does.
            if (index >= 0 && index < SetDrawtype->count()) {
                SetDrawtype->setCurrentIndex(index);
                emit SetDrawtype->activated(index);
            }
        },
    });
    if (BossKeyOn)
        SetHotkey(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add"), &menuForm());
    addTabs();
    for (int i : {0, 5, 6, 2})
        Web[i]->navigate(QStringLiteral("about:blank"));
    GetCon();
    CheckLogin();
    Web[3]->navigate(QStringLiteral("about:blank"));
    if (Web[4]->locationUrl() != DataTabUrl && !DataTabUrl.isEmpty())
        Web[4]->navigate(DataTabUrl);
    StartTime = ServerNow;
    step([this] { trayAdd(); });
    FreeMemory();
    QFile::remove(QDir(programFolder()).filePath(QStringLiteral("otemp")));
    step([this] {
        if (const auto tab = rememberedTab(GetIni(QStringLiteral("tab")))) {
            CurTab = static_cast<int16_t>(*tab);
            Maintab->Tabs().Item(*tab).setSelected(true);
        }
    });
    if (ShowMini)
        OpenMini();
    if (IsVip) {
        Check12->setChecked(true);
        Check12_MouseUp(1, 0, 0, 0);
    }
    VipUserSet->setText(IsVip ? QStringLiteral("VIP设置") : QStringLiteral("升级VIP"));
    if (StartMinimized)
        showMinimized();
    else
        showMaximized();
}

void MainForm::trayAdd() {
    // The tray menu form owns the icon's mouse messages and its menu; made before the icon shows,
    // so the desktop's tray host has the menu from the start.
    menuForm();
    addProgramTrayIcon(this);
}

void MainForm::showFromTray() {
    setWindowState(property("Tag").toString() == u"2" ? Qt::WindowMaximized : Qt::WindowNoState);
    show();
    raise();
    activateWindow();
    if (platform::isLoaded<MiniForm>()) {
        int alpha = AlphaValue;
        SetWindowAlpha(&Mini(), alpha, MiniTopmost);
    }
}

std::vector<QWidget*> MainForm::CListBackControls() const {
    std::vector<QWidget*> controls{MainView};
    for (const BoardRow& row : boardRows)
        controls.push_back(row.Mvole);
    const std::initializer_list<QWidget*> rest = {
        Frames0,   YYDO,      Frame10,   Loged,     Check12,   Combos[0], Combos[1], Combos[2],
        Combos[3], Combos[4], Combos[5], SetDrawtype, VIPChart2, VIPChart3, VIPChart4, Frame1,
        Frame4,    OleMove,   OlemoveOle};
    for (QWidget* w : rest)
        if (w != nullptr)
            controls.push_back(w);
    if (m_kline) {
        const KlinePanel& k = m_kline->panel();
        controls.insert(controls.end(), k.kOptions.begin(), k.kOptions.end());
        controls.push_back(k.KshowRmb);
        controls.push_back(k.Klines);
    }
    if (Cole[8] != nullptr)
        controls.push_back(Cole[8]);
    return controls;
}

void MainForm::TraySetTip(const QString& Tip) { ::TraySetTip(nullptr, Tip); }

namespace {
const QString kLoggingOut = QStringLiteral("正在注销,请稍候...");
} // namespace

void MainForm::LogoutUser() {
    // Once asked, a log-out runs to its end: further clicks, the menu and Timer4 add nothing.
    if (!isLoaded() || LogoutUnderWay)
        return;
    LogoutUnderWay = true;
    // It may have to wait for a request in progress (up to its time-out): the user sees at once
    // that the program is at it, rather than clicking again or taking it for hung.
    setCursor(Qt::WaitCursor);
    Nextupti->setText(kLoggingOut);
    // Painted now: the request it waits for may hold the window's next update back.
    Nextupti->repaint();
    runLogout();
}

void MainForm::runLogout() {
    // A log-out put off, whose window has gone in the meantime (the program was quit).
    if (!isLoaded())
        return;
    // Unloading deletes this window: never under a wait still in progress (a loader, the
    // keep-alive, a box), whose code goes on with the window once it returns. The log-out runs
    // when the last one has ended.
    if (platform::waitsInProgress() > 0) {
        platform::whenNoWaits(this, [this] { runLogout(); });
        return;
    }
    // The window is going: nothing more of it runs while the log-out waits on the service.
    Timer1->stop();
    Timer3->stop();
    Timer4->stop();
    LogoutUi ui;
    ui.hideMain = [this] { hide(); };
    ui.liveBoxTicked = [this] { return Check12->isChecked(); };
    ui.closeLiveLink = [this] {
        Check12->setChecked(false);
        UnLinkUser();
    };
    ui.unloadMain = [this] { unload(); };
    ::LogoutUser(ui);
}

bool MainForm::linkConnected() const { return m_usersock->isConnected(); }
void MainForm::LinkUser() { m_link->LinkUser(); }
void MainForm::UnLinkUser() { m_link->UnLinkUser(); }
void MainForm::heartbeat() { m_link->heartbeat(); }

void MainForm::Hello() {
    if (m_helloBusy)
        return;
    m_helloBusy = true;
    const QPointer<MainForm> self(this);
    // Cleared however the keep-alive ends, a raised error included: a flag left set would hold
    // every later keep-alive (and the log-out) off for the session.
    const auto done = qScopeGuard([this, self] {
        if (self)
            m_helloBusy = false;
    });
    HelloUi ui;
    ui.loggedElsewhere = [self] {
        platform::messageBox(kLoggedElsewhereText, QString::fromUtf16(kProgramTitle), platform::BoxButtons::Ok,
                             platform::BoxIcon::Information, self);
        if (self)
            self->Timer4->start();
    };
    ui.showNotice = [self](const Notice& notice) {
        // The service's notice, in the program's own box; the first character marks it and is
        // not shown.
        ShowMsg(notice.text, QStringLiteral("系统公告"), self, {}, false, 0);
    };
    ::Hello(LoginTime, ui);
}

void MainForm::GetCon() {
    if (MainStarted)
        return;
    Nextupti->setText(QStringLiteral("正在加载数据..."));
    step(
        [] {
            if (ConValue(QStringLiteral("nochecktime")) == u"1")
                return;
            platform::Randomize();
            const QString answer =
                GetHttpText(DataServer + QStringLiteral("?t=6&r=") + platform::singleText(platform::Rnd()));
            const auto check = checkServerClock(answer, platform::pcNow());
            if (!check)
                return;
            ServerNow = check->serverNow;
            ClockOffset = check->clockOffset;
            Main().scheduler().ClockOffset = ClockOffset;
            if (check->clocksDiffer && GetIni(QStringLiteral("notimetip")).isEmpty())
                TrayBalloon(nullptr, QStringLiteral("您的系统时间不正确，程序正在使用服务器标准时间。"),
                            QStringLiteral("时间"), 0);
        },
        " GetCon.");
    step([this] { LoadTextAD(); }, " GetCon.");
    // The advert strip's page, when the configuration names one; without it the strip's pane
    // stays on "about:blank" and the web engine is never started for it.
    step(
        [this] {
            if (!BottomAdUrl.isEmpty())
                Web[7]->navigate(BottomAdUrl);
        },
        " GetCon.");
    step([this] { LoadNews(); }, " GetCon.");
    Timer3->start();
    Timer2->start();
    step(
        [this] {
            const QString text = ConValue(QStringLiteral("adbeginstr"));
            const QString today = platform::shortDateText(platform::pcNow().date());
            if (!startupNoticeDue(text, ConValue(QStringLiteral("adbeginno")), GetIni(QStringLiteral("adb")), today))
                return;
            ShowMsg(text, QStringLiteral("温馨提示"), this, ConValue(QStringLiteral("adbeginurl")), false, 0);
            SetIni(QStringLiteral("adb"), today);
        },
        " GetCon.");
    step(
        [this] {
            const QString text = ConValue(QStringLiteral("topadstr"));
            if (!infoStripShown(text, ConValue(QStringLiteral("topadno"))))
                return;
            InfoLabel->setText(text);
            InfoLabel->setProperty("Tag", ConValue(QStringLiteral("topadlink")));
            InfoOle->show();
        },
        " GetCon.");
    if (LoginMode != 0) {
        Nextupti->setText(QStringLiteral("请登录后方可使用本软件."));
    } else {
        QString none;
        LoadData(none);
        Timer1->start();
    }
    MainStarted = true;
    Me_Resize(false);
    FreeMemory();
}

void MainForm::CheckLogin() {
    if (!LoggedIn) {
        Me_Resize(false);
        return;
    }
    step([this] { MainBar->setBtnCaption(1, QStringLiteral("注销  ")); });
    const LoginCaption caption = loginCaption(IsVip, UserName);
    Loginca->setText(caption.text);
    setTextColour(Loginca, platform::toQColor(caption.color));
    if (IsVip && !Check12->isChecked() && ConfigLoaded) {
        Check12->setChecked(true);
        Check12_MouseUp(1, 0, 0, 0);
    }
    NoLoginInfo->hide();
    m_quotes->DoCaption();
    LoginTime = platform::timeText(platform::pcNow().time());
    m21->setEnabled(false);
    m22->setEnabled(true);
    const cTab selected = Maintab->SelectedTab();
    if (selected) {
        const int index = selected.Index();
        if (index == 7 && !Web[5]->locationUrl().contains(BookTabUrl))
            Web[5]->navigate(singleSignOnAddress(BookTabUrl));
        if (index == 8 && !Web[6]->locationUrl().contains(SmsTabUrl))
            Web[6]->navigate(singleSignOnAddress(SmsTabUrl));
    }
    Me_Resize(false);
}

void MainForm::Form_LinkExecute(const QString&) {
    if (LogoutUnderWay)
        return;
    if (isMinimized())
        showMaximized();
    else
        show();
    raise();
    activateWindow();
}

void MainForm::Maintab_TabSelected(cTab theTab) {
    // Adding the tabs selects the first one; the start-up restores the user's tab itself.
    if (!theTab || m_addingTabs)
        return;
    TabSwitchInput in;
    in.index = theTab.Index();
    in.previousTab = CurTab;
    in.loginRequired = LoginMode != 0;
    in.configLoaded = LoadserverOk;
    in.loggedIn = LoggedIn;
    in.web0Location = Web[0]->locationUrl();
    in.web2Location = Web[2]->locationUrl();
    in.web4Location = Web[4]->locationUrl();
    in.web5Location = Web[5]->locationUrl();
    in.web6Location = Web[6]->locationUrl();
    const TabSwitchPlan plan = planTabSwitch(in);
    if (plan.refused) {
        ShowMsg(kLoginNeededText, kLoginNeededTitle, this, QString(), false, 3000);
        // The strip goes back to the tab that is still current, so the two agree.
        if (CurTab >= 1 && CurTab != in.index) {
            const QSignalBlocker block(Maintab);
            step([this] { Maintab->Tabs().Item(CurTab).setSelected(true); });
        }
        return;
    }
    CurTab = static_cast<int16_t>(plan.curTab);
    if (plan.chartKind >= 0)
        ChartKind = static_cast<int16_t>(plan.chartKind);
    if (plan.web0Panel >= 0) {
        Web[0]->setParent(Cole[plan.web0Panel]);
        Web[0]->show();
    }
    if (plan.combo4Changes)
        Combos[3]->setEnabled(plan.combo4Enabled);
    if (plan.silentWeb2)
        Web[2]->setSilent(true);
    for (const Navigation& n : plan.navigations) {
        const int pane = n.pane == WebPane::Web0 ? 0 : n.pane == WebPane::Web2 ? 2 : n.pane == WebPane::Web4 ? 4
                         : n.pane == WebPane::Web5                                ? 5
                                                                                  : 6;
        Web[pane]->navigate(n.url);
    }
    if (plan.resizeWithRedraw)
        Me_Resize(false);
    if (plan.updateImg)
        UpdateImg();
    Me_Resize(true);
}

void MainForm::Me_Resize(bool NoUpdateImg) {
    if (m_inResize)
        return;
    if (isMinimized()) {
        if (!MinNoHide)
            hide();
        return;
    }
    m_inResize = true;
    setProperty("Tag", isMaximized() ? QStringLiteral("2") : QStringLiteral("0"));
    const QWidget* menu = findChild<QWidget*>(QStringLiteral("menuBar"));
    const int menuHeight = menu != nullptr ? menu->height() : 0;

    FrameInput in;
    in.scaleWidth = static_cast<float>(width() * TwipsX);
    in.scaleHeight = static_cast<float>((height() - menuHeight) * TwipsY);
    in.outerWidth = in.scaleWidth;
    in.yymzHeight = BottomAdHeight > 0 ? static_cast<float>(BottomAdHeight) : MainDesign::kYymzHeight;
    in.textAdHeight = TextAD->isHidden() ? 0.0F : static_cast<float>(TextAD->height()) * static_cast<float>(TwipsY);
    in.frame1Top = static_cast<float>((Loged->height() + Frame10->height() + 24) * TwipsY);
    in.mainViewLeft = 0;
    in.oleMoveHeight = twipsHeight(OleMove);
    in.twipsY = static_cast<float>(TwipsY);
    auto place = [this, menuHeight](QWidget* w, const TwipRect& r) {
        QRect px = pixels(r.left, r.top, r.width, r.height);
        px.translate(0, menuHeight);
        w->setGeometry(px);
    };
    // The strip sizes the board's panel; the board's viewport is read after it has done so.
    place(Maintab, placeFrame(in).maintab);
    in.mainViewWidth = twipsWidth(MainView);
    in.mainViewHeight = twipsHeight(MainView) - MainDesign::kBoardHeadHeight;
    const FramePlan p = placeFrame(in);
    place(NewsOle, p.newsOle);
    place(YYMZ, p.yymz);
    Web[7]->setGeometry(pixels(p.web7.left, p.web7.top, p.web7.width, p.web7.height));
    OlemoveOle->setGeometry(pixels(p.oleMoveOle.left, p.oleMoveOle.top, p.oleMoveOle.width, p.oleMoveOle.height));
    OleMove->resize(std::max(OlemoveOle->width(), boardWidth()), OleMove->height());
    // A resize leaves the board where a drag put it; the heads are placed over its columns again.
    moveBoardSideways(OleMove->x());
    VScroll->setGeometry(pixels(p.vscroll.left, p.vscroll.top, p.vscroll.width, p.vscroll.height));
    VScroll->setMaximum(p.vscrollMax);
    VScroll->setVisible(p.vscrollVisible);
    VScroll->raise();
    place(MainBar, p.mainBar);
    place(FR, p.fr);
    Nextupti->setGeometry(4, Frame10->geometry().bottom() + 2, FR->width() - 8, 20);
    Frame1->setGeometry(0, static_cast<int>(in.frame1Top / TwipsY), FR->width(), static_cast<int>(in.frame1Height / TwipsY));
    Combos[4]->setGeometry(4, 20, FR->width() / 2 - 6, 22);
    Combos[5]->setGeometry(FR->width() / 2 + 2, 20, FR->width() / 2 - 6, 22);
    const int chartHeight = (Frame1->height() - 46) / 2;
    YYChart->setGeometry(0, 46, FR->width(), chartHeight);
    MZChart->setGeometry(0, 46 + chartHeight, FR->width(), chartHeight);
    YYDO->setGeometry(pixels(p.yydo.left, p.yydo.top, p.yydo.width, p.yydo.height));
    Frames0->setGeometry(0, Frames0->y(), YYDO->width(), std::max(Frames0->height(), YYDO->height()));

    if (InfoOle->isVisible()) {
        InfoOle->setGeometry(0, 0, Cole[0]->width(), InfoOle->height());
        CloseInfo->setGeometry(InfoOle->width() - 16, 0, 16, InfoOle->height());
        InfoLabel->setGeometry(4, 0, InfoOle->width() - 24, InfoOle->height());
    }

    PaneInput panes;
    panes.curTab = CurTab;
    const int panelIndex = CurTab >= 1 && CurTab <= 11 ? kTabPanel[CurTab - 1] : -1;
    QWidget* panel = panelIndex >= 0 ? Cole[panelIndex] : nullptr;
    if (panel != nullptr) {
        panes.W = twipsWidth(panel);
        panes.H = twipsHeight(panel);
    }
    panes.intradayPanes = intradayPaneCount(VIPChart2->isChecked(), VIPChart3->isChecked(), VIPChart4->isChecked());
    // The K-line bar is centred by the width it really takes: wider than the design where this
    // desktop's buttons need more room.
    panes.frame4Width =
        std::max(MainDesign::kFrame4Width, static_cast<float>(Frame4->minimumWidth() * TwipsX));
    const PanePlan pp = placePanes(panes);
    auto placeIn = [this](QWidget* w, const std::optional<TwipRect>& r) {
        if (r && w != nullptr) {
            w->setGeometry(pixels(r->left, r->top, r->width, r->height));
            w->show();
        }
    };
    const std::optional<TwipRect>* charts[] = {&pp.chart1, &pp.chart2, &pp.chart3, &pp.chart4};
    if (CurTab == 2)
        for (int i = 0; i < 4; ++i) {
            placeIn(Charts[i], *charts[i]);
            if (!charts[i]->has_value() && i > 0)
                Charts[i]->hide();
        }
    placeIn(Frame4, pp.frame4);
    placeIn(Klines, pp.klines);
    placeIn(BBlist, pp.bblist);
    placeIn(PLList, pp.plList);
    placeIn(Web[0], pp.web0);
    placeIn(Web[4], pp.web4);
    placeIn(Web5info, pp.web5info);
    placeIn(Web[5], pp.web5);
    placeIn(Web[6], pp.web6);

    AddressBarInput bar;
    bar.miniWebWidth = twipsWidth(MiniWeb);
    bar.miniWebHeight = twipsHeight(MiniWeb);
    bar.mwtoWidth = twipsWidth(Mwto);
    bar.gobackWidth = twipsWidth(Goback);
    bar.toBbsWidth = twipsWidth(ToBBs);
    bar.buttonHeight = twipsHeight(Mwto);
    bar.mwurlLeft = static_cast<float>(Mwurl->x() * TwipsX);
    bar.mwurlHeight = twipsHeight(Mwurl);
    bar.web2Top = 540;
    const AddressBarPlan ab = placeAddressBar(bar);
    for (const auto& [w, r] : {std::pair<QWidget*, TwipRect>{Mwto, ab.mwto}, {ToBBs, ab.toBbs}, {Goback, ab.goback},
                               {Mwurl, ab.mwurl}, {Web[2], ab.web2}})
        w->setGeometry(pixels(r.left, r.top, r.width, r.height));

    if (CurTab == 9 && NoLoginInfo->isVisible())
        NoLoginInfo->setGeometry(0, 0, Cole[7]->width(), Cole[7]->height());
    if (m_newsView)
        m_newsView->placeStrip();
    m_inResize = false;
    if (!NoUpdateImg)
        UpdateImg();
    FreeMemory();
}

void MainForm::resizeEvent(QResizeEvent* event) {
    platform::Form::resizeEvent(event);
    if (QWidget* menu = findChild<QWidget*>(QStringLiteral("menuBar")))
        menu->setGeometry(0, 0, width(), menu->sizeHint().height());
    platform::guarded("Form_Resize", [this] { Me_Resize(false); });
}

void MainForm::changeEvent(QEvent* event) {
    platform::Form::changeEvent(event);
    // Every change of the window state lays the window out again, as a resize does: the layout
    // records the state a minimised window comes back in, and hides a minimised window. Qt
    // reports the minimised state before showMinimized() has made the window visible, so the
    // layout waits for the event loop, where that show cannot undo the hiding.
    if (event->type() == QEvent::WindowStateChange)
        QMetaObject::invokeMethod(this, platform::guard("Form_Resize", [this] { Me_Resize(false); }), Qt::QueuedConnection);
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    if (boardMouse(watched, event))
        return true;
    if (watched == MainView && event->type() == QEvent::Resize && !m_inResize) {
        Me_Resize(true);
        return platform::Form::eventFilter(watched, event);
    }
    const bool mouseEvent = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove ||
                            event->type() == QEvent::MouseButtonRelease;
    if (watched == Frames0 && mouseEvent) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const int y = qRound(mouse->position().y()) * TwipsY;
        if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            m_framesDragging = true;
            m_framesDragY = y;
        } else if (event->type() == QEvent::MouseMove && m_framesDragging && (mouse->buttons() & Qt::LeftButton)) {
            if (const auto top = framesDragTop(static_cast<float>(Frames0->y() * TwipsY), static_cast<float>(y),
                                               static_cast<float>(m_framesDragY), twipsHeight(Frames0), twipsHeight(YYDO)))
                Frames0->move(Frames0->x(), qRound(*top / TwipsY));
        } else if (event->type() == QEvent::MouseButtonRelease) {
            m_framesDragging = false;
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == InfoLabel) {
            const QString link = InfoLabel->property("Tag").toString();
            if (!link.isEmpty())
                OpenUrl(link);
        } else if (watched == CloseInfo) {
            InfoOle->hide();
        }
    }
    return platform::Form::eventFilter(watched, event);
}

// The board's mouse: the short list's names pick an instrument (and the intraday chart), names
// and prices drag the board sideways, a row click highlights it and a double click opens its chart.
bool MainForm::boardMouse(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    const int button = mouse->button() == Qt::LeftButton || (mouse->buttons() & Qt::LeftButton) ? 1 : 2;
    const float x = static_cast<float>(mouse->position().x() * TwipsX);
    for (int i = 0; i < static_cast<int>(shortLines.size()); ++i) {
        if (watched != shortLines[i].BLabels && watched != shortLines[i].Money)
            continue;
        if (type == QEvent::MouseButtonPress) {
            if (watched == shortLines[i].BLabels)
                boardAction(m_board.nameMouseDown(i, button, x, CurTab, OleMove->x() * TwipsX));
            else
                m_board.priceMouseDown(button, x, OleMove->x() * TwipsX);
        } else if (type == QEvent::MouseMove) {
            if (const auto left = m_board.mouseMove(button, x, OleMove->x() * TwipsX, OleMove->width() * TwipsX,
                                                    width() * TwipsX))
                moveBoardSideways(*left / TwipsX);
        } else if (type == QEvent::MouseButtonRelease) {
            m_board.mouseUp();
        }
        return false;
    }
    for (int i = 0; i < static_cast<int>(boardRows.size()); ++i) {
        const BoardRow& row = boardRows[i];
        if (watched != row.Mvole && std::find(row.TL.begin(), row.TL.end(), watched) == row.TL.end())
            continue;
        if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) {
            const std::vector<uint32_t> colours =
                rowHighlight(static_cast<int>(boardRows.size()), i, QuoteBackColor);
            for (size_t r = 0; r < colours.size(); ++r)
                setBackground(boardRows[r].Mvole, colours[r]);
        } else if (type == QEvent::MouseButtonDblClick) {
            // "卖出" has no double-click of its own, and it must not reach the row under it either.
            if (watched == row.TL[ColSell])
                return true;
            boardAction(BoardInteraction::rowDoubleClick(i));
        }
        return false;
    }
    return false;
}

void MainForm::boardAction(const std::vector<BoardInteraction::Action>& actions) {
    for (const BoardInteraction::Action& a : actions) {
        if (a.step == BoardInteraction::Step::SelectIntradayTab) {
            step([this] { Maintab->Tabs().Item(2).setSelected(true); });
        } else {
            CurProd = static_cast<int16_t>(a.index);
            selectInstrument(InstrumentSelector::Current, a.index);
            m_quotes->currentInstrumentChanged();
            UpdateImg();
        }
    }
}

void MainForm::ReceiveKeyDown(int KeyCode, int Shift) { Form_KeyDown(KeyCode, Shift); }

void MainForm::Form_KeyDown(int KeyCode, int Shift) {
    using Kind = commands::KeyCommand::Kind;
    const commands::KeyCommand command = commands::keyCommand(KeyCode, Shift);
    switch (command.kind) {
    case Kind::QuoteBoardTab:
        step([this] { Maintab->Tabs().Item(QStringLiteral("T1")).setSelected(true); });
        break;
    case Kind::CopyReport:
        CopyInfo();
        break;
    case Kind::Range:
        // Setting the box raises its Click, which records the range and redraws.
        if (const auto index = commands::rangeToSet(Combos[3]->currentIndex(), command.rangeIndex))
            step([this, index] { Combos[3]->setCurrentIndex(*index); });
        break;
    case Kind::None:
        break;
    }
}

void MainForm::MainBar_ButtonClick(int, const QString& sKey) {
    using Action = commands::ToolbarAction;
    step([this, &sKey] {
        switch (commands::toolbarAction(sKey)) {
        case Action::Calculator:
            // No system calculator is started on this desktop: the built-in one, a free window.
            calc().showForm();
            break;
        case Action::PositionCalculator:
            cangJSQ().showForm(this);
            break;
        case Action::TradeCalculator:
            jiaoYiForm().showForm(this);
            break;
        case Action::Alerts:
            txForm().showForm(this);
            break;
        case Action::Settings:
            openSettings();
            break;
        case Action::CopyQuote:
            CopyPricestr();
            break;
        case Action::LoginToggle:
            if (LoggedIn)
                LogoutUser();
            else
                loginForm().showForm(this);
            break;
        case Action::GoldEtfTab:
            Maintab->Tabs().Item(QStringLiteral("T9")).setSelected(true);
            break;
        case Action::SilverEtfTab:
            Maintab->Tabs().Item(QStringLiteral("T10")).setSelected(true);
            break;
        case Action::None:
            break;
        }
    });
}

void MainForm::menuCommand(const commands::MenuItem& item) {
    using Action = commands::MenuAction;
    step([this, &item] {
        switch (item.action) {
        case Action::Login:
            if (!LoggedIn)
                loginForm().showForm(this);
            break;
        case Action::Logout:
            LogoutUser();
            break;
        case Action::Register:
            OpenUrl(commands::serviceWebPage(SiteUrl, QString::fromLatin1(commands::kRegisterPath)));
            break;
        case Action::LostPassword:
            OpenUrl(commands::serviceWebPage(SiteUrl, QString::fromLatin1(commands::kLostPasswordPath)));
            break;
        case Action::Settings:
            openSettings();
            break;
        case Action::BossKey:
            bosskeym_Click();
            break;
        case Action::Quit:
            DoEndMe();
            break;
        case Action::Toolbar:
            MainBar_ButtonClick(item.btnIndex, QString::fromLatin1(item.key));
            break;
        case Action::CopyQuotes:
            copyQuotes();
            break;
        case Action::Separator:
            break;
        }
    });
}

namespace {

ClipboardHost systemClipboard(QWidget* owner) {
    return {[] {
                if (QClipboard* clipboard = QGuiApplication::clipboard())
                    clipboard->clear();
            },
            [](const QString& text) {
                if (QClipboard* clipboard = QGuiApplication::clipboard())
                    clipboard->setText(text);
            },
            [owner](const QString& text, const QString& title, bool modal, int autoCloseMs) {
                ShowMsg(text, title, owner, {}, modal, autoCloseMs);
            }};
}

} // namespace

void MainForm::CopyPricestr() {
    copyQuote(systemClipboard(this), [] { return QuoteTexts::GetList(); }, QuoteDate + u' ' + QuoteTime, SiteUrl);
}

void MainForm::copyQuotes() {
    ClipboardHost host = systemClipboard(this);
    host.notify = [](const QString& text, const QString& title, bool, int) {
        TrayBalloon(&menuForm(), text, title, 0);
    };
    copyQuote(host, [] { return QuoteTexts::GetList(); }, platform::generalDateText(platform::pcNow()), SiteUrl);
}

void MainForm::CopyInfo() {
    const auto facts = [this] {
        ReportFacts f;
        f.startTime = platform::generalDateText(StartTime);
        f.pcTime = platform::timeText(platform::pcNow().time());
        f.quoteTime = Nowtimes->text();
        f.dataServer = DataServer;
        f.serverSwitches = m_quotes->ServerSwitches;
        f.polledLoads = m_scheduler->PolledLoads;
        f.pushedLoads = m_scheduler->PushedLoads;
        f.userServerHost = UserServerHost;
        f.userServerPort = UserServerPort;
        f.userServerSwitches = m_link->UserServerSwitches;
        // The socket's state numbers: 7 connected, 0 closed, 6 on its way.
        f.socketState = m_usersock->isConnected() ? 7 : m_usersock->isClosed() ? 0 : 6;
        f.newsId = NewsId;
        f.loggedIn = LoggedIn;
        f.userName = UserName;
        return f;
    };
    m_report->CopyInfo(systemClipboard(this), MainStarted, facts, defaultPingProbe());
}

void MainForm::DoEndMe() { unload(); }

void MainForm::UpdateImg() {
    if (m_feed)
        m_feed->UpdateImg();
}

void MainForm::LoadData(QString& VipData) {
    m_quotes->LoadData(VipData);
    VipData.clear();
}

void MainForm::LoadTextAD() {
    const std::optional<TextAdvert> ad = textAdvert(ConValue(QStringLiteral("adno")));
    const bool wasShown = !TextAD->isHidden();
    if (!ad) {
        TextAD->hide();
        if (wasShown)
            Me_Resize(true);
        return;
    }
    if (ad->link.isEmpty()) {
        TextAD->setTextFormat(Qt::PlainText);
        TextAD->setText(ad->text);
    } else {
        TextAD->setTextFormat(Qt::RichText);
        TextAD->setText(QStringLiteral("<a href=\"%1\" style=\"color:#990000;text-decoration:none\">%2</a>")
                            .arg(ad->link.toHtmlEscaped(), ad->text.toHtmlEscaped()));
    }
    TextAD->setToolTip(platform::plainTip(ad->link));
    TextAD->show();
    TextAD->raise();
    if (!wasShown)
        Me_Resize(true);
}

void MainForm::LoadNews() {
    if (m_newsView)
        m_newsView->LoadNews();
}

void MainForm::bosskeym_Click() { menuForm().mhide_Click(); }

void MainForm::OpenMini() {
    MiniForm& mini = Mini();
    if (!ShowMini) {
        mini.hide();
        return;
    }
    const int x = rememberedTwips(GetIni(QStringLiteral("minix")));
    const int y = rememberedTwips(GetIni(QStringLiteral("miniy")));
    if (x != 0) {
        // Kept inside the work area, as a screen may have gone since.
        QRect area(0, 0, 1024, 768);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            area = screen->availableGeometry();
        const QSize size = mini.size();
        const int left = std::clamp(x / TwipsX, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
        const int top = std::clamp(y / TwipsY, area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
        mini.move(left, top);
        mini.Ishide = false;
    } else if (!mini.isVisible()) {
        // No remembered place (first run): the corner the settings dialog puts it in, 20 pixels
        // from the right edge, just above the taskbar.
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect full = screen->geometry();
            mini.move(full.right() + 1 - mini.width() - 20,
                      full.bottom() + 1 - TaskbarHeight() / TwipsY - mini.height());
        }
    }
    int alpha = AlphaValue;
    SetWindowAlpha(&mini, alpha, MiniTopmost);
    mini.show();
}

void MainForm::SetCaption(const QString& TheCaption, int16_t Showt, const QString& Showsmt, const QString& CwTipstr) {
    MiniForm& mini = Mini();
    mini.holdCaption = HoldCaption;
    mini.SetCaption(TheCaption, Showt, Showsmt, CwTipstr);
}

void MainForm::Check12_MouseUp(int16_t Button, int16_t, float, float) {
    if (Button != 1)
        return;
    if (!IsVip) {
        ShowVipMsg();
        Check12->setChecked(false);
        return;
    }
    PushLost = false;
    if (Check12->isChecked()) {
        UseRealtime = true;
        // Ticking the box is the member asking again: a server's earlier refusal no longer holds.
        m_link->allowAfterRefusal();
        LinkUser();
    } else {
        UseRealtime = false;
        UnLinkUser();
    }
}

void MainForm::openSettings() {
    mainset::setHost(settingsHost(*this));
    mainSet().showForm(this);
}

bool MainForm::CustRing(const QString& Label1) {
    showCustRing(Label1, this);
    return platform::isLoaded<CustRingForm>();
}

void MainForm::showWarning(const QString& text) {
    // Not modal, and gone after a minute: the warning repeats while the quotes stay stale, and
    // boxes must not pile up in front of a user who is away.
    constexpr int kWarningCloseMs = 60000;
    ShowMsg(text, QStringLiteral("提醒"), this, {}, false, kWarningCloseMs);
}

void MainForm::setStatus(const QString& text) {
    // A loader that ends while a log-out waits for it does not take the log-out's word away.
    if (!LogoutUnderWay)
        Nextupti->setText(text);
}
// The range box shows its longest range whole; the two clocks beside it keep the width of a time,
// side by side where there is room, else one above the other.
void MainForm::fitRangeBox() {
    platform::fitBoxToItems(*Combos[3], false);
    const QFontMetrics fm = Nowtimes->fontMetrics();
    const int clock = fm.horizontalAdvance(QStringLiteral("00:00:00")) + 4;
    const int left = Combos[3]->geometry().right() + 5;
    if (left + 2 * clock + 3 <= Frame10->width()) {
        Nowtimes->setGeometry(left, Nowtimes->y(), clock, Nowtimes->height());
        Systime->setGeometry(left + clock + 3, Systime->y(), clock, Systime->height());
        return;
    }
    const int height = fm.height();
    const int top = std::max(0, std::min(Combos[3]->y() - 1, Frame10->height() - 2 * height));
    Nowtimes->setGeometry(left, top, clock, height);
    Systime->setGeometry(left, top + height, clock, height);
}

void MainForm::setQuoteTime(const QString& text) { Nowtimes->setText(text); }
void MainForm::setServiceClock(const QString& text) { Systime->setText(text); }
void MainForm::setPositionCaption(const QString& text) { Web5info->setText(text); }

void MainForm::setTimerEnabled(MarketTimer timer, bool enabled) {
    QTimer* t = timer == MarketTimer::Timer1 ? Timer1 : timer == MarketTimer::Timer3 ? Timer3 : Timer4;
    if (enabled && !t->isActive())
        t->start();
    else if (!enabled)
        t->stop();
}

namespace {
// Board design sizes in twips: the first row and the rows under it.
constexpr int kRow0Height = 300;
constexpr int kRowHeight = 300;
// The column heads' row in the board's viewport, in pixels.
constexpr int kHeadTop = 6;
constexpr int kHeadHeight = 16;

// The short list's name label ends before the price: a longer name ends in "…" rather than
// running under the figures.
void showName(QLabel* label, const QString& name) {
    label->setText(label->fontMetrics().elidedText(name, Qt::ElideRight, label->width()));
}
} // namespace

void MainForm::placeBoardColumns() {
    QStringList heads;
    for (const char16_t* head : kBoardHeads)
        heads << QString::fromUtf16(head);
    QStringList names;
    for (size_t i = 0; i < boardRows.size() && i < ProdName.size(); ++i)
        names << ProdName[i];
    // Every cell, head and row draws in the board's font.
    const QFontMetrics metrics(MainView->font());
    m_columns = boardColumns([&metrics](const QString& text) { return metrics.horizontalAdvance(text); }, heads,
                             names);
    for (const BoardRow& row : boardRows) {
        row.Mvole->resize(boardWidth(), row.Mvole->height());
        for (int c = 0; c < kBoardColumns; ++c)
            row.TL[c]->setGeometry(m_columns.left[c], 0, m_columns.width[c], kRowHeight / TwipsY);
    }
    OleMove->resize(std::max(OlemoveOle->width(), boardWidth()), OleMove->height());
    moveBoardSideways(OleMove->x());
}

int MainForm::boardWidth() const { return m_columns.right() + kBoardFirstLeft; }

// The rows and their heads move sideways together, so every column stays under its head.
void MainForm::moveBoardSideways(int left) {
    OleMove->move(left, OleMove->y());
    for (int c = 0; c < kBoardColumns; ++c)
        Mcaps[c]->setGeometry(left + m_columns.left[c], kHeadTop, m_columns.width[c], kHeadHeight);
}

void MainForm::ensureBoardRows(int count) {
    while (static_cast<int>(boardRows.size()) < count) {
        const int w = static_cast<int>(boardRows.size());
        BoardRow row;
        row.Mvole = new QFrame(OleMove);
        row.Mvole->setGeometry(0, (w == 0 ? 0 : boardRowTop(w, kRow0Height, kRowHeight)) / TwipsY, boardWidth(),
                               kRowHeight / TwipsY);
        // A new row takes the rows' colour as CListBack last painted them.
        setBackground(row.Mvole, m_boardBack);
        row.Mvole->installEventFilter(this);
        for (int c = 0; c < kBoardColumns; ++c) {
            row.TL[c] = new QLabel(row.Mvole);
            row.TL[c]->setTextFormat(Qt::PlainText);
            row.TL[c]->installEventFilter(this);
            setTextColour(row.TL[c], kDesignGrey);
        }
        row.Mvole->show();
        boardRows.push_back(row);
    }
    OleMove->resize(OleMove->width(), boardHeight(static_cast<int>(boardRows.size()), kRow0Height, kRowHeight) / TwipsY);
    placeBoardColumns();
    VScroll->raise();
}

void MainForm::setBoardRow(int i, const BoardRowTexts& row) {
    if (i < 0 || i >= static_cast<int>(boardRows.size()))
        return;
    for (int c = 0; c < kBoardColumns; ++c) {
        QLabel* l = boardRows[i].TL[c];
        const BoardCell& cell = row.cells[c];
        l->setText(cell.text);
        l->setToolTip(platform::plainTip(cell.tip));
        if (cell.colour)
            setTextColour(l, platform::toQColor(*cell.colour));
    }
    // A name wider than its column (a market renamed or grown) widens the column.
    if (QFontMetrics(MainView->font()).horizontalAdvance(row.cells[ColName].text) >
        m_columns.width[ColName] - kBoardColumnGap)
        placeBoardColumns();
}

void MainForm::setShortListRow(int i, const ShortListTexts& line) {
    if (i < 0 || i >= static_cast<int>(shortLines.size()))
        return;
    const QColor colour = platform::toQColor(line.colour);
    showName(shortLines[i].BLabels, line.name);
    shortLines[i].Money->setText(line.price);
    setTextColour(shortLines[i].Money, colour);
    shortLines[i].RZD->setText(line.change);
    setTextColour(shortLines[i].RZD, colour);
}

void MainForm::addInstrument(int i, const QString& name) {
    SetDrawtype->addItem(name, i + 1);
    // The tray menu's entries follow the selector's items, from the first.
    menuForm().setInstrument(i, name);
    for (int c : {0, 1, 2, 4, 5})
        Combos[c]->addItem(name, i);
    while (static_cast<int>(shortLines.size()) <= i) {
        const int top = static_cast<int>(shortLines.size()) * kShortListLineStep / TwipsY;
        ShortLine line;
        line.BLabels = new QLabel(Frames0);
        line.BLabels->setGeometry(4, top, kShortListPriceLeft / TwipsX - 4, kShortListLineStep / TwipsY);
        line.Money = new QLabel(Frames0);
        line.Money->setGeometry(kShortListPriceLeft / TwipsX, top, (kShortListChangeLeft - kShortListPriceLeft) / TwipsX,
                                kShortListLineStep / TwipsY);
        line.RZD = new QLabel(Frames0);
        line.RZD->setGeometry(kShortListChangeLeft / TwipsX, top, 900 / TwipsX, kShortListLineStep / TwipsY);
        for (QLabel* l : {line.BLabels, line.Money, line.RZD}) {
            l->setTextFormat(Qt::PlainText);
            l->show();
        }
        line.BLabels->installEventFilter(this);
        line.Money->installEventFilter(this);
        shortLines.push_back(line);
    }
    showName(shortLines[i].BLabels, name);
}

void MainForm::fitShortList() {
    const int height = static_cast<int>(shortLines.size()) * kShortListLineStep / TwipsY;
    Frames0->resize(Frames0->width(), std::max(height, YYDO->height()));
}

void MainForm::selectInstrument(InstrumentSelector selector, int index) {
    QComboBox* box = selector == InstrumentSelector::Current ? SetDrawtype
                     : selector == InstrumentSelector::Pane2 ? Combos[0]
                     : selector == InstrumentSelector::Pane3 ? Combos[1]
                     : selector == InstrumentSelector::Pane4 ? Combos[2]
                     : selector == InstrumentSelector::Right1 ? Combos[4]
                                                              : Combos[5];
    if (index >= 0 && index < box->count()) {
        const QSignalBlocker block(box);
        box->setCurrentIndex(index);
    }
}

void MainForm::CheckMenu(int16_t Tonindex) {
    // While the menu holds only its "--" placeholder there is nothing to mark.
    MenuForm& menu = menuForm();
    if (menu.hasInstruments())
        menu.checkInstrument(Tonindex);
}

void MainForm::setLiveBoxEnabled(bool enabled) { Check12->setEnabled(enabled); }
void MainForm::setLiveBoxTicked(bool ticked) { Check12->setChecked(ticked); }

bool MainForm::queryUnload() {
    step([] { SaveSet(); });
    hide();
    TrayRemove();
    platform::setTrayMouseHandler(nullptr);
    step([] { SaveTx(); });
    if (linkConnected())
        UnLinkUser();
    MainStarted = false;
    // The log-out, if one was under way, ends with this window.
    LogoutUnderWay = false;
    // A later "HI" from a second copy must not reach a window that is gone.
    instanceChannel().setHandler(nullptr);
    if (BossKeyOn)
        SetHotkey(1, QString(), QStringLiteral("Del"), platform::isLoaded<MenuForm>() ? &menuForm() : nullptr);
    QFile::remove(QDir(programFolder()).filePath(QStringLiteral("yzm.gif")));
    if (UpdateReady)
        RunUpdater();
    platform::setEventAddressHandler(nullptr);
    platform::setRefusedAddressHandler(nullptr);
    platform::unloadAll([this](platform::Form* f) {
        return f == this || (LogoutPending && qobject_cast<LoginForm*>(f) != nullptr);
    });
    // Last, so that no window unloaded above writes its keys into a fresh set.ini again.
    if (!restoreDefaultsTag.isEmpty())
        QFile::remove(settingsFilePath());
    return true;
}
