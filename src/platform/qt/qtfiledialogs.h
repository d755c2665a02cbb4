// The core's open and save file dialogs on QFileDialog. Needs Qt Widgets: built into
// vanto_qtdialogs, not into the core.
#pragma once

#include "platform/filedialogs.h"

class QWidget;

namespace vanto {

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
