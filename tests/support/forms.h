#pragma once

#include "common/msgbox.h"
#include "platform/eventwait.h"
#include "platform/forms.h"

#include <QLabel>
#include <QStringList>

#include <functional>

// Waits with the event loop running until `done` holds or `ms` pass.
inline bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (done())
            return true;
        platform::pauseMs(20);
    }
    return done();
}

// The message boxes now open, oldest first.
inline QList<Msgform*> openBoxes() {
    QList<Msgform*> boxes;
    for (platform::Form* f : platform::loadedForms())
        if (auto* m = qobject_cast<Msgform*>(f))
            boxes << m;
    return boxes;
}

// Each open box as "title|text".
inline QStringList boxTexts() {
    QStringList t;
    for (Msgform* m : openBoxes())
        t << m->windowTitle() + u'|' + m->Label1->text();
    return t;
}

inline void closeBoxes() {
    for (Msgform* m : openBoxes())
        m->unload();
}
