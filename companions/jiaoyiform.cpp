#include "companions/jiaoyiform.h"

#include "common/tradingday.h"
#include "platform/boundary.h"
#include "platform/boxfit.h"
#include "platform/clock.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/quotetables.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <array>
#include <cmath>

namespace jiaoyi {

namespace {

struct RiskLevel {
    const char16_t* caption;
    float stop;
    float target;
};

constexpr std::array<RiskLevel, kRiskLevels> kRisk = {{
    {u"很小风险：收益空间很小", 0.01f, 0.018f},
    {u"小风险：  收益空间小", 0.02f, 0.03f},
    {u"中风险：  收益空间平衡", 0.04f, 0.07f},
    {u"大风险：  收益较大", 0.06f, 0.09f},
    {u"超大风险：收益超大可能爆仓!", 0.1f, 0.15f},
}};

// "0.00" of a single-precision result as its exact value: 5.115 held just below prints 5.11.
QString twoDecimals(float value) { return platform::formatFixed(static_cast<double>(value), 2); }

} // namespace

Idea tradeIdea(float buyingPrice, float spread, bool isLong, int risk) {
    Idea idea;
    float p = buyingPrice;
    if (isLong && spread != 0)
        p += spread;
    idea.price = p;
    idea.priceText = platform::singleText(p);
    if (p == 0)
        return idea;
    const float d = std::trunc(static_cast<double>(p) * 0.005);
    const RiskLevel& level = kRisk[risk >= 0 && risk < kRiskLevels ? risk : 0];
    float stop = 0;
    float target = 0;
    if (isLong) {
        stop = p - p * level.stop + d;
        target = p + p * level.target - d;
    } else {
        stop = p + p * level.stop - d;
        target = p - p * level.target + d;
    }
    if (p > 2000) {
        stop = std::trunc(stop);
        target = std::trunc(target);
    }
    idea.stopText = twoDecimals(stop);
    idea.targetText = twoDecimals(target);
    return idea;
}

} // namespace jiaoyi

JiaoYiForm& jiaoYiForm() { return platform::form<JiaoYiForm>(); }

namespace {

QLineEdit* resultBox(QWidget* parent, const QString& text, const char* colour, QRect geometry) {
    auto* box = new QLineEdit(text, parent);
    box->setReadOnly(true);
    box->setGeometry(geometry);
    box->setStyleSheet(QStringLiteral("QLineEdit { background: #000000; color: %1; }").arg(QLatin1String(colour)));
    return box;
}

QRect twips(int left, int top, int width, int height) {
    return {left / 15, top / 15, width / 15, height / 15};
}

} // namespace

JiaoYiForm::JiaoYiForm() {
    setWindowTitle(QStringLiteral("运气交易宝典 - Quillor"));
    setFixedSize(4890 / 15, 4140 / 15);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);

    auto label = [](const QString& text, QWidget* parent, QRect geometry) {
        auto* l = new QLabel(text, parent);
        l->setGeometry(geometry.adjusted(0, -2, 0, 2));
        return l;
    };
    label(QStringLiteral("交易品种："), this, twips(60, 180, 900, 180));
    Combo3 = new QComboBox(this);
    Combo3->setGeometry(twips(1350, 90, 1635, 300));

    label(QStringLiteral("开仓方向："), this, twips(60, 645, 900, 180));
    auto* direction = new QGroupBox(this);
    direction->setGeometry(twips(1260, 465, 3315, 495));
    Option3 = new QRadioButton(QStringLiteral("做多"), direction);
    Option3->setGeometry(twips(90, 180, 915, 240));
    Option4 = new QRadioButton(QStringLiteral("做空"), direction);
    Option4->setGeometry(twips(1440, 180, 915, 240));
    // Neither is chosen at first, which a plain auto-exclusive pair cannot show.
    auto* sides = new QButtonGroup(this);
    sides->addButton(Option3);
    sides->addButton(Option4);
    Command2 = new QPushButton(QStringLiteral("随机"), direction);
    Command2->setGeometry(twips(2655, 120, 555, 315));

    label(QStringLiteral("期望风险程度："), this, twips(60, 1260, 1260, 180));
    Combo2 = new QComboBox(this);
    Combo2->setGeometry(twips(1380, 1200, 2475, 300));
    for (const auto& level : jiaoyi::kRisk)
        Combo2->addItem(QString::fromUtf16(level.caption));
    Command4 = new QPushButton(QStringLiteral("随机"), this);
    Command4->setGeometry(twips(3915, 1215, 555, 315));
    platform::fitBoxToItems(*Combo2);
    Command1 = new QPushButton(QStringLiteral("计算"), this);
    Command1->setGeometry(twips(1560, 1710, 1215, 495));

    auto* results = new QGroupBox(QStringLiteral("计算结果"), this);
    results->setGeometry(twips(60, 2340, 4815, 1770));
    label(QStringLiteral("根据您的选择与随机运气，建议您做如下操作："), results, twips(120, 225, 3780, 180));
    label(QStringLiteral("开仓价格："), results, twips(135, 585, 900, 180));
    Text1 = resultBox(results, QStringLiteral("0.0"), "#00ff00", twips(1080, 495, 1140, 315));
    Jytime = resultBox(results, QStringLiteral("-"), "#ff0000", twips(2295, 495, 2130, 315));
    label(QStringLiteral("止损价格："), results, twips(120, 975, 900, 180));
    ZStext = resultBox(results, QStringLiteral("0.0"), "#00ff00", twips(1080, 915, 1140, 315));
    label(QStringLiteral("止盈价格："), results, twips(2280, 975, 900, 180));
    Zytext = resultBox(results, QStringLiteral("0.0"), "#ff0000", twips(3240, 915, 1185, 315));
    QLabel* warning = label(QStringLiteral("本工具仅供参考娱乐，不做最终交易依据，盈亏自负。"), results,
                            twips(225, 1395, 4320, 180));
    warning->setStyleSheet(QStringLiteral("color: #ff0000;"));

    connect(Command1, &QPushButton::clicked, this, platform::guard("jiaoyiform Command1 clicked", this, &JiaoYiForm::Command1_Click));
    connect(Command2, &QPushButton::clicked, this, platform::guard("jiaoyiform Command2 clicked", this, &JiaoYiForm::Command2_Click));
    connect(Command4, &QPushButton::clicked, this, platform::guard("jiaoyiform Command4 clicked", this, &JiaoYiForm::Command4_Click));
    Text1->installEventFilter(this);
}

void JiaoYiForm::formLoad() {
    for (int i = 0; i <= ProdLast && i < kMaxProducts; ++i)
        Combo3->addItem(ProdName[i]);
    Combo3->setCurrentIndex(Combo3->count() > 0 ? 0 : -1);
    platform::fitBoxToItems(*Combo3);
    Combo2->setCurrentIndex(0);
}

bool JiaoYiForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::FocusOut) {
        try {
            Text1->setText(platform::doubleText(platform::Val(Text1->text())));
        } catch (const platform::VbError&) {
        }
    }
    return platform::Form::eventFilter(watched, event);
}

void JiaoYiForm::Command2_Click() {
    platform::Randomize();
    if (std::floor(static_cast<double>(platform::Rnd()) + 0.5) == 1)
        Option3->setChecked(true);
    else
        Option4->setChecked(true);
}

void JiaoYiForm::Command4_Click() { Combo2->setCurrentIndex(RandomInt(Combo2->count() - 1)); }

void JiaoYiForm::Command1_Click() {
    // The direction is settled first, so that a randomly chosen long is priced with its spread.
    if (!Option3->isChecked() && !Option4->isChecked())
        Command2_Click();
    const int i = Combo3->currentIndex();
    const bool valid = i >= 0 && i < kMaxProducts;
    const jiaoyi::Idea idea = jiaoyi::tradeIdea(valid ? ProdPrice[i][0] : 0.0f, valid ? ProdSpread[i] : 0.0f,
                                                Option3->isChecked(), Combo2->currentIndex());
    Text1->setText(idea.priceText);
    if (idea.price == 0)
        return;
    ZStext->setText(idea.stopText);
    Zytext->setText(idea.targetText);
    Jytime->setText(platform::generalDateText(platform::pcNow()));
}
