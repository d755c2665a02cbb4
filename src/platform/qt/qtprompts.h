// The prompts of the core (the beep, message boxes, yes/no questions) on QApplication::beep and
// QMessageBox. Needs Qt Widgets: built into vanto_qtdialogs, not into the core.
#pragma once

#include "platform/prompts.h"

class QWidget;

namespace vanto {

class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    void beep() override;
    void message(const QString& text, const QString& title, MessageIcon icon) override;
    bool askYesNo(const QString& text, const QString& title, MessageIcon icon) override;

private:
    QWidget* m_parent;
};

} // namespace vanto
