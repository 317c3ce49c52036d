// The time-log window driven by clicks and keys: sort by title, reversed times, Copy and Accept,
// Delete and Delete All under a filter, the filter dialog, totals, the task window, notes and
// closing with a pending record.
#include "DBGrid.h"
#include "DataBuilders.h"
#include "DateTime.h"
#include "FakeServices.h"
#include "FilterDialog.h"
#include "ForeignRecordLock.h"
#include "FormatSettings.h"
#include "KVDM.h"
#include "MemoDialog.h"
#include "PdfProbe.h"
#include "QtPrinters.h"
#include "ReportPrinter.h"
#include "Settings.h"
#include "UInOut.h"
#include "ULogTask.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace kv;
using namespace Qt::StringLiterals;

namespace {

/// Runs `answer` on the next modal window that opens (within two seconds).
void onNextModal(std::function<void(QWidget *)> answer)
{
    auto *timer = new QTimer;
    auto *elapsed = new int(0);
    QObject::connect(timer, &QTimer::timeout, [timer, elapsed, answer] {
        QWidget *modal = QApplication::activeModalWidget();
        *elapsed += 20;
        if (modal || *elapsed > 2000) {
            timer->stop();
            timer->deleteLater();
            delete elapsed;
            if (modal)
                answer(modal);
        }
    });
    timer->start(20);
}

class TimeLogWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString folder = m_dir.path() + u"/Data"_s;
        QDir().mkpath(folder);
        dm = std::make_unique<TDMKV>([folder] { return folder; });
        dm->ensureConfigRecord();
        dm->TBDef->first();
        dm->TBDef->edit();
        dm->TBDefBillingIncr->setAsInteger(1);
        dm->TBDefMinBillTime->setAsInteger(0);
        dm->TBDefShowTotal->setAsBoolean(true);
        dm->TBDef->post();
    }
    void TearDown() override
    {
        win.reset();
        task.reset();
    }

    void addClient(const QString &no, const QString &name) { test::addClient(*dm, no, name); }
    void add(const QDate &date, const QString &client, const QString &job, QTime in, QTime out,
             bool billable = false, const QString &note = QString())
    {
        StoreTable &t = *dm->TBInout;
        t.insert();
        dm->TBInoutWDate->setAsDateTime(dt::fromDate(date));
        dm->TBInoutCustName->setAsString(client);
        dm->TBInoutJobDes->setAsString(job);
        dm->TBInoutTimeIn->setAsDateTime(dt::fromTime(in));
        dm->TBInoutTimeOut->setAsDateTime(dt::fromTime(out));
        dm->TBInoutBillable->setAsBoolean(billable);
        if (!note.isEmpty())
            dm->TBInoutNotes->setAsString(note);
        t.post();
    }
    /// Three clients over three days: Acme 1.5 h, Beta 2 h, Cobalt 0.5 h, Acme 1 h.
    void addSample()
    {
        add(QDate(2026, 3, 2), u"Cobalt"_s, u"Design"_s, QTime(9, 0), QTime(9, 30));
        add(QDate(2026, 3, 3), u"Acme"_s, u"Support"_s, QTime(9, 0), QTime(10, 30), true);
        add(QDate(2026, 3, 4), u"Beta"_s, u"Admin"_s, QTime(13, 0), QTime(15, 0));
        add(QDate(2026, 3, 5), u"Acme"_s, u"Design"_s, QTime(8, 0), QTime(9, 0));
        dm->TBInout->first();
    }
    void open()
    {
        task = std::make_unique<TfLogTask>(dm->TBInout);
        win = std::make_unique<TFInOut>(*dm, task.get());
        win->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(win.get()));
        win->activateWindow();
        settle();
    }
    void settle()
    {
        dm->flushDeferred();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    void click(QToolButton *b)
    {
        ASSERT_TRUE(b->isEnabled()) << b->objectName().toStdString();
        QTest::mouseClick(b, Qt::LeftButton);
        settle();
    }
    void clickTitle(const QString &field)
    {
        QHeaderView *h = win->GRInout->horizontalHeader();
        const int section = win->GRInout->gridModel()->columnOf(field);
        const QPoint at(h->sectionViewportPosition(section) + h->sectionSize(section) / 2,
                        h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
        settle();
    }
    QColor titleColor(const QString &field) const
    {
        DBGridModel *m = win->GRInout->gridModel();
        return m->headerData(m->columnOf(field), Qt::Horizontal, Qt::ForegroundRole)
            .value<QColor>();
    }
    QString cell(int row, const QString &field, int role = Qt::DisplayRole) const
    {
        DBGridModel *m = win->GRInout->gridModel();
        return m->index(row, m->columnOf(field)).data(role).toString();
    }
    QStringList column(const QString &field) const
    {
        QStringList values;
        for (int r = 0; r < win->GRInout->gridModel()->rowCount(); ++r)
            values << cell(r, field);
        return values;
    }
    bool browseMode() const { return win->bbcAdd->isEnabled() && !win->bbcPost->isEnabled(); }
    bool editMode() const
    {
        return !win->bbcAdd->isEnabled() && win->bbcPost->isEnabled() &&
               win->bbcCancel->isEnabled();
    }
    /// Opens the filter dialog by its button and sets one criterion on `field`.
    void filterOn(const QString &field, const QString &value)
    {
        onNextModal([field, value](QWidget *modal) {
            auto *d = qobject_cast<FilterDialog *>(modal);
            ASSERT_NE(d, nullptr);
            d->lbFields->setCurrentRow(int(d->offeredFields().indexOf(field)));
            d->eValue->setText(value);
            QTest::mouseClick(d->bOK, Qt::LeftButton);
        });
        click(win->sbFilter);
    }

    FakeServicesScope services;
    QTemporaryDir m_dir;
    std::unique_ptr<TDMKV> dm;
    std::unique_ptr<TfLogTask> task;
    std::unique_ptr<TFInOut> win;
};

TEST_F(TimeLogWindowTest, OpensInBrowseModeWithTheHeaderTotalAndTheStateWord)
{
    addSample();
    open();
    EXPECT_EQ(win->windowTitle(), u"Kestrova Log"_s);
    EXPECT_TRUE(browseMode());
    EXPECT_TRUE(win->tbbLogTask->isEnabled());
    EXPECT_TRUE(win->rbFull->isChecked());
    EXPECT_EQ(win->StatusBar1->text(), u"Browse"_s);
    EXPECT_TRUE(win->pTotalHours->isVisible());
    EXPECT_EQ(win->lHours->text(), u"5.0000"_s);
    EXPECT_EQ(win->DBText1->text(), u"1"_s);
    EXPECT_FALSE(win->lFiltered->isVisible());
    EXPECT_EQ(win->bClearAll->text(), u"All"_s);
    EXPECT_EQ(win->bClearAll->toolTip(), u"Delete All"_s);
}

TEST_F(TimeLogWindowTest, SortsByEachTitleAndPaintsTheOrderingTitleRed)
{
    addSample();
    open();
    EXPECT_EQ(titleColor(u"WDate"_s), QColor(Qt::red));
    EXPECT_EQ(titleColor(u"Billable"_s), QColor(0, 128, 0));

    clickTitle(u"CustName"_s);
    EXPECT_EQ(dm->TBInout->indexName(), u"Tinout02"_s);
    EXPECT_EQ(column(u"CustName"_s), (QStringList{u"Acme"_s, u"Acme"_s, u"Beta"_s, u"Cobalt"_s}));
    EXPECT_EQ(titleColor(u"CustName"_s), QColor(Qt::red));
    EXPECT_EQ(titleColor(u"WDate"_s), QColor(Qt::black));

    clickTitle(u"JobDes"_s);
    EXPECT_EQ(dm->TBInout->indexName(), u"Tinout03"_s);
    EXPECT_EQ(column(u"JobDes"_s),
              (QStringList{u"Admin"_s, u"Design"_s, u"Design"_s, u"Support"_s}));
    EXPECT_EQ(titleColor(u"JobDes"_s), QColor(Qt::red));

    // "Hours" changes neither the order nor the colours.
    clickTitle(u"Hours"_s);
    EXPECT_EQ(dm->TBInout->indexName(), u"Tinout03"_s);
    EXPECT_EQ(titleColor(u"JobDes"_s), QColor(Qt::red));

    clickTitle(u"WDate"_s);
    EXPECT_EQ(dm->TBInout->indexName(), u"Tinout01"_s);
    EXPECT_EQ(column(u"CustName"_s), (QStringList{u"Cobalt"_s, u"Acme"_s, u"Beta"_s, u"Acme"_s}));
    EXPECT_EQ(titleColor(u"WDate"_s), QColor(Qt::red));
    EXPECT_EQ(titleColor(u"JobDes"_s), QColor(Qt::black));
}

TEST_F(TimeLogWindowTest, ReversedTimesAreRedOnYellowButAnOutOfMidnightIsNot)
{
    add(QDate(2026, 3, 2), u"Acme"_s, u"Design"_s, QTime(15, 0), QTime(9, 0));
    add(QDate(2026, 3, 3), u"Acme"_s, u"Design"_s, QTime(22, 0), QTime(0, 0));
    open();
    DBGridModel *m = win->GRInout->gridModel();
    for (const QString &field : {u"TimeIn"_s, u"TimeOut"_s}) {
        const QModelIndex reversed = m->index(0, m->columnOf(field));
        EXPECT_EQ(reversed.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
        EXPECT_EQ(reversed.data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::yellow));
        // Highlighted: only the text is red.
        EXPECT_EQ(reversed.data(DBGridModel::kHighlightTextRole).value<QColor>(), QColor(Qt::red));
        EXPECT_FALSE(m->index(1, m->columnOf(field)).data(Qt::BackgroundRole).isValid());
    }
    EXPECT_FALSE(m->index(0, m->columnOf(u"TaskDes"_s)).data(Qt::BackgroundRole).isValid());
}

TEST_F(TimeLogWindowTest, CopyGivesANewRecordWithoutNoteOrBillableAndAcceptingItIsADuplicate)
{
    add(QDate(2026, 3, 2), u"Acme"_s, u"Design"_s, QTime(9, 0), QTime(10, 0), true, u"call back"_s);
    open();
    click(win->bbcCopy);
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Insert);
    EXPECT_TRUE(editMode());
    EXPECT_EQ(dm->TBInoutCustName->asString(), u"Acme"_s);
    EXPECT_FALSE(dm->TBInoutBillable->asBoolean());
    EXPECT_TRUE(dm->TBInoutNotes->isNull());
    EXPECT_EQ(win->GRInout->gridModel()->rowCount(), 2);

    click(win->bbcPost);
    ASSERT_EQ(services.messages->shown.size(), 1);
    const FakeMessages::Shown &box = services.messages->shown.first();
    EXPECT_EQ(box.kind, MsgKind::Error);
    EXPECT_EQ(box.helpContext, 49);
    EXPECT_TRUE(box.text.startsWith(u"Duplicate Record.\r\nDate, Client, Job Type"_s));
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Insert);
    EXPECT_TRUE(editMode());

    // Another time makes it a record of its own.
    dm->TBInoutTimeOut->setAsDateTime(dt::fromTime(QTime(11, 0)));
    click(win->bbcPost);
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Browse);
    EXPECT_TRUE(browseMode());
    EXPECT_EQ(win->lHours->text(), u"3.0000"_s);
}

TEST_F(TimeLogWindowTest, AcceptShowsOtherStoreErrorsAndKeepsTheRecordPending)
{
    open();
    click(win->bbcAdd);
    EXPECT_EQ(win->GRInout->selectedField()->fieldName(), u"WDate"_s);
    click(win->bbcPost);
    ASSERT_EQ(services.messages->shown.size(), 1);
    EXPECT_EQ(services.messages->lastText(), u"Field 'Date' must have a value"_s);
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Insert);
    EXPECT_TRUE(editMode());
    click(win->bbcCancel);
    EXPECT_TRUE(browseMode());
    EXPECT_EQ(win->GRInout->gridModel()->rowCount(), 0);
}

TEST_F(TimeLogWindowTest, DeleteAsksAndRecomputesTheTotal)
{
    addSample();
    open();
    services.messages->answerNext(MsgAnswer::No);
    click(win->bbcDelete);
    EXPECT_EQ(services.messages->lastText(), u"Kestrova: Delete this record?"_s);
    EXPECT_EQ(services.messages->shown.last().kind, MsgKind::Warning);
    EXPECT_EQ(win->GRInout->gridModel()->rowCount(), 4);

    services.messages->answerNext(MsgAnswer::Yes);
    click(win->bbcDelete); // the first record, Cobalt 0.5 h
    EXPECT_EQ(win->GRInout->gridModel()->rowCount(), 3);
    EXPECT_EQ(win->lHours->text(), u"4.5000"_s);
}

TEST_F(TimeLogWindowTest, DeleteAllUnderAFilterDeletesTheViewAndClearFilterBringsTheRestBack)
{
    addSample();
    open();
    filterOn(u"CustName"_s, u"acme"_s);
    EXPECT_TRUE(win->lFiltered->isVisible());
    EXPECT_EQ(win->GRInout->gridModel()->rowCount(), 2);
    EXPECT_EQ(win->lHours->text(), u"2.5000"_s);

    services.messages->answerNext(MsgAnswer::Yes);
    click(win->bClearAll);
    EXPECT_EQ(
        services.messages->lastText(),
        u"Kestrova: This will delete all records\r\nin the current Kestrova Log view.\r\nAre you sure?"_s);
    EXPECT_EQ(win->GRInout->gridModel()->rowCount(), 0);
    EXPECT_EQ(win->lHours->text(), u"0.0000"_s);

    click(win->tbbClearFilter);
    EXPECT_FALSE(win->lFiltered->isVisible());
    EXPECT_EQ(column(u"CustName"_s), (QStringList{u"Cobalt"_s, u"Beta"_s}));
    EXPECT_EQ(win->lHours->text(), u"2.5000"_s);
}

TEST_F(TimeLogWindowTest, CancellingTheFilterDialogChangesNothingAndABadValueKeepsItOpen)
{
    addSample();
    open();
    filterOn(u"CustName"_s, u"Beta"_s);
    ASSERT_EQ(win->GRInout->gridModel()->rowCount(), 1);

    onNextModal([](QWidget *modal) {
        auto *d = qobject_cast<FilterDialog *>(modal);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->windowTitle(), u"Kestrova - Time Log Filter Setup"_s);
        EXPECT_EQ(d->lbFields->count(), 5);
        d->lbFields->setCurrentRow(0); // Date
        d->rbRange->setChecked(true);
        d->eFrom->setText(u"not a date"_s);
        QTest::mouseClick(d->bOK, Qt::LeftButton); // refused: the dialog stays
        EXPECT_TRUE(d->isVisible());
        QTest::mouseClick(d->bCancel, Qt::LeftButton);
    });
    click(win->sbFilter);
    EXPECT_TRUE(services.messages->lastText().contains(u"is not a date"_s));
    EXPECT_EQ(win->GRInout->gridModel()->rowCount(), 1);
    EXPECT_TRUE(win->lFiltered->isVisible());
    EXPECT_EQ(win->fdInOut->criteriaCount(), 1);
}

TEST_F(TimeLogWindowTest, TheTotalFollowsAnEditOfTheTimesAndShowTotalOffHidesIt)
{
    addSample();
    open();
    click(win->bbcEdit);
    EXPECT_TRUE(editMode());
    EXPECT_EQ(win->StatusBar1->text(), u"Edit"_s);
    dm->TBInoutTimeOut->setAsDateTime(dt::fromTime(QTime(10, 0))); // Cobalt: 0.5 -> 1 h
    click(win->bbcPost);
    EXPECT_EQ(dm->TBInoutHours->asFloat(), 1.0);
    EXPECT_EQ(win->lHours->text(), u"5.5000"_s);

    dm->TBDef->edit();
    dm->TBDefShowTotal->setAsBoolean(false);
    dm->TBDef->post();
    win->TotalHours();
    EXPECT_FALSE(win->pTotalHours->isVisible());
    filterOn(u"CustName"_s, u"Acme"_s);
    EXPECT_FALSE(win->pTotalHours->isVisible());
    services.messages->answerNext(MsgAnswer::Yes);
    click(win->bbcDelete);
    EXPECT_FALSE(win->pTotalHours->isVisible());
}

TEST_F(TimeLogWindowTest, TheTaskWindowsButtonsFollowTheTableState)
{
    addSample();
    open();
    bool checked = false;
    onNextModal([&](QWidget *modal) {
        auto *t = qobject_cast<TfLogTask *>(modal);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->windowTitle(), u"Kestrova - Time Log Task"_s);
        EXPECT_FALSE(t->tbbPost->isEnabled());
        EXPECT_FALSE(t->tbbCancel->isEnabled());
        EXPECT_EQ(t->StatusBar1->text(), u"View"_s);
        checked = true;
        QTest::mouseClick(t->bExit, Qt::LeftButton);
    });
    click(win->tbbLogTask);
    EXPECT_TRUE(checked);

    click(win->bbcAdd);
    checked = false;
    onNextModal([&](QWidget *modal) {
        auto *t = qobject_cast<TfLogTask *>(modal);
        ASSERT_NE(t, nullptr);
        EXPECT_TRUE(t->tbbPost->isEnabled());
        EXPECT_TRUE(t->tbbCancel->isEnabled());
        EXPECT_EQ(t->StatusBar1->text(), u"Insert"_s);
        QTest::keyClicks(t->meTask, u"Quarterly report"_s);
        QTest::mouseClick(t->tbbPost, Qt::LeftButton);
        QTest::keyClicks(t->meTask, u" typed after"_s);
        QTest::mouseClick(t->tbbCancel, Qt::LeftButton); // back to the record's text
        EXPECT_EQ(t->meTask->toPlainText(), u"Quarterly report"_s);
        checked = true;
        QTest::mouseClick(t->bExit, Qt::LeftButton);
    });
    click(win->tbbLogTask);
    EXPECT_TRUE(checked);
    EXPECT_EQ(dm->TBInoutTaskDes->asString(), u"Quarterly report"_s);
    EXPECT_TRUE(task->meTask->toPlainText().isEmpty());
    click(win->bbcCancel);
    EXPECT_EQ(win->GRInout->gridModel()->rowCount(), 4);
}

TEST_F(TimeLogWindowTest, TheTaskMemoHoldsAtMost250Characters)
{
    task = std::make_unique<TfLogTask>(dm->TBInout);
    task->meTask->setPlainText(QString(300, u'x'));
    EXPECT_EQ(task->meTask->toPlainText().size(), 250);
}

TEST_F(TimeLogWindowTest, ANoteAddedInBrowseStateEntersEditModeAndShowsTheNoteImageAfterAccept)
{
    addSample();
    open();
    DBGridModel *m = win->GRInout->gridModel();
    const QModelIndex noteCell = m->index(0, m->columnOf(u"IsNote"_s));
    EXPECT_FALSE(noteCell.data(Qt::DecorationRole).isValid());
    win->GRInout->setCurrentIndex(noteCell);
    onNextModal([](QWidget *modal) {
        auto *d = qobject_cast<MemoDialog *>(modal);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->windowTitle(), u"Time Record Notes"_s);
        QTest::keyClicks(d->memo, u"Invoice sent"_s);
        QTest::mouseClick(d->bOK, Qt::LeftButton);
    });
    const QRect r = win->GRInout->visualRect(noteCell);
    QTest::mouseDClick(win->GRInout->viewport(), Qt::LeftButton, {}, r.center());
    settle();
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Edit);
    EXPECT_TRUE(editMode());
    click(win->bbcPost);
    EXPECT_TRUE(browseMode());
    EXPECT_EQ(dm->TBInoutNotes->asString(), u"Invoice sent"_s);
    EXPECT_TRUE(m->index(0, m->columnOf(u"IsNote"_s)).data(Qt::DecorationRole).isValid());
    EXPECT_TRUE(
        m->headerData(m->columnOf(u"IsNote"_s), Qt::Horizontal, Qt::DecorationRole).isValid());
}

TEST_F(TimeLogWindowTest, ClosingDiscardsAnUntouchedNewRecordAndAsksAboutTypedChanges)
{
    addSample();
    open();
    click(win->bbcAdd);
    win->close();
    EXPECT_TRUE(services.messages->shown.isEmpty());
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Browse);
    EXPECT_EQ(dm->TBInout->countView(), 4);

    open();
    click(win->bbcEdit);
    dm->TBInoutTaskDes->setAsString(u"changed"_s);
    services.messages->answerNext(MsgAnswer::No);
    win->close();
    EXPECT_EQ(services.messages->lastText(), u"Save Changes?"_s);
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Browse);
    EXPECT_TRUE(dm->TBInoutTaskDes->isNull());

    open();
    click(win->bbcEdit);
    dm->TBInoutTaskDes->setAsString(u"kept"_s);
    services.messages->answerNext(MsgAnswer::Yes);
    win->close();
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Browse);
    EXPECT_EQ(dm->TBInoutTaskDes->asString(), u"kept"_s);
}

TEST_F(TimeLogWindowTest, EnteringTheClientColumnWithNoClientsBeepsAndSaysSoEachTime)
{
    addSample();
    open();
    DBGridModel *m = win->GRInout->gridModel();
    win->GRInout->setCurrentIndex(m->index(0, m->columnOf(u"CustName"_s)));
    win->GRInout->setCurrentIndex(m->index(0, m->columnOf(u"WDate"_s)));
    win->GRInout->setCurrentIndex(m->index(0, m->columnOf(u"CustName"_s)));
    EXPECT_EQ(services.beeper->count, 2);
    ASSERT_EQ(services.messages->shown.size(), 2);
    EXPECT_TRUE(services.messages->lastText().startsWith(u"The Client Listing is empty !"_s));
    EXPECT_EQ(services.messages->shown.last().helpContext, 15);

    win->GRInout->setCurrentIndex(m->index(0, m->columnOf(u"JobDes"_s)));
    EXPECT_TRUE(services.messages->lastText().startsWith(u"The Job Type Listing is empty !"_s));
    EXPECT_EQ(services.messages->shown.last().helpContext, 16);

    // With a client the column is entered without a word.
    addClient(u"A1"_s, u"Acme"_s);
    const qsizetype before = services.messages->shown.size();
    win->GRInout->setCurrentIndex(m->index(0, m->columnOf(u"CustName"_s)));
    EXPECT_EQ(services.messages->shown.size(), before);
}

TEST_F(TimeLogWindowTest, TheClientLookUpSaysWhenTheClientIsMissing)
{
    addSample();
    addClient(u"A1"_s, u"Acme"_s);
    open();
    bool editorShown = false;
    win->showClientEditor = [&] { editorShown = true; };
    DBGridModel *m = win->GRInout->gridModel();
    win->GRInout->setCurrentIndex(m->index(0, m->columnOf(u"CustName"_s))); // Cobalt
    win->dblcCustDblClick();
    EXPECT_EQ(services.messages->lastText(), u"Client Not Found."_s);
    EXPECT_FALSE(editorShown);
    win->GRInout->setCurrentIndex(m->index(1, m->columnOf(u"CustName"_s))); // Acme
    win->dblcCustDblClick();
    EXPECT_TRUE(editorShown);
    EXPECT_EQ(dm->TBCustCustNo->asString(), u"A1"_s);
}

TEST_F(TimeLogWindowTest, TypingATimeIntoTheGridRecomputesTheHoursAtAccept)
{
    addSample();
    open();
    DBGridModel *m = win->GRInout->gridModel();
    win->GRInout->setFocus();
    win->GRInout->setCurrentIndex(m->index(0, m->columnOf(u"TaskDes"_s)));
    QTest::keyClick(win->GRInout, Qt::Key_P);
    ASSERT_NE(win->GRInout->openEditor(), nullptr);
    EXPECT_TRUE(editMode());
    QTest::keyClicks(win->GRInout->openEditor(), u"lan"_s);
    click(win->bbcPost);
    EXPECT_EQ(dm->TBInoutTaskDes->asString(), u"plan"_s);
    EXPECT_EQ(cell(0, u"TaskDes"_s), u"plan"_s);
    EXPECT_TRUE(browseMode());
}

TEST_F(TimeLogWindowTest, ExportAndPrintButtonsWorkOnceTheirPartsArePluggedIn)
{
    open();
    EXPECT_FALSE(win->bbcExport->isEnabled());
    EXPECT_FALSE(win->sbPrint->isEnabled());
    wireTimeLogOutputs(*win);
    EXPECT_TRUE(win->bbcExport->isEnabled());
    EXPECT_TRUE(win->sbPreview->isEnabled());
    EXPECT_TRUE(win->sbPrint->isEnabled());
    EXPECT_TRUE(win->sbPrnSetup->isEnabled());
    click(win->bbcExport); // an empty view: the component says so and nothing else happens
    EXPECT_EQ(services.messages->lastText(), u"There is no Data to Export."_s);
    EXPECT_TRUE(dm->TBInoutIsNote->isVisible());
    click(win->bbcAdd);
    EXPECT_FALSE(win->bbcExport->isEnabled());
    EXPECT_FALSE(win->sbPrint->isEnabled());
    click(win->bbcCancel);
}

TEST_F(TimeLogWindowTest, AfterAnExportTheGridShowsTheSameRecordAndTheNoteColumn)
{
    addSample();
    open();
    wireTimeLogOutputs(*win);
    click(win->navcNext);
    click(win->navcNext);
    const qint64 row = dm->TBInout->currentRowId();
    const int gridRow = win->GRInout->currentIndex().row();
    const QString file = m_dir.path() + u"/log.csv"_s;
    services.fileDialogs->answerNext(file);

    // The choice dialog: comma-delimited text to a file.
    bool answered = false;
    onNextModal([&](QWidget *dialog) {
        auto *combo = dialog->findChild<QComboBox *>(u"ExportTypeComboBox"_s);
        auto *fileRadio = dialog->findChild<QRadioButton *>(u"FileRadioButton"_s);
        auto *ok = dialog->findChild<QPushButton *>(u"OKBtn"_s);
        if (!combo || !fileRadio || !ok)
            return;
        combo->setCurrentIndex(combo->findText(u"Comma-Delimited Text (CSV)"_s));
        fileRadio->setChecked(true);
        answered = true;
        ok->click();
    });
    click(win->bbcExport);
    ASSERT_TRUE(answered);
    ASSERT_TRUE(QFile::exists(file));
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(written.readAll());
    EXPECT_TRUE(text.contains(u"Cobalt"_s) && text.contains(u"Beta"_s)) << text.toStdString();

    EXPECT_EQ(dm->TBInout->currentRowId(), row);
    EXPECT_EQ(win->GRInout->currentIndex().row(), gridRow);
    EXPECT_TRUE(dm->TBInoutIsNote->isVisible());
    EXPECT_GE(win->GRInout->gridModel()->columnOf(u"IsNote"_s), 0);
    EXPECT_FALSE(dm->TBInout->controlsDisabled());
}

TEST(TotalHoursTextTest, FourDecimalsTheLocalesSeparatorAndTenSignificantDigits)
{
    EXPECT_EQ(TotalHoursText(12.5), u"12.5000"_s);
    EXPECT_EQ(TotalHoursText(0.0), u"0.0000"_s);
    EXPECT_EQ(TotalHoursText(1234567.89126), u"1234567.8910"_s);
    EXPECT_EQ(TotalHoursText(1234.5), u"1234.5000"_s); // no digit groups
    const QChar saved = FormatSettings::instance().decimalSeparator;
    FormatSettings::instance().decimalSeparator = u',';
    EXPECT_EQ(TotalHoursText(2.25), u"2,2500"_s);
    FormatSettings::instance().decimalSeparator = saved;
}

} // namespace

// ---- through the widgets: F2, double clicks, Esc and Enter on the real cell editors ----

namespace {

/// A modal window as the user meets it: shown with exec() over `parent`, closed by Esc once it
/// is the active modal window. Counts the showings.
void modalPause(QWidget *parent, int *shown)
{
    QDialog box(parent);
    box.setObjectName(u"modalPause"_s);
    onNextModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    box.exec();
    ++*shown;
}

} // namespace

TEST_F(TimeLogWindowTest, TheClientLookUpByDoubleClickOnTheComboOpensAndClosesAgainAndAgain)
{
    addSample();
    addClient(u"A1"_s, u"Acme"_s);
    open();
    int editorShown = 0;
    int notFoundShown = 0;
    win->showClientEditor = [&] { modalPause(win.get(), &editorShown); };
    services.messages->onShow = [&](const FakeMessages::Shown &s) {
        if (s.text == u"Client Not Found."_s)
            modalPause(win.get(), &notFoundShown);
    };
    DBGridModel *m = win->GRInout->gridModel();
    const int client = m->columnOf(u"CustName"_s);
    for (int round = 0; round < 3; ++round) {
        for (int row : {0, 1}) { // Cobalt is not in the client table, Acme is
            win->GRInout->setFocus();
            win->GRInout->setCurrentIndex(m->index(row, client));
            QTest::keyClick(win->GRInout, Qt::Key_F2);
            auto *combo = qobject_cast<QComboBox *>(win->GRInout->openEditor());
            ASSERT_NE(combo, nullptr);
            QTest::mouseDClick(combo->lineEdit(), Qt::LeftButton);
            const int expected = round + 1;
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return (row == 0 ? notFoundShown : editorShown) == expected; }, 3000));
            settle();
        }
    }
    EXPECT_EQ(editorShown, 3);
    EXPECT_EQ(notFoundShown, 3);
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Browse);
    EXPECT_TRUE(browseMode());
}

TEST_F(TimeLogWindowTest, F2OnALookupCellLeftUntouchedKeepsTheRecordInBrowse)
{
    addSample();
    addClient(u"A1"_s, u"Acme"_s);
    test::addJob(*dm, u"DES"_s, u"Design"_s);
    open();
    DBGridModel *m = win->GRInout->gridModel();
    for (const QString &field : {u"CustName"_s, u"JobDes"_s}) {
        for (Qt::Key leave : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Tab}) {
            win->GRInout->setFocus();
            win->GRInout->setCurrentIndex(m->index(0, m->columnOf(field)));
            QTest::keyClick(win->GRInout, Qt::Key_F2);
            QWidget *editor = win->GRInout->openEditor();
            ASSERT_NE(editor, nullptr);
            settle();
            EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Browse) << field.toStdString();
            QTest::keyClick(editor, leave);
            settle();
            EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Browse)
                << field.toStdString() << " left with key " << leave;
            EXPECT_TRUE(browseMode());
            EXPECT_EQ(win->StatusBar1->text(), u"Browse"_s);
        }
    }
    // Picking another entry from the list is a change.
    win->GRInout->setFocus();
    win->GRInout->setCurrentIndex(m->index(0, m->columnOf(u"CustName"_s)));
    QTest::keyClick(win->GRInout, Qt::Key_F2);
    auto *combo = qobject_cast<QComboBox *>(win->GRInout->openEditor());
    ASSERT_NE(combo, nullptr);
    combo->showPopup();
    QAbstractItemView *list = combo->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }, 2000));
    QTest::keyClick(list, Qt::Key_Home);
    QTest::keyClick(list, Qt::Key_Return);
    settle();
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Edit);
    EXPECT_TRUE(editMode());
    click(win->bbcCancel);
}

TEST_F(TimeLogWindowTest, ARefusedEditLeavesTheToolbarInBrowseMode)
{
    addSample();
    open();
    // Another program holds the lock on the first record.
    ForeignRecordLock other(m_dir.path() + u"/Data/Tinout201.DAT"_s, dm->TBInout->currentRowId());
    ASSERT_TRUE(other.held());
    click(win->bbcEdit);
    ASSERT_EQ(services.messages->shown.size(), 1);
    EXPECT_TRUE(services.messages->lastText().contains(u"in use by another user"_s));
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Browse);
    EXPECT_EQ(win->StatusBar1->text(), u"Browse"_s);
    EXPECT_TRUE(browseMode());
    EXPECT_TRUE(win->navcNext->isEnabled());
    // Once it lets go, Edit works.
    other.release();
    click(win->bbcEdit);
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Edit);
    EXPECT_TRUE(editMode());
    click(win->bbcCancel);
}

TEST_F(TimeLogWindowTest, DoubleClicksEscAndTheDeleteKeyReachTheirHandlersThroughTheGrid)
{
    addSample();
    open();
    DBGridModel *m = win->GRInout->gridModel();
    auto cellCentre = [&](int row, const QString &field) {
        return win->GRInout->visualRect(m->index(row, m->columnOf(field))).center();
    };
    // A double click on the task text opens the task window.
    bool taskShown = false;
    onNextModal([&](QWidget *modal) {
        taskShown = modal == task.get();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    QTest::mouseDClick(win->GRInout->viewport(), Qt::LeftButton, {}, cellCentre(0, u"TaskDes"_s));
    settle();
    EXPECT_TRUE(taskShown);
    // One on the note column opens the note editor.
    bool notesShown = false;
    onNextModal([&](QWidget *modal) {
        notesShown = modal == win->mdNotes || win->mdNotes->isAncestorOf(modal);
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    QTest::mouseDClick(win->GRInout->viewport(), Qt::LeftButton, {}, cellCentre(0, u"IsNote"_s));
    settle();
    EXPECT_TRUE(notesShown);
    EXPECT_TRUE(browseMode());

    // Typing starts an edit; Esc in the grid cancels it.
    win->GRInout->setFocus();
    win->GRInout->setCurrentIndex(m->index(0, m->columnOf(u"TaskDes"_s)));
    QTest::keyClick(win->GRInout, Qt::Key_X);
    ASSERT_NE(win->GRInout->openEditor(), nullptr);
    EXPECT_TRUE(editMode());
    QTest::keyClick(win->GRInout->openEditor(), Qt::Key_Escape);
    QTest::keyClick(win->GRInout, Qt::Key_Escape);
    settle();
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Browse);
    EXPECT_TRUE(browseMode());

    // The grid's own delete key asks first.
    services.messages->answerNext(MsgAnswer::No);
    QTest::keyClick(win->GRInout, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(m->rowCount(), 4);
    services.messages->answerNext(MsgAnswer::Yes);
    QTest::keyClick(win->GRInout, Qt::Key_Delete, Qt::ControlModifier);
    settle();
    EXPECT_EQ(m->rowCount(), 3);
}

TEST_F(TimeLogWindowTest, PrintWithNoPrinterSaysSoAndTheSetUpsPdfPrinterThenWritesTheReport)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has a printer installed";
    addSample();
    open();
    wireTimeLogOutputs(*win);
    // Print: the plain question instead of a failure; "No" leaves it at that.
    services.messages->answerNext(MsgAnswer::No);
    click(win->sbPrint);
    ASSERT_EQ(services.messages->shown.size(), 1);
    EXPECT_EQ(services.messages->lastText(), ReportPrinter::noPrinterText());

    // Printer Setup: the desktop's dialog opens on its PDF printer; the user names the file and
    // presses its Print button.
    const QString pdf = m_dir.path() + u"/log.pdf"_s;
    bool offeredPdf = false;
    onNextModal([&](QWidget *modal) {
        auto *file = modal->findChild<QLineEdit *>(u"filename"_s);
        auto *buttons = modal->findChild<QDialogButtonBox *>();
        if (!file || !buttons) {
            modal->close();
            return;
        }
        offeredPdf = file->isEnabled() && file->text().endsWith(u".pdf"_s);
        file->setText(pdf);
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    click(win->sbPrnSetup);
    EXPECT_TRUE(offeredPdf);
    click(win->sbPrint);
    EXPECT_EQ(services.messages->shown.size(), 1);
    EXPECT_GE(test::pdfPageCount(pdf), 1);
}
namespace {

TEST_F(TimeLogWindowTest, TabLeadsFromTheGridsLastCellThroughEveryToolbarButtonAndSpacePressesIt)
{
    addSample();
    open();
    wireTimeLogOutputs(*win); // Export and the printing buttons
    DBGrid *grid = win->GRInout;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, grid->model()->columnCount() - 1));
    ASSERT_TRUE(grid->hasFocus());
    // In browse mode every button but Accept and Reject is on; Tab visits them in order.
    QList<QToolButton *> reached;
    for (int i = 0; i < 40 && reached.size() < 16; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (auto *b = qobject_cast<QToolButton *>(QApplication::focusWidget()))
            if (!reached.contains(b))
                reached << b;
    }
    QStringList names;
    for (QToolButton *b : reached)
        names << b->objectName();
    EXPECT_EQ(names,
              (QStringList{u"navcFirst"_s, u"navcPrior"_s, u"navcNext"_s, u"navcLast"_s,
                           u"bbcAdd"_s, u"bbcEdit"_s, u"bbcCopy"_s, u"bbcDelete"_s, u"bClearAll"_s,
                           u"tbbLogTask"_s, u"bbcExport"_s, u"sbFilter"_s, u"tbbClearFilter"_s,
                           u"sbPrnSetup"_s, u"sbPreview"_s, u"sbPrint"_s}));
    for (QToolButton *b : reached)
        EXPECT_FALSE(b->accessibleName().isEmpty()) << b->objectName().toStdString();

    // Space on "Last" moves to the last record, as a click does.
    QToolButton *last = win->navcLast;
    last->setFocus();
    QTest::keyClick(last, Qt::Key_Space);
    settle();
    EXPECT_EQ(dm->TBInoutWDate->asDateTime(), dt::fromDate(QDate(2026, 3, 5)));
}

TEST_F(TimeLogWindowTest, TheWindowGrowsFromItsDrawnSizeAndRemembersTheSizeTheUserGave)
{
    open();
    EXPECT_EQ(win->size(), QSize(TFInOut::kClientWidth, TFInOut::kClientHeight));
    const int gridHeight = win->GRInout->height();
    win->resize(900, 500);
    QCoreApplication::processEvents();
    EXPECT_GT(win->GRInout->height(), gridHeight) << "the grid takes the room";
    win->hide();
    EXPECT_EQ(TFInOut::savedSize(), QSize(900, 500));
    win->resize(100, 100);
    EXPECT_EQ(win->size(), QSize(TFInOut::kClientWidth, TFInOut::kClientHeight))
        << "the drawn size is the smallest";
    settings::setDesktopValue(u"TimeLog/Size"_s, QVariant()); // the other tests' windows
}

TEST_F(TimeLogWindowTest, TheDateColumnHoldsTheLocalesWidestShortDate)
{
    FormatSettings &formats = FormatSettings::instance();
    const QString before = formats.shortDateFormat;
    formats.shortDateFormat = u"d MMM yyyy"_s; // the C locale's, the widest of the three
    open();
    win->GRInout->applyDisplayWidths();
    const QFontMetrics fm = win->GRInout->fontMetrics();
    const int column = win->GRInout->gridModel()->columnOf(u"WDate"_s);
    for (const QString &sample : formats.shortDateSamples())
        EXPECT_GT(win->GRInout->columnWidth(column), fm.horizontalAdvance(sample))
            << sample.toStdString();
    formats.shortDateFormat = before;
}

} // namespace

namespace {

TEST_F(TimeLogWindowTest, AssistiveTechnologySeesTheRowsOnScreenAndTheRecordCount)
{
    constexpr int kRecords = 60;
    for (int i = 0; i < kRecords; ++i)
        add(QDate(2026, 1, 1).addDays(i), u"Acme"_s, u"Design"_s, QTime(9, 0), QTime(10, 0));
    dm->TBInout->first();
    open();
    DBGrid *grid = win->GRInout;
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(grid);
    ASSERT_TRUE(iface);
    EXPECT_EQ(iface->role(), QAccessible::Table);
    EXPECT_EQ(iface->text(QAccessible::Name), u"Time Log"_s);
    EXPECT_TRUE(iface->text(QAccessible::Description).contains(QString::number(kRecords)));
    const int columns = grid->model()->columnCount();
    const int shown = iface->childCount() / columns;
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, kRecords) << "only the rows on screen, not the whole log";
    EXPECT_EQ(iface->childCount() % columns, 0);

    auto firstDate = [&] {
        QAccessibleInterface *cell = iface->child(0);
        return cell ? cell->text(QAccessible::Name) : QString();
    };
    const QString top = firstDate();
    EXPECT_EQ(top, grid->model()->index(0, 0).data().toString());
    EXPECT_EQ(iface->indexOfChild(iface->child(columns + 1)), columns + 1);
    EXPECT_EQ(iface->child(0)->parent(), iface);

    grid->scrollToBottom();
    QCoreApplication::processEvents();
    const QString bottom = firstDate();
    EXPECT_NE(bottom, top) << "the cells follow the scrolled rows";
    EXPECT_EQ(bottom, grid->model()->index(grid->rowAt(0), 0).data().toString());
}

} // namespace
