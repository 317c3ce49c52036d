// The data module: table components, persistent fields, data sources and record rules.
//
// Rules and where they run:
//   every table   BeforeOpen   folder := the data folder, asked anew at every open
//   TBInout       OnNewRecord  inoutNewRecordHook (time-log window leaves browse mode)
//   TBInout       BeforePost   CalcHours, only when the record was changed
//   TBInout       AfterPost    inoutAfterPostHook, deferred to the event loop and coalesced
//   TBInout       OnCalcFields IsNote := 0 with a note, -1 without
//   TBCust        BeforePost   a changed name is journaled (custRenameFromHook)
//   TBCust        AfterPost    custAfterPostHook (client rename cascade), then the journal
//                              is cleared
//   TBJobCode     BeforePost   likewise (jobRenameFromHook)
//   TBJobCode     AfterPost    jobAfterPostHook (job-type rename cascade), journal cleared
//   TBTodo        AfterPost, AfterCancel  todoBrowseHook
#include "KVDM.h"

#include "HoursRule.h"
#include "RenameCascade.h"
#include "Schemas.h"

#include <QDir>
#include <QMetaObject>

namespace kv {

TDMKV *DMKV = nullptr;

namespace {

struct FieldSpec
{
    const char *name;
    FieldType type;
    int size = 0;
    bool required = false;
    const char *label = nullptr;
    int width = 0;
    bool visible = true;
    const char *mask = nullptr;
};

Field *declare(StoreTable *t, const FieldSpec &s, FieldKind kind = FieldKind::Stored)
{
    Field &f = t->addField(QString::fromLatin1(s.name), s.type, s.size, kind);
    f.setRequired(s.required);
    if (s.label)
        f.setDisplayLabel(QString::fromUtf8(s.label));
    if (s.width)
        f.setDisplayWidth(s.width);
    f.setVisible(s.visible);
    if (s.mask)
        f.setEditMask(QString::fromLatin1(s.mask));
    return &f;
}

constexpr bool kRequired = true;
constexpr bool kHidden = false;

} // namespace

TDMKV::TDMKV(DataFolderFn dataFolder, Access access, QObject *parent)
    : QObject(parent), m_dataFolder(std::move(dataFolder)), m_access(access)
{
    setObjectName(QStringLiteral("DMKV"));
    m_journal = std::make_unique<RenameJournal>(m_dataFolder());
    TBCust = new StoreTable(QStringLiteral("TBCust"), this);
    TBInout = new StoreTable(QStringLiteral("TBInout"), this);
    TBJobCode = new StoreTable(QStringLiteral("TBJobCode"), this);
    TBCustList = new StoreTable(QStringLiteral("TBCustList"), this);
    TBDef = new StoreTable(QStringLiteral("TBDef"), this);
    TBJobList = new StoreTable(QStringLiteral("TBJobList"), this);
    TBTodo = new StoreTable(QStringLiteral("TBTodo"), this);
    TBInoutOld = new StoreTable(QStringLiteral("TBInoutOld"), this);

    DSCust = new DataSource(QStringLiteral("DSCust"), TBCust, false, this);
    DSInout = new DataSource(QStringLiteral("DSInout"), TBInout, true, this);
    DSJobCode = new DataSource(QStringLiteral("DSJobCode"), TBJobCode, true, this);
    DSCustList = new DataSource(QStringLiteral("DSCustList"), TBCustList, false, this);
    DSDef = new DataSource(QStringLiteral("DSDef"), TBDef, true, this);
    DSJobList = new DataSource(QStringLiteral("DSJobList"), TBJobList, false, this);
    DSTodo = new DataSource(QStringLiteral("DSTodo"), TBTodo, true, this);
    DSInoutOld = new DataSource(QStringLiteral("DSInoutOld"), TBInoutOld, true, this);

    setUpTable(TBCust, schemas::kCustomerFile, schemas::customer(), QString());
    setUpTable(TBInout, schemas::kTimeLogFile, schemas::timeLog(), QStringLiteral("Tinout01"));
    setUpTable(TBJobCode, schemas::kJobCodeFile, schemas::jobCode(), QStringLiteral("JobCod01"));
    setUpTable(TBCustList, schemas::kCustomerFile, schemas::customer(), QStringLiteral("Custom01"));
    setUpTable(TBDef, schemas::kConfigFile, schemas::config(), QString());
    setUpTable(TBJobList, schemas::kJobCodeFile, schemas::jobCode(), QString());
    setUpTable(TBTodo, schemas::kTodoFile, schemas::todo(), QStringLiteral("todo07"));
    setUpTable(TBInoutOld, schemas::kOldTimeLogFile, schemas::oldTimeLog(),
               QStringLiteral("Tinout01"));

    declareFields();
    wireRules();

    if (isReadOnly())
        return;
    for (StoreTable *t : {TBCust, TBInout, TBJobCode, TBCustList, TBDef, TBJobList, TBTodo})
        t->open();
}

void TDMKV::refuseWhenReadOnly(const char *what) const
{
    if (isReadOnly())
        throw StoreError(QStringLiteral("%1 needs write access, but the data in %2 is open for "
                                        "reading only")
                             .arg(QString::fromLatin1(what), m_dataFolder()),
                         StoreError::kInvalidOperation);
}

TDMKV::~TDMKV()
{
    if (DMKV == this)
        DMKV = nullptr;
}

void TDMKV::setUpTable(StoreTable *t, const QString &file, const TableSchema &schema,
                       const QString &index)
{
    t->setTableName(file);
    t->setSchema(schema);
    t->setCreateIfMissing(!isReadOnly());
    t->setReadOnly(isReadOnly());
    t->setIndexName(index);
    t->setLockRetryCount(15);
    t->setLockWaitTime(100);
    t->setValidateWithMask(true);
    t->BeforeOpen = [this](StoreTable &table) { table.setDatabaseName(m_dataFolder()); };
}

void TDMKV::declareFields()
{
    using FT = FieldType;
    // Customer.DAT
    TBCustCustName = declare(TBCust, {"CustName", FT::String, 40, kRequired, "Client Name", 33});
    TBCustCustNo = declare(TBCust, {"CustNo", FT::String, 10, kRequired, "Client #", 0, kHidden});
    TBCustState = declare(TBCust, {"State", FT::String, 2, false, nullptr, 0, kHidden, ">LL;0;_"});
    TBCustCity = declare(TBCust, {"City", FT::String, 30, false, nullptr, 0, kHidden});
    TBCustZip =
        declare(TBCust, {"Zip", FT::String, 10, false, nullptr, 0, kHidden, "00000\\-9999;1;"});
    TBCustAddress1 = declare(TBCust, {"Address1", FT::String, 30, false, nullptr, 0, kHidden});
    TBCustAddress2 = declare(TBCust, {"Address2", FT::String, 30, false, nullptr, 0, kHidden});
    TBCustPhone = declare(
        TBCust, {"Phone", FT::String, 12, false, nullptr, 0, kHidden, "!\\(999\\)\\ 000-0000;0;_"});
    TBCustFAX = declare(
        TBCust, {"FAX", FT::String, 12, false, nullptr, 0, kHidden, "!\\(999\\)\\ 000-0000;0;"});
    TBCustEmail = declare(TBCust, {"Email", FT::String, 30, false, nullptr, 0, kHidden});
    TBCustContact = declare(TBCust, {"Contact", FT::String, 30, false, nullptr, 0, kHidden});
    TBCustNotes = declare(TBCust, {"Notes", FT::Memo, 0, false, nullptr, 0, kHidden});

    TBCustListCustName =
        declare(TBCustList, {"CustName", FT::String, 40, kRequired, "Client Name"});
    TBCustListCustNo = declare(TBCustList, {"CustNo", FT::String, 10, kRequired, "Client #"});

    // Tinout201.DAT
    TBInoutWDate = declare(TBInout, {"WDate", FT::Date, 0, kRequired, "Date", 11});
    TBInoutCustName = declare(TBInout, {"CustName", FT::String, 40, kRequired, "Client", 15});
    TBInoutJobDes = declare(TBInout, {"JobDes", FT::String, 30, kRequired, "Job Type", 14});
    TBInoutTaskDes = declare(TBInout, {"TaskDes", FT::String, 250, false, "Task Description", 17});
    TBInoutTimeIn = declare(TBInout, {"TimeIn", FT::Time, 0, kRequired, "In", 11});
    TBInoutTimeOut = declare(TBInout, {"TimeOut", FT::Time, 0, kRequired, "Out", 11});
    TBInoutHours = declare(TBInout, {"Hours", FT::Float, 0, false, nullptr, 7});
    TBInoutHours->setDisplayFormat(QStringLiteral("#0.0000"));
    TBInoutBillable = declare(TBInout, {"Billable", FT::Boolean, 0, false, "$", 3});
    TBInoutIsNote =
        declare(TBInout, {"IsNote", FT::Integer, 0, false, " ", 3}, FieldKind::Calculated);
    TBInoutInoutID = declare(TBInout, {"InoutID", FT::AutoInc, 0, false, nullptr, 0, kHidden});
    TBInoutNotes = declare(TBInout, {"Notes", FT::Memo, 0, false, nullptr, 0, kHidden});

    // JobCode.DAT
    TBJobCodeJobCode = declare(TBJobCode, {"JobCode", FT::String, 5, kRequired, "Job Code", 6});
    TBJobCodeJobDes = declare(TBJobCode, {"JobDes", FT::String, 30, kRequired, "Job Type", 37});
    TBJobListJobCode = declare(TBJobList, {"JobCode", FT::String, 5, kRequired, "Job Code"});
    TBJobListJobDes = declare(TBJobList, {"JobDes", FT::String, 30, kRequired, "Job Type"});

    // kvdef.DAT: no field is required and none has a default.
    TBDefRecordID = declare(TBDef, {"RecordID", FT::AutoInc});
    TBDefCustName = declare(TBDef, {"CustName", FT::String, 40, false, "Client Name"});
    TBDefJobDes = declare(TBDef, {"JobDes", FT::String, 30, false, "Job Type"});
    TBDefGetTask = declare(TBDef, {"GetTask", FT::Boolean});
    TBDefTray = declare(TBDef, {"Tray", FT::Boolean});
    TBDefInOnStartup = declare(TBDef, {"InOnStartup", FT::Boolean});
    TBDefIsOpen = declare(TBDef, {"IsOpen", FT::Boolean});
    TBDefGroupTotal = declare(TBDef, {"GroupTotal", FT::Boolean});
    TBDefReportTitle = declare(TBDef, {"ReportTitle", FT::String, 40});
    TBDefShowTotal = declare(TBDef, {"ShowTotal", FT::Boolean});
    TBDefBillingIncr = declare(TBDef, {"BillingIncr", FT::SmallInt});
    TBDefMinBillTime = declare(TBDef, {"MinBillTime", FT::SmallInt});
    TBDefTutorialShow = declare(TBDef, {"TutorialShow", FT::Boolean});
    TBDefAutoLogClient = declare(TBDef, {"AutoLogClient", FT::Boolean});
    TBDefDataConverted = declare(TBDef, {"DataConverted", FT::Boolean});
    TBDefAutoLogJob = declare(TBDef, {"AutoLogJob", FT::Boolean});

    // todo.DAT: no field is required.
    TBTodoDone = declare(TBTodo, {"Done", FT::Boolean, 0, false, nullptr, 5});
    TBTodoPriMajor = declare(TBTodo, {"PriMajor", FT::String, 1, false, "P", 4});
    TBTodoPriMinor = declare(TBTodo, {"PriMinor", FT::String, 1, false, "p", 4});
    TBTodoDueDate = declare(TBTodo, {"DueDate", FT::Date, 0, false, "Due On", 10});
    TBTodoTask = declare(TBTodo, {"Task", FT::String, 250, false, nullptr, 45});
    TBTodoTimeIn = declare(TBTodo, {"TimeIn", FT::Time, 0, false, "In Time ", 10, kHidden});
    TBTodoDateIn = declare(TBTodo, {"DateIn", FT::Date, 0, false, "In Date", 10, kHidden});
    TBTodoTimeDone = declare(TBTodo, {"TimeDone", FT::Time, 0, false, "Done Time", 10, kHidden});
    TBTodoDateDone = declare(TBTodo, {"DateDone", FT::Date, 0, false, "Done Date", 10, kHidden});
    TBTodoRecId = declare(TBTodo, {"RecId", FT::AutoInc, 0, false, nullptr, 10, kHidden});
    TBTodo->addPictureMask(QStringLiteral("PriMinor"), QStringLiteral("~"));

    // Tinout.DAT, the earlier time log.
    TBInoutOldWDate = declare(TBInoutOld, {"WDate", FT::Date, 0, kRequired});
    TBInoutOldTimeIn = declare(TBInoutOld, {"TimeIn", FT::Time, 0, kRequired});
    TBInoutOldTimeOut = declare(TBInoutOld, {"TimeOut", FT::Time, 0, kRequired});
    TBInoutOldCustName = declare(TBInoutOld, {"CustName", FT::String, 40, kRequired});
    TBInoutOldJobDes = declare(TBInoutOld, {"JobDes", FT::String, 30, kRequired});
    TBInoutOldTaskDes = declare(TBInoutOld, {"TaskDes", FT::String, 30});
    TBInoutOldInoutID = declare(TBInoutOld, {"InoutID", FT::AutoInc});
    TBInoutOldHours = declare(TBInoutOld, {"Hours", FT::Float});
    TBInoutOldBillable = declare(TBInoutOld, {"Billable", FT::Boolean});
    TBInoutOldNotes = declare(TBInoutOld, {"Notes", FT::Memo});
}

void TDMKV::wireRules()
{
    TBInout->OnNewRecord = [this](StoreTable &) {
        if (inoutNewRecordHook)
            inoutNewRecordHook();
    };
    TBInout->BeforePost = [this](StoreTable &t) {
        if (t.isActive() && t.isModified())
            CalcHours(t, billingIncr(), minBillTime());
    };
    TBInout->AfterPost = [this](StoreTable &) { scheduleInoutAfterPost(); };
    TBInout->OnCalcFields = [this](StoreTable &) {
        TBInoutIsNote->setAsInteger(TBInoutNotes->isNull() ? -1 : 0);
    };
    TBInout->AfterOpen = [](StoreTable &) {};
    // A rename commits the list entry and then its time records, in two files: the journal
    // carries it over a crash in between (RenameJournal.h). A cascade that throws leaves the
    // journal for the next start to finish.
    TBCust->BeforePost = [this](StoreTable &) {
        journalRename(RenameJournal::Kind::Client, custRenameFromHook, *TBCustCustName);
    };
    TBCust->AfterPost = [this](StoreTable &) {
        if (custAfterPostHook)
            custAfterPostHook();
        m_journal->clear(RenameJournal::Kind::Client);
    };
    TBJobCode->BeforePost = [this](StoreTable &) {
        journalRename(RenameJournal::Kind::JobType, jobRenameFromHook, *TBJobCodeJobDes);
    };
    TBJobCode->AfterPost = [this](StoreTable &) {
        if (jobAfterPostHook)
            jobAfterPostHook();
        m_journal->clear(RenameJournal::Kind::JobType);
    };
    auto todoBrowse = [this](StoreTable &) {
        if (todoBrowseHook)
            todoBrowseHook();
    };
    TBTodo->AfterPost = todoBrowse;
    TBTodo->AfterCancel = todoBrowse;
}

void TDMKV::journalRename(RenameJournal::Kind kind, const std::function<QString()> &from,
                          const Field &name)
{
    if (!from)
        return;
    const QString oldName = from();
    const QString newName = name.asString();
    if (!oldName.isEmpty() && oldName != newName)
        m_journal->record(kind, oldName, newName);
}

int TDMKV::finishPendingRenames()
{
    refuseWhenReadOnly("Finishing an interrupted rename");
    struct Cascade
    {
        RenameJournal::Kind kind;
        StoreTable *list;
        QString listIndex;
        Field *timeLogField;
        QString timeLogIndex;
    };
    const Cascade cascades[] = {
        {RenameJournal::Kind::Client, TBCustList, QStringLiteral("Custom01"), TBInoutCustName,
         QStringLiteral("Tinout02")},
        {RenameJournal::Kind::JobType, TBJobCode, QStringLiteral("JobCod01"), TBInoutJobDes,
         QStringLiteral("Tinout03")},
    };
    int renamed = 0;
    for (const Cascade &c : cascades) {
        const std::optional<RenameJournal::Entry> entry = m_journal->pending(c.kind);
        if (!entry)
            continue;
        // The list entry's post committed only when its new name is in the list; otherwise
        // the post failed or was abandoned and nothing is to be renamed.
        c.list->refresh();
        const QString index = c.list->indexName();
        c.list->setIndexName(c.listIndex);
        const bool committed = c.list->findKey({entry->newName});
        c.list->setIndexName(index);
        if (committed)
            renamed += renameInTimeLog(*TBInout, *c.timeLogField, c.timeLogIndex, entry->oldName,
                                       entry->newName);
        m_journal->clear(c.kind);
    }
    return renamed;
}

void TDMKV::scheduleInoutAfterPost()
{
    if (!inoutAfterPostHook || m_inoutAfterPostPending)
        return;
    m_inoutAfterPostPending = true;
    QMetaObject::invokeMethod(
        this, [this] { flushDeferred(); }, Qt::QueuedConnection);
}

void TDMKV::flushDeferred()
{
    if (!m_inoutAfterPostPending)
        return;
    m_inoutAfterPostPending = false;
    if (inoutAfterPostHook)
        inoutAfterPostHook();
}

int TDMKV::billingIncr() const
{
    return TBDef->isActive() && !TBDef->isEmpty() ? TBDefBillingIncr->asInteger() : 0;
}

int TDMKV::minBillTime() const
{
    return TBDef->isActive() && !TBDef->isEmpty() ? TBDefMinBillTime->asInteger() : 0;
}

bool TDMKV::ensureConfigRecord()
{
    refuseWhenReadOnly("Creating the configuration record");
    if (!TBDef->isEmpty())
        return false;
    TBDef->insert();
    TBDef->post();
    return true;
}

int TDMKV::migrateOldTimeLog()
{
    refuseWhenReadOnly("Moving the earlier time log");
    TBInoutOld->open();
    int moved = 0;
    try {
        if (TBInout->isEmpty() && !TBInoutOld->isEmpty()) {
            TBInout->beginBatch();
            TBInoutOld->beginBatch();
            TBInoutOld->first();
            while (!TBInoutOld->eof()) {
                TBInout->insert();
                TBInoutCustName->setValue(TBInoutOldCustName->value());
                TBInoutTimeIn->setValue(TBInoutOldTimeIn->value());
                TBInoutWDate->setValue(TBInoutOldWDate->value());
                TBInoutTimeOut->setValue(TBInoutOldTimeOut->value());
                TBInoutJobDes->setValue(TBInoutOldJobDes->value());
                TBInoutTaskDes->setValue(TBInoutOldTaskDes->value());
                TBInoutHours->setValue(TBInoutOldHours->value());
                TBInoutBillable->setValue(TBInoutOldBillable->value());
                TBInoutNotes->setValue(TBInoutOldNotes->value());
                try {
                    TBInout->post();
                } catch (const StoreError &e) {
                    // The same work is already in the log: keep the old record where it is
                    // rather than book it twice or stop the start-up for good.
                    if (e.code() != StoreError::kKeyViolation)
                        throw;
                    TBInout->cancel();
                    TBInoutOld->next();
                    continue;
                }
                TBInoutOld->deleteRecord(); // moves to the record that followed it
                ++moved;
            }
            // The new log first: a crash between the two commits leaves a record in both
            // files, never in neither.
            TBInout->commitBatch();
            TBInoutOld->commitBatch();
        }
    } catch (...) {
        if (TBInout->state() != StoreTable::State::Browse && TBInout->isActive())
            TBInout->cancel();
        TBInout->rollbackBatch();
        TBInoutOld->rollbackBatch();
        TBInoutOld->close();
        throw;
    }
    TBInoutOld->close();
    return moved;
}

} // namespace kv
