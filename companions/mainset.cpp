#include "companions/mainset.h"

#include "common/msgbox.h"
#include "common/settings.h"
#include "common/storedlists.h"
#include "common/windowutil.h"
#include "platform/boundary.h"
#include "platform/screen.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/storedlists.h"
#include "state/usersettings.h"
#include "widgets/buttons/skinbutton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>

namespace mainset {

namespace {
Host& hostRef() {
    static Host h;
    return h;
}

template <typename F, typename... Args>
void call(const F& f, Args&&... args) {
    if (f)
        f(std::forward<Args>(args)...);
}

QString flagText(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }
} // namespace

void setHost(Host host) { hostRef() = std::move(host); }
const Host& host() { return hostRef(); }

QPoint miniCorner(QSize screen, int taskbar, QSize mini, int twipsX) {
    return {screen.width() - mini.width() - 20 * twipsX, screen.height() - taskbar - mini.height()};
}

PricesShown afterBuyBox(bool ticked, PricesShown now) {
    return {ticked, now.sell || !ticked};
}

PricesShown afterSellBox(bool ticked, PricesShown now) {
    return {now.buy || !ticked, ticked};
}

void writeCloseKeys() {
    const Host& h = host();
    if (AutoStart) {
        // The entry the desktop refused is not there: what is stored says so.
        AutoStart = h.SetAutoRun && h.SetAutoRun(true);
        SetIni(QStringLiteral("autorun"), flagText(AutoStart));
    } else {
        if (h.SetAutoRun)
            (void)h.SetAutoRun(false);
        SetIni(QStringLiteral("autorun"), QStringLiteral("0"));
    }
    SetIni(QStringLiteral("UseHotkey"), flagText(BossKeyOn));
    // Closed by the main window's shut-down, which has already released the key: registering it
    // again would leave a grab behind the program's end.
    if (BossKeyOn && MainStarted)
        call(h.SetHotkey, QStringLiteral("Add"));
    else if (!BossKeyOn)
        call(h.SetHotkey, QStringLiteral("Del"));
    SetIni(QStringLiteral("NoMedia"), flagText(AlertMute));
    SetIni(QStringLiteral("ShowCW"), flagText(ShowHolding));
    SetIni(QStringLiteral("Autoshowinfo"), flagText(AutoPopInfo));
    SetIni(QStringLiteral("jjchart"), QString::number(ThreeDayChart));
}

} // namespace mainset

using mainset::call;
using mainset::host;

namespace {
QCheckBox* box(const QString& caption, QWidget* parent, int x, int y, int w = 220) {
    auto* b = new QCheckBox(caption, parent);
    b->setGeometry(x, y, w, 20);
    return b;
}
QComboBox* combo(const QString& label, const QStringList& items, QWidget* parent, int x, int y) {
    auto* l = new QLabel(label, parent);
    l->setGeometry(x, y + 2, 90, 18);
    auto* c = new QComboBox(parent);
    c->addItems(items);
    c->setGeometry(x + 92, y, 90, 22);
    return c;
}
} // namespace

MainSet::MainSet() {
    setWindowTitle(QStringLiteral("程序设置 - Quillor"));
    setFixedSize(560, 430);
    // The tray menu opens it while the main window sits in the tray: the user asked for it now.
    setShownWithoutOwner(true);

    auto* general = new QGroupBox(QStringLiteral("综合设置"), this);
    general->setGeometry(8, 6, 272, 380);
    Check17 = box(QStringLiteral("预警提醒时静音提示"), general, 12, 22);
    Check7 = box(QStringLiteral("允许自动弹出重要播报数据"), general, 12, 46);
    Combo3 = combo(QStringLiteral("报价区背景色:"),
                   {QStringLiteral("深黑"), QStringLiteral("深灰"), QStringLiteral("深棕"), QStringLiteral("深粉"),
                    QStringLiteral("深黄"), QStringLiteral("深绿"), QStringLiteral("深青"), QStringLiteral("深蓝")},
                   general, 12, 72);
    Check14 = box(QStringLiteral("右侧图表使用三天走势图(VIP)"), general, 12, 102, 250);
    Check11 = box(QStringLiteral("在托盘图标上显示报价信息"), general, 12, 126, 250);
    Check11->setToolTip(QStringLiteral("在右下角任务栏内的图标上显示行情"));
    Check1 = box(QStringLiteral("最小化时不隐藏任务栏窗口"), general, 12, 150);
    Check2 = box(QStringLiteral("走势图表使用粗体线"), general, 12, 174);
    Check3 = box(QStringLiteral("开机时自动启动程序"), general, 12, 198);
    Check4 = box(QStringLiteral("程序启动后自动最小化"), general, 12, 222);
    Check5 = box(QStringLiteral("启用Ctrl+Alt+W老板键"), general, 12, 246);
    Check6 = box(QStringLiteral("禁用精细模式(使用简洁走势图)"), general, 12, 270, 250);

    auto* floating = new QGroupBox(QStringLiteral("浮动窗口显示设置"), this);
    floating->setGeometry(288, 6, 264, 92);
    Check18 = box(QStringLiteral("买入/卖出 名称互换"), floating, 12, 20);
    Check12 = box(QStringLiteral("显示银行卖出价"), floating, 12, 44);
    Check10 = box(QStringLiteral("显示银行买入价"), floating, 12, 68);

    auto* style = new QGroupBox(QStringLiteral("浮动窗口样式设置"), this);
    style->setGeometry(288, 104, 264, 150);
    Combo2 = combo(QStringLiteral("透明度:"),
                   {QStringLiteral("不透明"), QStringLiteral("90%"), QStringLiteral("80%"), QStringLiteral("70%"),
                    QStringLiteral("60%"), QStringLiteral("50%"), QStringLiteral("40%"), QStringLiteral("30%"),
                    QStringLiteral("20%")},
                   style, 12, 20);
    Combo1 = combo(QStringLiteral("颜色主题:"),
                   {QStringLiteral("淡蓝"), QStringLiteral("亮黄"), QStringLiteral("粉红"), QStringLiteral("绿色"),
                    QStringLiteral("紫色"), QStringLiteral("红色")},
                   style, 12, 46);
    Check8 = box(QStringLiteral("显示浮动窗口"), style, 12, 74, 120);
    Check8->setToolTip(QStringLiteral("显示/关闭浮动迷你报价窗口"));
    Check9 = box(QStringLiteral("显示当天涨跌"), style, 136, 74, 120);
    Check13 = box(QStringLiteral("窗体置顶显示"), style, 12, 98, 120);
    Check15 = box(QStringLiteral("显示持仓信息"), style, 136, 98, 120);
    Check16 = box(QStringLiteral("禁止窗体自动隐藏"), style, 12, 122, 200);

    auto* ext = new QGroupBox(QStringLiteral("扩展显示"), this);
    ext->setGeometry(288, 260, 264, 126);
    Check19 = box(QStringLiteral("大号字体显示"), ext, 12, 20);
    List1 = new QListWidget(ext);
    List1->setGeometry(12, 44, 240, 74);

    CommandButton1 = new SkinButton(this);
    CommandButton1->setButtonStyle(3);
    CommandButton1->setGeometry(452, 396, 100, 26);
    CommandButton2 = new SkinButton(this);
    CommandButton2->setButtonStyle(3);
    CommandButton2->setGeometry(8, 396, 120, 26);
    connect(CommandButton1, &SkinButton::Click, this, platform::guard("mainset CommandButton1 Click", [this] { unload(); }));
    connect(CommandButton2, &SkinButton::Click, this, platform::guard("mainset CommandButton2 Click", this, &MainSet::CommandButton2_Click));

    connectActions();
    // Keys reach the handler through the control that has the focus; a key a control leaves goes
    // on to its group box, which is not watched, so no key is handled twice.
    for (QWidget* w : findChildren<QWidget*>())
        if (w->focusPolicy() != Qt::NoFocus && qobject_cast<QGroupBox*>(w) == nullptr)
            w->installEventFilter(this);
}

void MainSet::connectActions() {
    // Click-type boxes act on every change, also one made by code; the others act only on the
    // user's own toggle, by mouse or keyboard, so opening the dialog leaves them silent.
    connect(Check10, &QCheckBox::toggled, this, platform::guard("mainset Check10 toggled", [this](bool ticked) {
        const auto shown = mainset::afterBuyBox(ticked, {ShowBuyPrice, ShowSellPrice});
        ShowBuyPrice = shown.buy;
        if (shown.sell && !ShowSellPrice) {
            ShowSellPrice = true;
            Check12->setChecked(true);
        }
        call(host().DoCaption);
    }));
    connect(Check12, &QCheckBox::toggled, this, platform::guard("mainset Check12 toggled", [this](bool ticked) {
        const auto shown = mainset::afterSellBox(ticked, {ShowBuyPrice, ShowSellPrice});
        ShowSellPrice = shown.sell;
        if (shown.buy && !ShowBuyPrice) {
            ShowBuyPrice = true;
            Check10->setChecked(true);
        }
        call(host().DoCaption);
    }));
    connect(Check18, &QCheckBox::toggled, this, platform::guard("mainset Check18 toggled", [](bool ticked) {
        SwapBuySell = ticked;
        call(host().DoCaption);
    }));
    connect(Check19, &QCheckBox::toggled, this, platform::guard("mainset Check19 toggled", [](bool ticked) {
        ExtBigFont = ticked;
        call(host().DoCaption);
    }));
    connect(Check7, &QCheckBox::toggled, this, platform::guard("mainset Check7 toggled", [](bool ticked) { AutoPopInfo = ticked; }));

    connect(Check11, &QCheckBox::clicked, this, platform::guard("mainset Check11 clicked", [](bool ticked) {
        TrayQuote = ticked;
        call(host().TraySetTip, ticked ? (host().GetList ? host().GetList() : QString()) : QStringLiteral("Quillor"));
    }));
    connect(Check13, &QCheckBox::clicked, this, platform::guard("mainset Check13 clicked", [](bool ticked) {
        MiniTopmost = ticked;
        call(host().applyMiniAlpha);
    }));
    connect(Check14, &QCheckBox::clicked, this, platform::guard("mainset Check14 clicked", this, &MainSet::Check14_Click));
    connect(Check15, &QCheckBox::clicked, this, platform::guard("mainset Check15 clicked", [](bool ticked) {
        ShowHolding = ticked;
        call(host().DoCaption);
    }));
    connect(Check16, &QCheckBox::clicked, this, platform::guard("mainset Check16 clicked", [](bool ticked) { NoEdgeHide = ticked; }));
    connect(Check2, &QCheckBox::clicked, this, platform::guard("mainset Check2 clicked", [](bool ticked) {
        BoldChart = ticked;
        call(host().NowRefrsh);
    }));
    connect(Check6, &QCheckBox::clicked, this, platform::guard("mainset Check6 clicked", [](bool ticked) {
        SimpleChart = ticked;
        call(host().NowRefrsh);
    }));
    connect(Check9, &QCheckBox::clicked, this, platform::guard("mainset Check9 clicked", [](bool ticked) {
        ShowDayChange = ticked;
        if (ticked)
            call(host().DoCaption);
        else
            call(host().resetMiniChange);
    }));
    connect(Check8, &QCheckBox::clicked, this, platform::guard("mainset Check8 clicked", this, &MainSet::Check8_Click));

    connect(Combo1, &QComboBox::activated, this, platform::guard("mainset Combo1 activated", [](int i) {
        ColorTheme = static_cast<int16_t>(i);
        call(host().Loadskin, i);
        call(host().DoCaption);
    }));
    connect(Combo2, &QComboBox::activated, this, platform::guard("mainset Combo2 activated", [](int i) {
        TransLevel = static_cast<int16_t>(i);
        CalcAlpha();
        call(host().applyMiniAlpha);
    }));
    connect(Combo3, &QComboBox::activated, this, platform::guard("mainset Combo3 activated", [](int i) {
        QuoteBackColor = static_cast<int16_t>(i);
        call(host().CListBack, i);
    }));
}

void MainSet::Check8_Click(bool ticked) {
    if (ticked && !ShowMini) {
        // No remembered position: the window comes back at the bottom right.
        SetIni(QStringLiteral("minix"), QStringLiteral("0"));
        call(host().hideMini);
        if (host().screenTwips && host().miniSizeTwips)
            call(host().moveMini, mainset::miniCorner(host().screenTwips(),
                                                     host().taskbarTwips ? host().taskbarTwips() : TaskbarHeight(),
                                                     host().miniSizeTwips(), TwipsX));
    }
    ShowMini = ticked;
    call(host().OpenMini);
}

void MainSet::Check14_Click(bool ticked) {
    if (!IsVip) {
        ShowVipMsg();
        Check14->setChecked(false);
        return;
    }
    ThreeDayChart = ticked ? 1 : 0;
    call(host().RefreshMzSy);
}

void MainSet::List1_ItemCheck(QListWidgetItem* item) {
    const int i = List1->row(item);
    if (i < 0 || i >= ExtShow.size())
        return;
    ExtShow[i] = item->checkState() == Qt::Checked;
    CountExt();
    call(host().LoadMiniExt);
}

void MainSet::formLoad() {
    const std::pair<QCheckBox*, bool> ticks[] = {
        {Check3, AutoStart},    {Check4, StartMinimized}, {Check1, MinNoHide},     {Check5, BossKeyOn},
        {Check2, BoldChart},    {Check6, SimpleChart},    {Check7, AutoPopInfo},   {Check8, ShowMini},
        {Check11, TrayQuote},   {Check13, MiniTopmost},   {Check10, ShowBuyPrice}, {Check12, ShowSellPrice},
        {Check18, SwapBuySell}, {Check9, ShowDayChange},  {Check15, ShowHolding},  {Check16, NoEdgeHide},
        {Check17, AlertMute},   {Check19, ExtBigFont},
    };
    for (const auto& [b, on] : ticks)
        if (on)
            b->setChecked(true);
    // Each selection applies the skin, the opacity and the board colours again; a stored value
    // that has no item is skipped.
    const std::pair<QComboBox*, int> selections[] = {{Combo1, ColorTheme}, {Combo2, TransLevel}, {Combo3, QuoteBackColor}};
    for (const auto& [c, index] : selections) {
        if (index < 0 || index >= c->count())
            continue;
        c->setCurrentIndex(index);
        emit c->activated(index);
    }
    if (ThreeDayChart == 1)
        Check14->setChecked(true);
    call(host().applyMiniAlpha);
    CommandButton1->setCaption(QStringLiteral("关闭"));
    CommandButton2->setCaption(QStringLiteral("恢复默认设置"));
    for (int i = 0; i < kMaxProducts; ++i) {
        if (ProdName[i].isEmpty())
            continue;
        auto* item = new QListWidgetItem(ProdName[i], List1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    connect(List1, &QListWidget::itemChanged, this, platform::guard("mainset List1 itemChanged", this, &MainSet::List1_ItemCheck));
    for (int i = 0; i < ExtShow.size() && i < List1->count(); ++i)
        if (ExtShow[i])
            List1->item(i)->setCheckState(Qt::Checked);
}

void MainSet::CommandButton2_Click() {
    call(host().markRestoreDefaults);
    ShowMsg(QStringLiteral("已经还原所有程序默认设置，默认设置将在重新启动程序后生效。"), QStringLiteral("提示"), this, {},
            false, 3000);
}

bool MainSet::queryUnload() {
    TrayQuote = Check11->isChecked();
    AutoStart = Check3->isChecked();
    SimpleChart = Check6->isChecked();
    StartMinimized = Check4->isChecked();
    BoldChart = Check2->isChecked();
    ShowMini = Check8->isChecked();
    BossKeyOn = Check5->isChecked();
    MiniTopmost = Check13->isChecked();
    MinNoHide = Check1->isChecked();
    ShowDayChange = Check9->isChecked();
    AlertMute = Check17->isChecked();
    if (Combo1->currentIndex() >= 0)
        ColorTheme = static_cast<int16_t>(Combo1->currentIndex());
    mainset::writeCloseKeys();
    return true;
}

bool MainSet::eventFilter(QObject* watched, QEvent* event) {
    if (escapeUnloadsOtherKeysToMain(event))
        return true;
    return platform::Form::eventFilter(watched, event);
}

MainSet& mainSet() { return platform::form<MainSet>(); }
