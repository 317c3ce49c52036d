// MemoFile: our own reader of the memo files (.MB) that hold the memo texts of a version-1.1
// table beyond the part kept in the record itself.
//
// A memo file is a chain of 4096-byte blocks. Block 0 is the file header (type 0). A memo
// of its own takes a single-memo block (type 2): 9 bytes of header (type, number of 4096-byte
// chunks, length, modification number), then the bytes. Short memos share a suballocated block
// (type 3): 12 bytes of header, a table of 64 five-byte slots (start / 16, length in 16-byte
// units rounded up, modification number, bytes used in the last unit), then the bytes.
// The record's memo field points to a block by its byte offset and to a slot by the low byte of
// that offset (0xFF: a single-memo block).
#pragma once

#include <QByteArray>
#include <QString>

namespace kv {

class MemoFile
{
public:
    static constexpr int kBlockSize = 4096;

    /// A memo file with the bytes `data`; `name` is the file's name in messages.
    MemoFile(QString name, QByteArray data);

    /// Reads the file at `path`. Throws LegacyError naming the file when it cannot be read or
    /// does not begin with a memo file's header block.
    static MemoFile load(const QString &path, const QString &name);

    /// The `length` bytes of the memo at `pointer` (block offset with the slot in its low
    /// byte). `what` says which memo it is ("Notes of record 3") for the message. Throws
    /// LegacyError naming the file when the pointer leads outside the file, to a block of
    /// another kind, or to a memo of another length.
    QByteArray read(quint32 pointer, qint64 length, const QString &what) const;

    const QString &name() const { return m_name; }

private:
    [[noreturn]] void damaged(const QString &what, const QString &problem) const;

    QString m_name;
    QByteArray m_data;
};

} // namespace kv
