#include "logpanel.h"

#include "link/unitlink.h"
#include "platform/filedialogs.h"
#include "program/programstate.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace vanto {

LogPanel::LogPanel(UnitLink& link, FileDialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_link(link), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("logPanel"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_indicator = new QLabel;
    m_indicator->setObjectName(QStringLiteral("logIndicator"));
    m_button = new QPushButton(tr("Log to file…"));
    m_button->setObjectName(QStringLiteral("logToFile"));
    m_button->setToolTip(tr("Write every polled sample to a CSV file"));
    m_button->setAutoDefault(false);
    layout->addWidget(m_indicator);
    layout->addWidget(m_button);
    connect(m_button, &QPushButton::clicked, this, &LogPanel::toggle);
    connect(&m_log, &SampleLog::changed, this, &LogPanel::refresh);
    connect(&m_link, &UnitLink::pollReplyApplied, this, [this](LinkRequest request) {
        if (request == LinkRequest::Temperature || !m_log.isActive())
            return; // the temperature reply carries no sample
        m_log.add(sampleFromLink(m_link.liveValues(), m_link.display(),
                                 m_link.programState().currentProgram,
                                 QDateTime::currentMSecsSinceEpoch(), &m_heldOutput));
    });
    refresh();
}

void LogPanel::toggle() {
    if (m_log.isActive()) {
        m_log.stop();
        return;
    }
    FileDialogRequest request;
    request.filterLabel = tr("CSV files (*.csv)");
    request.pattern = QStringLiteral("*.csv");
    request.directory = QDir::homePath();
    request.proposedName =
        QStringLiteral("vanto-%1.csv")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    request.defaultSuffix = QStringLiteral("csv");
    request.confirmOverwrite = true;
    const std::optional<QString> path = m_dialogs.getSaveFileName(request);
    if (path && !path->isEmpty())
        startLog(*path);
}

bool LogPanel::startLog(const QString& path) {
    m_heldOutput = 0;
    return m_log.start(path);
}

void LogPanel::refresh() {
    if (m_log.isActive()) {
        m_button->setText(tr("Stop logging"));
        m_indicator->setText(tr("<span style=\"color:#d33\">\u25cf</span> logging %1: %2 rows")
                                 .arg(QFileInfo(m_log.path()).fileName().toHtmlEscaped())
                                 .arg(m_log.totalRows()));
        m_indicator->setToolTip(m_log.path());
    } else {
        m_button->setText(tr("Log to file…"));
        if (!m_log.lastError().isEmpty()) {
            m_indicator->setText(tr("logging stopped: %1").arg(m_log.lastError().toHtmlEscaped()));
        } else if (m_log.totalRows() > 0) {
            m_indicator->setText(tr("logged %1 rows to %2")
                                     .arg(m_log.totalRows())
                                     .arg(QFileInfo(m_log.path()).fileName().toHtmlEscaped()));
        } else {
            m_indicator->clear();
        }
        m_indicator->setToolTip(m_log.path());
    }
}

} // namespace vanto
