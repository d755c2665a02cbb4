#include "frmbrowser.h"

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

frmBrowser::frmBrowser(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmBrowser"));
    setWindowTitle(QStringLiteral("Web"));
    resize(900, 680);

    tbToolBar = new QToolBar(this);
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
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
        QAction* action = tbToolBar->addAction(style()->standardIcon(b.icon), key);
        action->setObjectName(key);
        connect(action, &QAction::triggered, this, [this, key] { tbToolBar_ButtonClick(key); });
    }

    lblAddress = new QLabel(QStringLiteral("&Address:"), this);
    lblAddress->setObjectName(QStringLiteral("lblAddress"));
    cboAddress = new QComboBox(this);
    cboAddress->setObjectName(QStringLiteral("cboAddress"));
    cboAddress->setEditable(true);
    cboAddress->setInsertPolicy(QComboBox::NoInsert);
    cboAddress->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    lblAddress->setBuddy(cboAddress);
    connect(cboAddress, qOverload<int>(&QComboBox::activated), this,
            [this](int) { navigate(cboAddress->currentText()); });
    connect(cboAddress->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { navigate(cboAddress->currentText()); });

    brwWebBrowser = new QWebEngineView(this);
    brwWebBrowser->setObjectName(QStringLiteral("brwWebBrowser"));
    connect(brwWebBrowser, &QWebEngineView::loadStarted, this, [this] { m_busy = true; });
    connect(brwWebBrowser, &QWebEngineView::loadFinished, this, [this](bool) {
        m_busy = false;
        showTitle(); // the download is complete
    });

    timTimer = new QTimer(this);
    timTimer->setObjectName(QStringLiteral("timTimer"));
    timTimer->setInterval(5);
    connect(timTimer, &QTimer::timeout, this, &frmBrowser::timTimer_Timer);

    auto* addressRow = new QHBoxLayout;
    addressRow->addWidget(lblAddress);
    addressRow->addWidget(cboAddress, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 0, 7, 7);
    layout->setSpacing(4);
    layout->addWidget(tbToolBar);
    layout->addLayout(addressRow);
    layout->addWidget(brwWebBrowser, 1);
}

void frmBrowser::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_loaded)
        return;
    m_loaded = true;
    if (!StartingAddress.isEmpty()) {
        cboAddress->setEditText(StartingAddress);
        cboAddress->addItem(StartingAddress);
        navigate(StartingAddress);
    }
}

void frmBrowser::navigate(const QString& address) {
    const QString text = address.trimmed();
    if (text.isEmpty())
        return;
    if (cboAddress->findText(text) < 0)
        cboAddress->addItem(text);
    m_busy = true; // until the page view reports the load finished
    timTimer->start();
    brwWebBrowser->setUrl(QUrl::fromUserInput(text));
}

void frmBrowser::tbToolBar_ButtonClick(const QString& key) {
    timTimer->start();
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
        navigate(HomeAddress);
    } else if (key == QLatin1String("Search")) {
        navigate(SearchAddress);
    } else if (key == QLatin1String("Stop")) {
        timTimer->stop();
        brwWebBrowser->stop();
        m_busy = false;
        showTitle();
    }
}

void frmBrowser::timTimer_Timer() {
    if (m_busy) {
        setWindowTitle(QStringLiteral("Working..."));
        return;
    }
    timTimer->stop();
    showTitle();
}

void frmBrowser::showTitle() {
    const QString title = brwWebBrowser->title();
    setWindowTitle(title.isEmpty() ? brwWebBrowser->url().toString() : title);
    if (!brwWebBrowser->url().isEmpty())
        cboAddress->setEditText(brwWebBrowser->url().toString());
}

} // namespace vanto
