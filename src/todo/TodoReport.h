// TodoReport: what the to-do window does around its report: the subtitle by the active index of
// TBTodo and the runs of sbPrintClick and sbPrnSetupClick, without the window, so that the
// command line and tests use them too.
#pragma once

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
    /// Prints the list on @p printer; returns the page count.
    int print(QPrinter &printer);
    /// Writes the list as a PDF file (command line, tests); returns the page count.
    int exportPdf(const QString &fileName);

    /// Whether @p printer leads anywhere: an installed printer, or a PDF file named in the
    /// printer set-up.
    static bool canPrintOn(const QPrinter &printer);

    /// The printer kept for the run (made on first use).
    QPrinter &printer();

private:
    TDMKV &m_dm;
    std::unique_ptr<TfqrToDoList> m_own;
    TfqrToDoList *m_report;
    std::unique_ptr<QPrinter> m_printer;
};

/// `kestrova report --layout todo`: the to-do list of @p dm in the order named by @p order (one
/// of the orders' command-line words; empty for the order at start) written to @p fileName.
/// Returns the page count; throws std::invalid_argument for an unknown order.
int writeTodoListPdf(TDMKV &dm, const QString &order, const QString &fileName);

} // namespace kv
