// The web page window: an address box with its history, a toolbar and the page view. It runs in
// the program vanto-web (webmain.cpp), never inside the main program.
#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QTimer;
class QToolBar;
class QWebEngineView;

namespace vanto {

class WebPageWindow : public QDialog {
    Q_OBJECT
public:
    explicit WebPageWindow(QWidget* parent = nullptr);

    // Set by the opener before the window is shown; empty means no page is loaded.
    QString startingAddress;
    // The pages of the "Home" and "Search" buttons (none: the button does nothing).
    QString homeAddress;
    QString searchAddress;

    QLabel* addressLabel;
    QComboBox* addressBox;
    QToolBar* toolBar;
    QWebEngineView* brwWebBrowser;
    QTimer* busyTimer;

    // Toolbar button by its key: "Back", "Forward", "Refresh", "Home", "Search", "Stop".
    void toolBarButtonClicked(const QString& key);
    bool busy() const { return m_busy; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void navigate(const QString& address);
    void busyTimerTick();
    void showTitle();
    bool m_busy = false;
    bool m_loaded = false;
};

} // namespace vanto
