// RenameJournal: a rename of a client or a job type whose cascade into the time log has not
// committed yet, kept durably in the data folder.
//
// Design notes. The list entry (Customer.DAT, JobCode.DAT) and the time records
// (Tinout201.DAT) live in different files, each committed in its own transaction, so a crash
// between the two commits would leave the list with the new name and the records with the old
// one. The journal closes that gap:
//
//   step                                   journal file         if the program dies here
//   before the list entry's post writes    written (fsync)      next start: the post did not
//                                                               commit, the new name is not in
//                                                               the list: the entry is dropped
//   list entry committed, cascade running  present              next start finishes the rename
//   cascade committed                      removed              nothing to do
//
// One file per cascade beside the list's table file ("Customer.DAT.rename",
// "JobCode.DAT.rename"), holding the old and the new name as JSON. It is written to a
// temporary file, synced, renamed over the journal and the folder synced, so it is either the
// old or the new content after a crash, never half of one.
#pragma once

#include <QString>
#include <optional>

namespace kv {

class RenameJournal
{
public:
    enum class Kind { Client, JobType };
    struct Entry
    {
        QString oldName;
        QString newName;
    };

    /// The journal of the tables in `folder`.
    explicit RenameJournal(QString folder);

    /// Records that `kind`'s entry is being renamed from `oldName` to `newName`, durably.
    /// Throws StoreError (kWriteFailed, naming the file) when it cannot be written.
    void record(Kind kind, const QString &oldName, const QString &newName);
    /// Forgets the rename of `kind` (its cascade committed, or its post never happened).
    void clear(Kind kind);
    /// The rename of `kind` still to be finished, if any. An unreadable journal file counts as
    /// none.
    std::optional<Entry> pending(Kind kind) const;
    /// Path of the journal file of `kind`.
    QString path(Kind kind) const;

private:
    QString m_folder;
};

} // namespace kv
