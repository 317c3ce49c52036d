// Runs of the to-do report.
#include "TodoReport.h"

#include "KVDM.h"
#include "TodoOrders.h"
#include "UqrToDoList.h"

#include <QPrinter>
#include <stdexcept>

namespace kv {

TodoReports::TodoReports(TDMKV &dm, TfqrToDoList *report) : m_dm(dm)
{
    if (!report) {
        m_own = std::make_unique<TfqrToDoList>(dm.TBTodo);
        report = m_own.get();
    }
    m_report = report;
}

TodoReports::~TodoReports() = default;

void TodoReports::prepare()
{
    m_report->qrlOrder->setText(todoListSubtitle(m_dm.TBTodo->indexName()));
}

int TodoReports::print(QWidget *parent)
{
    prepare();
    return m_printer.print(m_report->QRep, parent);
}

int TodoReports::exportPdf(const QString &fileName)
{
    prepare();
    return m_report->QRep.exportPdf(fileName);
}

int writeTodoListPdf(TDMKV &dm, const QString &order, const QString &fileName)
{
    QString index = order.isEmpty() ? todoOrders().front().index : QString();
    for (const TodoOrder &o : todoOrders())
        if (o.option == order)
            index = o.index;
    if (index.isEmpty())
        throw std::invalid_argument("unknown order");
    dm.TBTodo->setIndexName(index);
    dm.TBTodo->first();
    TodoReports reports(dm);
    return reports.exportPdf(fileName);
}

} // namespace kv
