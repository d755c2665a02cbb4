// The platform interfaces of the core, answered by real Qt dialogs.
#pragma once

#include "platform/filedialogs.h"
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

class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    std::optional<QString> getSaveFileName(const FileDialogRequest& request) override;
    std::optional<QString> getOpenFileName(const FileDialogRequest& request) override;

private:
    std::optional<QString> run(const FileDialogRequest& request, bool save);
    QWidget* m_parent;
};

} // namespace vanto
