// Puts clients, job types and configuration values into a data module for tests.
#pragma once

#include "KVDM.h"

#include <functional>

namespace kv::test {

inline void addClient(TDMKV &dm, const QString &no, const QString &name)
{
    dm.TBCust->insert();
    dm.TBCustCustNo->setAsString(no);
    dm.TBCustCustName->setAsString(name);
    dm.TBCust->post();
}

inline void addJob(TDMKV &dm, const QString &code, const QString &des)
{
    dm.TBJobCode->insert();
    dm.TBJobCodeJobCode->setAsString(code);
    dm.TBJobCodeJobDes->setAsString(des);
    dm.TBJobCode->post();
}

/// Runs `change` on the configuration record in edit state and posts it.
inline void setDef(TDMKV &dm, const std::function<void()> &change)
{
    dm.TBDef->first();
    dm.TBDef->edit();
    change();
    dm.TBDef->post();
}

} // namespace kv::test
