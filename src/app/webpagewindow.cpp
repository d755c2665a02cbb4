#include "webpagewindow.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineView>

namespace vanto {

WebPageWindow::WebPageWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WebPageWindow"));
    setWindowTitle(QStringLiteral("Web"));
    resize(900, 680);

    toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const struct {
        const char* key;
        QStyle::StandardPixmap icon;
    } buttons[] = {
        {"Back", QStyle::SP_ArrowBack},
        {"Forward", QStyle::SP_ArrowForward},
        {"Refresh", QStyle::SP_BrowserReload},
        {"Home", QStyle::SP_DirHomeIcon},
        {"Search", QStyle::SP_FileDialogContentsView},
        {"Stop", QStyle::SP_BrowserStop},
    };
    for (const auto& b : buttons) {
        const QString key = QLatin1String(b.key);
        QAction* action = toolBar->addAction(style()->standardIcon(b.icon), key);
        action->setObjectName(key);
        connect(action, &QAction::triggered, this, [this, key] { toolBarButtonClicked(key); });
    }

    addressLabel = new QLabel(QStringLiteral("&Address:"), this);
    addressLabel->setObjectName(QStringLiteral("addressLabel"));
    addressBox = new QComboBox(this);
    addressBox->setObjectName(QStringLiteral("addressBox"));
    addressBox->setEditable(true);
    addressBox->setInsertPolicy(QComboBox::NoInsert);
    addressBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    addressLabel->setBuddy(addressBox);
    connect(addressBox, qOverload<int>(&QComboBox::activated), this,
            [this](int) { navigate(addressBox->currentText()); });
    connect(addressBox->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { navigate(addressBox->currentText()); });

    brwWebBrowser = new QWebEngineView(this);
    brwWebBrowser->setObjectName(QStringLiteral("brwWebBrowser"));
    connect(brwWebBrowser, &QWebEngineView::loadStarted, this, [this] { m_busy = true; });
    connect(brwWebBrowser, &QWebEngineView::loadFinished, this, [this](bool) {
        m_busy = false;
        showTitle(); // the download is complete
    });

    busyTimer = new QTimer(this);
    busyTimer->setObjectName(QStringLiteral("busyTimer"));
    busyTimer->setInterval(5);
    connect(busyTimer, &QTimer::timeout, this, &WebPageWindow::busyTimerTick);

    auto* addressRow = new QHBoxLayout;
    addressRow->addWidget(addressLabel);
    addressRow->addWidget(addressBox, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 0, 7, 7);
    layout->setSpacing(4);
    layout->addWidget(toolBar);
    layout->addLayout(addressRow);
    layout->addWidget(brwWebBrowser, 1);
}

void WebPageWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_loaded)
        return;
    m_loaded = true;
    if (!startingAddress.isEmpty()) {
        addressBox->setEditText(startingAddress);
        addressBox->addItem(startingAddress);
        navigate(startingAddress);
    }
}

void WebPageWindow::navigate(const QString& address) {
    const QString text = address.trimmed();
    if (text.isEmpty())
        return;
    if (addressBox->findText(text) < 0)
        addressBox->addItem(text);
    m_busy = true; // until the page view reports the load finished
    busyTimer->start();
    brwWebBrowser->setUrl(QUrl::fromUserInput(text));
}

void WebPageWindow::toolBarButtonClicked(const QString& key) {
    busyTimer->start();
    QWebEngineHistory* history = brwWebBrowser->history();
    if (key == QLatin1String("Back")) {
        m_busy = history->canGoBack();
        brwWebBrowser->back();
    } else if (key == QLatin1String("Forward")) {
        m_busy = history->canGoForward();
        brwWebBrowser->forward();
    } else if (key == QLatin1String("Refresh")) {
        m_busy = !brwWebBrowser->url().isEmpty();
        brwWebBrowser->reload();
    } else if (key == QLatin1String("Home")) {
        navigate(homeAddress);
    } else if (key == QLatin1String("Search")) {
        navigate(searchAddress);
    } else if (key == QLatin1String("Stop")) {
        busyTimer->stop();
        brwWebBrowser->stop();
        m_busy = false;
        showTitle();
    }
}

void WebPageWindow::busyTimerTick() {
    if (m_busy) {
        setWindowTitle(QStringLiteral("Working..."));
        return;
    }
    busyTimer->stop();
    showTitle();
}

void WebPageWindow::showTitle() {
    const QString title = brwWebBrowser->title();
    setWindowTitle(title.isEmpty() ? brwWebBrowser->url().toString() : title);
    if (!brwWebBrowser->url().isEmpty())
        addressBox->setEditText(brwWebBrowser->url().toString());
}

} // namespace vanto
