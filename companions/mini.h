#pragma once

#include "companions/minilogic.h"
#include "platform/forms.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>

// The floating mini quote window: frameless, without a taskbar entry, translucent and optionally
// top-most. It shows the current quote with its change, the position line and the extended list,
// docks at the top or right screen edge and is dragged by itself. Lengths are twips.
class MiniForm final : public platform::Form {
    Q_OBJECT
public:
    MiniForm();
    ~MiniForm() override;

    bool Ishide = false;
    int wText = 780;
    int MiniHeight = 600;
    // The current instrument's position line, kept by the quote texts; the caller sets it
    // before SetCaption, as the quote tables lie above this folder.
    QString holdCaption;

    void TosMain();
    void Loadskin(float Dols);
    void LoadImg(const QString& Limg);
    void SetCaption(const QString& TheCaption, int16_t Showt, const QString& Showsmt, const QString& CwTipstr);
    void LoadMiniExt();
    // The day's change back to its neutral white "－0.00", as when the change is switched off.
    void resetChange();
    void HideMe();
    void ShowMe();

    // What the window shows, for its owner and tests.
    [[nodiscard]] QString priceText() const { return m_price; }
    [[nodiscard]] QString changeText() const { return m_change.caption; }
    [[nodiscard]] uint32_t changeColor() const { return m_change.color; }
    [[nodiscard]] QString changeTip() const { return m_changeTip; }
    [[nodiscard]] bool positionLineVisible() const { return m_cwVisible; }
    [[nodiscard]] QStringList rowTexts() const { return m_rows; }
    [[nodiscard]] int rowCount() const { return m_rowCount; }
    [[nodiscard]] bool watching() const { return m_timer.isActive(); }
    [[nodiscard]] QSize sizeTwips() const { return {m_width, m_height}; }
    // The window as drawn, at its size.
    [[nodiscard]] QImage picture() const;

    // The watching timer's tick, with the cursor in screen pixels.
    void tickAt(const QPoint& cursor);

protected:
    void formLoad() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void layoutPanel();
    void applyAlpha();
    void setSizeTwips(int width, int height);
    void keepOnScreen();
    [[nodiscard]] mini::Dock dock() const;
    void place(const mini::Dock& d);
    [[nodiscard]] int screenWidthTwips() const;
    [[nodiscard]] bool overPanel(const QPoint& local) const;
    void draw(QPainter& p) const;

    std::array<QImage, 3> m_back; // left, middle, right
    int m_width = 0;  // twips
    int m_height = 0; // twips
    QString m_price;
    mini::ChangeLabel m_change{QStringLiteral("－0.00"), std::nullopt, 0xFFFFFF};
    QString m_changeTip;
    QString m_holding;
    QString m_holdingTip;
    bool m_cwVisible = false;
    QStringList m_rows;
    int m_rowCount = 1; // row 0 exists from the start
    QTimer m_timer;
    // A drag in progress: the press point relative to the window, and whether a drop docks.
    bool m_dragging = false;
    bool m_dragDocks = false;
    QPoint m_dragOffset;
};

// The one mini window, loaded on first use.
MiniForm& Mini();

// The popup menu a right click on the mini window opens at a screen point (the tray menu's).
void setMiniMenu(std::function<void(const QPoint& globalPos)> menu);
