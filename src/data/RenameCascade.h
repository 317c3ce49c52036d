// RenameCascade: renames a client or a job type in the time log. Time records carry the client's
// name and the job type's description rather than a key, so a renamed list entry is renamed in
// every time record that carried the old text. Used by the client editor (UpdateClientName) and
// the job-type window (UpdateJobDes).
#pragma once

#include <QString>

namespace kv {

class Field;
class StoreTable;

/// Renames every record of `timeLog` whose `field` holds exactly `oldName` (letter case included)
/// to `newName`, searching by key on `indexName`, whose first key field is `field`.
///
/// Each record is edited and posted through `timeLog`, so its before-post and after-post rules
/// run (the hours are recomputed, the time-log window's total follows). A filter on the table is
/// switched off for the search, so that records it hides are renamed too, and switched on again
/// afterwards; the index the table had is restored and the table refreshed, also when a post
/// fails. The posts run in one store batch; after a failure the records renamed before it keep
/// the new name and the error (StoreError) reaches the caller.
///
/// Does nothing when `oldName` is empty or equal to `newName`. Returns the number renamed.
int renameInTimeLog(StoreTable &timeLog, Field &field, const QString &indexName,
                    const QString &oldName, const QString &newName);

} // namespace kv
