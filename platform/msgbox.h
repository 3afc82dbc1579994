#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace platform {

// The platform's own small question and notice boxes (the program's message box is Msgform).
enum class BoxIcon { None, Critical, Question, Exclamation, Information };
enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No };

BoxAnswer messageBox(const QString& text, const QString& title, BoxButtons buttons, BoxIcon icon,
                     QWidget* owner = nullptr);

// Tests answer the boxes themselves; a null handler restores the real boxes.
using BoxHandler = std::function<BoxAnswer(const QString& text, const QString& title, BoxButtons, BoxIcon)>;
void setMessageBoxHandler(BoxHandler handler);

} // namespace platform
