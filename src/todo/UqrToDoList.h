// TfqrToDoList (instance fqrToDoList): the printed to-do list, one line per task of the current
// view of TBTodo in its current order, with the subtitle naming the order.
#pragma once

#include "Report.h"
#include "StoreReportDataSet.h"

#include <memory>

namespace kv {

class StoreTable;

/// The to-do list layout: A4 portrait, a title with the order's subtitle, an underlined column
/// header on every page, a line per task and "Page n" at the foot of every page. Created once and
/// reused; printing sets the subtitle before each run.
class TfqrToDoList
{
public:
    /// Binds the report to @p TBTodo (may be null until setTable).
    explicit TfqrToDoList(StoreTable *TBTodo = nullptr);
    ~TfqrToDoList();
    TfqrToDoList(const TfqrToDoList &) = delete;
    TfqrToDoList &operator=(const TfqrToDoList &) = delete;

    void setTable(StoreTable *TBTodo);

    Report QRep{QStringLiteral("TfqrToDoList")};

    ReportLabel *qrlOrvelane = nullptr;
    ReportLabel *qplTitle = nullptr;
    /// The subtitle: the order of the list.
    ReportLabel *qrlOrder = nullptr;

private:
    std::unique_ptr<StoreReportDataSet> m_data;
};

extern TfqrToDoList *fqrToDoList;

} // namespace kv
