// Writes the starting corpus of the fuzz targets: the four version-1.1 tables with a few
// records each, long memos included, as table files and as table-plus-memo inputs.
#include "LegacyWriter.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>
#include <cstdio>

using namespace kv::test;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_fuzz_seeds TABLE-CORPUS MEMO-CORPUS\n");
        return 2;
    }
    const QString tableDir = QString::fromLocal8Bit(argv[1]);
    const QString memoDir = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(tableDir);
    QDir().mkpath(memoDir);
    QTemporaryDir tmp;
    const QString longNote = QStringLiteral("Notiz über Größe: ") + QString(300, u'x');
    const QString hugeNote = QString(5000, u'é');

    struct Table
    {
        const char *name;
        std::vector<LegacyField> fields;
        std::vector<LegacyRecord> records;
    };
    const Table tables[] = {
        {"kvdef",
         kvdefFields(),
         {{QStringLiteral("Acme"), QStringLiteral("Design"), true, false, true, false, true,
           QStringLiteral("Report €"), true, 15, 30}}},
        {"Customer",
         customerFields(),
         {{QStringLiteral("C1"), QStringLiteral("Müller & Söhne"), QStringLiteral("NY"),
           QStringLiteral("Town"), QStringLiteral("12345"), QStringLiteral("1 Road"), QVariant(),
           QStringLiteral("555"), QVariant(), QStringLiteral("a@b.c"), QStringLiteral("Ann"),
           longNote},
          {QStringLiteral("C2"), QStringLiteral("Straße")}}},
        {"Tinout",
         tinoutFields(),
         {{QVariant(), QDate(2001, 2, 3), QTime(9, 0), QTime(10, 30), QStringLiteral("Acme"),
           QStringLiteral("Design"), QStringLiteral("Entwurf €"), 1.5, true, longNote},
          {QVariant(), QDate(2001, 2, 4), QTime(11, 0, 20), QTime(10, 0), QStringLiteral("Acme"),
           QStringLiteral("Design"), QVariant(), QVariant(), false, QStringLiteral("short")},
          {QVariant(), QDate(2001, 2, 5), QTime(8, 0), QTime(9, 0), QStringLiteral("B"),
           QStringLiteral("C"), QStringLiteral("t"), 1.0, QVariant(), hugeNote}}},
        {"JobCode",
         jobCodeFields(),
         {{QStringLiteral("D"), QStringLiteral("Design")},
          {QStringLiteral("R"), QStringLiteral("Review")}}},
    };
    for (const Table &t : tables) {
        const QString db = tmp.filePath(QLatin1String(t.name) + QStringLiteral(".DB"));
        writeParadoxTable(db, t.fields, t.records);
        const QByteArray dbBytes = readFile(db);
        const QByteArray mbBytes =
            readFile(tmp.filePath(QLatin1String(t.name) + QStringLiteral(".MB")));
        writeFile(tableDir + u'/' + QLatin1String(t.name), dbBytes);
        QByteArray combined(4, '\0');
        const auto n = static_cast<quint32>(dbBytes.size());
        for (int i = 0; i < 4; ++i)
            combined[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
        writeFile(memoDir + u'/' + QLatin1String(t.name), combined + dbBytes + mbBytes);
    }
    return 0;
}
