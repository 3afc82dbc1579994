#pragma once

#include "platform/colors.h"
#include "platform/forms.h"
#include "widgets/imagelist/balloonshape.h"
#include "widgets/imagelist/formtimer.h"

#include <QFont>
#include <QImage>
#include <QPolygon>
#include <QRegion>
#include <QString>

// What the balloon shows, written by BalloonTip::ShowTip and read by the balloon window when it
// loads: one balloon for the whole program.
inline QString ShownTitleText;
inline QString ShownTipText;
inline QString ShownFontName;
inline double ShownFontSize = 0; // points, four decimals
inline platform::OleColor ShownTitleColor = 0;
inline platform::OleColor ShownTipColor = 0;
inline platform::OleColor ShownBackColor = 0;
inline platform::OleColor ShownFrameColor = 0;
// The owner token of the instance that last claimed the balloon.
inline quintptr ShownOwner = 0;
// The pointer triangle (pixels) and the body's offset from the window top (0 or 15 pixels).
inline QPolygon BalloonPointer;
inline int BalloonBodyTop = 0;

// The balloon window: borderless and top-most, shaped as a rounded body with a pointer whose tip
// sits at the mouse cursor, shaded from the back colour and outlined in black. Loading it fills
// and sizes it from the shared state; 300 ms later it places itself at the cursor and shows
// without taking the focus. It unloads after 10 s, or as soon as an instance with another owner
// token claims the balloon.
class frmToolTip : public platform::Form {
    Q_OBJECT
public:
    static constexpr int kPlaceDelayMs = 300;
    static constexpr int kLifetimeMs = 10000;

    frmToolTip();
    ~frmToolTip() override;

    // An instance claimed the balloon (ShownOwner changed): a placed balloon of another owner
    // closes once control is back in the event loop.
    static void ownerClaimed();

    [[nodiscard]] bool placed() const { return m_placed; }
    [[nodiscard]] const balloon::Frame& frame() const { return m_frame; }
    [[nodiscard]] const balloon::Placement& placement() const { return m_placement; }
    [[nodiscard]] QString titleCaption() const { return m_titleCaption; }
    [[nodiscard]] QString tipCaption() const { return m_tipCaption; }
    // The labels' rectangles in twips, as they stand now (moved down with the pointer on top).
    [[nodiscard]] QRect titleLabel() const { return m_titleLabel; }
    [[nodiscard]] QRect tipLabel() const { return m_tipLabel; }
    [[nodiscard]] const QFont& titleFont() const { return m_titleFont; }
    [[nodiscard]] const QFont& tipFont() const { return m_tipFont; }
    // The painted window (before its shape cuts it) and the shape.
    [[nodiscard]] QImage face() const;
    [[nodiscard]] QRegion windowRegion() const { return m_region; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void tmrToolTip_Timer();
    void Timer1_Timer();
    void buildBalloonRegion();
    void checkOwner();
    [[nodiscard]] QSize windowPixels() const;

    FormTimer tmrToolTip;
    FormTimer Timer1;
    bool m_placed = false;
    quintptr m_ownerAtShow = 0;

    QString m_titleCaption;
    QString m_tipCaption;
    QFont m_titleFont;
    QFont m_tipFont;
    QRect m_titleLabel;
    QRect m_tipLabel;
    platform::OleColor m_backColor = 0;
    platform::OleColor m_titleColor = 0;
    platform::OleColor m_tipColor = 0;
    balloon::Frame m_frame;
    balloon::Placement m_placement;
    QRegion m_region;
};
