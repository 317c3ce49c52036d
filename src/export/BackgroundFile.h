// BackgroundFileWriter: an output file whose writes happen on a thread of their own, so that an
// export formats its next records while the system copies the last ones to the file.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QIODevice>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace kv {

/// A sequential, write-only device over an open file.
///
/// Writes are gathered in a chunk; a full chunk goes to the writing thread, which writes it
/// while the next one fills. At most two chunks exist, so memory stays bounded whatever the
/// size of the export, and the bytes reach the file in the order they were written.
///
/// The first failure of the file (a full disk) is kept. Every write after it fails with the
/// file's error text, and flush() and finish() answer false, so no failure is lost because it
/// happened later than the write that caused it.
///
/// Invariants (under m_mutex):
///   - only the writing thread touches m_file between the constructor and finish();
///   - m_pending is empty unless the writing thread has a chunk to write or is writing it;
///   - m_failed once set stays set, and m_error then holds the file's error text.
class BackgroundFileWriter : public QIODevice
{
public:
    /// Takes over `file`, which must be open for writing, best without a buffer of its own
    /// (QIODevice::Unbuffered) so that a chunk goes to the system as it is. `chunkBytes` is the
    /// size at which a chunk is handed over.
    explicit BackgroundFileWriter(std::unique_ptr<QFile> file, qsizetype chunkBytes = 1 << 20);
    /// Finishes the file when finish() has not been called; a failure then goes unreported.
    ~BackgroundFileWriter() override;

    bool isSequential() const override { return true; }

    /// Hands over what is gathered and waits until the file has it all; false after any
    /// failure, with errorString() saying why.
    bool flush();
    /// flush(), then stops the writing thread and closes the file. Later writes fail.
    bool finish();

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    /// Hands the gathered chunk to the writing thread, waiting for the last one to be written.
    void handOver();
    /// Waits until the writing thread has nothing left; returns false after a failure.
    bool drained();
    void run();

    std::unique_ptr<QFile> m_file;
    qsizetype m_chunkBytes;
    QByteArray m_filling; ///< gathered by the caller's thread only

    std::mutex m_mutex;
    std::condition_variable m_changed;
    QByteArray m_pending; ///< the chunk the writing thread writes
    bool m_stop = false;
    std::atomic<bool> m_failed{false}; ///< also read without the lock, by writes
    QString m_error;
    bool m_finished = false;
    std::thread m_thread;
};

} // namespace kv
