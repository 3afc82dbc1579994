#pragma once

#include "platform/forms.h"

#include <QString>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The trade-idea arithmetic: an opening price from the quote and the direction, and a stop-loss
// and take-profit at the chosen risk level.
namespace jiaoyi {

inline constexpr int kRiskLevels = 5;

struct Idea {
    float price = 0;  // opening price; 0 when there is no quote
    QString priceText;
    QString stopText; // empty when there is no quote: the boxes keep what they show
    QString targetText;
};

// A long position opens at the bank's selling price (buying price plus spread), a short one at
// the buying price. `risk` outside the levels reads as the smallest.
[[nodiscard]] Idea tradeIdea(float buyingPrice, float spread, bool isLong, int risk);

} // namespace jiaoyi

// The trade-idea window ("运气交易宝典 - Quillor").
class JiaoYiForm : public platform::Form {
    Q_OBJECT
public:
    JiaoYiForm();

    QComboBox* Combo3; // instrument
    QRadioButton* Option3; // long
    QRadioButton* Option4; // short
    QPushButton* Command2; // random direction
    QComboBox* Combo2; // risk level
    QPushButton* Command4; // random risk
    QPushButton* Command1; // calculate
    QLineEdit* Text1;
    QLineEdit* Jytime;
    QLineEdit* ZStext;
    QLineEdit* Zytext;

    void Command1_Click();
    void Command2_Click();
    void Command4_Click();

protected:
    void formLoad() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

[[nodiscard]] JiaoYiForm& jiaoYiForm();
