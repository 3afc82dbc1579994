#include "widgets/buttons/tybutton.h"

#include "platform/propertybag.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

QPixmap solid(QSize size, QRgb color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return QPixmap::fromImage(image);
}

class TyButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_host = std::make_unique<QWidget>();
        m_host->resize(200, 100);
        button = new TyButton(m_host.get());
        button->move(20, 20);
        button->setPic1(solid({40, 20}, qRgb(255, 0, 0)));
        button->setPic2(solid({30, 30}, qRgb(0, 255, 0)));
        button->setPic3(solid({40, 20}, qRgb(0, 0, 255)));
        button->setPic4(solid({50, 50}, qRgb(9, 9, 9)));
        QCursor::setPos(5000, 5000);
        QCoreApplication::processEvents();
        m_host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_host.get()));
        QTest::mouseMove(m_host.get(), {180, 90});
    }

    QWidget* host() const { return m_host.get(); }
    TyButton* button = nullptr;
    const QPoint inside{10, 10};

private:
    std::unique_ptr<QWidget> m_host;
};

TEST_F(TyButtonTest, SizesToTheNormalPictureButNotTheDisabledOne) {
    EXPECT_EQ(button->size(), QSize(40, 20));
    button->setPic4(solid({60, 60}, qRgb(1, 1, 1)));
    EXPECT_EQ(button->size(), QSize(40, 20));
    button->setPic1(solid({64, 24}, qRgb(255, 0, 0)));
    EXPECT_EQ(button->size(), QSize(64, 24));
    button->resize(100, 100);
    EXPECT_EQ(button->size(), QSize(64, 24)) << "its own resize takes the picture's size again";
}

TEST_F(TyButtonTest, HoverPressAndReleaseShowTheirPictures) {
    QSignalSpy moves(button, &TyButton::MouseMove);
    QSignalSpy outs(button, &TyButton::MouseOut);
    QSignalSpy downs(button, &TyButton::MouseDown);
    QSignalSpy ups(button, &TyButton::MouseUp);
    QSignalSpy clicks(button, &TyButton::Click);

    QTest::mouseMove(button, inside);
    EXPECT_EQ(button->shownState(), 2);
    ASSERT_GE(moves.count(), 1);
    EXPECT_FLOAT_EQ(moves.last().at(2).toFloat(), 150.0f) << "x in twips";
    EXPECT_FLOAT_EQ(moves.last().at(3).toFloat(), 150.0f);

    QTest::mousePress(button, Qt::LeftButton, Qt::ShiftModifier, inside);
    EXPECT_EQ(button->shownState(), 3);
    ASSERT_EQ(downs.count(), 1);
    EXPECT_EQ(downs.at(0).at(0).toInt(), 1);
    EXPECT_EQ(downs.at(0).at(1).toInt(), 1);
    EXPECT_EQ(clicks.count(), 0);

    QTest::mouseRelease(button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(button->shownState(), 1);
    EXPECT_EQ(ups.count(), 1);
    EXPECT_EQ(clicks.count(), 1) << "one Click per click";

    QTest::mouseMove(button, inside + QPoint(1, 1));
    EXPECT_EQ(button->shownState(), 2) << "the hover picture comes back with the next move";
    QTest::mouseMove(host(), {180, 90});
    EXPECT_EQ(button->shownState(), 1);
    EXPECT_EQ(outs.count(), 1);
}

TEST_F(TyButtonTest, PressedAwayFromTheButtonNoClick) {
    QSignalSpy clicks(button, &TyButton::Click);
    QTest::mouseMove(button, inside);
    QTest::mousePress(button, Qt::LeftButton, {}, inside);
    QTest::mouseMove(button, {-10, 5});
    EXPECT_EQ(button->shownState(), 1);
    QTest::mouseRelease(button, Qt::LeftButton, {}, {-10, 5});
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(TyButtonTest, FarEdgeCountsAsOver) {
    QMouseEvent atEdge(QEvent::MouseMove, QPointF(40, 20), QPointF(40, 20), QPointF(60, 40), Qt::NoButton,
                       Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(button, &atEdge);
    EXPECT_EQ(button->shownState(), 2);
    QMouseEvent beyond(QEvent::MouseMove, QPointF(41, 20), QPointF(41, 20), QPointF(61, 40), Qt::NoButton,
                       Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(button, &beyond);
    EXPECT_EQ(button->shownState(), 1);
}

TEST_F(TyButtonTest, SetButtonShowsNoHoverAndReleasesPressed) {
    QSignalSpy moves(button, &TyButton::MouseMove);
    button->setValue(1);
    QTest::mouseMove(button, inside);
    EXPECT_EQ(button->shownState(), 1);
    EXPECT_GE(moves.count(), 1);
    QTest::mouseClick(button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(button->shownState(), 3);
}

TEST_F(TyButtonTest, NotdoSilencesEverythingButTheClick) {
    QSignalSpy moves(button, &TyButton::MouseMove);
    QSignalSpy downs(button, &TyButton::MouseDown);
    QSignalSpy ups(button, &TyButton::MouseUp);
    QSignalSpy clicks(button, &TyButton::Click);
    button->setNotdo(true);
    QTest::mouseMove(button, inside);
    QTest::mouseClick(button, Qt::LeftButton, {}, inside);
    button->Refresh();
    EXPECT_EQ(button->shownState(), 1);
    EXPECT_EQ(moves.count(), 0);
    EXPECT_EQ(downs.count(), 0);
    EXPECT_EQ(ups.count(), 0);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(TyButtonTest, DisabledNormalShowsTheDisabledPicture) {
    button->setEnabled(false);
    button->PrintB(1);
    EXPECT_EQ(button->shownState(), 0);
    button->PrintB(2);
    EXPECT_EQ(button->shownState(), 2);
    button->PrintB(3);
    EXPECT_EQ(button->shownState(), 3);
    button->Refresh();
    EXPECT_EQ(button->shownState(), 2);
}

TEST_F(TyButtonTest, ShowsThePictureOfItsState) {
    button->PrintB(3);
    EXPECT_EQ(button->grab().toImage().pixel(5, 5), qRgb(0, 0, 255));
    button->PrintB(1);
    EXPECT_EQ(button->grab().toImage().pixel(5, 5), qRgb(255, 0, 0));
}

TEST_F(TyButtonTest, SavedPropertiesRoundTrip) {
    button->setForeColor(0x123456);
    button->setKeys(QStringLiteral("k"));
    platform::PropertyBag bag;
    button->writeProperties(bag);
    EXPECT_FALSE(bag.contains(QStringLiteral("Enabled")));
    EXPECT_FALSE(bag.contains(QStringLiteral("Picture")));

    TyButton copy;
    copy.readProperties(platform::PropertyBag::fromBytes(bag.toBytes()));
    EXPECT_EQ(copy.foreColor(), 0x123456u);
    EXPECT_EQ(copy.keys(), QStringLiteral("k"));
    EXPECT_EQ(copy.size(), QSize(40, 20));
    EXPECT_EQ(copy.pic3().toImage().pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(copy.pic4().size(), QSize(50, 50));

    platform::PropertyBag none;
    TyButton fresh;
    fresh.readProperties(none);
    EXPECT_EQ(fresh.foreColor(), 0xFFFFFFu);
    EXPECT_TRUE(fresh.pic1().isNull());
}

} // namespace
