#pragma once

#include "platform/forms.h"

#include <QString>

class QLineEdit;
class QPushButton;

// The pocket calculator's keys and display, apart from its window.
class CalcPad {
public:
    // Entry keys C(0)..C(11): digits 1-9, 0, ".", "=".
    static constexpr int kDot = 10;
    static constexpr int kEquals = 11;
    // Operator and function keys Z(0)..Z(8).
    enum Function { Plus, Minus, Times, Divide, AllClear, MemoryStore, Copy, Back, MemoryRecall };

    enum class Result {
        Done,
        Beep,   // the display is full
        Failed, // "=" could not evaluate the display: see error()
    };

    [[nodiscard]] const QString& display() const { return m_display; }
    [[nodiscard]] const QString& memory() const { return m_memory; }
    [[nodiscard]] const QString& error() const { return m_error; }
    void setDisplay(const QString& text) { m_display = text; }

    Result entry(int index);
    // Z(0)..Z(8) except Copy, which the window handles with the clipboard.
    void function(int index);

    // The display ends in a digit or a decimal point.
    [[nodiscard]] static bool Isnum(const QString& Checkstr);

    // The button a key code presses: 0..11 for C(i), 100 + i for Z(i), -1 for none.
    [[nodiscard]] static int buttonForKey(int keyCode);

private:
    Result Run();

    QString m_display = QStringLiteral("0");
    QString m_memory;
    QString m_error;
};

// The calculator window ("计算器 - Quillor").
class Calc : public platform::Form {
    Q_OBJECT
public:
    Calc();

    QLineEdit* T;
    QPushButton* C[12];
    QPushButton* Z[9];

    [[nodiscard]] static bool Isnum(const QString& Checkstr) { return CalcPad::Isnum(Checkstr); }
    void Run();
    // What a press of C(i) or Z(i) does, as the mouse-down or the key map starts it.
    void pressEntry(int index);
    void pressFunction(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showResult(CalcPad::Result result);
    void pressKey(int keyCode);

    CalcPad m_pad;
};

[[nodiscard]] Calc& calc();
