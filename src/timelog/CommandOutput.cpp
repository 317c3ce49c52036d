// CommandOutput: a temporary file of text name beside an output named by other bytes, renamed
// to those bytes through the folder's descriptor (renameat), so the bytes never pass through text.
#include "CommandOutput.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace kv {

namespace {

bool survivesText(const QByteArray &native)
{
    return QFile::encodeName(QFile::decodeName(native)) == native;
}

/// The extension of @p name when it is plain ASCII letters and digits (".csv"), else nothing:
/// the temporary file keeps it for any writer that looks at it.
QByteArray plainExtension(const QByteArray &name)
{
    const qsizetype dot = name.lastIndexOf('.');
    if (dot <= 0 || dot == name.size() - 1)
        return QByteArray();
    for (qsizetype i = dot + 1; i < name.size(); ++i) {
        const char c = name.at(i);
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return QByteArray();
    }
    return name.mid(dot);
}

} // namespace

CommandOutput::CommandOutput(QByteArray nativeName)
    : m_native(std::move(nativeName)), m_isText(survivesText(m_native))
{}

CommandOutput::~CommandOutput()
{
    removeTemporary();
}

QString CommandOutput::displayName() const
{
    return QFile::decodeName(m_native);
}

QString CommandOutput::writeName()
{
    if (m_isText)
        return QFile::decodeName(m_native);
    const auto failure = [this](const QString &why) {
        return std::runtime_error(
            QStringLiteral("Cannot write %1: %2").arg(displayName(), why).toStdString());
    };
    const qsizetype slash = m_native.lastIndexOf('/');
    const QByteArray folder = slash < 0    ? QByteArrayLiteral(".")
                              : slash == 0 ? QByteArrayLiteral("/")
                                           : m_native.left(slash);
    const QByteArray finalName = m_native.mid(slash + 1);
    if (finalName.isEmpty())
        throw failure(QStringLiteral("the name is that of a folder"));
    removeTemporary(); // a second call makes a fresh file
    m_folder = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0)
        throw failure(QString::fromLocal8Bit(std::strerror(errno)));
    m_finalName = finalName;
    const QByteArray extension = plainExtension(finalName);
    for (int attempt = 0; m_tempName.isEmpty(); ++attempt) {
        const QByteArray name =
            QByteArrayLiteral(".kestrova-") + QByteArray::number(::getpid()) + '-' +
            QByteArray::number(QRandomGenerator::global()->generate(), 16) + extension;
        const int fd =
            ::openat(m_folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            m_tempName = name;
        } else if (errno != EEXIST || attempt >= 100) {
            throw failure(QString::fromLocal8Bit(std::strerror(errno)));
        }
    }
    // A folder whose own name is not text is reached through its open descriptor.
    const QString folderText = survivesText(folder)
                                   ? QFile::decodeName(folder)
                                   : QStringLiteral("/proc/self/fd/%1").arg(m_folder);
    return (folderText.endsWith(u'/') ? folderText : folderText + u'/') +
           QFile::decodeName(m_tempName);
}

void CommandOutput::commit()
{
    if (m_isText || m_tempName.isEmpty())
        return;
    if (::renameat(m_folder, m_tempName.constData(), m_folder, m_finalName.constData()) != 0) {
        const int err = errno;
        removeTemporary();
        throw std::runtime_error(QStringLiteral("Cannot write %1: %2")
                                     .arg(displayName(), QString::fromLocal8Bit(std::strerror(err)))
                                     .toStdString());
    }
    m_tempName.clear();
    // The rename reaches the disk with the folder.
    ::fsync(m_folder);
    ::close(m_folder);
    m_folder = -1;
}

void CommandOutput::removeTemporary()
{
    if (m_folder < 0)
        return;
    if (!m_tempName.isEmpty())
        ::unlinkat(m_folder, m_tempName.constData(), 0);
    m_tempName.clear();
    ::close(m_folder);
    m_folder = -1;
}

} // namespace kv
