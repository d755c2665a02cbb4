// What the core asks of the person at the screen: the beep, message boxes and yes/no questions.
// The window implements it with QMessageBox; tests answer it and count the beeps.
#pragma once

#include <QString>

namespace vanto {

enum class MessageIcon { None, Information, Warning, Critical, Question };

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual void beep() = 0;
    // A message box with a single OK button.
    virtual void message(const QString& text, const QString& title, MessageIcon icon) = 0;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(const QString& text, const QString& title, MessageIcon icon) = 0;
};

} // namespace vanto
