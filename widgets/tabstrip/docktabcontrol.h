#pragma once

#include "platform/colors.h"
#include "platform/imagelist.h"
#include "widgets/tabstrip/pcmemdc.h"
#include "widgets/tabstrip/tablayout.h"
#include "widgets/tabstrip/tabpaint.h"
#include "widgets/tabstrip/tabmodel.h"

#include <QFont>
#include <QMetaType>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <concepts>
#include <memory>

class DockTabControl;

namespace platform {
class PropertyBag;
}

// The handle of one tab. It finds its control and its tab again on every call, so it may be
// kept: once the control is gone or the tab removed, every member raises error 9. A default
// handle is Nothing (what Item gives for an unknown key): its members raise error 91.
class cTab {
public:
    cTab() = default;

    [[nodiscard]] bool isNothing() const { return m_id == 0; }
    explicit operator bool() const { return !isNothing(); }
    friend bool operator==(const cTab& a, const cTab& b) { return a.m_control == b.m_control && a.m_id == b.m_id; }

    [[nodiscard]] QString Caption() const;
    void setCaption(const QString& caption);
    [[nodiscard]] QString ToolTipText() const;
    void setToolTipText(const QString& text);
    [[nodiscard]] int IconIndex() const;
    void setIconIndex(int index);
    [[nodiscard]] QString Key() const;
    [[nodiscard]] int ItemData() const;
    void setItemData(int value);
    [[nodiscard]] QString Tag() const;
    void setTag(const QString& tag);
    [[nodiscard]] bool CanClose() const;
    void setCanClose(bool canClose);
    [[nodiscard]] bool Enabled() const;
    void setEnabled(bool enabled);
    // The tab's page; the strip becomes its parent. Nothing (nullptr) once the widget is gone
    // or no longer inside the strip.
    [[nodiscard]] QWidget* Panel() const;
    void setPanel(QWidget* panel);
    [[nodiscard]] bool Selected() const;
    // True selects the tab; False does nothing.
    void setSelected(bool selected);
    // 1-based position; setting it moves the tab (1..Count, else error 9).
    [[nodiscard]] int Index() const;
    void setIndex(int index);

private:
    friend class DockTabControl;
    cTab(DockTabControl* control, int id) : m_control(control), m_id(id) {}
    [[nodiscard]] DockTabControl& control() const;
    [[nodiscard]] int position() const;
    [[nodiscard]] tabstrip::TabRecord& record() const;

    QPointer<DockTabControl> m_control;
    int m_id = 0;
};
Q_DECLARE_METATYPE(cTab)

// The strip's Tabs collection. Once the control is gone it does nothing: Count gives 0, Item and
// Add give Nothing.
class cTabCollection {
public:
    [[nodiscard]] int Count() const;
    // The tab by key or 1-based position; Nothing (no error) when there is none.
    [[nodiscard]] cTab Item(const QVariant& key) const;
    // Raises 9 for an unknown key or position.
    void Remove(const QVariant& key);
    // Raises 13 for a numeric key, 457 for a key in use, 9 for an unknown keyBefore.
    cTab Add(const QVariant& key = {}, const QVariant& keyBefore = {}, const QString& caption = {}, int iconIndex = -1);
    void Clear();

private:
    friend class DockTabControl;
    explicit cTabCollection(DockTabControl* control) : m_control(control) {}
    QPointer<DockTabControl> m_control;
};

// The docking tab strip: a band of tabs along the top or bottom, each showing its panel in the
// client area while selected; squeezed or scrolled tabs, a close button, and, when pinnable, a
// caption bar with close and pin buttons and a collapsed strip from which an unpinned panel
// slides out. It draws into one off-screen surface and copies it to the screen in one step.
class DockTabControl : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DockTabControl)

public:
    explicit DockTabControl(QWidget* parent = nullptr);
    ~DockTabControl() override;

    [[nodiscard]] cTabCollection Tabs() { return cTabCollection(this); }
    // Nothing when no tab is selected.
    [[nodiscard]] cTab SelectedTab();

    [[nodiscard]] bool AllowScroll() const { return m_allowScroll; }
    void setAllowScroll(bool allow);
    [[nodiscard]] platform::OleColor BackColor() const { return m_backColor; }
    void setBackColor(platform::OleColor color);
    [[nodiscard]] platform::OleColor ForeColor() const { return m_foreColor; }
    void setForeColor(platform::OleColor color);
    [[nodiscard]] int DrawStyle() const { return m_drawStyle; }
    void setDrawStyle(int style);
    [[nodiscard]] int TabAlign() const { return m_tabAlign; }
    void setTabAlign(int align);
    [[nodiscard]] bool ShowTabs() const { return m_showTabs; }
    void setShowTabs(bool show);
    [[nodiscard]] bool ShowCloseButton() const { return m_showCloseButton; }
    void setShowCloseButton(bool show);
    [[nodiscard]] bool Pinnable() const { return m_pinnable; }
    void setPinnable(bool pinnable);
    [[nodiscard]] bool isPinned() const { return m_pinned; }
    void setPinned(bool pinned);
    [[nodiscard]] bool Shown() const { return m_shown; }
    [[nodiscard]] int UnpinnedWidth() const { return m_unpinnedWidth; }
    void setUnpinnedWidth(int width);
    // The side of its container the control is docked to: 3 left, 4 right, others none.
    [[nodiscard]] int Align() const { return m_align; }
    void setAlign(int align);
    // A control in a designer never collapses.
    [[nodiscard]] bool designMode() const { return m_designMode; }
    void setDesignMode(bool design);

    [[nodiscard]] QFont Font() const { return m_font; }
    void setFont(const QFont& font);
    [[nodiscard]] QFont SelectedFont() const { return m_selectedFont; }
    void setSelectedFont(const QFont& font);

    // The image list whose images the tabs show by IconIndex. The strip does not keep the list
    // alive: once its owner lets it go, the tabs show no icons.
    [[nodiscard]] std::shared_ptr<platform::ImageList> ImageList() const { return m_images.lock(); }
    void setImageList(const std::shared_ptr<platform::ImageList>& list);
    // An image-list control: the strip takes the list it holds.
    template <class ListControl>
        requires requires(const ListControl& c) {
            { c.hIml() } -> std::convertible_to<std::shared_ptr<platform::ImageList>>;
        }
    void setImageList(const ListControl& control) {
        setImageList(std::shared_ptr<platform::ImageList>(control.hIml()));
    }

    // The client rectangle offered to the panels, in pixels.
    [[nodiscard]] int ClientLeft() const { return m_layout.client.left; }
    [[nodiscard]] int ClientTop() const { return m_layout.client.top; }
    [[nodiscard]] int ClientWidth() const { return m_layout.client.width(); }
    [[nodiscard]] int ClientHeight() const { return m_layout.client.height(); }

    void ScrollLeft();
    void ScrollRight();
    [[nodiscard]] int scrollOffset() const { return m_scrollOffset; }
    [[nodiscard]] const tabstrip::LayoutResult& layout() const { return m_layout; }
    [[nodiscard]] QWidget* picUnpinned() const { return m_picUnpinned; }
    // Tab rectangles on the collapsed strip, in its own coordinates.
    [[nodiscard]] const std::vector<tabstrip::Rect>& collapsedLayout() const { return m_collapsedRects; }

    // Saved design properties; a value equal to its default is not stored.
    void ReadProperties(const platform::PropertyBag& bag);
    void WriteProperties(platform::PropertyBag& bag) const;

    // The face as it is painted, the size of the control.
    [[nodiscard]] QImage renderFace();

signals:
    // Raised by the operation that changed the selected tab (select, add, remove, move), once per
    // change, before that operation returns; Nothing when no tab is left.
    void TabSelected(cTab theTab);
    void TabClick(cTab theTab, int iButton, int Shift, int X, int Y);
    void TabBarClick(int iButton, int Shift, int X, int Y);
    // Set bCancel to keep the tab.
    void TabClose(cTab theTab, bool& bCancel);
    void Pinned();
    void UnPinned();
    void Resize();
    void PropertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class cTab;
    friend class cTabCollection;
    friend class UnpinnedStrip;

    // Operations behind the handles.
    cTab AddTab(const QVariant& key, const QVariant& keyBefore, const QString& caption, int iconIndex);
    void RemoveTab(const QVariant& key);
    void removeAt(int pos);
    void selectAt(int pos);
    void moveTab(int pos, int newPos);
    void setTabPanel(int pos, QWidget* panel);
    [[nodiscard]] cTab handleAt(int pos);
    [[nodiscard]] tabstrip::TabModel& model() { return m_model; }

    // After a change of the model: lay out, show the selected panel and announce a new
    // selection.
    void tabsChanged();
    void announceSelection();
    void relayout();
    void placePanels();
    void redraw();
    [[nodiscard]] tabstrip::LayoutInput layoutInput() const;
    [[nodiscard]] std::vector<tabstrip::TabMeasure> measureTabs(bool collapsed) const;
    [[nodiscard]] tabstrip::PaintState paintState() const;
    [[nodiscard]] tabstrip::CaptionButtons captionButtonRects() const;
    [[nodiscard]] bool closeEnabled() const;
    [[nodiscard]] bool captionBarActive() const { return m_pinnable && (m_shown || m_pinned); }
    void closeSelectedTab();
    void updateToolTip(const QString& text);
    [[nodiscard]] QString toolTipAt(QPoint pt) const;

    void resizeLogic();
    void slideOut();
    void hideSlideOut();
    void pinButtonTick();
    void slideTimerTick();
    [[nodiscard]] QRect panelArea() const;

    void collapsedMouseMove(QPoint pt, Qt::MouseButtons buttons);
    void paintCollapsed(QPainter& painter);
    void markChanged(const QString& name);

    tabstrip::TabModel m_model;
    int m_announcedId = 0;
    tabstrip::LayoutResult m_layout;
    std::vector<tabstrip::Rect> m_collapsedRects;
    pcMemDC m_memDC;

    bool m_allowScroll = true;
    platform::OleColor m_backColor = 0x8000000F;
    platform::OleColor m_foreColor = 0x80000012;
    int m_drawStyle = 0;
    int m_tabAlign = 1;
    bool m_showTabs = true;
    bool m_showCloseButton = true;
    bool m_pinnable = false;
    bool m_pinned = true;
    bool m_shown = false;
    int m_unpinnedWidth = tabstrip::kDefaultUnpinnedWidth;
    int m_align = 0;
    bool m_designMode = false;
    QFont m_font;
    QFont m_selectedFont;
    std::weak_ptr<platform::ImageList> m_images;

    int m_scrollOffset = 0;
    int m_lastShownSelection = 0;
    int m_hotButton = tabstrip::NoButton;
    int m_pressedButton = tabstrip::NoButton;
    int m_pressedTab = 0;
    QPoint m_pressPoint;
    bool m_closeHot = false;
    bool m_closePressed = false;
    bool m_pinHot = false;
    bool m_pinPressed = false;
    bool m_sliding = false;
    bool m_inResize = false;

    QWidget* m_picUnpinned = nullptr;
    QTimer m_tmr;
    QTimer m_tmrPinButton;
};
