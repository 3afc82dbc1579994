#pragma once

#include "platform/gdi.h"

#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <vector>

// The tab records of the docking tab strip and the rules for adding, finding, removing, moving and
// selecting them. Positions are 1-based; 0 means no tab. Failures are platform::VbError with the
// strip's source text (see errorSource).
namespace tabstrip {

// Error numbers the strip raises.
inline constexpr int kErrSubscript = 9;
inline constexpr int kErrTypeMismatch = 13;
inline constexpr int kErrObjectNotSet = 91;
inline constexpr int kErrDuplicateKey = 457;

// The program's file name followed by ".DockTabControl".
[[nodiscard]] QString errorSource();
// Throws the numbered error with its standard description and the strip's source.
[[noreturn]] void raiseError(int number);

struct TabRecord {
    QString Caption;
    QString Key;
    QString ToolTipText;
    int ItemData = 0;
    QString Tag;
    int IconIndex = -1; // -1 or less: no icon
    bool CanClose = true;
    bool Enabled = true;
    QPointer<QWidget> Panel; // not owned
    int Id = 0;              // given at creation, never reused
    platform::gdi::Rect rect;         // on the tab band, written by the layout
    platform::gdi::Rect unpinnedRect; // on the collapsed strip, written by its layout
};

// A key is numeric when it holds a number or a text that reads wholly as one; such a key is a
// position, never a key text.
[[nodiscard]] bool isNumericKey(const QVariant& key);

class TabModel {
public:
    [[nodiscard]] int count() const { return static_cast<int>(m_tabs.size()); }
    [[nodiscard]] int selected() const { return m_selected; }
    [[nodiscard]] int lastId() const { return m_lastId; }
    // Id of the selected tab, 0 when none.
    [[nodiscard]] int selectedId() const;

    // pos in 1..count.
    [[nodiscard]] const TabRecord& at(int pos) const { return m_tabs[static_cast<size_t>(pos - 1)]; }
    [[nodiscard]] TabRecord& at(int pos) { return m_tabs[static_cast<size_t>(pos - 1)]; }

    // Position of the tab with this Id, 0 when there is none (the tab was removed).
    [[nodiscard]] int findById(int id) const;
    // A numeric key is a position in 1..count; any other key matches the first tab with an equal
    // Key. Raises error 9 when nothing matches.
    [[nodiscard]] int indexFromKey(const QVariant& key) const;
    // As indexFromKey, 0 instead of the error.
    [[nodiscard]] int findKey(const QVariant& key) const noexcept;

    // Adds a tab before the tab found by keyBefore (when valid), else at the end; returns its
    // position. An invalid or empty key becomes "I" and the new Id. Raises 13 for a numeric key,
    // 457 for a key in use, 9 for an unknown keyBefore; nothing changes when it raises. The
    // first tab becomes the selected one; an insertion at or before the selected tab keeps the
    // same tab selected.
    int add(const QVariant& key, const QVariant& keyBefore, const QString& caption, int iconIndex);

    // Removes the tab at pos and returns its record. Removing the selected tab selects the tab
    // that moves into its place (the one before it when it was the last); removing another tab
    // keeps the same tab selected; removing the only tab leaves no selection.
    TabRecord removeAt(int pos);

    // Makes pos the selected tab; false when it already was or pos is out of range.
    bool select(int pos);

    // Moves the tab at pos to newPos (1..count, else error 9); the others keep their order and
    // the selection stays on the tab that was selected.
    void move(int pos, int newPos);

private:
    std::vector<TabRecord> m_tabs;
    int m_selected = 0;
    int m_lastId = 0;
};

} // namespace tabstrip
