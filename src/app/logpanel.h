// "Log to file…" beside the chart's buttons: starts and stops the sample log, and shows while it
// runs the file it writes and the rows written (or why it stopped).
#pragma once

#include "monitor/samplelog.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace vanto {

class FileDialogs;
class UnitLink;
struct ProgramState;

class LogPanel : public QWidget {
    Q_OBJECT
public:
    LogPanel(UnitLink& link, FileDialogs& dialogs, QWidget* parent = nullptr);

    SampleLog& log() { return m_log; }
    QPushButton* button() const { return m_button; }
    QLabel* indicator() const { return m_indicator; }

    // The button: asks for a file and starts, or stops a running log.
    void toggle();
    bool startLog(const QString& path);

private:
    void refresh();

    UnitLink& m_link;
    FileDialogs& m_dialogs;
    SampleLog m_log;
    float m_heldOutput = 0;
    QPushButton* m_button;
    QLabel* m_indicator;
};

} // namespace vanto
