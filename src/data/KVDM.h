// The data module TDMKV (instance DMKV): the eight table components over the six files of the
// data folder, their fields and data sources, and the record rules that run when records are
// created, fetched and posted. Windows reach the data only through it.
#pragma once

#include "RenameJournal.h"
#include "StoreTable.h"

#include <QObject>
#include <functional>
#include <memory>

namespace kv {

class TDMKV : public QObject
{
    Q_OBJECT
public:
    using DataFolderFn = std::function<QString()>;
    enum class Access {
        ReadWrite,
        /// For commands that only read (the command line's export and report): no table opens
        /// at construction, each opens for reading only when its reader opens it, and nothing
        /// in the data folder is created or changed, not even a missing table file or a lock
        /// file. Writes, the first-run configuration record, the move of the earlier time log
        /// and the finishing of interrupted renames throw StoreError (kInvalidOperation).
        ReadOnly,
    };

    /// Builds the tables and, for ReadWrite, opens all but TBInoutOld, in the order TBCust,
    /// TBInout, TBJobCode, TBCustList, TBDef, TBJobList, TBTodo. Every open asks `dataFolder`
    /// for the folder anew. Missing table files are created empty. Throws StoreError when a
    /// table cannot be opened.
    explicit TDMKV(DataFolderFn dataFolder, Access access = Access::ReadWrite,
                   QObject *parent = nullptr);
    ~TDMKV() override;

    // ---- table components and data sources ----
    StoreTable *TBCust, *TBInout, *TBJobCode, *TBCustList, *TBDef, *TBJobList, *TBTodo, *TBInoutOld;
    DataSource *DSCust, *DSInout, *DSJobCode, *DSCustList, *DSDef, *DSJobList, *DSTodo, *DSInoutOld;

    // ---- persistent fields ----
    Field *TBCustCustName, *TBCustCustNo, *TBCustState, *TBCustCity, *TBCustZip, *TBCustAddress1,
        *TBCustAddress2, *TBCustPhone, *TBCustFAX, *TBCustEmail, *TBCustContact, *TBCustNotes;
    Field *TBCustListCustName, *TBCustListCustNo;
    Field *TBInoutWDate, *TBInoutCustName, *TBInoutJobDes, *TBInoutTaskDes, *TBInoutTimeIn,
        *TBInoutTimeOut, *TBInoutHours, *TBInoutBillable, *TBInoutIsNote, *TBInoutInoutID,
        *TBInoutNotes;
    Field *TBJobCodeJobCode, *TBJobCodeJobDes, *TBJobListJobCode, *TBJobListJobDes;
    Field *TBDefRecordID, *TBDefCustName, *TBDefJobDes, *TBDefGetTask, *TBDefTray,
        *TBDefInOnStartup, *TBDefIsOpen, *TBDefGroupTotal, *TBDefReportTitle, *TBDefShowTotal,
        *TBDefBillingIncr, *TBDefMinBillTime, *TBDefTutorialShow, *TBDefAutoLogClient,
        *TBDefDataConverted, *TBDefAutoLogJob;
    Field *TBTodoDone, *TBTodoPriMajor, *TBTodoPriMinor, *TBTodoDueDate, *TBTodoTask, *TBTodoTimeIn,
        *TBTodoDateIn, *TBTodoTimeDone, *TBTodoDateDone, *TBTodoRecId;
    Field *TBInoutOldWDate, *TBInoutOldTimeIn, *TBInoutOldTimeOut, *TBInoutOldCustName,
        *TBInoutOldJobDes, *TBInoutOldTaskDes, *TBInoutOldInoutID, *TBInoutOldHours,
        *TBInoutOldBillable, *TBInoutOldNotes;

    // ---- hooks the windows register (a rule with no window registered does nothing) ----
    /// A new time record: the time-log window leaves browse mode and focuses the date column.
    std::function<void()> inoutNewRecordHook;
    /// After posts of time records: the time-log window repaints and recomputes its total.
    /// Called once when control returns to the event loop, however many posts came before.
    std::function<void()> inoutAfterPostHook;
    /// After a post of a client / job type: the rename cascades compare the remembered name.
    std::function<void()> custAfterPostHook;
    std::function<void()> jobAfterPostHook;
    /// Before a post of a client / job type: the name the record had before its edit, as the
    /// window that runs the cascade remembers it. A post that changes it is journaled before it
    /// writes, and the journal is cleared once the after-post cascade has returned.
    std::function<QString()> custRenameFromHook;
    std::function<QString()> jobRenameFromHook;
    /// After a post or cancel of a to-do record: the to-do window returns to browse mode.
    std::function<void()> todoBrowseHook;

    bool isReadOnly() const { return m_access == Access::ReadOnly; }

    // ---- configuration record ----
    int billingIncr() const;
    int minBillTime() const;

    /// First run: when TBDef holds no record, inserts one with every field empty and posts it.
    /// Returns true when it created the record.
    bool ensureConfigRecord();

    /// Moves the records of the earlier time log Tinout.DAT into the empty current one, with
    /// their hours recomputed; opens and closes TBInoutOld. Returns the number moved. A record
    /// whose key is already in the current log stays in the old file.
    int migrateOldTimeLog();

    /// Finishes the rename cascades that a crash interrupted (the list entry renamed, the time
    /// records not yet): for a journaled rename whose new name is in the list, renames the
    /// time records that still carry the old name, then clears the journal. Start-up runs it
    /// before any window opens. Returns the number of time records renamed; throws StoreError.
    int finishPendingRenames();
    RenameJournal &renameJournal() { return *m_journal; }

    /// Runs the after-post work that was deferred during a loop of posts now (tests, shutdown).
    void flushDeferred();

private:
    void declareFields();
    void wireRules();
    void setUpTable(StoreTable *t, const QString &file, const TableSchema &schema,
                    const QString &index);
    void scheduleInoutAfterPost();

    void journalRename(RenameJournal::Kind kind, const std::function<QString()> &from,
                       const Field &name);

    void refuseWhenReadOnly(const char *what) const;

    DataFolderFn m_dataFolder;
    Access m_access;
    std::unique_ptr<RenameJournal> m_journal;
    bool m_inoutAfterPostPending = false;
};

/// The one data module of the process (set by the start-up, null before).
extern TDMKV *DMKV;

} // namespace kv
