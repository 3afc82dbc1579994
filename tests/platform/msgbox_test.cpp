#include "platform/msgbox.h"
#include "platform/plaintip.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTextDocument>
#include <QKeyEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace platform;

namespace {

// The button of the open box whose caption starts with `caption`.
QAbstractButton* buttonOf(QMessageBox& box, const QString& caption) {
    for (QAbstractButton* b : box.buttons())
        if (b->text().startsWith(caption))
            return b;
    return nullptr;
}

void pressKey(QWidget& w, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &release);
}

// Shows a real box and, once it is up, lets `act` close it; records the caption it showed.
struct Shown {
    BoxAnswer answer;
    QString caption;
    bool seen = false;
};

Shown showAndAct(BoxButtons buttons, const QString& title, const std::function<void(QMessageBox&)>& act) {
    Shown shown{};
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible() || shown.seen)
            return;
        shown.seen = true;
        shown.caption = box->windowTitle();
        act(*box);
    });
    poll.start();
    shown.answer = messageBox(QStringLiteral("初始化连接服务器失败,点击[是]将进行重试连接,点击[否]将退出程序."),
                              title, buttons, BoxIcon::Question);
    return shown;
}

} // namespace

TEST(QuestionBox, OnlyTheYesButtonAnswersYes) {
    struct Case {
        const char* how;
        std::function<void(QMessageBox&)> close;
        BoxAnswer answer;
    };
    const Case cases[] = {
        {"the 是 button", [](QMessageBox& b) { buttonOf(b, QStringLiteral("是"))->click(); }, BoxAnswer::Yes},
        {"the 否 button", [](QMessageBox& b) { buttonOf(b, QStringLiteral("否"))->click(); }, BoxAnswer::No},
        {"the Y key", [](QMessageBox& b) { pressKey(b, Qt::Key_Y); }, BoxAnswer::Yes},
        {"Escape", [](QMessageBox& b) { pressKey(b, Qt::Key_Escape); }, BoxAnswer::No},
        {"the window's close button", [](QMessageBox& b) { b.close(); }, BoxAnswer::No},
        {"dismissed by the program", [](QMessageBox& b) { b.reject(); }, BoxAnswer::No},
        {"hidden", [](QMessageBox& b) { b.hide(); }, BoxAnswer::No},
    };
    for (const Case& c : cases) {
        const Shown shown = showAndAct(BoxButtons::YesNo, QStringLiteral("提示"), c.close);
        EXPECT_TRUE(shown.seen) << c.how;
        EXPECT_EQ(shown.answer, c.answer) << c.how;
    }
}

TEST(QuestionBox, NoticeAnswersOkHoweverItCloses) {
    for (const auto& close : {std::function<void(QMessageBox&)>([](QMessageBox& b) { b.close(); }),
                              std::function<void(QMessageBox&)>(
                                  [](QMessageBox& b) { pressKey(b, Qt::Key_Escape); })}) {
        const Shown shown = showAndAct(BoxButtons::Ok, QStringLiteral("删除出错"), close);
        EXPECT_TRUE(shown.seen);
        EXPECT_EQ(shown.answer, BoxAnswer::Ok);
    }
}

TEST(QuestionBox, AnEmptyTitleShowsTheProgramsTitle) {
    // Not the executable's name, whatever that is (here the test's own).
    struct Case {
        const char16_t* title;
        const char16_t* shown;
    };
    const Case cases[] = {
        {u"", u"Quillor"},
        {u"删除出错", u"删除出错"},
        {u"Quillor", u"Quillor"},
    };
    for (const Case& c : cases) {
        const QString title = QString::fromUtf16(c.title);
        EXPECT_EQ(boxCaption(title), QString::fromUtf16(c.shown)) << title.toStdString();
        const Shown shown = showAndAct(BoxButtons::Ok, title, [](QMessageBox& b) { b.close(); });
        EXPECT_EQ(shown.caption, QString::fromUtf16(c.shown)) << title.toStdString();
    }
}

TEST(QuestionBox, AHandlerSeesTheShownCaptionAndGivesTheAnswer) {
    QStringList asked;
    setMessageBoxHandler([&](const QString& text, const QString& title, BoxButtons, BoxIcon) {
        asked << title + u'|' + text;
        return BoxAnswer::No;
    });
    EXPECT_EQ(messageBox(QStringLiteral("正文"), QString(), BoxButtons::YesNo, BoxIcon::Question), BoxAnswer::No);
    setMessageBoxHandler(nullptr);
    EXPECT_EQ(asked, QStringList{QStringLiteral("Quillor|正文")});
}

// A tip reads as the service sent it: Qt shows a tip that looks like markup as markup.
TEST(PlainTip, ReadsAsSent) {
    const QString cases[] = {
        QStringLiteral("人民币账户黄金 880.26"),
        QStringLiteral("<img src=\"/etc/x.png\" width=3000>"),
        QStringLiteral("<b>涨</b> a < b && c > d"),
        QStringLiteral("<p>两行\n第二行</p>"),
        QString(),
    };
    for (const QString& text : cases) {
        const QString tip = plainTip(text);
        QString shown = tip;
        if (Qt::mightBeRichText(tip)) {
            QTextDocument doc;
            doc.setHtml(tip);
            shown = doc.toPlainText();
        }
        EXPECT_EQ(shown.simplified(), text.simplified()) << text.toStdString();
    }
}
