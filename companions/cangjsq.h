#pragma once

#include "platform/colors.h"
#include "platform/forms.h"

#include <QString>

#include <cstdint>

class QComboBox;
class QLineEdit;
class QRadioButton;
class SkinButton;

// The position calculator's arithmetic, apart from its form so that tables can drive it.
namespace cangjsq {

// The inputs as the boxes give them (each read by its leading number) and the quote of the
// selected instrument at the moment of the click.
struct Inputs {
    bool shortSide = false;
    double feeRate = 0;    // per 10 000 of the traded amount
    double marginRate = 0; // percent of the traded amount
    double average = 0;    // of the current holding
    double holding = 0;
    double addPrice = 0;
    double addQuantity = 0;
    double closePrice = 0;
    double closeQuantity = 0;
    float current = 0; // bank buying price; 0 before the first snapshot
    float spread = 0;
};

// One computation: either refused with a message for the user, or the figures to show.
struct Outcome {
    QString refusal; // empty when computed
    int32_t position = 0;
    float fee = 0;
    float margin = 0;
    float newAverage = 0;
    float averageChange = 0;
    float profit = 0;
    double returnRate = 0; // percent, never negative: the sign goes with the profit
};

[[nodiscard]] Outcome addPosition(const Inputs& in);
[[nodiscard]] Outcome closePosition(const Inputs& in);

// What the result boxes show for an outcome.
struct ResultTexts {
    QString position, fee, margin, newAverage, averageChange, profit, returnRate;
    platform::OleColor profitColour = 0;        // the profit and return-rate boxes
    platform::OleColor averageChangeColour = 0;
};
[[nodiscard]] ResultTexts resultTexts(const Outcome& out);

// A number box as it reads after it loses focus: the decimal text of its leading number, with the
// fee and margin boxes held within their ranges. A text whose number overflows stays as it was.
[[nodiscard]] QString normalisedNumber(const QString& text);
[[nodiscard]] QString normalisedFeeRate(const QString& text);
[[nodiscard]] QString normalisedMarginRate(const QString& text);

// The add and close prices the live quote suggests for a side: a long holding buys at the bank's
// selling price and sells at its buying price, a short one the other way round.
struct QuotePrices {
    QString addPrice, closePrice;
};
[[nodiscard]] QuotePrices quotePrices(float buyingPrice, float spread, bool shortSide);

} // namespace cangjsq

// The position calculator window ("仓位计算器 - Quillor").
class CangJSQ : public platform::Form {
    Q_OBJECT
public:
    CangJSQ();

    QComboBox* Combo1;
    QRadioButton* Option2[2];
    QLineEdit* Text1;  // fee rate
    QLineEdit* Text2;  // margin rate
    QLineEdit* Text8;  // average price of the holding
    QLineEdit* Text9;  // holding quantity
    QLineEdit* Text10; // add quantity
    QLineEdit* Text11; // add price
    QLineEdit* Text12; // close quantity
    QLineEdit* Text13; // close price
    QLineEdit* Text3;  // new position
    QLineEdit* Text4;  // margin frozen
    QLineEdit* Text5;  // fee of the change
    QLineEdit* Text7;  // new average
    QLineEdit* Text14; // profit
    QLineEdit* Text15; // average change
    QLineEdit* Text16; // return rate
    SkinButton* CommandButton9[2];
    SkinButton* Command2;
    SkinButton* Command3;
    SkinButton* JsqJg;

    void Command2_Click();
    void Command3_Click();
    void CommandButton9_Click(int index);
    void JsqJg_Click();

protected:
    void formLoad() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    [[nodiscard]] cangjsq::Inputs readInputs() const;
    void showOutcome(const cangjsq::Outcome& out);
    void normalise(QLineEdit* box);
};

[[nodiscard]] CangJSQ& cangJSQ();
