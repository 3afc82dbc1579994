#pragma once

#include "platform/forms.h"

#include <QDateTime>
#include <QList>
#include <QString>

class QLabel;
class QPushButton;
class QScrollArea;

// One text the pop-up was given, with the time it came.
struct RingText {
    QDateTime time;
    QString text;
};

// The pop-up's message: every text it holds, newest first, each after its time ("H:mm:ss").
[[nodiscard]] QString ringMessage(const QList<RingText>& texts);

// The alert pop-up ("提醒"). It sounds once when it loads, unless the user muted alerts. An alert
// that fired is switched off for good, so a text given while the pop-up is open is added to the
// ones it shows, never put in their place; closing it ends the sound and lets the texts go.
class CustRingForm : public platform::Form {
    Q_OBJECT
public:
    CustRingForm();

    // Keeps the text (stamped with the PC clock) and shows it on top of the earlier ones.
    void addText(const QString& text);
    [[nodiscard]] const QList<RingText>& texts() const { return m_texts; }

    QLabel* Label1;
    QPushButton* Command1; // "知道了"

protected:
    void formLoad() override;
    bool queryUnload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QScrollArea* m_scroll;
    QList<RingText> m_texts; // newest first
};

[[nodiscard]] CustRingForm& custRing();

// Adds the message to the pop-up's texts and shows it, not modal, over `owner` (none for a free window).
void showCustRing(const QString& text, QWidget* owner);
