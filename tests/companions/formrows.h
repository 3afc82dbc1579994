#pragma once

// Checks of a form's layout a user would see: every drop-down box shows its longest item whole,
// and no two controls of the form cover each other or reach past its edge.
#include <QComboBox>
#include <QFontMetrics>
#include <QWidget>

#include <gtest/gtest.h>

inline void expectBoxesShowTheirItems(const QWidget& form) {
    for (const QComboBox* box : form.findChildren<QComboBox*>()) {
        int longest = 0;
        for (int i = 0; i < box->count(); ++i)
            longest = std::max(longest, box->fontMetrics().horizontalAdvance(box->itemText(i)));
        // The arrow button and the frame take at least 16 pixels beside the text.
        EXPECT_GE(box->width(), longest + 16) << box->objectName().toStdString() << " " << box->currentText().toStdString();
    }
}

inline void expectControlsApartAndInside(const QWidget& form) {
    const QList<QWidget*> children = form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < children.size(); ++i) {
        const QWidget* a = children[i];
        if (a->isHidden() || a->isWindow()) continue;
        EXPECT_TRUE(form.rect().contains(a->geometry())) << a->metaObject()->className();
        for (qsizetype j = i + 1; j < children.size(); ++j) {
            const QWidget* b = children[j];
            if (b->isHidden() || b->isWindow()) continue;
            EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                << a->metaObject()->className() << " and " << b->metaObject()->className();
        }
    }
}
