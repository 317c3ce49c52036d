// RenameJournal: durable record of a rename cascade in progress.
#include "RenameJournal.h"

#include "StoreError.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kv {

namespace {

[[noreturn]] void failWrite(const QString &path, int err)
{
    throw StoreError(QStringLiteral("Cannot write the rename journal %1: %2")
                         .arg(path, QString::fromLocal8Bit(std::strerror(err))),
                     StoreError::kWriteFailed);
}

void syncFolder(const QString &folder)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

RenameJournal::RenameJournal(QString folder) : m_folder(std::move(folder)) {}

QString RenameJournal::path(Kind kind) const
{
    return m_folder + (kind == Kind::Client ? QStringLiteral("/Customer.DAT.rename")
                                            : QStringLiteral("/JobCode.DAT.rename"));
}

void RenameJournal::record(Kind kind, const QString &oldName, const QString &newName)
{
    const QString target = path(kind);
    const QString temporary = target + QStringLiteral(".new");
    const QByteArray bytes = QJsonDocument(QJsonObject{{QStringLiteral("old"), oldName},
                                                       {QStringLiteral("new"), newName}})
                                 .toJson(QJsonDocument::Compact);
    const QByteArray native = QFile::encodeName(temporary);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        failWrite(temporary, errno);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : ENOSPC;
            ::close(fd);
            ::unlink(native.constData());
            failWrite(temporary, err);
        }
        written += n;
    }
    if (::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        ::unlink(native.constData());
        failWrite(temporary, err);
    }
    ::close(fd);
    if (::rename(native.constData(), QFile::encodeName(target).constData()) != 0) {
        const int err = errno;
        ::unlink(native.constData());
        failWrite(target, err);
    }
    syncFolder(m_folder);
}

void RenameJournal::clear(Kind kind)
{
    if (::unlink(QFile::encodeName(path(kind)).constData()) == 0)
        syncFolder(m_folder);
}

std::optional<RenameJournal::Entry> RenameJournal::pending(Kind kind) const
{
    QFile file(path(kind));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
    Entry e{o.value(QStringLiteral("old")).toString(), o.value(QStringLiteral("new")).toString()};
    if (e.oldName.isEmpty() || e.newName.isEmpty())
        return std::nullopt;
    return e;
}

} // namespace kv
