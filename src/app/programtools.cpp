#include "programtools.h"

#include "link/unitlink.h"
#include "platform/filedialogs.h"
#include "platform/prompts.h"
#include "program/programfile.h"
#include "programutilitywindow.h"
#include "report/reportdocument.h"
#include "shared/atomicfile.h"
#include "vantoapp.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace vanto {

namespace {

constexpr int kProgramRole = Qt::UserRole + 1;

// Reads program `program` from the unit into the program set (request 8) and waits for it.
bool readUnitRecord(UnitLink& link, int program, int timeoutMs = 5000) {
    bool stored = false;
    QEventLoop loop;
    const auto c =
        QObject::connect(&link, &UnitLink::recordDecoded, &loop, [&](int p, RecordOutcome outcome) {
            if (p == program && outcome == RecordOutcome::Stored) {
                stored = true;
                loop.quit();
            }
        });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    link.requestProgramRecord(program);
    if (!stored)
        loop.exec();
    QObject::disconnect(c);
    // Polling takes over again before anything else is asked of the unit.
    for (int i = 0; i < 50 && (link.fetchingRecords() || link.transmissionUnderWay()); ++i) {
        QEventLoop wait;
        QTimer::singleShot(20, &wait, &QEventLoop::quit);
        wait.exec();
    }
    return stored;
}

QString programCaption(int program, int count) {
    return QStringLiteral("#%1: %2 field%3 differ%4")
        .arg(program)
        .arg(count)
        .arg(count == 1 ? QString() : QStringLiteral("s"))
        .arg(count == 1 ? QStringLiteral("s") : QString());
}

} // namespace

CompareDialog::CompareDialog(const ProgramSet& unit, const ProgramSet& file,
                             const QString& fileName, Transmitter transmit, QWidget* parent)
    : QDialog(parent), m_fileName(fileName), m_transmitFn(std::move(transmit)) {
    setObjectName(QStringLiteral("compareDialog"));
    setWindowTitle(tr("Compare Unit and File"));
    resize(720, 520);
    auto* layout = new QVBoxLayout(this);
    m_summary = new QLabel;
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);
    m_tree = new QTreeWidget;
    m_tree->setColumnCount(3);
    m_tree->setHeaderLabels({tr("Program / field"), tr("Unit"), tr("File %1").arg(fileName)});
    m_tree->header()->setSectionResizeMode(QHeaderView::Stretch);
    m_tree->setAlternatingRowColors(true);
    layout->addWidget(m_tree, 1);
    auto* note = new QLabel(tr("Values in each program's own display units. Not compared: the "
                               "fields kept in the file only (Spare02, Param24, Param47) and "
                               "Param21, the unit's own value (its clock)."));
    note->setWordWrap(true);
    note->setEnabled(false);
    layout->addWidget(note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    m_transmit = buttons->addButton(tr("Transmit"), QDialogButtonBox::ActionRole);
    m_transmit->setObjectName(QStringLiteral("compareTransmit"));
    m_transmit->setVisible(bool(m_transmitFn));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_transmit, &QPushButton::clicked, this, &CompareDialog::transmitSelected);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &CompareDialog::updateButton);
    layout->addWidget(buttons);
    setSets(unit, file);
}

void CompareDialog::setSets(const ProgramSet& unit, const ProgramSet& file) {
    m_unit = unit;
    m_file = file;
    CompareOptions options;
    options.unitAgainstFile = true;
    m_differences = comparePrograms(unit, file, options);
    const QList<int> programs = differingPrograms(m_differences);
    m_tree->clear();
    for (int p : programs) {
        auto* top = new QTreeWidgetItem(m_tree);
        top->setData(0, kProgramRole, p);
        int count = 0;
        for (const ProgramDifference& d : m_differences) {
            if (d.program != p)
                continue;
            ++count;
            auto* item = new QTreeWidgetItem(top, {fieldLabel(d.field), d.leftShown, d.rightShown});
            item->setData(0, kProgramRole, p);
            item->setToolTip(0, QString::fromLatin1(infoOf(d.field).name));
            item->setToolTip(1, QStringLiteral("\"%1\"").arg(QString::fromLatin1(d.left)));
            item->setToolTip(2, QStringLiteral("\"%1\"").arg(QString::fromLatin1(d.right)));
        }
        top->setText(0, programCaption(p, count));
        QFont bold = top->font(0);
        bold.setBold(true);
        top->setFont(0, bold);
        top->setFirstColumnSpanned(true);
    }
    m_tree->expandAll();
    if (programs.isEmpty()) {
        m_summary->setText(tr("The unit's programs and %1 hold the same values.").arg(m_fileName));
    } else {
        QStringList names;
        for (int p : programs)
            names.append(QStringLiteral("#%1").arg(p));
        const QString list = names.join(QStringLiteral(", "));
        m_summary->setText(programs.size() == 1
                               ? tr("1 of the eight programs differs between the unit and %1: %2. "
                                    "Choose it to transmit its version from the file.")
                                     .arg(m_fileName, list)
                               : tr("%3 of the eight programs differ between the unit and %1: %2. "
                                    "Choose one to transmit its version from the file.")
                                     .arg(m_fileName, list)
                                     .arg(programs.size()));
    }
    if (!programs.isEmpty())
        selectProgram(programs.first());
    updateButton();
}

int CompareDialog::selectedProgram() const {
    const QTreeWidgetItem* item = m_tree->currentItem();
    return item ? item->data(0, kProgramRole).toInt() : -1;
}

void CompareDialog::selectProgram(int program) {
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_tree->topLevelItem(i);
        if (item->data(0, kProgramRole).toInt() == program) {
            m_tree->setCurrentItem(item);
            return;
        }
    }
}

void CompareDialog::updateButton() {
    const int p = selectedProgram();
    m_transmit->setEnabled(p >= 0);
    m_transmit->setText(p >= 0 ? tr("Transmit #%1 from the file").arg(p) : tr("Transmit"));
}

void CompareDialog::transmitSelected() {
    const int p = selectedProgram();
    if (p < 0 || !m_transmitFn)
        return;
    m_transmit->setEnabled(false);
    ProgramSet unit = m_unit;
    ProgramSet file = m_file;
    if (m_transmitFn(p, &unit, &file))
        setSets(unit, file);
    updateButton();
}

ReportHeading programUtilityHeading(VantoApp& app, bool remote) {
    const ProgramState& s = app.programState();
    ReportHeading h;
    h.fileName = remote ? QString() : s.programFileName;
    h.date = QDateTime::currentDateTime();
    // A unit seen on this run: its model, serial and version; a file alone carries none.
    if (remote || app.onLine()) {
        h.model = s.modelName;
        h.serial = QString::fromLatin1(s.unitSerial.trimmed());
        h.version = QString::fromLatin1(s.unitOptions.trimmed());
    }
    if (remote)
        h.activeProgram = s.currentProgram;
    return h;
}

void addProgramTools(ProgramUtilityWindow& window, VantoApp& app, bool remote) {
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    auto* compare = new QPushButton(remote ? QObject::tr("Compare with file…")
                                           : QObject::tr("Compare with unit"));
    compare->setObjectName(QStringLiteral("compareButton"));
    compare->setToolTip(remote
                            ? QObject::tr("Show what differs between the unit and a program file")
                            : QObject::tr("Show what differs between this file and the unit"));
    compare->setEnabled(remote || app.onLine());
    auto* print = new QPushButton(QObject::tr("Print…"));
    print->setObjectName(QStringLiteral("printButton"));
    print->setToolTip(QObject::tr("Print a report of the eight programs"));
    auto* pdf = new QPushButton(QObject::tr("Export PDF…"));
    pdf->setObjectName(QStringLiteral("exportPdfButton"));
    pdf->setToolTip(QObject::tr("Save a report of the eight programs as a PDF file"));
    for (QPushButton* b : {compare, print, pdf}) {
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    row->addStretch(1);
    if (auto* box = qobject_cast<QBoxLayout*>(window.layout()))
        box->addLayout(row);

    // The report shows the set as the editor holds it, with the shown program's edits.
    const auto reportHtml = [&window, &app, remote] {
        ProgramSet programs = app.programState().programs;
        programs[window.editor().view().selectedTab] = window.editor().workingRecord();
        return programReportHtml(programs, programUtilityHeading(app, remote));
    };
    QObject::connect(print, &QPushButton::clicked, &window, [&window, reportHtml] {
        QPrinter printer(QPrinter::HighResolution);
        QPrintDialog dialog(&printer, &window);
        if (dialog.exec() == QDialog::Accepted)
            printReport(reportHtml(), &printer);
    });
    QObject::connect(pdf, &QPushButton::clicked, &window, [&app, reportHtml] {
        FileDialogRequest request;
        request.filterLabel = QObject::tr("PDF files (*.pdf)");
        request.pattern = QStringLiteral("*.pdf");
        request.directory = app.options().programDir;
        const QString base = QFileInfo(app.programState().programFileName).completeBaseName();
        request.proposedName =
            (base.isEmpty() ? QStringLiteral("programs") : base) + QStringLiteral("-report.pdf");
        request.defaultSuffix = QStringLiteral("pdf");
        request.confirmOverwrite = true;
        const std::optional<QString> path = app.fileDialogs().getSaveFileName(request);
        if (!path || path->isEmpty())
            return;
        QString error;
        const QByteArray bytes =
            reportPdf(reportHtml(), QObject::tr("VANTO program report"), &error);
        if (error.isEmpty())
            error = writeFileAtomically(*path, bytes);
        if (!error.isEmpty())
            app.prompts().message(QObject::tr("%1: cannot write: %2").arg(*path, error),
                                  QStringLiteral("ERROR"), MessageIcon::Critical);
    });

    QObject::connect(compare, &QPushButton::clicked, &window, [&window, &app, remote] {
        ProgramState& state = app.programState();
        ProgramEditor& editor = window.editor();
        ProgramSet unit;
        ProgramSet file;
        QString fileName;
        if (remote) {
            FileDialogRequest request;
            request.filterLabel = QStringLiteral("(*.prg)");
            request.pattern = QStringLiteral("*.prg");
            request.directory = app.options().programDir;
            request.mustExist = true;
            const std::optional<QString> path = app.fileDialogs().getOpenFileName(request);
            if (!path || path->isEmpty())
                return;
            const QString error = readProgramFile(*path, &file);
            if (!error.isEmpty()) {
                app.prompts().message(QStringLiteral("%1: %2").arg(*path, error),
                                      QStringLiteral("ERROR"), MessageIcon::Critical);
                return;
            }
            unit = state.programs;
            fileName = QFileInfo(*path).fileName();
        } else {
            // The set in memory is the file's: read the unit's eight programs beside it and put
            // the file's back.
            file = state.programs;
            file[editor.view().selectedTab] = editor.workingRecord();
            const ProgramSet kept = state.programs;
            bool complete = app.onLine();
            for (int p = 0; complete && p < kProgramCount; ++p)
                complete = readUnitRecord(app.link(), p);
            unit = state.programs;
            state.programs = kept;
            if (!complete) {
                app.prompts().message(QObject::tr("The unit's programs could not be read."),
                                      QStringLiteral("ERROR"), MessageIcon::Critical);
                return;
            }
            fileName = state.programFileName;
        }

        const auto transmit = [&editor](int program, ProgramSet* unitSet, ProgramSet* fileSet) {
            const std::optional<ProgramRecord> held =
                editor.transmitFromFile(program, (*fileSet)[program], (*unitSet)[program]);
            if (held)
                (*unitSet)[program] = *held;
            return held.has_value();
        };
        CompareDialog dialog(unit, file, fileName, transmit, &window);
        dialog.exec();
    });
}

} // namespace vanto
