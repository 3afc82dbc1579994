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
