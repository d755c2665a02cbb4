// The application shell's small windows: splash, About box and the help viewer.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>

class QLabel;
class QTextBrowser;
class QTimer;

namespace vanto {

class Prompts;

// The application's icon and logo, drawn here: a sensor head sending sound waves.
QPixmap appLogo(int size);

// The first window: product name, version and credits; after 2000 ms its timer fires once and
// calls `onElapsed` (which shows the main window), then the splash closes itself.
class SplashWindow : public QDialog {
    Q_OBJECT
public:
    explicit SplashWindow(std::function<void()> onElapsed, QWidget* parent = nullptr);
    QLabel* productNameLabel;
    QLabel* versionLabel;
    QTimer* closeTimer;

private:
    std::function<void()> m_onElapsed;
};

// The About box.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(Prompts& prompts, QWidget* parent = nullptr);
    QLabel* titleLabel;
    QLabel* versionLabel;
    QLabel* descriptionLabel;
    QLabel* disclaimerLabel;

    // Starts the host's system information tool, or says that there is none.
    void startSysInfo();

private:
    Prompts& m_prompts;
};

// The host's system information tool, if one is installed ("" otherwise).
QString findSysInfoTool();

// The help module: owns the help viewer window, shows the contents page of the help file and
// closes it at shut-down.
class HelpViewer {
public:
    // Records the owner window and the help file's path.
    void setup(QWidget* owner, const QString& programDir);
    void showContents();
    void close();
    QString helpFile() const { return m_helpFile; }
    QWidget* viewer() const;

private:
    QPointer<QWidget> m_owner;
    QString m_helpFile;
    QPointer<QWidget> m_viewer;
    QTextBrowser* m_browser = nullptr;
};

} // namespace vanto
