#include "companions/mini.h"

#include "common/storedlists.h"
#include "common/windowutil.h"
#include "companions/miniskins.h"
#include "platform/boundary.h"
#include "platform/keys.h"
#include "platform/plaintip.h"
#include "platform/screen.h"
#include "platform/x11window.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/storedlists.h"
#include "state/usersettings.h"

#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace {

constexpr int kRowHeight = 330; // twips, row 0 as designed
constexpr int kBlableHeight = 105;
constexpr int kTickMs = 50;

std::function<void(const QPoint&)>& miniMenu() {
    static std::function<void(const QPoint&)> menu;
    return menu;
}

QFont songFont(double points, bool bold) {
    QFont f(QStringLiteral("宋体"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

int textWidth(const QFont& font, const QString& text) {
    return QFontMetrics(font).horizontalAdvance(text) * 15;
}
int textHeight(const QFont& font) { return QFontMetrics(font).height() * 15; }

QColor oleColor(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

const QFont& priceFont() {
    static const QFont f = songFont(12, true);
    return f;
}
const QFont& lineFont() {
    static const QFont f = songFont(9, false);
    return f;
}

// The window handle the first load recorded; the list is laid out only on that window.
const MiniForm* MiniHwnd = nullptr;

} // namespace

MiniForm::MiniForm() : platform::Form(Qt::Tool | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Mini"));
    setMouseTracking(true);
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, platform::guard("mini m_timer timeout", [this] { tickAt(QCursor::pos()); }));
    // Until a skin is applied the window wears the first one.
    const auto pieces = mini::skinPieces(0);
    m_back = {miniSkinPicture(pieces->left), miniSkinPicture(pieces->middle), miniSkinPicture(pieces->right)};
    m_width = (m_back[0].width() + m_back[1].width() + m_back[2].width()) * 15;
    m_height = m_back[0].height() * 15;
    setSizeTwips(m_width, m_height);
    setMiniShowHide([](bool show) {
        if (!platform::isLoaded<MiniForm>())
            return;
        if (show)
            Mini().show();
        else
            Mini().hide();
    });
}

MiniForm::~MiniForm() {
    // A window loaded again later is the one recorded then, not a stale address.
    if (MiniHwnd == this)
        MiniHwnd = nullptr;
    setMiniShowHide(nullptr);
}

MiniForm& Mini() { return platform::form<MiniForm>(); }

void setMiniMenu(std::function<void(const QPoint&)> menu) { miniMenu() = std::move(menu); }

void MiniForm::formLoad() {
    // An unloaded window may wait for deletion a while; its record goes with its unloading.
    if (MiniHwnd == nullptr || !MiniHwnd->isLoaded())
        MiniHwnd = this;
    if (!m_back[0].isNull())
        MiniHeight = m_back[0].height() * 15;
    applyAlpha();
    if (MainStarted) {
        CountExt();
        LoadMiniExt();
    }
    m_timer.start();
}

void MiniForm::applyAlpha() {
    int alpha = AlphaValue;
    SetWindowAlpha(this, alpha, MiniTopmost);
}

void MiniForm::setSizeTwips(int width, int height) {
    m_width = std::max(width, 15);
    m_height = std::max(height, 15);
    setFixedSize(m_width / 15, m_height / 15);
    update();
}

void MiniForm::TosMain() {
    applyAlpha();
    platform::Form* main = platform::mainForm();
    // A main window that a log-out has hidden is on its way out: it never comes back.
    if (main == nullptr || LogoutUnderWay)
        return;
    main->setWindowState(main->property("Tag").toString() == u"2" ? Qt::WindowMaximized : Qt::WindowNoState);
    main->show();
}

void MiniForm::LoadImg(const QString& Limg) {
    for (float dols : {0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f}) {
        const auto pieces = mini::skinPieces(dols);
        if (pieces->key == Limg) {
            m_back = {miniSkinPicture(pieces->left), miniSkinPicture(pieces->middle),
                      miniSkinPicture(pieces->right)};
            break;
        }
    }
    wText = 780;
}

void MiniForm::Loadskin(float Dols) {
    if (const auto pieces = mini::skinPieces(Dols)) {
        if (!pieces->key.isEmpty()) {
            LoadImg(pieces->key);
        } else {
            m_back = {miniSkinPicture(pieces->left), miniSkinPicture(pieces->middle),
                      miniSkinPicture(pieces->right)};
            wText = mini::textLeftAfterSkin(Dols, wText);
        }
    }
    MiniHeight = m_back[0].height() * 15;
    LoadMiniExt();
    layoutPanel();
}

void MiniForm::SetCaption(const QString& TheCaption, int16_t Showt, const QString& Showsmt,
                          const QString& CwTipstr) {
    m_price = TheCaption;
    if (const auto label = mini::changeLabel(ShowDayChange, Showt, Showsmt)) {
        m_change.caption = label->caption;
        m_change.color = label->color;
        if (label->tip)
            m_changeTip = *label->tip;
    }
    m_holding = holdCaption;
    m_cwVisible = mini::positionLineFits(ShowHolding, textHeight(priceFont()), MiniHeight);
    if (!CwTipstr.isEmpty())
        m_holdingTip = CwTipstr;
    mini::WidthParts parts;
    parts.windowWidth = m_width;
    parts.cwVisible = m_cwVisible;
    parts.wText = wText;
    parts.cwsWidth = textWidth(lineFont(), m_holding);
    parts.back2Width = m_back[2].width() * 15;
    parts.labelsWidth = textWidth(priceFont(), m_price);
    parts.upsWidth = textWidth(priceFont(), m_change.caption);
    setSizeTwips(mini::captionWidth(parts), m_height);
    keepOnScreen();
    setToolTip(platform::plainTip(m_cwVisible && !m_holdingTip.isEmpty() ? m_holdingTip : m_changeTip));
    LoadMiniExt();
    layoutPanel();
}

void MiniForm::resetChange() {
    m_change = mini::ChangeLabel{QStringLiteral("－0.00"), std::nullopt, 0xFFFFFF};
    update();
}

void MiniForm::LoadMiniExt() {
    if (ExtCount <= 0) {
        setSizeTwips(m_width, MiniHeight);
        return;
    }
    m_rowCount = std::max(m_rowCount, static_cast<int>(ExtCount));
    // Rows keep their last text when the list gets shorter; they then lie below the window.
    while (m_rows.size() < m_rowCount)
        m_rows.append(QStringLiteral("N/A"));
    int r = -1;
    for (int k = 0; k < ProdCount && k < ExtShow.size() && k < static_cast<int>(ProdName.size()); ++k) {
        if (!ExtShow[k])
            continue;
        ++r;
        if (r < m_rows.size())
            m_rows[r] = mini::rowText(ProdName[k], ProdPrice[k][0], ProdPrev[k]);
    }
    if (MiniHwnd != nullptr && MiniHwnd->isLoaded() && MiniHwnd != this) {
        setSizeTwips(m_width, MiniHeight);
        return;
    }
    setSizeTwips(m_width, mini::windowHeight(MiniHeight, ExtCount, kRowHeight));
}

void MiniForm::layoutPanel() { update(); }

int MiniForm::screenWidthTwips() const {
    const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    return s == nullptr ? 1024 * 15 : s->geometry().width() * 15;
}

// A longer caption widens the window to the right; its change value stays on the screen.
void MiniForm::keepOnScreen() {
    const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (s == nullptr) return;
    const QRect area = s->availableGeometry();
    const int left =
        mini::leftWithin(dock(), area.left() * 15, (area.right() + 1) * 15, screenWidthTwips());
    if (left != x() * 15) move(left / 15, y());
}

mini::Dock MiniForm::dock() const {
    return mini::Dock{x() * 15, y() * 15, m_width, m_height, Ishide, m_timer.isActive()};
}

void MiniForm::place(const mini::Dock& d) {
    move(d.left / 15, d.top / 15);
    Ishide = d.Ishide;
    if (d.timerOn && !m_timer.isActive())
        m_timer.start();
    else if (!d.timerOn)
        m_timer.stop();
}

void MiniForm::HideMe() {
    mini::Dock d = dock();
    mini::HideMe(d, screenWidthTwips(), NoEdgeHide);
    place(d);
}

void MiniForm::ShowMe() {
    mini::Dock d = dock();
    mini::ShowMe(d, screenWidthTwips());
    place(d);
}

void MiniForm::tickAt(const QPoint& cursor) {
    mini::Dock d = dock();
    mini::tick(d, geometry(), cursor, screenWidthTwips(), NoEdgeHide);
    place(d);
}

bool MiniForm::overPanel(const QPoint& local) const { return local.y() * 15 < MiniHeight; }

void MiniForm::mousePressEvent(QMouseEvent* event) {
    if (event->buttons() == Qt::LeftButton) {
        // The window moves itself: a system move returns at once on X11.
        m_dragging = true;
        m_dragDocks = overPanel(event->position().toPoint());
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
        return;
    }
    if (miniMenu())
        miniMenu()(event->globalPosition().toPoint());
    update();
}

void MiniForm::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        return;
    }
    if (Ishide)
        ShowMe();
}

void MiniForm::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasDragging = m_dragging;
    m_dragging = false;
    if (wasDragging && m_dragDocks)
        HideMe();
    if (overPanel(event->position().toPoint()))
        applyAlpha();
}

void MiniForm::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && overPanel(event->position().toPoint()))
        TosMain();
}

void MiniForm::keyPressEvent(QKeyEvent* event) {
    platform::sendKeyToMain(platform::virtualKey(*event), platform::shiftMask(event->modifiers()));
}

void MiniForm::showEvent(QShowEvent* event) {
    platform::Form::showEvent(event);
    // No taskbar entry: the window manager is asked again each time the window maps.
    platform::skipTaskbar(this);
}

void MiniForm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    draw(p);
}

QImage MiniForm::picture() const {
    QImage image(m_width / 15, m_height / 15, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter p(&image);
    draw(p);
    return image;
}

void MiniForm::draw(QPainter& p) const {
    const int w = m_width / 15;
    const int panel = MiniHeight / 15;
    const QImage& left = m_back[0];
    const QImage& middle = m_back[1];
    const QImage& right = m_back[2];
    p.fillRect(QRect(0, 0, w, m_height / 15), QColor(0xD4, 0xD0, 0xC8));
    // The rows: the middle piece's lower part between two thin edges.
    const QFont rowFont = songFont(mini::rowFontSize(ExtBigFont), false);
    for (int r = 0; r < ExtCount && r < m_rows.size(); ++r) {
        const int top = mini::rowTop(MiniHeight, r, kRowHeight) / 15;
        const int h = kRowHeight / 15;
        p.save();
        p.setClipRect(QRect(0, top, w, h));
        p.drawImage(QRect(2, top + h - middle.height(), 2 * w, middle.height()), middle);
        p.drawImage(QRect(0, top - 4, right.width(), h + 4), right);
        p.drawImage(QRect(w - 2, top - 4, right.width(), h + 4), right);
        p.setFont(rowFont);
        p.setPen(Qt::white);
        p.drawText(QPoint(4, top + 5 + QFontMetrics(rowFont).ascent()), m_rows[r]);
        p.restore();
    }
    // The quote panel.
    p.drawImage(QPoint(0, 0), left);
    p.drawImage(QRect(left.width(), 0, std::max(w - left.width() - right.width(), 0), left.height()), middle);
    p.drawImage(QPoint(w - right.width(), 0), right);
    const QFontMetrics pm(priceFont());
    const QFontMetrics lm(lineFont());
    int labelsTop = panel / 2 - pm.height() / 2;
    if (m_cwVisible)
        labelsTop -= lm.height() / 3;
    const int x = wText / 15;
    p.setFont(priceFont());
    p.setPen(Qt::white);
    p.drawText(QPoint(x, labelsTop + pm.ascent()), m_price);
    p.setPen(oleColor(m_change.color));
    p.drawText(QPoint(x + pm.horizontalAdvance(m_price), labelsTop + pm.ascent()), m_change.caption);
    if (m_cwVisible) {
        p.setFont(lineFont());
        p.setPen(Qt::white);
        p.drawText(QPoint(x, labelsTop + pm.height() + 2 + lm.ascent()), m_holding);
    }
    // The plain strip along the bottom edge shows while there are no rows.
    if (ExtCount <= 0)
        p.fillRect(QRect(0, m_height / 15 - kBlableHeight / 15, w, kBlableHeight / 15), QColor(0xD4, 0xD0, 0xC8));
}
