#include "companions/calc.h"

#include "platform/keys.h"
#include "platform/msgbox.h"
#include "platform/scripteval.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kMaxEntry = 20;
constexpr int kFunctionBase = 100;

} // namespace

bool CalcPad::Isnum(const QString& Checkstr) {
    if (Checkstr.isEmpty())
        return false;
    const QChar last = Checkstr.back();
    return (last >= u'0' && last <= u'9') || last == u'.';
}

CalcPad::Result CalcPad::entry(int index) {
    // A lone "0" is a placeholder the first digit replaces; "=" evaluates it as it stands.
    if (m_display == u"0" && index != kEquals)
        m_display.clear();
    if (m_display.size() > kMaxEntry)
        return Result::Beep;
    if (index >= 0 && index <= 8) {
        m_display += QChar(u'1' + index);
    } else if (index == 9) {
        m_display += u'0';
    } else if (index == kDot) {
        if (m_display.isEmpty())
            m_display = QStringLiteral("0.");
        else if (!m_display.endsWith(u'.'))
            m_display += u'.';
    } else if (index == kEquals) {
        return Run();
    }
    return Result::Done;
}

void CalcPad::function(int index) {
    static constexpr char16_t kSigns[] = u"+-*/";
    switch (index) {
    case Plus:
    case Minus:
    case Times:
    case Divide: {
        const QChar sign(kSigns[index]);
        if (!m_display.contains(sign) && Isnum(m_display))
            m_display += sign;
        break;
    }
    case AllClear:
        m_display = QStringLiteral("0");
        break;
    case MemoryStore:
        m_memory = m_display;
        break;
    case Back:
        if (m_display.size() > 1)
            m_display.chop(1);
        else
            m_display = QStringLiteral("0");
        break;
    case MemoryRecall:
        if (!(m_memory.contains(u'.') && m_display.contains(u'.')))
            m_display += m_memory;
        break;
    default:
        break;
    }
}

CalcPad::Result CalcPad::Run() {
    const platform::EvalResult r = platform::scriptEval(m_display);
    if (!r.ok) {
        m_error = r.description;
        return Result::Failed;
    }
    m_error.clear();
    m_display = r.text;
    return Result::Done;
}

int CalcPad::buttonForKey(int keyCode) {
    if (keyCode >= 49 && keyCode <= 57)
        return keyCode - 49;
    if (keyCode >= 97 && keyCode <= 105)
        return keyCode - 97;
    switch (keyCode) {
    case 48:
    case 96:
        return 9;
    case 110:
        return kDot;
    case 187:
    case 13:
        return kEquals;
    case 107:
        return kFunctionBase + Plus;
    case 109:
    case 189:
        return kFunctionBase + Minus;
    case 106:
        return kFunctionBase + Times;
    case 111:
        return kFunctionBase + Divide;
    case 27:
        return kFunctionBase + AllClear;
    case 8:
        return kFunctionBase + Back;
    default:
        return -1;
    }
}

Calc& calc() { return platform::form<Calc>(); }

Calc::Calc() {
    setWindowTitle(QStringLiteral("计算器 - Quillor"));
    setFixedSize(3180 / 15, 2760 / 15);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);

    T = new QLineEdit(QStringLiteral("0"), this);
    T->setReadOnly(true);
    T->setAlignment(Qt::AlignRight);
    T->setGeometry(90 / 15, 90 / 15, 2985 / 15, 315 / 15 + 2);
    QFont display(QStringLiteral("宋体"));
    display.setPointSize(12);
    display.setBold(true);
    T->setFont(display);

    auto button = [this](const QString& caption, int left, int top, int width) {
        auto* b = new QPushButton(caption, this);
        b->setGeometry(left / 15, top / 15, width / 15, 375 / 15);
        b->setFocusPolicy(Qt::NoFocus);
        b->installEventFilter(this);
        return b;
    };
    const int lefts[] = {90, 720, 1350};
    const int tops[] = {540, 1080, 1620, 2205};
    const char16_t* entries[] = {u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9", u"0", u".", u"="};
    for (int i = 0; i < 12; ++i)
        C[i] = button(QString::fromUtf16(entries[i]), lefts[i % 3], tops[i / 3], 465);
    const struct {
        const char16_t* caption;
        int left, top, width;
    } functions[] = {
        {u"+", 1980, 540, 465},   {u"-", 1980, 1080, 465}, {u"*", 1980, 1620, 465},
        {u"/", 1980, 2205, 465},  {u"AC", 2610, 1080, 510}, {u"MS", 2610, 1620, 240},
        {u"COPY", 2610, 2205, 510}, {u"<-", 2610, 540, 510}, {u"MR", 2880, 1620, 240},
    };
    QFont small(QStringLiteral("宋体"));
    small.setPointSizeF(7.5);
    for (int i = 0; i < 9; ++i) {
        const auto& f = functions[i];
        Z[i] = button(QString::fromUtf16(f.caption), f.left, f.top, f.width);
        if (i == CalcPad::MemoryStore || i == CalcPad::Copy || i == CalcPad::MemoryRecall)
            Z[i]->setFont(small);
    }
    T->installEventFilter(this);
}

void Calc::Run() {
    m_pad.setDisplay(T->text());
    showResult(m_pad.entry(CalcPad::kEquals));
}

void Calc::pressEntry(int index) {
    m_pad.setDisplay(T->text());
    showResult(m_pad.entry(index));
}

void Calc::pressFunction(int index) {
    if (index == CalcPad::Copy) {
        if (QClipboard* clipboard = QGuiApplication::clipboard()) {
            clipboard->clear();
            clipboard->setText(T->text());
        }
        return;
    }
    m_pad.setDisplay(T->text());
    m_pad.function(index);
    T->setText(m_pad.display());
}

void Calc::showResult(CalcPad::Result result) {
    T->setText(m_pad.display());
    if (result == CalcPad::Result::Beep)
        QApplication::beep();
    else if (result == CalcPad::Result::Failed)
        platform::messageBox(QStringLiteral("计算错误：") + m_pad.error(), {}, platform::BoxButtons::Ok,
                             platform::BoxIcon::None, this);
}

void Calc::pressKey(int keyCode) {
    const int button = CalcPad::buttonForKey(keyCode);
    if (button >= kFunctionBase)
        pressFunction(button - kFunctionBase);
    else if (button >= 0)
        pressEntry(button);
}

bool Calc::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        for (int i = 0; i < 12; ++i)
            if (watched == C[i]) {
                pressEntry(i);
                return true;
            }
        for (int i = 0; i < 9; ++i)
            if (watched == Z[i]) {
                pressFunction(i);
                return true;
            }
    } else if (event->type() == QEvent::KeyPress) {
        pressKey(platform::virtualKey(*static_cast<QKeyEvent*>(event)));
        return true;
    }
    return platform::Form::eventFilter(watched, event);
}

void Calc::keyPressEvent(QKeyEvent* event) { pressKey(platform::virtualKey(*event)); }
