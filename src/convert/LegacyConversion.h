// LegacyConversion: the copy of version-1.1 data into the current tables, in four steps
// (configuration, clients, time log, job types), each run only when its table exists, each
// record skipped when the current table already holds it. The conversion window and the
// import-v1 command both run it; it shows nothing itself.
#pragma once

#include "LegacyEngine.h"

#include <QString>
#include <array>
#include <functional>

namespace kv {

class TDMKV;

/// What one step did.
struct ConvertedTable
{
    QString what;      ///< "Configuration", "Clients", "Time log", "Job types"
    QString tableName; ///< "kvdef.DB", ...
    bool found = false;
    int added = 0;   ///< records written to the current table
    int present = 0; ///< records skipped because the current table holds them already
};

class LegacyConversion
{
public:
    static inline const QString kConfigTable = QStringLiteral("kvdef.DB");
    static inline const QString kClientTable = QStringLiteral("Customer.DB");
    static inline const QString kTimeLogTable = QStringLiteral("Tinout.DB");
    static inline const QString kJobTable = QStringLiteral("JobCode.DB");

    LegacyConversion(TDMKV &dm, LegacyDatabase source);

    /// Progress texts as the steps begin ("Converting Client Data....").
    std::function<void(const QString &)> progress;

    /// Runs the four steps, then refreshes the current tables when any version-1.1 table was
    /// found. Returns true when one was. Throws LegacyError naming the file when a version-1.1
    /// file cannot be read or a record cannot be written, StoreError when the current store
    /// fails; what was written before stays, and tables() tells how far it came.
    bool run();

    const std::array<ConvertedTable, 4> &tables() const { return m_tables; }
    bool anyTableFound() const;

private:
    void convertConfiguration(ConvertedTable &step);
    void convertClients(ConvertedTable &step);
    void convertTimeLog(ConvertedTable &step);
    void convertJobTypes(ConvertedTable &step);
    void say(const QString &text) const;

    TDMKV &m_dm;
    LegacyDatabase m_source;
    std::array<ConvertedTable, 4> m_tables;
};

} // namespace kv
