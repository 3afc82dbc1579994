#include "pagehost.h"

#include "widgets/pages/propertypage.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

// A page that logs the protocol's events and edits a number on its control on apply.
class LoggingPage : public PropertyPage {
public:
    explicit LoggingPage(QString name, QStringList& log)
        : PropertyPage(name), m_name(std::move(name)), m_log(log) {}
    int pending = 0;
    int applied = 0;

protected:
    void PropertyPage_Start() override { m_log << m_name + QStringLiteral(" start"); }
    void SelectionChanged() override {
        m_log << m_name + QStringLiteral(" selection %1").arg(SelectedControls().size());
    }
    void ApplyChanges() override {
        applied = pending;
        m_log << m_name + QStringLiteral(" apply");
    }

private:
    QString m_name;
    QStringList& m_log;
};

} // namespace

TEST(PropertyDialog, OffersApplyWhileAPageIsChangedAndAppliesOnlyChangedPages) {
    QStringList log;
    PropertyDialog dialog(QStringLiteral("props"));
    auto* first = new LoggingPage(QStringLiteral("one"), log);
    auto* second = new LoggingPage(QStringLiteral("two"), log);
    dialog.addPage(first);
    dialog.addPage(second);
    EXPECT_EQ(dialog.tabs()->count(), 2);
    EXPECT_EQ(dialog.tabs()->tabText(1), QStringLiteral("two"));
    QWidget control;
    dialog.setSelectedControls({&control});
    EXPECT_EQ(log, (QStringList{"one start", "two start", "one selection 1", "two selection 1"}));
    EXPECT_FALSE(dialog.applyButton()->isEnabled());

    QSignalSpy applied(&dialog, &PropertyDialog::applied);
    second->pending = 7;
    second->setChanged(true);
    EXPECT_TRUE(dialog.applyButton()->isEnabled());
    second->setChanged(false); // a page may take its flag back
    EXPECT_FALSE(dialog.applyButton()->isEnabled());
    second->setChanged(true);
    dialog.applyButton()->click();
    EXPECT_EQ(second->applied, 7);
    EXPECT_EQ(log.last(), QStringLiteral("two apply"));
    EXPECT_FALSE(log.contains(QStringLiteral("one apply")));
    EXPECT_FALSE(second->Changed());
    EXPECT_FALSE(dialog.applyButton()->isEnabled());
    EXPECT_EQ(applied.count(), 1);
}

TEST(PropertyDialog, OkAppliesAndCancelDoesNot) {
    QStringList log;
    for (const bool ok : {true, false}) {
        PropertyDialog dialog(QStringLiteral("props"));
        auto* page = new LoggingPage(QStringLiteral("p"), log);
        dialog.addPage(page);
        QSignalSpy applied(&dialog, &PropertyDialog::applied);
        page->pending = 3;
        page->setChanged(true);
        (ok ? dialog.okButton() : dialog.cancelButton())->click();
        EXPECT_EQ(page->applied, ok ? 3 : 0) << ok;
        EXPECT_EQ(applied.count(), ok ? 1 : 0) << ok;
        EXPECT_EQ(dialog.result(), ok ? QDialog::Accepted : QDialog::Rejected);
    }
}

TEST(PropertyDialog, OkAndApplyTellTheHostEvenWithNoPageChanged) {
    // Some edits raise no flag (removing an image): the host decides what differs.
    QStringList log;
    PropertyDialog dialog(QStringLiteral("props"));
    auto* page = new LoggingPage(QStringLiteral("p"), log);
    dialog.addPage(page);
    QSignalSpy applied(&dialog, &PropertyDialog::applied);
    dialog.applyPages();
    EXPECT_EQ(applied.count(), 1);
    dialog.okButton()->click();
    EXPECT_EQ(applied.count(), 2);
    EXPECT_FALSE(log.contains(QStringLiteral("p apply"))); // no page was applied
}

TEST(SizeRangeFontDialog, OkIsRefusedWithAMessageOutsideTheRange) {
    pagetest::ScriptedBoxes boxes;
    const struct {
        int points;
        bool taken;
    } cases[] = {{7, false}, {8, true}, {12, true}, {72, true}, {73, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.points);
        boxes.shown.clear();
        QFont font(QStringLiteral("WenQuanYi Micro Hei"));
        font.setPointSize(c.points);
        SizeRangeFontDialog dialog(font, 8, 72);
        ASSERT_EQ(dialog.currentFont().pointSize(), c.points);
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        dialog.accept();
        EXPECT_EQ(accepted.count(), c.taken ? 1 : 0);
        if (c.taken) {
            EXPECT_TRUE(boxes.shown.empty());
            continue;
        }
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("大小必须介于 8 和 72 磅之间。"));
        EXPECT_EQ(boxes.shown[0].icon, platform::BoxIcon::Exclamation);
        // Cancel is always taken.
        QSignalSpy rejected(&dialog, &QDialog::rejected);
        dialog.reject();
        EXPECT_EQ(rejected.count(), 1);
    }
}

TEST(PropertyDialog, ASelectedControlThatGoesAwayIsNoLongerHanded) {
    QStringList log;
    PropertyDialog dialog(QStringLiteral("props"));
    auto* page = new LoggingPage(QStringLiteral("p"), log);
    dialog.addPage(page);
    auto control = std::make_unique<QWidget>();
    dialog.setSelectedControls({control.get()});
    control.reset();
    EXPECT_TRUE(page->SelectedControls().isEmpty());
}
