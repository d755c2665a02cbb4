// Beside the Program Utility's own commands: comparing the unit's programs with a program file
// ("Compare with file…" in remote mode, "Compare with unit" in file mode while on-line), with
// transmitting one chosen program from there, and the program report ("Print…", "Export
// PDF…"). The comparison and the report are core code; these windows show them.
#pragma once

#include "program/programcompare.h"
#include "program/programreport.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace vanto {

class VantoApp;
class ProgramUtilityWindow;

// The differences between two program sets, program by program and field by field, with a
// button that transmits the chosen program (its file version) to the unit.
class CompareDialog : public QDialog {
    Q_OBJECT
public:
    // Transmits program n and returns the two sets to compare afresh (empty when nothing was
    // sent); the left set is the unit's.
    using Transmitter = std::function<bool(int program, ProgramSet* unit, ProgramSet* file)>;

    CompareDialog(const ProgramSet& unit, const ProgramSet& file, const QString& fileName,
                  Transmitter transmit, QWidget* parent = nullptr);

    void setSets(const ProgramSet& unit, const ProgramSet& file);
    const QList<ProgramDifference>& differences() const { return m_differences; }
    QTreeWidget* tree() const { return m_tree; }
    QPushButton* transmitButton() const { return m_transmit; }
    QLabel* summary() const { return m_summary; }
    // The program of the selected row, -1 when none.
    int selectedProgram() const;
    void selectProgram(int program);
    void transmitSelected();

private:
    void updateButton();

    ProgramSet m_unit;
    ProgramSet m_file;
    QString m_fileName;
    Transmitter m_transmitFn;
    QList<ProgramDifference> m_differences;
    QTreeWidget* m_tree;
    QLabel* m_summary;
    QPushButton* m_transmit;
};

// The report's heading for what the Program Utility shows.
ReportHeading programUtilityHeading(VantoApp& app, bool remote);

// Adds the compare and report buttons to an open Program Utility window.
void addProgramTools(ProgramUtilityWindow& window, VantoApp& app, bool remote);

} // namespace vanto
