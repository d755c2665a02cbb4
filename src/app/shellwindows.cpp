#include "shellwindows.h"

#include "platform/prompts.h"
#include "shared/appshell.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace vanto {

QPixmap appLogo(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // Rounded tile.
    QLinearGradient bg(0, 0, 0, 64);
    bg.setColorAt(0, QColor(0x1f, 0x3b, 0x57));
    bg.setColorAt(1, QColor(0x0c, 0x1c, 0x2c));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(1, 1, 62, 62), 12, 12);
    // Sensor head on the left.
    p.setBrush(QColor(0xd8, 0xe2, 0xea));
    p.drawRoundedRect(QRectF(8, 22, 12, 20), 3, 3);
    p.setBrush(QColor(0x4f, 0xc3, 0xf7));
    p.drawEllipse(QPointF(20, 32), 3.5, 6);
    // Sound waves towards the target.
    QPen wave(QColor(0x4f, 0xc3, 0xf7), 3.2, Qt::SolidLine, Qt::RoundCap);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        p.setPen(wave);
        const double r = 9 + i * 8;
        p.drawArc(QRectF(20 - r, 32 - r, 2 * r, 2 * r), -40 * 16, 80 * 16);
        wave.setColor(wave.color().darker(125));
    }
    // Target line on the right.
    p.setPen(QPen(QColor(0xff, 0xb3, 0x47), 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(54, 16), QPointF(54, 48));
    return pm;
}

SplashWindow::SplashWindow(std::function<void()> onElapsed, QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      m_onElapsed(std::move(onElapsed)) {
    setObjectName(QStringLiteral("SplashWindow"));
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("bannerFrame"));
    frame->setFrameShape(QFrame::Box);
    frame->setStyleSheet(QStringLiteral(
        "#bannerFrame { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #1f3b57, "
        "stop:1 #0c1c2c); border: 1px solid #4fc3f7; border-radius: 10px; } "
        "QLabel { color: #e8eef3; }"));
    auto* logo = new QLabel(frame);
    logo->setObjectName(QStringLiteral("logoLabel"));
    logo->setPixmap(appLogo(96));
    productNameLabel = new QLabel(QString::fromLatin1(kAppTitle), frame);
    productNameLabel->setObjectName(QStringLiteral("productNameLabel"));
    QFont big = productNameLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    productNameLabel->setFont(big);
    versionLabel = new QLabel(versionText(), frame);
    versionLabel->setObjectName(QStringLiteral("versionLabel"));
    auto* product = new QLabel(QStringLiteral("VANTO — operator tool for QX3100 / QX3700 "
                                              "loop-control units"),
                               frame);
    auto* platforms =
        new QLabel(QStringLiteral("Runs on Linux and Windows desktops with Qt 6"), frame);
    auto* credits = new QLabel(QStringLiteral("Built by the VANTO developers"), frame);
    for (QLabel* l : {product, platforms, credits})
        l->setStyleSheet(QStringLiteral("color: #9fb3c4;"));

    auto* text = new QVBoxLayout;
    text->addWidget(productNameLabel);
    text->addWidget(versionLabel);
    text->addSpacing(12);
    text->addWidget(product);
    text->addWidget(platforms);
    text->addStretch();
    text->addWidget(credits);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(24, 24, 24, 24);
    row->setSpacing(24);
    row->addWidget(logo, 0, Qt::AlignTop);
    row->addLayout(text);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    setAttribute(Qt::WA_TranslucentBackground);

    closeTimer = new QTimer(this);
    closeTimer->setSingleShot(true);
    closeTimer->setInterval(2000);
    // A precise timer: a coarse one (Qt's default) may fire up to 5 % (100 ms) either side, to
    // line up with other wake-ups, which made the splash last 1.9 to 2.1 s.
    closeTimer->setTimerType(Qt::PreciseTimer);
    connect(closeTimer, &QTimer::timeout, this, [this] {
        closeTimer->stop();
        // The main window first, then the splash goes: the splash is never the last window
        // standing, so closing it cannot end the program.
        if (m_onElapsed)
            m_onElapsed();
        close();
    });
    closeTimer->start();
}

QString findSysInfoTool() {
#ifdef Q_OS_WIN
    const QStringList candidates = {QStringLiteral("msinfo32")};
#else
    const QStringList candidates = {QStringLiteral("kinfocenter"), QStringLiteral("hardinfo"),
                                    QStringLiteral("gnome-system-monitor"),
                                    QStringLiteral("xfce4-taskmanager"),
                                    QStringLiteral("lshw-gtk")};
#endif
    for (const QString& name : candidates) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

AboutDialog::AboutDialog(Prompts& prompts, QWidget* parent) : QDialog(parent), m_prompts(prompts) {
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("About %1").arg(QLatin1String(kAppTitle)));
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("iconLabel"));
    icon->setPixmap(appLogo(64));
    titleLabel = new QLabel(QString::fromLatin1(kAppTitle), this);
    titleLabel->setObjectName(QStringLiteral("titleLabel"));
    QFont f = titleLabel->font();
    f.setPointSizeF(f.pointSizeF() * 1.4);
    f.setBold(true);
    titleLabel->setFont(f);
    versionLabel = new QLabel(versionText(), this);
    versionLabel->setObjectName(QStringLiteral("versionLabel"));
    descriptionLabel =
        new QLabel(QStringLiteral("Interface to QX3100 and QX3600 Series Control Units"), this);
    descriptionLabel->setObjectName(QStringLiteral("descriptionLabel"));
    disclaimerLabel = new QLabel(
        QStringLiteral("VANTO connects to one unit over a serial line, shows its live output and "
                       "edits its eight programs.\nBuilt with Qt. Provided as is, without "
                       "warranty of any kind."),
        this);
    disclaimerLabel->setObjectName(QStringLiteral("disclaimerLabel"));
    disclaimerLabel->setWordWrap(true);
    disclaimerLabel->setStyleSheet(QStringLiteral("color: palette(mid);"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto* sysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    sysInfo->setObjectName(QStringLiteral("systemInfoButton"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(sysInfo, &QPushButton::clicked, this, &AboutDialog::startSysInfo);

    auto* text = new QVBoxLayout;
    text->addWidget(titleLabel);
    text->addWidget(versionLabel);
    text->addWidget(descriptionLabel);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text, 1);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(disclaimerLabel, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(line);
    layout->addLayout(bottom);
    layout->addLayout(buttons);
    setMinimumWidth(480);
}

void AboutDialog::startSysInfo() {
    const QString tool = findSysInfoTool();
    if (tool.isEmpty() || !QProcess::startDetached(tool, {})) {
        m_prompts.message(QStringLiteral("System Information Is Unavailable At This Time"),
                          QString(), MessageIcon::None);
    }
}

void HelpViewer::setup(QWidget* owner, const QString& programDir) {
    m_owner = owner;
    m_helpFile = locateHelpFile(programDir);
}

void HelpViewer::showContents() {
    if (!m_viewer) {
        auto* window = new QWidget(m_owner, Qt::Window);
        window->setObjectName(QStringLiteral("helpViewer"));
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(QStringLiteral("VANTO Help"));
        m_browser = new QTextBrowser(window);
        m_browser->setOpenExternalLinks(true);
        // Links take their colour from the document, not from the window's palette: light blue
        // (violet once followed) reads on the dark page, where the default blue does not.
        m_browser->document()->setDefaultStyleSheet(QStringLiteral(
            "a { color: #5cc8ff; } a:visited { color: #c9a6ff; } code { color: #ffd28a; }"));
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_browser);
        window->resize(760, 620);
        m_viewer = window;
    }
    QFile file(m_helpFile);
    if (file.open(QIODevice::ReadOnly)) {
        m_browser->setSearchPaths({QFileInfo(m_helpFile).absolutePath()});
        m_browser->setHtml(QString::fromUtf8(file.readAll()));
        m_browser->scrollToAnchor(QStringLiteral("contents"));
    } else {
        // The viewer itself says that the file is missing, as a help viewer would.
        m_browser->setHtml(
            QStringLiteral("<h2>Help file not found</h2><p>%1: %2</p>")
                .arg(m_helpFile.toHtmlEscaped(), file.errorString().toHtmlEscaped()));
    }
    m_viewer->show();
    m_viewer->raise();
    m_viewer->activateWindow();
}

void HelpViewer::close() {
    if (m_viewer)
        m_viewer->close();
}

QWidget* HelpViewer::viewer() const {
    return m_viewer;
}

} // namespace vanto
