// An output file written on a thread of its own.
#include "BackgroundFile.h"

#include <algorithm>

namespace kv {

BackgroundFileWriter::BackgroundFileWriter(std::unique_ptr<QFile> file, qsizetype chunkBytes)
    : m_file(std::move(file)), m_chunkBytes(std::max<qsizetype>(chunkBytes, 1))
{
    m_filling.reserve(m_chunkBytes);
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    m_thread = std::thread([this] { run(); });
}

BackgroundFileWriter::~BackgroundFileWriter()
{
    finish();
}

qint64 BackgroundFileWriter::readData(char *, qint64)
{
    return -1;
}

qint64 BackgroundFileWriter::writeData(const char *data, qint64 size)
{
    if (m_finished) {
        setErrorString(QStringLiteral("The file is closed."));
        return -1;
    }
    if (m_failed.load(std::memory_order_relaxed)) {
        std::lock_guard lock(m_mutex);
        setErrorString(m_error);
        return -1;
    }
    m_filling.append(data, static_cast<qsizetype>(size));
    if (m_filling.size() >= m_chunkBytes)
        handOver();
    return size;
}

void BackgroundFileWriter::handOver()
{
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_pending.isEmpty() || m_failed; });
        if (m_failed) {
            // The failure is reported by the next write or flush; these bytes cannot follow.
            m_filling.resize(0);
            return;
        }
        m_pending.swap(m_filling);
    }
    m_changed.notify_all();
    // The chunk the writing thread last emptied comes back with its capacity.
    m_filling.resize(0);
}

bool BackgroundFileWriter::drained()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_pending.isEmpty() || m_failed; });
    if (m_failed)
        setErrorString(m_error);
    return !m_failed;
}

bool BackgroundFileWriter::flush()
{
    if (m_finished)
        return !m_failed.load();
    if (!m_filling.isEmpty())
        handOver();
    if (!drained())
        return false;
    // The writing thread waits for the next chunk now, so the file may be touched here.
    if (!m_file->flush()) {
        std::lock_guard lock(m_mutex);
        m_failed = true;
        m_error = m_file->errorString();
        setErrorString(m_error);
        return false;
    }
    return true;
}

bool BackgroundFileWriter::finish()
{
    if (m_finished)
        return !m_failed.load();
    const bool ok = flush();
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
    m_file->close();
    m_finished = true;
    QIODevice::close();
    return ok && !m_failed.load();
}

void BackgroundFileWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_pending.isEmpty() || m_stop; });
        if (m_pending.isEmpty())
            return; // stopped, with everything written
        // The caller does not touch a pending chunk, so it is written without the lock.
        lock.unlock();
        const bool written = m_file->write(m_pending) == m_pending.size();
        const QString error = written ? QString() : m_file->errorString();
        lock.lock();
        m_pending.resize(0);
        if (!written && !m_failed) {
            m_failed = true;
            m_error = error;
        }
        lock.unlock();
        m_changed.notify_all();
        lock.lock();
    }
}

} // namespace kv
