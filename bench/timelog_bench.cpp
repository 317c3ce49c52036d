// The time-log window over a generated log (1M records by default): showing the window with its
// first screen of rows, a sort switch by a title click, a client filter applied and shown, the
// total of hours with and without the filter, and a scroll to the last record and back (with
// the resident memory afterwards).
#include "DBGrid.h"
#include "DateTime.h"
#include "FakeServices.h"
#include "FilterDialog.h"
#include "FormatSettings.h"
#include "KVDM.h"
#include "TimeLogGenerator.h"
#include "UInOut.h"
#include "ULogTask.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QStandardPaths>
#include <benchmark/benchmark.h>
#include <memory>

using namespace kv;

namespace {

int logSize()
{
    const QByteArray n = qgetenv("KV_BENCH_RECORDS");
    return n.isEmpty() ? 1'000'000 : n.toInt();
}

/// One data module and window over the generated log for all benchmarks.
struct Fixture
{
    Fixture()
    {
        const QString folder = bench::generateLog(logSize()).folder;
        dm = std::make_unique<TDMKV>([folder] { return folder; });
        dm->TBDef->first();
        dm->TBDef->edit();
        dm->TBDefShowTotal->setAsBoolean(true);
        dm->TBDef->post();
        task = std::make_unique<TfLogTask>(dm->TBInout);
        win = std::make_unique<TFInOut>(*dm, task.get());
    }
    /// Lets the window lay out and paint, which reads the rows it shows.
    void paint()
    {
        QCoreApplication::processEvents();
        win->GRInout->viewport()->grab();
    }
    FakeServicesScope services;
    std::unique_ptr<TDMKV> dm;
    std::unique_ptr<TfLogTask> task;
    std::unique_ptr<TFInOut> win;
};

/// The fixture lives until main() drops it: its windows must go before the application does.
std::unique_ptr<Fixture> &fixtureSlot()
{
    static std::unique_ptr<Fixture> f;
    return f;
}

Fixture &fixture()
{
    if (!fixtureSlot())
        fixtureSlot() = std::make_unique<Fixture>();
    return *fixtureSlot();
}

/// A line of /proc/self/status in kB: "VmRSS" (all resident memory), "RssAnon" (the heap and
/// other memory of our own), "RssFile" (pages of mapped files, the table files included).
long residentKb(const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(QByteArray(key + ':')))
            return line.mid(key.size() + 1).trimmed().split(' ').first().toLong();
    return -1;
}

void BM_ShowWithFirstScreen(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        f.win->show();
        f.paint();
        state.PauseTiming();
        f.win->hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ShowWithFirstScreen)->Unit(benchmark::kMillisecond)->Iterations(7);

void BM_SortSwitchByTitleClick(benchmark::State &state)
{
    Fixture &f = fixture();
    f.win->show();
    f.paint();
    DBGridModel *m = f.win->GRInout->gridModel();
    const char *fields[] = {"CustName", "JobDes", "WDate"};
    int i = 0;
    for (auto _ : state) {
        f.win->GRInoutTitleButtonClick(
            m->fieldAt(m->columnOf(QString::fromLatin1(fields[i++ % 3]))));
        f.paint();
    }
    f.win->GRInoutTitleButtonClick(m->fieldAt(m->columnOf(QStringLiteral("WDate"))));
    f.paint();
}
BENCHMARK(BM_SortSwitchByTitleClick)->Unit(benchmark::kMillisecond)->Iterations(9);

Criterion clientCriterion()
{
    Criterion c;
    c.fieldName = QStringLiteral("CustName");
    c.match = MatchKind::Start;
    c.value = bench::clientName(42);
    return c;
}

void BM_ClientFilterAppliedAndShown(benchmark::State &state)
{
    Fixture &f = fixture();
    f.win->show();
    f.paint();
    for (auto _ : state) {
        f.win->fdInOut->setCriteria({clientCriterion()});
        f.paint();
        state.PauseTiming();
        f.win->fdInOut->clearCriteria();
        f.paint();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ClientFilterAppliedAndShown)->Unit(benchmark::kMillisecond)->Iterations(5);

/// One month of the log (March 2020) as a date range, applied and its first screen shown.
void BM_MonthFilterAppliedAndShown(benchmark::State &state)
{
    Fixture &f = fixture();
    f.win->show();
    f.paint();
    Criterion month;
    month.fieldName = QStringLiteral("WDate");
    month.match = MatchKind::Range;
    const FormatSettings &fs = FormatSettings::instance();
    month.lower = fs.formatDate(dt::fromDate(QDate(2020, 3, 1)));
    month.upper = fs.formatDate(dt::fromDate(QDate(2020, 3, 31)));
    for (auto _ : state) {
        f.win->fdInOut->setCriteria({month});
        f.paint();
        state.PauseTiming();
        f.win->fdInOut->clearCriteria();
        f.paint();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MonthFilterAppliedAndShown)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_TotalHours(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state)
        f.win->TotalHours();
    state.SetLabel(f.win->lHours->text().toStdString());
}
BENCHMARK(BM_TotalHours)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_TotalHoursClientFilter(benchmark::State &state)
{
    Fixture &f = fixture();
    f.win->fdInOut->setCriteria({clientCriterion()});
    for (auto _ : state)
        f.win->TotalHours();
    state.SetLabel(f.win->lHours->text().toStdString());
    f.win->fdInOut->clearCriteria();
}
BENCHMARK(BM_TotalHoursClientFilter)->Unit(benchmark::kMillisecond)->Iterations(5);

/// With the client filter active: one record's task changed and posted as the grid posts it
/// (the hours rule and the after-post work), then the total and the grid's row brought up to
/// date and painted. The record gets its task back afterwards: the generated log is shared by
/// every run and must not drift.
void BM_PostWithClientFilter(benchmark::State &state)
{
    Fixture &f = fixture();
    f.win->show();
    f.win->fdInOut->setCriteria({clientCriterion()});
    f.paint();
    StoreTable &t = *f.dm->TBInout;
    t.first();
    const qint64 row = t.currentRowId();
    const QVariant task = f.dm->TBInoutTaskDes->value();
    int i = 0;
    for (auto _ : state) {
        t.edit();
        f.dm->TBInoutTaskDes->setAsString(QStringLiteral("bench post %1").arg(i++ % 2));
        t.post();
        f.paint();
    }
    state.SetLabel(f.win->lHours->text().toStdString());
    if (t.currentRowId() == row) {
        t.edit();
        f.dm->TBInoutTaskDes->setValue(task);
        t.post();
    }
    f.win->fdInOut->clearCriteria();
    f.paint();
}
BENCHMARK(BM_PostWithClientFilter)->Unit(benchmark::kMillisecond)->Iterations(9);

void BM_ScrollToLastAndBack(benchmark::State &state)
{
    Fixture &f = fixture();
    f.win->show();
    f.paint();
    QScrollBar *bar = f.win->GRInout->verticalScrollBar();
    for (auto _ : state) {
        // Page by page over the last stretch, then a jump to the end and back to the start.
        for (int step = 0; step < 50; ++step) {
            bar->setValue(bar->maximum() / 2 + step * 20);
            f.paint();
        }
        f.win->navcLastClick();
        f.paint();
        f.win->navcFirstClick();
        f.paint();
    }
    state.counters["RSS_MB"] = double(residentKb("VmRSS")) / 1024.0;
    state.counters["RssAnon_MB"] = double(residentKb("RssAnon")) / 1024.0;
    state.counters["RssFile_MB"] = double(residentKb("RssFile")) / 1024.0;
}
BENCHMARK(BM_ScrollToLastAndBack)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixtureSlot().reset();
    return 0;
}
