// The Setup dialog: choose the serial port 1 to 9 (each shown with the device it opens).
#pragma once

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QPushButton;

namespace vanto {

struct CommConfig;
class Prompts;

class frmSetup : public QDialog {
    Q_OBJECT
public:
    // `deviceOverride`: the device given with --device for this run, shown as a note.
    frmSetup(CommConfig& config, int& activePort, const QString& programDir, Prompts& prompts,
             const QString& deviceOverride = QString(), QWidget* parent = nullptr);

    QLabel* Label1;
    QComboBox* cmbPorts;
    QLabel* lblDevice;                    // the device the chosen port opens
    std::array<QPushButton*, 2> cmdSetup; // 0 "SAVE", 1 "CANCEL"

    void cmdSetup_Click(int index);

private:
    CommConfig& m_config;
    int& m_activePort;
    QString m_programDir;
    Prompts& m_prompts;
};

} // namespace vanto
