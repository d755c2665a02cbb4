// The setup dialog: choose the serial port 1 to 9 (each shown with the device it opens) or, once
// offerDevices() was called, any of the machine's ports, a typed device path or a network address.
#pragma once

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QPushButton;

namespace vanto {

struct CommConfig;
class PortSource;
class Prompts;

class SetupDialog : public QDialog {
    Q_OBJECT
public:
    // `deviceOverride`: the device given with --device for this run, shown as a note.
    SetupDialog(CommConfig& config, int& activePort, const QString& programDir, Prompts& prompts,
                const QString& deviceOverride = QString(), QWidget* parent = nullptr);

    QLabel* portLabel;
    QComboBox* portBox;
    QLabel* deviceLabel;                       // the device the chosen port opens
    std::array<QPushButton*, 2> dialogButtons; // 0 "SAVE", 1 "CANCEL"

    void buttonClicked(int index);

    // Lists the machine's ports from `source` after the numbered ones (again whenever the list
    // opens, and by refreshButton), lets the operator type any device or network address, and keeps
    // a chosen device that is not a numbered port in `chosenDevice` (emptied when a number is
    // saved). The entry of `chosenDevice` is selected on opening.
    void offerDevices(PortSource& source, QString& chosenDevice);
    void refreshPorts();

    QPushButton* refreshButton = nullptr; // "Refresh", with offerDevices()

private:
    void showChoice();

    CommConfig& m_config;
    int& m_activePort;
    QString m_programDir;
    Prompts& m_prompts;
    QString m_deviceOverride;
    PortSource* m_source = nullptr;
    QString* m_chosenDevice = nullptr;
};

} // namespace vanto
