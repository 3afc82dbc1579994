#pragma once

#include "platform/forms.h"

#include <QSizeF>

#include <cstdint>

namespace platform {
class BrowserPane;
} // namespace platform

// The K-line web window: one browser filling a resizable window titled "K线看盘". Nothing opens
// it yet; it stands ready for a feature that shows K-line pages.
class MaxForm : public platform::Form {
    Q_OBJECT
public:
    MaxForm();

    int16_t ShowType = 0;
    platform::BrowserPane* Web = nullptr;

    // Stores the type, shows the browser and lays the window out as on a resize.
    void SetShow(int16_t type);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

MaxForm& maxForm();

// The window's size in twips after the minimum of 7000 x 5000: each direction that is below its
// minimum snaps to it, the other stays.
[[nodiscard]] QSizeF maxFormSnap(const QSizeF& twips);
