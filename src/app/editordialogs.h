// The windows the program editor opens: the five option dialogs on its workingRecord and the
// sensor layout picture, each modal.
#pragma once

#include "editor/editorlink.h"

#include <QPointer>

class QDialog;
class QWidget;

namespace vanto {

class ProgramEditor;
class Prompts;

class EditorDialogs : public EditorWindows {
public:
    // `featureLevel` is the connected unit's featureLevel (it decides whether SUM Linear can be
    // chosen); `parent` is the editor window the dialogs sit over.
    EditorDialogs(Prompts& prompts, int featureLevel, QWidget* parent = nullptr);

    // The editor whose workingRecord the dialogs edit. The editor takes this object at its
    // construction, so it is handed over afterwards; without one no dialog opens.
    void setEditor(ProgramEditor* editor) { m_editor = editor; }
    void setParent(QWidget* parent) { m_parent = parent; }

    void openSettingsDialog(SettingsDialog dialog) override;
    void showSensorLayout() override;

    // The window open at the moment, if any; released when it closes.
    QDialog* openWindow() const { return m_open; }

private:
    void run(QDialog* window);

    Prompts& m_prompts;
    int m_featureLevel;
    QPointer<QWidget> m_parent;
    ProgramEditor* m_editor = nullptr;
    QPointer<QDialog> m_open;
};

} // namespace vanto
