#include "editordialogs.h"

#include "editor/programeditor.h"
#include "frmsens.h"
#include "optiondialogs.h"

namespace vanto {

EditorDialogs::EditorDialogs(Prompts& prompts, int featureLevel, QWidget* parent)
    : m_prompts(prompts), m_featureLevel(featureLevel), m_parent(parent) {}

void EditorDialogs::openSettingsDialog(SettingsDialog dialog) {
    if (!m_editor)
        return;
    ProgramRecord& record = m_editor->WorkingRecord();
    switch (dialog) {
    case SettingsDialog::ControlRelay:
        run(new frmCtrRly(record, m_prompts, m_parent));
        break;
    case SettingsDialog::Counter:
        run(new frmCount(record, m_prompts, m_parent));
        break;
    case SettingsDialog::Rs232:
        run(new frmRS232(record, m_prompts, m_parent));
        break;
    case SettingsDialog::SumScale:
        run(new frmSumScl(record, m_featureLevel, m_prompts, m_parent));
        break;
    case SettingsDialog::Clock:
        run(new frmClock(record, m_prompts, m_parent));
        break;
    }
}

void EditorDialogs::showSensorLayout() {
    run(new frmSens(m_parent));
}

void EditorDialogs::run(QDialog* window) {
    // A fresh window at every opening, released when it closes (unless its parent went first).
    m_open = window;
    window->exec();
    delete m_open.data();
}

} // namespace vanto
