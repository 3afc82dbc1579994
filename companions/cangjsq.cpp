#include "companions/cangjsq.h"

#include "common/msgbox.h"
#include "platform/boundary.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/storedlists.h"
#include "widgets/buttons/skinbutton.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <cmath>

namespace cangjsq {

namespace {

constexpr platform::OleColor kRed = 0xFF;
constexpr platform::OleColor kGreen = 0xC000;
constexpr platform::OleColor kBlack = 0;

float rounded(double value, int digits) { return static_cast<float>(platform::Round(value, digits)); }

// The return rate in percent: the profit against the money the position stands for, rounded to
// five decimals before it becomes a percentage. A basis of nothing has no rate.
double returnRateOf(float profit, double basis) {
    if (basis == 0 || !std::isfinite(basis))
        return 0;
    return platform::Round(std::fabs(static_cast<double>(profit)) / basis, 5) * 100;
}

QString checkHolding(const Inputs& in, const QString& holdingMessage) {
    if (in.average <= 0)
        return QStringLiteral("当前均价输入不正确.");
    if (in.holding <= 0)
        return holdingMessage;
    return {};
}

// Whole number of a quantity, halves to even; a sum beyond the 32-bit range counts as none.
int32_t wholeQuantity(double value) {
    try {
        return platform::CLng(value);
    } catch (const platform::VbError&) {
        return 0;
    }
}

} // namespace

Outcome addPosition(const Inputs& in) {
    Outcome out;
    out.refusal = checkHolding(in, QStringLiteral("当前持仓不正确."));
    if (out.refusal.isEmpty() && in.addQuantity <= 0)
        out.refusal = QStringLiteral("加仓数量不正确.");
    if (out.refusal.isEmpty() && in.addPrice <= 0)
        out.refusal = QStringLiteral("加仓价格不正确.");
    if (!out.refusal.isEmpty())
        return out;

    const double f = in.feeRate / 10000;
    const int32_t n = wholeQuantity(in.addQuantity + in.holding);
    // Two small quantities can still round to no position at all; there is no average of nothing.
    if (n == 0) {
        out.refusal = QStringLiteral("加仓数量不正确.");
        return out;
    }
    out.position = n;
    out.fee = rounded(in.addQuantity * in.addPrice * f, 2);
    const double cost = in.average * in.holding + in.addPrice * in.addQuantity;
    out.newAverage = rounded((in.shortSide ? cost - out.fee : cost + out.fee) / n, 3);
    const double c = in.current;
    if (c != 0) {
        const double profit =
            in.shortSide ? double(out.newAverage) * n - double(in.current + in.spread) * n - c * n * f
                         : c * n - n * double(out.newAverage) - n * c * f;
        out.profit = rounded(profit, 2);
    }
    out.averageChange = rounded(out.newAverage - in.average, 3);
    out.margin = rounded(in.addQuantity * in.addPrice * in.marginRate / 100, 2);
    out.returnRate = returnRateOf(out.profit, double(out.newAverage) * n);
    return out;
}

Outcome closePosition(const Inputs& in) {
    Outcome out;
    out.refusal = checkHolding(in, QStringLiteral("当前持仓输入不正确."));
    if (out.refusal.isEmpty() && in.closeQuantity <= 0)
        out.refusal = QStringLiteral("平仓数量不正确.");
    if (out.refusal.isEmpty() && in.closePrice <= 0)
        out.refusal = QStringLiteral("平仓价格不正确.");
    if (out.refusal.isEmpty() && in.closeQuantity > in.holding)
        out.refusal = QStringLiteral("平仓总数不能大于当前持仓数.");
    if (!out.refusal.isEmpty())
        return out;

    const double f = in.feeRate / 10000;
    const int32_t r = wholeQuantity(in.holding - in.closeQuantity);
    out.position = r;
    out.fee = rounded(in.closeQuantity * in.closePrice * f, 2);
    const double held = in.average * in.holding;
    const double closed = in.closeQuantity * in.closePrice;
    const double c = in.current;
    double profit = 0;
    if (r != 0) {
        const double rest = held - closed;
        out.newAverage = rounded((in.shortSide ? rest - out.fee : rest + out.fee) / r, 3);
        out.averageChange = rounded(out.newAverage - in.average, 3);
        profit = in.shortSide
                     ? double(out.newAverage) * r - double(in.current + in.spread) * r - r * c * f - out.fee
                     : c * r - r * double(out.newAverage) - r * c * f - out.fee;
    } else {
        profit = in.shortSide ? held - closed - out.fee : closed - held - out.fee;
    }
    out.profit = rounded(profit, 2);
    // The rate of what the figure measures: the remaining position at the quote, or, when
    // nothing remains, the closed quantity at its purchase price.
    out.returnRate = returnRateOf(out.profit, r != 0 ? double(out.newAverage) * r
                                                     : in.average * in.closeQuantity);
    return out;
}

ResultTexts resultTexts(const Outcome& out) {
    ResultTexts t;
    t.profitColour = out.profit > 0 ? kRed : out.profit == 0 ? kBlack : kGreen;
    t.position = QString::number(out.position);
    t.fee = platform::singleText(out.fee);
    t.margin = platform::singleText(out.margin);
    t.newAverage = platform::singleText(out.newAverage);
    if (out.averageChange > 0) {
        t.averageChangeColour = kRed;
        t.averageChange = u'+' + platform::singleText(out.averageChange);
    } else {
        t.averageChangeColour = kGreen;
        t.averageChange = platform::singleText(out.averageChange);
    }
    t.profit = platform::formatFixed(out.profit, 2);
    t.returnRate = (out.profit >= 0 ? QStringLiteral("+") : QStringLiteral("-"))
                   + platform::formatFixed(out.returnRate, 2) + u'%';
    return t;
}

QString normalisedNumber(const QString& text) {
    try {
        return platform::doubleText(platform::Val(text));
    } catch (const platform::VbError&) {
        return text;
    }
}

namespace {

QString heldWithin(const QString& text, double low, double high, const QString& fallback) {
    const QString normal = normalisedNumber(text);
    try {
        const double v = platform::Val(normal);
        return v < low || v > high ? fallback : normal;
    } catch (const platform::VbError&) {
        return normal;
    }
}

} // namespace

QString normalisedFeeRate(const QString& text) { return heldWithin(text, 4, 20, QStringLiteral("18")); }

QString normalisedMarginRate(const QString& text) { return heldWithin(text, 5, 30, QStringLiteral("15")); }

QuotePrices quotePrices(float buyingPrice, float spread, bool shortSide) {
    const QString buying = platform::singleText(buyingPrice);
    const QString selling = platform::singleText(buyingPrice + spread);
    return shortSide ? QuotePrices{buying, selling} : QuotePrices{selling, buying};
}

} // namespace cangjsq

namespace {

double leadingNumber(const QLineEdit* box) {
    try {
        return platform::Val(box->text());
    } catch (const platform::VbError&) {
        return 0;
    }
}

void setColour(QLineEdit* box, platform::OleColor colour) {
    QPalette p = box->palette();
    p.setColor(QPalette::Text, platform::toQColor(colour));
    box->setPalette(p);
}

} // namespace

CangJSQ& cangJSQ() { return platform::form<CangJSQ>(); }

CangJSQ::CangJSQ() {
    setWindowTitle(QStringLiteral("仓位计算器 - Quillor"));
    setFixedSize(560, 330);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);

    auto label = [](const QString& text, QWidget* parent, int x, int y, int w) {
        auto* l = new QLabel(text, parent);
        l->setGeometry(x, y, w, 20);
        return l;
    };
    auto box = [](QWidget* parent, int x, int y, int w, int maxLength, const QString& text) {
        auto* b = new QLineEdit(text, parent);
        b->setGeometry(x, y, w, 20);
        if (maxLength > 0)
            b->setMaxLength(maxLength);
        return b;
    };
    auto button = [](const QString& caption, QWidget* parent, int x, int y, int w) {
        auto* b = new SkinButton(parent);
        b->setButtonStyle(3);
        b->setCaption(caption);
        b->setGeometry(x, y, w, 22);
        return b;
    };

    auto* panel = new QGroupBox(QStringLiteral("计算面板"), this);
    panel->setGeometry(8, 6, 330, 268);
    label(QStringLiteral("计算品种:"), panel, 10, 22, 70);
    Combo1 = new QComboBox(panel);
    Combo1->setGeometry(80, 22, 120, 20);
    label(QStringLiteral("持仓类型:"), panel, 10, 50, 70);
    Option2[0] = new QRadioButton(QStringLiteral("多头持仓"), panel);
    Option2[0]->setGeometry(80, 50, 90, 20);
    Option2[1] = new QRadioButton(QStringLiteral("空头持仓"), panel);
    Option2[1]->setGeometry(175, 50, 90, 20);
    Option2[0]->setChecked(true);
    label(QStringLiteral("手续费:"), panel, 10, 78, 70);
    Text1 = box(panel, 80, 78, 50, 4, QStringLiteral("0"));
    label(QStringLiteral("(万分之)"), panel, 134, 78, 60);
    label(QStringLiteral("保证金:"), panel, 200, 78, 50);
    Text2 = box(panel, 250, 78, 40, 2, QStringLiteral("0"));
    label(QStringLiteral("%"), panel, 294, 78, 20);
    label(QStringLiteral("持仓均价:"), panel, 10, 106, 70);
    Text8 = box(panel, 80, 106, 80, 7, {});
    label(QStringLiteral("持仓数量:"), panel, 170, 106, 70);
    Text9 = box(panel, 240, 106, 80, 7, {});
    label(QStringLiteral("当前持仓:"), panel, 10, 134, 70);
    CommandButton9[0] = button(QStringLiteral("读取多头"), panel, 80, 133, 80);
    CommandButton9[1] = button(QStringLiteral("读取空头"), panel, 170, 133, 80);
    label(QStringLiteral("加仓价格:"), panel, 10, 170, 70);
    Text11 = box(panel, 80, 170, 60, 7, {});
    label(QStringLiteral("加仓数量:"), panel, 146, 170, 62);
    Text10 = box(panel, 208, 170, 50, 7, {});
    Command2 = button(QStringLiteral("计算=>"), panel, 264, 169, 58);
    label(QStringLiteral("平仓价格:"), panel, 10, 200, 70);
    Text13 = box(panel, 80, 200, 60, 7, {});
    label(QStringLiteral("平仓数量:"), panel, 146, 200, 62);
    Text12 = box(panel, 208, 200, 50, 7, {});
    Command3 = button(QStringLiteral("计算=>"), panel, 264, 199, 58);
    JsqJg = button(QStringLiteral("读取行情"), panel, 80, 234, 80);

    auto* results = new QGroupBox(QStringLiteral("计算结果"), this);
    results->setGeometry(346, 6, 206, 268);
    const struct {
        const char16_t* caption;
        QLineEdit** box;
    } rows[] = {
        {u"新仓位:", &Text3},   {u"变仓手续费:", &Text5}, {u"冻结保证金:", &Text4}, {u"均价浮动:", &Text15},
        {u"收益率:", &Text16},  {u"新均价:", &Text7},     {u"盈亏金额:", &Text14},
    };
    int y = 24;
    for (const auto& row : rows) {
        label(QString::fromUtf16(row.caption), results, 10, y, 80);
        *row.box = box(results, 92, y, 100, 0, QStringLiteral("0"));
        (*row.box)->setReadOnly(true);
        y += 34;
    }

    auto* note = new QLabel(QStringLiteral("注：未清仓时的盈亏金额以软件上当前行情计算。均价及盈亏都已经计算了双向的手续费。"
                                           "计算结果仅供参考，以实际交易结果为准。"),
                            this);
    note->setWordWrap(true);
    note->setGeometry(10, 280, 540, 40);
    setColour(Text15, 0);

    connect(Command2, &SkinButton::Click, this, platform::guard("cangjsq Command2 Click", this, &CangJSQ::Command2_Click));
    connect(Command3, &SkinButton::Click, this, platform::guard("cangjsq Command3 Click", this, &CangJSQ::Command3_Click));
    connect(JsqJg, &SkinButton::Click, this, platform::guard("cangjsq JsqJg Click", this, &CangJSQ::JsqJg_Click));
    for (int i = 0; i < 2; ++i)
        connect(CommandButton9[i], &SkinButton::Click, this, platform::guard("cangjsq CommandButton9[i] Click", [this, i] { CommandButton9_Click(i); }));

    // Every key passes here first: Esc closes, the rest also goes on to the main window. Only the
    // controls that take focus are watched, so a key a box ignores is not counted again on its
    // way up through the group boxes.
    for (QWidget* w : findChildren<QWidget*>())
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QRadioButton*>(w)
            || qobject_cast<SkinButton*>(w))
            w->installEventFilter(this);
}

void CangJSQ::formLoad() {
    for (int k = 0; k <= ProdLast && k < kMaxProducts; ++k)
        Combo1->addItem(ProdName[k]);
    Combo1->setCurrentIndex(Combo1->count() > 0 ? 0 : -1);
}

bool CangJSQ::eventFilter(QObject* watched, QEvent* event) {
    if (escapeUnloadsOtherKeysToMain(event))
        return true;
    if (event->type() == QEvent::FocusOut) {
        if (auto* box = qobject_cast<QLineEdit*>(watched); box != nullptr && !box->isReadOnly())
            normalise(box);
    }
    return platform::Form::eventFilter(watched, event);
}

void CangJSQ::normalise(QLineEdit* box) {
    if (box == Text1)
        box->setText(cangjsq::normalisedFeeRate(box->text()));
    else if (box == Text2)
        box->setText(cangjsq::normalisedMarginRate(box->text()));
    else
        box->setText(cangjsq::normalisedNumber(box->text()));
}

cangjsq::Inputs CangJSQ::readInputs() const {
    cangjsq::Inputs in;
    in.shortSide = Option2[1]->isChecked();
    in.feeRate = leadingNumber(Text1);
    in.marginRate = leadingNumber(Text2);
    in.average = leadingNumber(Text8);
    in.holding = leadingNumber(Text9);
    in.addQuantity = leadingNumber(Text10);
    in.addPrice = leadingNumber(Text11);
    in.closeQuantity = leadingNumber(Text12);
    in.closePrice = leadingNumber(Text13);
    const int k = Combo1->currentIndex();
    if (k >= 0 && k < kMaxProducts) {
        in.current = ProdPrice[k][0];
        in.spread = ProdSpread[k];
    }
    return in;
}

void CangJSQ::showOutcome(const cangjsq::Outcome& out) {
    if (!out.refusal.isEmpty()) {
        ShowMsg(out.refusal, QStringLiteral("输入不正确"), this, {}, false, 3000);
        return;
    }
    const cangjsq::ResultTexts t = cangjsq::resultTexts(out);
    setColour(Text14, t.profitColour);
    setColour(Text16, t.profitColour);
    Text3->setText(t.position);
    Text5->setText(t.fee);
    Text4->setText(t.margin);
    Text7->setText(t.newAverage);
    setColour(Text15, t.averageChangeColour);
    Text15->setText(t.averageChange);
    Text14->setText(t.profit);
    Text16->setText(t.returnRate);
}

void CangJSQ::Command2_Click() { showOutcome(cangjsq::addPosition(readInputs())); }

void CangJSQ::Command3_Click() { showOutcome(cangjsq::closePosition(readInputs())); }

void CangJSQ::CommandButton9_Click(int index) {
    if (!LoggedIn) {
        ShowMsg(QStringLiteral("该操作需要登录后方可进行。"), QStringLiteral("登录"), this, {}, false, 2000);
        return;
    }
    const int k = Combo1->currentIndex();
    if (k < 0 || k >= kMaxProducts)
        return;
    Text9->setText(platform::singleText(HoldUnits[k][index]));
    Text8->setText(platform::singleText(HoldPrice[k][index]));
    Option2[index]->setChecked(true);
}

void CangJSQ::JsqJg_Click() {
    const int k = Combo1->currentIndex();
    if (k < 0 || k >= kMaxProducts)
        return;
    const cangjsq::QuotePrices prices =
        cangjsq::quotePrices(ProdPrice[k][0], ProdSpread[k], Option2[1]->isChecked());
    Text11->setText(prices.addPrice);
    Text13->setText(prices.closePrice);
}
