// A data module over a fresh data folder beside a folder of version-1.1 tables that the tests
// write with pxlib: the sample tables of a v1.1 user, or any part of them.
#pragma once

#include "DataFixture.h"
#include "DateTime.h"
#include "LegacyWriter.h"

#include <QDate>
#include <QFile>
#include <QTime>

namespace kv::test {

/// A time-log note longer than the part of it the record holds.
inline QString longNote()
{
    return QStringLiteral("Besprechung über die Größe des Entwurfs, Kosten 12 € – ") +
           QString(200, u'x') + QStringLiteral(" Ende");
}

class LegacyFixture : public DataFixture
{
protected:
    void SetUp() override
    {
        DataFixture::SetUp();
        m_legacy = m_dir.path() + QStringLiteral("/v11");
        QDir().mkpath(m_legacy);
    }

    QString legacyPath(const QString &table) const { return m_legacy + u'/' + table; }

    void writeKvdef()
    {
        writeParadoxTable(legacyPath(QStringLiteral("kvdef.DB")), kvdefFields(),
                          {{QStringLiteral("Müller GmbH"), QStringLiteral("Entwurf"), true, false,
                            true, false, true, QStringLiteral("Bericht €"), true, 15, 30}});
    }
    void writeCustomers()
    {
        writeParadoxTable(
            legacyPath(QStringLiteral("Customer.DB")), customerFields(),
            {{QStringLiteral("C1"), QStringLiteral("Müller GmbH"), QStringLiteral("NY"),
              QStringLiteral("Springfield"), QStringLiteral("12345"), QStringLiteral("1 Main St"),
              QStringLiteral("Suite 2"), QStringLiteral("555-1234"), QStringLiteral("555-9999"),
              QStringLiteral("office@mueller.example"), QStringLiteral("Anna"), longNote()},
             {QStringLiteral("C2"), QStringLiteral("Straße & Söhne")},
             {QStringLiteral("C1"), QStringLiteral("Same number again")}});
    }
    void writeTimeLog()
    {
        const QDate day(2001, 2, 3);
        writeParadoxTable(
            legacyPath(QStringLiteral("Tinout.DB")), tinoutFields(),
            {{QVariant(), day, QTime(9, 0), QTime(10, 30), QStringLiteral("Müller GmbH"),
              QStringLiteral("Entwurf"), QStringLiteral("Skizze für € und ß"), 99.0, true,
              longNote()},
             {QVariant(), day, QTime(11, 0), QTime(10, 0), QStringLiteral("Müller GmbH"),
              QStringLiteral("Entwurf"), QStringLiteral("reversed"), 5.0, true,
              QStringLiteral("kurz")},
             {QVariant(), day.addDays(1), QTime(8, 0), QTime(9, 0),
              QStringLiteral("Straße & Söhne"), QStringLiteral("Prüfung")},
             {QVariant(), day, QTime(9, 0), QTime(10, 30), QStringLiteral("Müller GmbH"),
              QStringLiteral("Entwurf"), QStringLiteral("the same key again")},
             {QVariant(), day.addDays(2), QTime(8, 0, 20), QTime(9, 0, 40),
              QStringLiteral("Straße & Söhne"), QStringLiteral("Prüfung"),
              QStringLiteral("seconds")}});
    }
    void writeJobCodes()
    {
        writeParadoxTable(legacyPath(QStringLiteral("JobCode.DB")), jobCodeFields(),
                          {{QStringLiteral("P"), QStringLiteral("Prüfung")},
                           {QStringLiteral("E"), QStringLiteral("Entwurf")},
                           {QStringLiteral("E"), QStringLiteral("Entwurf again")}});
    }
    void writeAll()
    {
        writeKvdef();
        writeCustomers();
        writeTimeLog();
        writeJobCodes();
    }

    /// Cuts the file to `size` bytes.
    void truncate(const QString &path, qint64 size)
    {
        QFile f(path);
        ASSERT_TRUE(f.resize(size)) << path.toStdString();
    }

    qint64 count(StoreTable &t)
    {
        t.refresh();
        return t.countView();
    }

    QString m_legacy;
};

} // namespace kv::test
