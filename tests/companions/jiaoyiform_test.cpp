#include "companions/jiaoyiform.h"

#include "platform/forms.h"
#include "state/quotetables.h"
#include "tests/companions/formrows.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using jiaoyi::tradeIdea;

TEST(TradeIdea, PricesStopAndTargetByDirectionAndRisk) {
    const struct {
        float buying;
        float spread;
        bool isLong;
        int risk;
        const char* price;
        const char* stop;
        const char* target;
    } cases[] = {
        // Gold long at the selling price 370.5: d = 1; 367.795 lies just above in single precision.
        {370, 0.5f, true, 0, "370.5", "367.80", "376.17"},
        // Silver short at the buying price; 5.115 lies just below and prints 5.11.
        {5.5f, 0.5f, false, 2, "5.5", "5.72", "5.11"},
        {2500, 0, true, 1, "2500", "2462.00", "2563.00"},
        // Above 2000 the results lose their fraction; d = 10 here.
        {2000.01f, 0, true, 0, "2000.01", "1990.00", "2026.00"},
        {2000.01f, 0, false, 4, "2000.01", "2190.00", "1710.00"},
        {1000, 0, false, 3, "1000", "1055.00", "915.00"},
        // An unknown level reads as the smallest.
        {1000, 0, true, 7, "1000", "995.00", "1013.00"},
    };
    for (const auto& c : cases) {
        const jiaoyi::Idea idea = tradeIdea(c.buying, c.spread, c.isLong, c.risk);
        EXPECT_EQ(idea.priceText, QLatin1String(c.price)) << c.buying;
        EXPECT_EQ(idea.stopText, QLatin1String(c.stop)) << c.buying << " risk " << c.risk;
        EXPECT_EQ(idea.targetText, QLatin1String(c.target)) << c.buying << " risk " << c.risk;
    }
}

TEST(TradeIdea, NoQuoteGivesOnlyThePrice) {
    const jiaoyi::Idea idea = tradeIdea(0, 0, false, 2);
    EXPECT_EQ(idea.price, 0.0f);
    EXPECT_EQ(idea.priceText, QLatin1String("0"));
    EXPECT_TRUE(idea.stopText.isEmpty());
    EXPECT_TRUE(idea.targetText.isEmpty());
}

namespace {

class TradeIdeaForm : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setQuitHandler([] {});
        clearQuoteTables();
        ProdName[0] = QStringLiteral("国际黄金");
        ProdName[1] = QStringLiteral("白银");
        ProdPrice[0][0] = 370;
        ProdSpread[0] = 0.5f;
        ProdPrice[1][0] = 5.5f;
        ProdCount = 2;
        ProdLast = 1;
    }
    void TearDown() override {
        platform::unloadAll();
        platform::setQuitHandler(nullptr);
        clearQuoteTables();
    }
};

} // namespace

TEST_F(TradeIdeaForm, OpensWithTheInstrumentsAndNoDirection) {
    JiaoYiForm& f = jiaoYiForm();
    ASSERT_EQ(f.Combo3->count(), 2);
    EXPECT_EQ(f.Combo3->itemText(1), QStringLiteral("白银"));
    EXPECT_EQ(f.Combo3->currentIndex(), 0);
    EXPECT_EQ(f.Combo2->count(), jiaoyi::kRiskLevels);
    EXPECT_EQ(f.Combo2->itemText(1), QStringLiteral("小风险：  收益空间小"));
    EXPECT_FALSE(f.Option3->isChecked());
    EXPECT_FALSE(f.Option4->isChecked());
    EXPECT_EQ(f.Text1->text(), QLatin1String("0.0"));
    EXPECT_EQ(f.Jytime->text(), QLatin1String("-"));
}

TEST_F(TradeIdeaForm, BoxesShowTheirLongestItemWhole) {
    ProdName[0] = QStringLiteral("人民币账户黄金");
    ProdName[1] = QStringLiteral("人民币账户白银");
    JiaoYiForm& f = jiaoYiForm();
    f.show();
    expectBoxesShowTheirItems(f);
    expectControlsApartAndInside(f);
    EXPECT_LE(f.frameGeometry().width(), 1024);
    const QDir dir(QStringLiteral(BRELTO_GALLERY_DIR "/companions"));
    ASSERT_TRUE(QDir().mkpath(dir.path()));
    EXPECT_TRUE(f.grab().toImage().save(dir.filePath(QStringLiteral("jiaoyiform.png"))));
}

// Whichever way the random pick falls, a long is priced with its spread on the first click.
TEST_F(TradeIdeaForm, RandomDirectionIsChosenBeforeTheSpread) {
    for (int round = 0; round < 6; ++round) {
        JiaoYiForm& f = jiaoYiForm();
        f.Command1->click();
        ASSERT_TRUE(f.Option3->isChecked() != f.Option4->isChecked()) << round;
        if (f.Option3->isChecked()) {
            EXPECT_EQ(f.Text1->text(), QLatin1String("370.5"));
            EXPECT_EQ(f.ZStext->text(), QLatin1String("367.80"));
        } else {
            EXPECT_EQ(f.Text1->text(), QLatin1String("370"));
            EXPECT_EQ(f.ZStext->text(), QLatin1String("372.70"));
        }
        EXPECT_NE(f.Jytime->text(), QLatin1String("-"));
        f.unload();
    }
}

TEST_F(TradeIdeaForm, NoQuoteChangesOnlyThePrice) {
    ProdPrice[1][0] = 0;
    JiaoYiForm& f = jiaoYiForm();
    f.Combo3->setCurrentIndex(1);
    f.Option4->setChecked(true);
    f.Command1->click();
    EXPECT_EQ(f.Text1->text(), QLatin1String("0"));
    EXPECT_EQ(f.ZStext->text(), QLatin1String("0.0"));
    EXPECT_EQ(f.Zytext->text(), QLatin1String("0.0"));
    EXPECT_EQ(f.Jytime->text(), QLatin1String("-"));
}

TEST_F(TradeIdeaForm, RandomRiskStaysWithinTheLevels) {
    JiaoYiForm& f = jiaoYiForm();
    for (int i = 0; i < 20; ++i) {
        f.Command4->click();
        EXPECT_GE(f.Combo2->currentIndex(), 0);
        EXPECT_LT(f.Combo2->currentIndex(), jiaoyi::kRiskLevels);
    }
}
