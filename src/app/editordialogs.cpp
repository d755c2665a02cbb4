#include "editordialogs.h"

#include "editor/programeditor.h"
#include "optiondialogs.h"
#include "sensorlayoutwindow.h"

namespace vanto {

EditorDialogs::EditorDialogs(Prompts& prompts, int featureLevel, QWidget* parent)
    : m_prompts(prompts), m_featureLevel(featureLevel), m_parent(parent) {}

void EditorDialogs::openSettingsDialog(SettingsDialog dialog) {
    if (!m_editor)
        return;
    ProgramRecord& record = m_editor->workingRecord();
    switch (dialog) {
    case SettingsDialog::ControlRelay:
        run(new ControlRelayDialog(record, m_prompts, m_parent));
        break;
    case SettingsDialog::Counter:
        run(new CounterDialog(record, m_prompts, m_parent));
        break;
    case SettingsDialog::Rs232:
        run(new Rs232Dialog(record, m_prompts, m_parent));
        break;
    case SettingsDialog::SumScale:
        run(new SumScaleDialog(record, m_featureLevel, m_prompts, m_parent));
        break;
    case SettingsDialog::Clock:
        run(new ClockDialog(record, m_prompts, m_parent));
        break;
    }
}

void EditorDialogs::showSensorLayout() {
    run(new SensorLayoutWindow(m_parent));
}

void EditorDialogs::run(QDialog* window) {
    // A fresh window at every opening, released when it closes (unless its parent went first).
    m_open = window;
    window->exec();
    delete m_open.data();
}

} // namespace vanto
