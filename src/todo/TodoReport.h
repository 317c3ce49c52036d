// TodoReport: what the to-do window does around its report: the subtitle by the active index of
// TBTodo and the runs of sbPrintClick and sbPrnSetupClick, without the window, so that the
// command line and tests use them too.
#pragma once

#include "ReportPrinter.h"

#include <QString>
#include <memory>

class QPrinter;
class QWidget;

namespace kv {

class TDMKV;
class TfqrToDoList;

/// The to-do report, bound to TBTodo of a data module, and the printer chosen in the printer
/// set-up dialog (kept for the run).
///
/// Errors of the store and of the report engine pass to the caller, which shows them in the
/// standard error box; TBTodo is then back on the task it was on.
class TodoReports
{
public:
    /// Uses @p report when given (the run's fqrToDoList), else a report of its own.
    explicit TodoReports(TDMKV &dm, TfqrToDoList *report = nullptr);
    ~TodoReports();
    TodoReports(const TodoReports &) = delete;
    TodoReports &operator=(const TodoReports &) = delete;

    TfqrToDoList &report() { return *m_report; }

    /// Sets the subtitle by the active index of TBTodo.
    void prepare();
    /// Prints the list on the printer kept for the run; with no printer installed, says so and
    /// offers the set-up dialog with its PDF printer. Returns the page count (0 when the user
    /// declined).
    int print(QWidget *parent = nullptr);
    /// Writes the list as a PDF file (command line, tests); returns the page count.
    int exportPdf(const QString &fileName);

    /// The printer kept for the run, with its set-up dialog (sbPrnSetupClick).
    ReportPrinter &reportPrinter() { return m_printer; }

private:
    TDMKV &m_dm;
    std::unique_ptr<TfqrToDoList> m_own;
    TfqrToDoList *m_report;
    ReportPrinter m_printer;
};

/// `kestrova report --layout todo`: the to-do list of @p dm in the order named by @p order (one
/// of the orders' command-line words; empty for the order at start) written to @p fileName.
/// Returns the page count; throws std::invalid_argument for an unknown order.
int writeTodoListPdf(TDMKV &dm, const QString &order, const QString &fileName);

} // namespace kv
