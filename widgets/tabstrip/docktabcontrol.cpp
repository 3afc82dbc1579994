#include "widgets/tabstrip/docktabcontrol.h"

#include "platform/boundary.h"
#include "platform/keys.h"
#include "platform/propertybag.h"
#include "platform/theme.h"
#include "widgets/tabstrip/tabpaint.h"

#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

using namespace tabstrip;

namespace {

int vbButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

bool inside(const Rect& r, QPoint pt) {
    return pt.x() >= r.left && pt.x() < r.right && pt.y() >= r.top && pt.y() < r.bottom;
}

int captionWidth(const QString& caption, const QFont& font, const QImage* device) {
    const QString shown = platform::stripAccessMarks(caption);
    if (device != nullptr && !device->isNull())
        return QFontMetrics(font, device).horizontalAdvance(shown);
    return QFontMetrics(font).horizontalAdvance(shown);
}

} // namespace

// The collapsed strip of an unpinned control; its looks and its mouse handling are the
// control's.
class UnpinnedStrip : public QWidget {
public:
    explicit UnpinnedStrip(DockTabControl* control) : QWidget(control), m_control(control) {
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        m_control->paintCollapsed(painter);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        m_control->collapsedMouseMove(event->position().toPoint(), event->buttons());
    }
    void mousePressEvent(QMouseEvent*) override {}
    void mouseReleaseEvent(QMouseEvent*) override {}
    void resizeEvent(QResizeEvent*) override { update(); }

private:
    DockTabControl* m_control;
};

// ---------------------------------------------------------------------------------------------
// cTab

DockTabControl& cTab::control() const {
    if (isNothing())
        raiseError(kErrObjectNotSet);
    if (!m_control)
        raiseError(kErrSubscript);
    return *m_control;
}

int cTab::position() const {
    const int pos = control().m_model.findById(m_id);
    if (pos == 0)
        raiseError(kErrSubscript);
    return pos;
}

TabRecord& cTab::record() const { return control().m_model.at(position()); }

QString cTab::Caption() const { return record().Caption; }
void cTab::setCaption(const QString& caption) {
    record().Caption = caption;
    m_control->relayout();
    m_control->redraw();
}
QString cTab::ToolTipText() const { return record().ToolTipText; }
void cTab::setToolTipText(const QString& text) { record().ToolTipText = text; }
int cTab::IconIndex() const { return record().IconIndex; }
void cTab::setIconIndex(int index) {
    record().IconIndex = index;
    m_control->relayout();
    m_control->redraw();
}
QString cTab::Key() const { return record().Key; }
int cTab::ItemData() const { return record().ItemData; }
void cTab::setItemData(int value) { record().ItemData = value; }
QString cTab::Tag() const { return record().Tag; }
void cTab::setTag(const QString& tag) { record().Tag = tag; }
bool cTab::CanClose() const { return record().CanClose; }
void cTab::setCanClose(bool canClose) {
    record().CanClose = canClose;
    m_control->redraw();
}
bool cTab::Enabled() const { return record().Enabled; }
void cTab::setEnabled(bool enabled) {
    record().Enabled = enabled;
    m_control->redraw();
}
QWidget* cTab::Panel() const {
    QWidget* panel = record().Panel.data();
    return panel != nullptr && panel->parentWidget() == m_control.data() ? panel : nullptr;
}
void cTab::setPanel(QWidget* panel) { control().setTabPanel(position(), panel); }
bool cTab::Selected() const { return position() == control().m_model.selected(); }
void cTab::setSelected(bool selected) {
    const int pos = position();
    if (selected)
        m_control->selectAt(pos);
}
int cTab::Index() const { return position(); }
void cTab::setIndex(int index) { control().moveTab(position(), index); }

// ---------------------------------------------------------------------------------------------
// cTabCollection

int cTabCollection::Count() const { return m_control ? m_control->m_model.count() : 0; }

cTab cTabCollection::Item(const QVariant& key) const {
    if (!m_control)
        return {};
    const int pos = m_control->m_model.findKey(key);
    return pos == 0 ? cTab() : m_control->handleAt(pos);
}

void cTabCollection::Remove(const QVariant& key) {
    if (m_control)
        m_control->RemoveTab(key);
}

cTab cTabCollection::Add(const QVariant& key, const QVariant& keyBefore, const QString& caption, int iconIndex) {
    if (!m_control)
        return {};
    return m_control->AddTab(key, keyBefore, caption, iconIndex);
}

void cTabCollection::Clear() {
    if (!m_control)
        return;
    for (int pos = m_control->m_model.count(); pos >= 1 && m_control; --pos)
        if (pos <= m_control->m_model.count())
            m_control->removeAt(pos);
}

// ---------------------------------------------------------------------------------------------
// DockTabControl

DockTabControl::DockTabControl(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_font = QFont(QStringLiteral("宋体"), 9);
    m_selectedFont = m_font;
    QWidget::setFont(m_font);
    m_picUnpinned = new UnpinnedStrip(this);
    m_picUnpinned->hide();
    m_tmr.setInterval(1000);
    m_tmrPinButton.setInterval(25);
    connect(&m_tmr, &QTimer::timeout, this, platform::guard("docktabcontrol m_tmr timeout", this, &DockTabControl::slideTimerTick));
    connect(&m_tmrPinButton, &QTimer::timeout, this, platform::guard("docktabcontrol m_tmrPinButton timeout", this, &DockTabControl::pinButtonTick));
    m_memDC.setWidth(width() + 8);
    m_memDC.setHeight(height() + 8);
    relayout();
}

DockTabControl::~DockTabControl() {
    m_tmr.stop();
    m_tmrPinButton.stop();
}

cTab DockTabControl::SelectedTab() {
    const int id = m_model.selectedId();
    return id == 0 ? cTab() : cTab(this, id);
}

cTab DockTabControl::handleAt(int pos) { return cTab(this, m_model.at(pos).Id); }

// --- operations behind the handles ---

cTab DockTabControl::AddTab(const QVariant& key, const QVariant& keyBefore, const QString& caption, int iconIndex) {
    const int pos = m_model.add(key, keyBefore, caption, iconIndex);
    const cTab tab = handleAt(pos);
    tabsChanged();
    return tab;
}

void DockTabControl::RemoveTab(const QVariant& key) { removeAt(m_model.indexFromKey(key)); }

void DockTabControl::removeAt(int pos) {
    const TabRecord removed = m_model.removeAt(pos);
    if (removed.Panel)
        removed.Panel->hide();
    tabsChanged();
}

void DockTabControl::selectAt(int pos) {
    if (m_model.select(pos))
        tabsChanged();
}

void DockTabControl::moveTab(int pos, int newPos) {
    m_model.move(pos, newPos);
    tabsChanged();
}

void DockTabControl::setTabPanel(int pos, QWidget* panel) {
    m_model.at(pos).Panel = panel;
    if (panel != nullptr && panel->parentWidget() != this)
        panel->setParent(this);
    placePanels();
}

void DockTabControl::tabsChanged() {
    relayout();
    placePanels();
    redraw();
    announceSelection();
}

void DockTabControl::announceSelection() {
    const int id = m_model.selectedId();
    if (id == m_announcedId)
        return;
    m_announcedId = id;
    emit TabSelected(id == 0 ? cTab() : cTab(this, id));
}

// --- properties ---

void DockTabControl::markChanged(const QString& name) { emit PropertyChanged(name); }

void DockTabControl::setAllowScroll(bool allow) {
    if (allow == m_allowScroll)
        return;
    m_allowScroll = allow;
    if (!allow)
        m_scrollOffset = 0;
    relayout();
    redraw();
    markChanged(QStringLiteral("AllowScroll"));
}

void DockTabControl::setBackColor(platform::OleColor color) {
    if (color == m_backColor)
        return;
    m_backColor = color;
    redraw();
    markChanged(QStringLiteral("BackColor"));
}

void DockTabControl::setForeColor(platform::OleColor color) {
    if (color == m_foreColor)
        return;
    m_foreColor = color;
    redraw();
    markChanged(QStringLiteral("ForeColor"));
}

void DockTabControl::setDrawStyle(int style) {
    m_drawStyle = style;
    markChanged(QStringLiteral("DrawStyle"));
    redraw();
}

void DockTabControl::setTabAlign(int align) {
    m_tabAlign = align;
    markChanged(QStringLiteral("TabAlign"));
    relayout();
    placePanels();
    redraw();
}

void DockTabControl::setShowTabs(bool show) {
    m_showTabs = show;
    markChanged(QStringLiteral("ShowTabs"));
    relayout();
    placePanels();
    redraw();
}

void DockTabControl::setShowCloseButton(bool show) {
    m_showCloseButton = show;
    markChanged(QStringLiteral("ShowCloseButton"));
    relayout();
    redraw();
}

void DockTabControl::setPinnable(bool pinnable) {
    m_pinnable = pinnable;
    markChanged(QStringLiteral("Pinnable"));
    resizeLogic();
}

void DockTabControl::setPinned(bool pinned) {
    if (pinned == m_pinned)
        return;
    m_pinned = pinned;
    m_tmr.stop();
    resizeLogic();
}

void DockTabControl::setUnpinnedWidth(int width) {
    m_unpinnedWidth = std::max(0, width);
    markChanged(QStringLiteral("UnpinnedWidth"));
}

void DockTabControl::setAlign(int align) {
    m_align = align;
    resizeLogic();
}

void DockTabControl::setDesignMode(bool design) {
    m_designMode = design;
    resizeLogic();
}

void DockTabControl::setFont(const QFont& font) {
    m_font = font;
    QWidget::setFont(font);
    markChanged(QStringLiteral("Font"));
    relayout();
    redraw();
}

void DockTabControl::setSelectedFont(const QFont& font) {
    m_selectedFont = font;
    markChanged(QStringLiteral("SelectedFont"));
    relayout();
    redraw();
}

void DockTabControl::setImageList(const std::shared_ptr<platform::ImageList>& list) {
    m_images = list;
    relayout();
    redraw();
}

void DockTabControl::ReadProperties(const platform::PropertyBag& bag) {
    m_allowScroll = bag.read(QStringLiteral("AllowScroll"), true).toBool();
    m_backColor = bag.read(QStringLiteral("BackColor"), 0x8000000Fu).toUInt();
    m_foreColor = bag.read(QStringLiteral("ForeColor"), 0x80000012u).toUInt();
    m_drawStyle = bag.read(QStringLiteral("DrawStyle"), 0).toInt();
    m_tabAlign = bag.read(QStringLiteral("TabAlign"), 1).toInt();
    m_showTabs = bag.read(QStringLiteral("ShowTabs"), true).toBool();
    m_showCloseButton = bag.read(QStringLiteral("ShowCloseButton"), true).toBool();
    m_pinnable = bag.read(QStringLiteral("Pinnable"), false).toBool();
    m_unpinnedWidth = std::max(0, bag.read(QStringLiteral("UnpinnedWidth"), kDefaultUnpinnedWidth).toInt());
    if (!m_allowScroll)
        m_scrollOffset = 0;
    resizeLogic();
}

void DockTabControl::WriteProperties(platform::PropertyBag& bag) const {
    bag.write(QStringLiteral("AllowScroll"), m_allowScroll, true);
    bag.write(QStringLiteral("BackColor"), m_backColor, 0x8000000Fu);
    bag.write(QStringLiteral("ForeColor"), m_foreColor, 0x80000012u);
    bag.write(QStringLiteral("DrawStyle"), m_drawStyle, 0);
    bag.write(QStringLiteral("TabAlign"), m_tabAlign, 1);
    bag.write(QStringLiteral("ShowTabs"), m_showTabs, true);
    bag.write(QStringLiteral("ShowCloseButton"), m_showCloseButton, true);
    bag.write(QStringLiteral("Pinnable"), m_pinnable, false);
    bag.write(QStringLiteral("UnpinnedWidth"), m_unpinnedWidth, kDefaultUnpinnedWidth);
}

// --- layout ---

std::vector<TabMeasure> DockTabControl::measureTabs(bool collapsed) const {
    const bool hasList = !m_images.expired();
    const QImage* device = m_memDC.hdc();
    std::vector<TabMeasure> tabs;
    tabs.reserve(static_cast<size_t>(m_model.count()));
    for (int i = 1; i <= m_model.count(); ++i) {
        const TabRecord& r = m_model.at(i);
        const QFont& font = !collapsed && i == m_model.selected() ? m_selectedFont : m_font;
        tabs.push_back({captionWidth(r.Caption, font, device), hasList && r.IconIndex >= 0});
    }
    return tabs;
}

LayoutInput DockTabControl::layoutInput() const {
    LayoutInput in;
    const QRect area = panelArea();
    in.area = {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
    in.allowScroll = m_allowScroll;
    in.showCloseButton = m_showCloseButton;
    in.pinnable = m_pinnable;
    in.tabAlign = m_tabAlign;
    if (const auto list = m_images.lock())
        in.icon = list->imageSize();
    in.selected = m_model.selected();
    in.lastShownSelection = m_lastShownSelection;
    in.scrollOffset = m_scrollOffset;
    if (m_pinnable && !m_pinned) {
        // Unpinned, the tabs live on the collapsed strip; the rest is the caption bar and the
        // slid-out panel.
        in.showTabs = false;
        in.pinned = true;
    } else {
        in.showTabs = m_showTabs;
        in.pinned = m_pinned;
        in.tabs = measureTabs(false);
    }
    return in;
}

QRect DockTabControl::panelArea() const {
    if (m_pinnable && !m_pinned) {
        const int w = std::max(0, width() - kCollapsedStripWidth);
        if (m_align == 4)
            return {0, 0, w, height()};
        return {kCollapsedStripWidth, 0, w, height()};
    }
    return rect();
}

void DockTabControl::relayout() {
    m_layout = layoutStrip(layoutInput());
    m_scrollOffset = m_layout.scrollOffset;
    m_lastShownSelection = m_layout.lastShownSelection;
    for (int i = 1; i <= m_model.count(); ++i)
        m_model.at(i).rect = static_cast<size_t>(i - 1) < m_layout.painted.size()
                                 ? m_layout.painted[static_cast<size_t>(i - 1)]
                                 : Rect{};
    QSize icon;
    if (const auto list = m_images.lock())
        icon = list->imageSize();
    m_collapsedRects = layoutCollapsed(kCollapsedStripWidth, measureTabs(true), icon);
    for (int i = 1; i <= m_model.count(); ++i)
        m_model.at(i).unpinnedRect = m_collapsedRects[static_cast<size_t>(i - 1)];
}

void DockTabControl::placePanels() {
    QWidget* selectedPanel = nullptr;
    if ((m_pinned || m_shown) && m_model.selected() != 0)
        selectedPanel = m_model.at(m_model.selected()).Panel.data();
    if (selectedPanel != nullptr && selectedPanel->parentWidget() == this) {
        const Rect& c = m_layout.client;
        selectedPanel->setGeometry(c.left, c.top, std::max(0, c.width() - 2), std::max(0, c.height()));
        selectedPanel->show();
        selectedPanel->raise();
    } else {
        selectedPanel = nullptr;
    }
    for (QObject* child : children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w != nullptr && w != selectedPanel && w != m_picUnpinned && !w->isWindow())
            w->hide();
    }
}

void DockTabControl::redraw() {
    update();
    if (m_picUnpinned->isVisible())
        m_picUnpinned->update();
}

CaptionButtons DockTabControl::captionButtonRects() const { return captionButtons(m_layout.captionBar, kButtonWidth); }

bool DockTabControl::closeEnabled() const {
    const int sel = m_model.selected();
    return sel != 0 && m_model.at(sel).CanClose;
}

// --- painting ---

PaintState DockTabControl::paintState() const {
    PaintState s;
    s.drawStyle = m_drawStyle;
    s.backColor = m_backColor;
    s.themed = platform::isThemed();
    if (m_drawStyle != 0)
        s.palette = GetGradientColors();
    s.tabAlign = m_tabAlign;
    s.showTabs = m_showTabs;
    s.pinnable = m_pinnable;
    s.pinned = m_pinned;
    s.shown = m_shown;
    s.font = m_font;
    s.selectedFont = m_selectedFont;
    if (const auto list = m_images.lock()) {
        s.images = list.get();
        s.icon = list->imageSize();
    }
    s.tabs.reserve(static_cast<size_t>(m_model.count()));
    for (int i = 1; i <= m_model.count(); ++i) {
        const TabRecord& r = m_model.at(i);
        s.tabs.push_back({r.Caption, r.IconIndex, r.Enabled});
    }
    s.selected = m_model.selected();
    s.hotButton = m_hotButton;
    s.pressedButton = m_pressedButton;
    s.closeEnabled = closeEnabled();
    s.closeHot = m_closeHot;
    s.closePressed = m_closePressed;
    s.pinHot = m_pinHot;
    s.pinPressed = m_pinPressed;
    return s;
}

QImage DockTabControl::renderFace() {
    QImage face = platform::gdi::makeSurface(width(), height(), 0);
    if (face.isNull())
        return face;
    // The image list is held only for this paint; its owner may drop it afterwards.
    const auto list = m_images.lock();
    const PaintState state = paintState();
    paintControl(face, {0, 0, width(), height()}, state, m_layout);
    return face;
}

void DockTabControl::paintEvent(QPaintEvent*) {
    m_memDC.setWidth(width() + 8);
    m_memDC.setHeight(height() + 8);
    QImage* surface = m_memDC.hdc();
    const auto list = m_images.lock();
    const PaintState state = paintState();
    QPainter painter(this);
    if (surface != nullptr && !surface->isNull()) {
        paintControl(*surface, {0, 0, width(), height()}, state, m_layout);
        painter.drawImage(QPoint(0, 0), *surface, QRect(0, 0, width(), height()));
    } else {
        painter.drawImage(QPoint(0, 0), renderFace());
    }
}

void DockTabControl::paintCollapsed(QPainter& painter) {
    const QSize size = m_picUnpinned->size();
    QImage surface = platform::gdi::makeSurface(size.width(), size.height(), 0);
    if (surface.isNull())
        return;
    const auto list = m_images.lock();
    DrawCollapsedStrip(surface, {0, 0, size.width(), size.height()}, paintState(), m_collapsedRects);
    painter.drawImage(0, 0, surface);
}

// --- scrolling ---

void DockTabControl::ScrollLeft() {
    if (m_scrollOffset <= 0)
        return;
    m_scrollOffset = scrollLeftOffset(m_layout);
    relayout();
    redraw();
}

void DockTabControl::ScrollRight() {
    if (!m_layout.scrollRightEnabled)
        return;
    m_scrollOffset = scrollRightOffset(m_layout);
    relayout();
    redraw();
}

// --- mouse ---

QString DockTabControl::toolTipAt(QPoint pt) const {
    switch (hitStripButton(m_layout, pt)) {
    case ScrollLeftButton:
        return QStringLiteral("Scroll Left");
    case ScrollRightButton:
        return QStringLiteral("Scroll Right");
    case CloseButton:
        return QStringLiteral("Close");
    case NoButton:
        break;
    }
    if (const int tab = hitTab(m_layout, pt); tab != 0)
        return m_model.at(tab).ToolTipText;
    if (captionBarActive()) {
        const CaptionButtons b = captionButtonRects();
        if (inside(b.close, pt))
            return QStringLiteral("Close");
        if (inside(b.pin, pt))
            return QStringLiteral("Autohide");
    }
    return {};
}

void DockTabControl::updateToolTip(const QString& text) {
    if (toolTip() != text)
        setToolTip(text);
}

void DockTabControl::mousePressEvent(QMouseEvent* event) {
    const QPoint pt = event->position().toPoint();
    if (captionBarActive() && event->button() == Qt::LeftButton) {
        const CaptionButtons b = captionButtonRects();
        if (inside(b.close, pt)) {
            if (!m_closePressed) {
                m_tmrPinButton.stop();
                m_closePressed = true;
                m_pinHot = false;
                redraw();
            }
        } else if (inside(b.pin, pt)) {
            if (!m_pinPressed) {
                m_tmrPinButton.stop();
                m_pinPressed = true;
                m_closeHot = false;
                redraw();
            }
        } else if (m_closeHot || m_pinHot) {
            m_closeHot = m_pinHot = false;
            m_tmrPinButton.stop();
            redraw();
        }
    }

    const StripButton button = hitStripButton(m_layout, pt);
    if (button == NoButton) {
        if (const int tab = hitTab(m_layout, pt); tab != 0) {
            m_pressedTab = tab;
            m_pressPoint = pt;
            selectAt(tab);
            redraw();
        }
    } else if (event->button() == Qt::LeftButton) {
        m_pressedButton = m_hotButton = button;
        redraw();
        if (button == ScrollLeftButton && m_layout.scrollLeftEnabled)
            ScrollLeft();
        else if (button == ScrollRightButton && m_layout.scrollRightEnabled)
            ScrollRight();
    }
}

void DockTabControl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pt = event->position().toPoint();
    updateToolTip(toolTipAt(pt));
    if (captionBarActive()) {
        const CaptionButtons b = captionButtonRects();
        if (inside(b.close, pt)) {
            if (!m_closeHot && !m_pinPressed) {
                m_closeHot = true;
                m_pinHot = false;
                redraw();
                m_tmrPinButton.start();
            }
        } else if (inside(b.pin, pt)) {
            if (!m_pinHot && !m_closePressed) {
                m_pinHot = true;
                m_closeHot = false;
                redraw();
                m_tmrPinButton.start();
            }
        } else if (m_closeHot || m_pinHot) {
            m_closeHot = m_pinHot = false;
            m_tmrPinButton.stop();
            redraw();
        }
    }
    // A pressed strip button looks pressed only while the cursor is over it.
    if (m_pressedButton != NoButton) {
        const int hot = hitStripButton(m_layout, pt) == m_pressedButton ? m_pressedButton : NoButton;
        if (hot != m_hotButton) {
            m_hotButton = hot;
            redraw();
        }
    }
}

void DockTabControl::closeSelectedTab() {
    // A tab that may not be closed, or no tab at all, leaves the close button disabled.
    if (!closeEnabled())
        return;
    bool cancel = false;
    const cTab tab = SelectedTab();
    emit TabClose(tab, cancel);
    if (cancel)
        return;
    // The handler may have removed or moved the tab itself.
    const int pos = m_model.findById(tab.m_id);
    if (pos != 0)
        removeAt(pos);
}

void DockTabControl::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pt = event->position().toPoint();
    const int iButton = vbButton(event->button());
    const int shift = platform::shiftMask(event->modifiers());

    if (captionBarActive()) {
        const CaptionButtons b = captionButtonRects();
        if (inside(b.close, pt) && m_closePressed) {
            m_tmrPinButton.stop();
            m_closePressed = false;
            m_pinHot = false;
            const int before = m_model.count();
            closeSelectedTab();
            if (m_model.count() < before) {
                if (m_model.count() == 0) {
                    hideSlideOut();
                } else if (!m_pinned) {
                    slideOut();
                }
            }
            redraw();
        } else if (inside(b.pin, pt) && m_pinPressed) {
            m_tmrPinButton.stop();
            m_pinPressed = m_pinHot = m_closeHot = false;
            if (m_pinned) {
                m_pinned = false;
                m_shown = false;
                placePanels();
                resizeLogic();
                emit UnPinned();
            } else {
                m_pinned = true;
                m_shown = true;
                m_tmr.stop();
                resize(m_unpinnedWidth, height());
                resizeLogic();
                redraw();
                emit Pinned();
            }
        } else if (m_closeHot || m_closePressed || m_pinHot || m_pinPressed) {
            m_closeHot = m_closePressed = m_pinHot = m_pinPressed = false;
            m_tmrPinButton.stop();
            redraw();
        }
    }

    if (m_pressedTab != 0) {
        m_pressedTab = 0;
        if (const int tab = hitTab(m_layout, pt); tab != 0)
            emit TabClick(handleAt(tab), iButton, shift, pt.x(), pt.y());
    } else if (m_pressedButton == NoButton) {
        emit TabBarClick(iButton, shift, pt.x(), pt.y());
    } else {
        const int pressed = m_pressedButton;
        m_pressedButton = m_hotButton = NoButton;
        redraw();
        if (hitStripButton(m_layout, pt) == pressed) {
            if (pressed == ScrollLeftButton && m_layout.scrollLeftEnabled)
                ScrollLeft();
            else if (pressed == ScrollRightButton && m_layout.scrollRightEnabled)
                ScrollRight();
            else if (pressed == CloseButton)
                closeSelectedTab();
        }
    }
}

void DockTabControl::pinButtonTick() {
    const QPoint pt = mapFromGlobal(QCursor::pos());
    const CaptionButtons b = captionButtonRects();
    if (m_closeHot && !inside(b.close, pt)) {
        m_closeHot = false;
        redraw();
    } else if (m_pinHot && !inside(b.pin, pt)) {
        m_pinHot = false;
        redraw();
    }
    if (!m_closeHot && !m_pinHot)
        m_tmrPinButton.stop();
}

// --- resizing, collapsing and sliding out ---

void DockTabControl::resizeEvent(QResizeEvent*) { resizeLogic(); }

void DockTabControl::resizeLogic() {
    if (m_inResize)
        return;
    m_inResize = true;
    // A slide-out in progress resizes the control step by step; those steps must not collapse it.
    if (!m_sliding)
        m_shown = false;
    m_memDC.setWidth(width() + 8);
    m_memDC.setHeight(height() + 8);

    if (!m_pinnable || m_designMode || m_pinned) {
        m_picUnpinned->hide();
    } else {
        if (!m_sliding) {
            const QRect g = geometry();
            if (m_align == 4)
                setGeometry(g.right() + 1 - kCollapsedStripWidth, g.top(), kCollapsedStripWidth, g.height());
            else
                resize(kCollapsedStripWidth, g.height());
        }
        const int x = m_align == 4 ? width() - kCollapsedStripWidth : 0;
        m_picUnpinned->setGeometry(x, 0, kCollapsedStripWidth, height());
        m_picUnpinned->show();
        m_picUnpinned->raise();
    }

    relayout();
    placePanels();
    redraw();
    m_inResize = false;
    emit Resize();
}

void DockTabControl::slideOut() {
    if (!m_pinnable || m_pinned || m_model.selected() == 0)
        return;
    m_sliding = true;
    m_shown = true;
    relayout();
    placePanels();
    const QRect start = geometry();
    const int right = start.right() + 1;
    const int target = kCollapsedStripWidth + m_unpinnedWidth;
    auto step = [&](int w) {
        if (m_align == 4)
            setGeometry(right - w, start.top(), w, start.height());
        else
            resize(w, start.height());
        relayout();
        placePanels();
        m_picUnpinned->repaint();
    };
    for (int w = std::min(start.width(), target) + 8; w < target; w += 8)
        step(w);
    step(target);
    m_sliding = false;
    // A Resize handler may have changed the tabs while the control grew.
    if (m_model.selected() != 0) {
        QWidget* panel = m_model.at(m_model.selected()).Panel.data();
        if (panel != nullptr && panel->isVisible())
            panel->setFocus();
    }
    redraw();
    m_tmr.start();
}

void DockTabControl::hideSlideOut() {
    m_tmr.stop();
    m_shown = false;
    placePanels();
    resizeLogic();
}

void DockTabControl::slideTimerTick() {
    if (!m_shown || m_pinned) {
        m_tmr.stop();
        return;
    }
    const QRect g(mapToGlobal(QPoint(0, 0)), size());
    const Rect window{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    const bool leftDown = QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
    if (slideOutShouldHide(window, QCursor::pos(), leftDown, m_closePressed, m_pinPressed))
        hideSlideOut();
}

void DockTabControl::collapsedMouseMove(QPoint pt, Qt::MouseButtons buttons) {
    const int tab = hitCollapsed(m_collapsedRects, pt);
    const QString tip = tab != 0 ? m_model.at(tab).ToolTipText : QString();
    if (m_picUnpinned->toolTip() != tip)
        m_picUnpinned->setToolTip(tip);
    if (buttons != Qt::NoButton || tab == 0)
        return;
    if (tab != m_model.selected() || !m_shown) {
        selectAt(tab);
        m_picUnpinned->update();
        slideOut();
    }
}
