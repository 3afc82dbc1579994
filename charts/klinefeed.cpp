#include "charts/klinefeed.h"

#include "charts/kline.h"
#include "charts/klinebars.h"
#include "common/log.h"
#include "common/tradingday.h"
#include "platform/boundary.h"
#include "platform/clock.h"
#include "platform/eventwait.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/quotetables.h"
#include "state/usersettings.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

KlinePanel buildKlinePanel(QWidget* frame4, QWidget* tab) {
    KlinePanel p;
    const QString tip = QStringLiteral("可使用键盘上的+ -键快捷控制");
    // The controls stand one after the other at their own size; the bar grows to hold them all
    // where this desktop's buttons are wider than the design's 7800 twips allow.
    QFont font = frame4->font();
    font.setPixelSize(12);
    int x = 2;
    const auto place = [&](QWidget* w, int width) {
        w->setFont(font);
        const int wide = width > 0 ? width : w->sizeHint().width();
        w->setGeometry(x, 4, wide, 20);
        x += wide + 2;
    };
    p.captions[0] = new QLabel(QStringLiteral("范围："), frame4);
    place(p.captions[0], 0);
    p.Kjia = new QPushButton(QStringLiteral("＋"), frame4);
    place(p.Kjia, 22);
    p.Kjian = new QPushButton(QStringLiteral("－"), frame4);
    place(p.Kjian, 22);
    p.Kjia->setObjectName(QStringLiteral("Kjia"));
    p.Kjian->setObjectName(QStringLiteral("Kjian"));
    for (QPushButton* b : {p.Kjia, p.Kjian}) {
        b->setToolTip(tip);
        b->setFocusPolicy(Qt::NoFocus);
    }
    x += 4;
    p.captions[1] = new QLabel(QStringLiteral("K线类型："), frame4);
    place(p.captions[1], 0);
    for (int i = 0; i < 6; ++i) {
        auto* o = new QRadioButton(kOptionCaptions()[i], frame4);
        o->setObjectName(QStringLiteral("kOptions%1").arg(i));
        o->setFocusPolicy(Qt::NoFocus);
        place(o, 0);
        p.kOptions[static_cast<size_t>(i)] = o;
    }
    p.kOptions[0]->setChecked(true);
    p.KshowRmb = new QCheckBox(QStringLiteral("人民币"), frame4);
    p.KshowRmb->setFocusPolicy(Qt::NoFocus);
    place(p.KshowRmb, 0);
    frame4->setMinimumWidth(x);
    p.Klines = new Kline(tab);
    p.Klines->setObjectName(QStringLiteral("Klines"));
    return p;
}

KlineFeed::KlineFeed(const KlinePanel& panel, KlineHost host)
    : m_panel(panel), m_host(std::move(host)) {
    for (int i = 0; i < 6; ++i)
        if (QRadioButton* o = m_panel.kOptions[static_cast<size_t>(i)])
            QObject::connect(o, &QRadioButton::clicked, platform::guard("klinefeed o clicked", [this, i] { kOptions_Click(i); }));
    if (m_panel.Kjia)
        QObject::connect(m_panel.Kjia, &QPushButton::clicked, platform::guard("klinefeed Kjia clicked", [this] { Kjia_Click(); }));
    if (m_panel.Kjian)
        QObject::connect(m_panel.Kjian, &QPushButton::clicked, platform::guard("klinefeed Kjian clicked", [this] { Kjian_Click(); }));
    if (m_panel.KshowRmb)
        QObject::connect(m_panel.KshowRmb, &QCheckBox::clicked, platform::guard("klinefeed KshowRmb clicked", [this] { KshowRmb_Click(); }));
    if (m_panel.Klines) {
        QObject::connect(m_panel.Klines, &Kline::PressJia, platform::guard("klinefeed Klines PressJia", [this] { Kjia_Click(); }));
        QObject::connect(m_panel.Klines, &Kline::PressJian, platform::guard("klinefeed Klines PressJian", [this] { Kjian_Click(); }));
    }
}

void KlineFeed::Kjia_Click() {
    if (KjiaStep(KPeriod, KBarCount))
        RefreshK();
}

void KlineFeed::Kjian_Click() {
    if (KjianStep(KPeriod, KBarCount))
        RefreshK();
}

void KlineFeed::kOptions_Click(int Index) {
    KPeriod = static_cast<int16_t>(Index);
    if (QRadioButton* o = m_panel.kOptions[static_cast<size_t>(std::clamp(Index, 0, 5))])
        o->setChecked(true);
    RefreshK();
}

void KlineFeed::KshowRmb_Click() { RefreshK(); }

void KlineFeed::RefreshK() {
    try {
        build();
    } catch (const platform::VbError& e) {
        WriteLog(QStringLiteral("RefreshK>>") + e.description);
    }
}

QDate klineToday() {
    // The program's clock follows the service's, and the history's newest row carries the
    // service's trading date: a PC clock a day off would leave that row standing still.
    const QDate day = tradingDate(ServerNow);
    return day.isValid() ? day : platform::pcNow().date();
}

void KlineFeed::build() {
    if (KBarCount == 0)
        KBarCount = kBarCountDefault;
    for (int i : {0, 1})
        if (QRadioButton* o = m_panel.kOptions[static_cast<size_t>(i)])
            o->setEnabled(true);
    const int c = CurProd;
    if (c < 0 || c >= kMaxProducts)
        platform::raiseSubscript();
    // Without a snapshot a load comes first, but never from inside a load that is still on its
    // way: that load ends by drawing the charts, which would come back here without end.
    if (ProdName[c].isEmpty() && m_host.loadData &&
        !(m_host.loadDataActive && m_host.loadDataActive()))
        m_host.loadData();
    const float price = ProdPrice[c][0];
    const float high = ProdHigh[c];
    const float low = ProdLow[c];

    QString text;
    IntradayInput in;
    if (KPeriod >= 2) {
        if (ProdSeries[c][0].isEmpty())
            return;
        for (size_t d = 0; d < 3; ++d) {
            in.series[d] = ProdSeries[c][d];
            in.dates[d] = platform::shortDateText(ProdSeriesDate[c][d].date());
        }
        in.price = price;
        text = in.series[0];
    } else {
        text = ProdDayText[c];
        if ((text.isEmpty() || !text.contains(u'|')) && m_host.loadLine) {
            m_host.loadLine(static_cast<int16_t>(c));
            text = ProdDayText[c];
        }
        if (!text.isEmpty())
            text = patchTodayRow(text, m_host.today ? m_host.today() : klineToday(), price, high, low);
    }
    if (text.isEmpty())
        return;

    Kline* k = m_panel.Klines;
    if (k == nullptr)
        return;
    k->NowRmb = RmbRate;
    k->KRmb = m_panel.KshowRmb != nullptr && m_panel.KshowRmb->isChecked();
    QString bars;
    if (KPeriod == 0)
        bars = dailyBars(text, KBarCount);
    else if (KPeriod == 1)
        bars = weeklyBars(text, price);
    else
        bars = intradayBars(KPeriod, in);
    m_lastBars = bars;
    QString name = ProdName[c];
    QString period = kOptionCaptions().value(KPeriod);
    if (const std::optional<float> pad = klinePadding(KPeriod))
        k->DrawKline(bars, name, period, *pad);
    else
        k->DrawKline(bars, name, period);
    // Events handled here run inside a snapshot run's frames, as in any other wait of its.
    const platform::WaitScope scope;
    QCoreApplication::processEvents();
}
