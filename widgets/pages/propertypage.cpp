#include "widgets/pages/propertypage.h"

#include "platform/msgbox.h"
#include "widgets/imagelist/picture.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

SizeRangeFontDialog::SizeRangeFontDialog(const QFont& initial, int minPoints, int maxPoints,
                                         QWidget* parent)
    : QFontDialog(parent), m_min(minPoints), m_max(maxPoints) {
    // A platform's own dialog would close without asking done().
    setOption(QFontDialog::DontUseNativeDialog);
    setCurrentFont(initial);
}

void SizeRangeFontDialog::done(int result) {
    const qreal size = currentFont().pointSizeF();
    if (result == QDialog::Accepted && (size < m_min || size > m_max)) {
        platform::messageBox(QStringLiteral("大小必须介于 %1 和 %2 磅之间。").arg(m_min).arg(m_max),
                             windowTitle(), platform::BoxButtons::Ok,
                             platform::BoxIcon::Exclamation, this);
        return;
    }
    QFontDialog::done(result);
}

PropertyPage::PropertyPage(const QString& caption, QWidget* parent)
    : QWidget(parent), m_caption(caption) {
    setWindowTitle(caption);
}

void PropertyPage::start() {
    PropertyPage_Start();
}

void PropertyPage::setSelectedControls(const QList<QWidget*>& controls) {
    m_selected.clear();
    for (QWidget* control : controls)
        m_selected << control;
    SelectionChanged();
}

void PropertyPage::apply() {
    ApplyChanges();
}

QList<QWidget*> PropertyPage::SelectedControls() const {
    QList<QWidget*> out;
    for (const QPointer<QWidget>& control : m_selected)
        if (control) out << control.data();
    return out;
}

void PropertyPage::setChanged(bool changed) {
    m_changed = changed;
    emit changedChanged(changed);
}

PropertyDialog::PropertyDialog(const QString& title, QWidget* parent) : QDialog(parent) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    layout->addWidget(m_tabs);
    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    m_cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    m_apply = buttons->addButton(QStringLiteral("应用(&A)"), QDialogButtonBox::ApplyRole);
    layout->addWidget(buttons);
    connect(m_ok, &QPushButton::clicked, this, &PropertyDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &PropertyDialog::reject);
    connect(m_apply, &QPushButton::clicked, this, &PropertyDialog::applyPages);
    updateApply();
}

void PropertyDialog::addPage(PropertyPage* page) {
    m_pages.push_back(page);
    m_tabs->addTab(page, page->caption());
    connect(page, &PropertyPage::changedChanged, this, &PropertyDialog::updateApply);
    page->start();
    updateApply();
}

void PropertyDialog::setSelectedControls(const QList<QWidget*>& controls) {
    for (PropertyPage* page : m_pages)
        page->setSelectedControls(controls);
    updateApply();
}

bool PropertyDialog::applyOffered() const {
    for (const PropertyPage* page : m_pages)
        if (page->Changed()) return true;
    return false;
}

void PropertyDialog::applyPages() {
    for (PropertyPage* page : m_pages) {
        if (!page->Changed()) continue;
        page->apply();
        page->setChanged(false);
    }
    for (PropertyPage* page : m_pages)
        page->ControlsApplied();
    updateApply();
    emit applied();
}

void PropertyDialog::accept() {
    applyPages();
    QDialog::accept();
}

void PropertyDialog::updateApply() {
    m_apply->setEnabled(applyOffered());
}

namespace {

PageDialogs realDialogs() {
    PageDialogs d;
    d.open = [](QWidget* owner, const QString& filter, int flags, const QString& initialDir,
                const QString& title, bool multiSelect) {
        QString fileName;
        QString fileTitle;
        bool readOnly = (flags & OFN_READONLY) != 0;
        QString chosenFilter = filter;
        int filterIndex = 1;
        int extra = flags;
        if (!ShowOpenFileDialog(fileName, fileTitle, true, multiSelect, readOnly,
                                (flags & OFN_HIDEREADONLY) != 0, chosenFilter, filterIndex,
                                initialDir, title, {}, owner, extra))
            return QString();
        return fileName;
    };
    d.colour = [](QWidget* owner, int64_t start, std::vector<uint32_t>& custom) -> int64_t {
        for (size_t i = 0; i < custom.size() && i < 16; ++i)
            QColorDialog::setCustomColor(static_cast<int>(i),
                                         platform::toQColor(custom[i] & 0xFFFFFF));
        QColorDialog dialog(owner);
        dialog.setCurrentColor(platform::toQColor(static_cast<platform::OleColor>(start)));
        const bool chosen = dialog.exec() == QDialog::Accepted;
        for (size_t i = 0; i < custom.size() && i < 16; ++i)
            custom[i] = platform::fromQColor(QColorDialog::customColor(static_cast<int>(i)));
        return chosen ? int64_t(platform::fromQColor(dialog.selectedColor())) : -1;
    };
    d.font = [](QWidget* owner, QFont& font, int minPoints, int maxPoints) {
        SizeRangeFontDialog dialog(font, minPoints, maxPoints, owner);
        if (dialog.exec() != QDialog::Accepted) return false;
        font = dialog.currentFont();
        return true;
    };
    return d;
}

// Drops every typed character other than a digit; Backspace and editing keys pass.
class DigitsOnly : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            if (!text.isEmpty() && text[0].isPrint() &&
                !(text.size() == 1 && text[0] >= u'0' && text[0] <= u'9'))
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

class SelectAllOnFocus : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        // After the focus change is complete: a mouse press would otherwise place the caret.
        if (event->type() == QEvent::FocusIn)
            if (auto* box = qobject_cast<QLineEdit*>(watched))
                QTimer::singleShot(0, box, &QLineEdit::selectAll);
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

PageDialogs& pageDialogs() {
    static PageDialogs dialogs = realDialogs();
    return dialogs;
}

void resetPageDialogs() {
    pageDialogs() = realDialogs();
}

QIcon arrowIcon(bool left) {
    QPixmap pixmap(8, 8);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QPainterPath path;
    // Four columns tall 7, 5, 3 and 1 pixels, as the symbol font draws its small triangles.
    for (int column = 0; column < 4; ++column) {
        const int x = left ? 5 - column : 2 + column;
        path.addRect(x, 1 + column, 1, 7 - 2 * column);
    }
    painter.fillPath(path, Qt::black);
    painter.end();
    return QIcon(pixmap);
}

void selectAllOnFocus(QWidget* box) {
    box->installEventFilter(new SelectAllOnFocus(box));
}

void acceptDigitsOnly(QWidget* box) {
    box->installEventFilter(new DigitsOnly(box));
}
