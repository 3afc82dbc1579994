#pragma once

#include <QDialog>
#include <QFont>
#include <QFontDialog>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QPushButton;
class QTabWidget;

// Qt's font dialog with a limited size range, which Qt's own dialog cannot be given: OK with a
// size outside the range is refused with a message and the dialog stays open, as a font dialog
// with a limited size range does. Always Qt's own dialog, so the range holds.
class SizeRangeFontDialog : public QFontDialog {
    Q_OBJECT
public:
    SizeRangeFontDialog(const QFont& initial, int minPoints, int maxPoints,
                        QWidget* parent = nullptr);
    void done(int result) override;

private:
    int m_min;
    int m_max;
};

// The designer's property-page protocol. A page edits the first of the controls its host hands it.
// The host raises the page's start (once, when the page is made), selection-changed (whenever
// the selected controls change) and apply events; the page raises the host's changed flag so that
// the host offers Apply, and may clear it again.
class PropertyPage : public QWidget {
    Q_OBJECT
public:
    explicit PropertyPage(const QString& caption, QWidget* parent = nullptr);

    [[nodiscard]] QString caption() const { return m_caption; }

    // Host side.
    void start();
    void setSelectedControls(const QList<QWidget*>& controls);
    void apply();
    // After the dialog applied its pages: another page may have changed the controls this one
    // shows (an image list's size, say).
    virtual void ControlsApplied() {}

    [[nodiscard]] QList<QWidget*> SelectedControls() const;
    [[nodiscard]] bool Changed() const { return m_changed; }
    void setChanged(bool changed);

signals:
    void changedChanged(bool changed);

protected:
    virtual void PropertyPage_Start() {}
    virtual void SelectionChanged() = 0;
    virtual void ApplyChanges() = 0;
    // The first selected control as the page's kind, null when it is not one.
    template <typename T> [[nodiscard]] T* firstSelected() const {
        const QList<QWidget*> controls = SelectedControls();
        return controls.isEmpty() ? nullptr : qobject_cast<T*>(controls.first());
    }

private:
    QString m_caption;
    QList<QPointer<QWidget>> m_selected;
    bool m_changed = false;
};

// The property dialog a designer shows: the pages as tabs with OK, Cancel and Apply. Apply is
// offered while a page has raised its changed flag; it applies the changed pages and clears
// their flags. OK applies what is changed and closes; Cancel closes without applying.
class PropertyDialog : public QDialog {
    Q_OBJECT
public:
    explicit PropertyDialog(const QString& title, QWidget* parent = nullptr);

    // The page is started as it is added.
    void addPage(PropertyPage* page);
    void setSelectedControls(const QList<QWidget*>& controls);
    [[nodiscard]] const std::vector<PropertyPage*>& pages() const { return m_pages; }
    [[nodiscard]] QTabWidget* tabs() const { return m_tabs; }
    [[nodiscard]] QPushButton* okButton() const { return m_ok; }
    [[nodiscard]] QPushButton* cancelButton() const { return m_cancel; }
    [[nodiscard]] QPushButton* applyButton() const { return m_apply; }
    [[nodiscard]] bool applyOffered() const;

    // What the buttons do, callable without clicking.
    void applyPages();
    void accept() override;

signals:
    // OK or Apply: the changed pages were applied and the host stores the edited controls. Raised
    // whether or not a page was changed, since some edits raise no flag; the host writes only
    // what differs.
    void applied();

private:
    void updateApply();

    QTabWidget* m_tabs = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_apply = nullptr;
    std::vector<PropertyPage*> m_pages;
};

// The platform dialogs the pages open. Each is a replaceable function, so a designer session can
// be scripted; the defaults show the real dialogs.
struct PageDialogs {
    // The open-file dialog on a filter of description|pattern pairs, starting in initialDir (the
    // platform's choice when empty): the chosen path, or with several files the folder and the
    // names separated by NULs; an empty text when cancelled.
    std::function<QString(QWidget* owner, const QString& filter, int flags,
                          const QString& initialDir, const QString& title, bool multiSelect)>
        open;
    // The colour dialog starting on an RGB colour, with the 16 custom colours given; the chosen
    // colour, or -1 when cancelled. The custom colours come back as the user left them.
    std::function<int64_t(QWidget* owner, int64_t start, std::vector<uint32_t>& customColours)>
        colour;
    // The font dialog on a font, taking sizes minPoints to maxPoints only; true with the chosen
    // font, false when cancelled.
    std::function<bool(QWidget* owner, QFont& font, int minPoints, int maxPoints)> font;
};
[[nodiscard]] PageDialogs& pageDialogs();
// Puts the real dialogs back.
void resetPageDialogs();

// Keeps only the digits 0 to 9 and Backspace of what is typed into a box.
void acceptDigitsOnly(QWidget* box);

// Selects the whole text of a box whenever it takes the focus.
void selectAllOnFocus(QWidget* box);

// The symbol-font triangles of the pages' arrow buttons, drawn as paths: left or right.
[[nodiscard]] QIcon arrowIcon(bool left);
