#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace platform {

// The platform's own small question and notice boxes (the program's message box is Msgform).
enum class BoxIcon { None, Critical, Question, Exclamation, Information };
enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No };

// Shows a box and waits for it. A question is answered Yes only by its Yes button: closing the
// box any other way (Escape, the window's close button, the program ending) answers No. Once the
// program is ending no box is shown and the answer is what closing it gives.
BoxAnswer messageBox(const QString& text, const QString& title, BoxButtons buttons, BoxIcon icon,
                     QWidget* owner = nullptr);

// The caption a box shows: its title, or the program's title "Quillor" when the title is empty.
[[nodiscard]] QString boxCaption(const QString& title);

// Tests answer the boxes themselves (the handler gets the caption the box would show); a null
// handler restores the real boxes.
using BoxHandler = std::function<BoxAnswer(const QString& text, const QString& title, BoxButtons, BoxIcon)>;
void setMessageBoxHandler(BoxHandler handler);

} // namespace platform
