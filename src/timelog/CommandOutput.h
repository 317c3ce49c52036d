// CommandOutput: the file a command of the command line writes, named by the very bytes given on
// the command line. A Linux file name is a string of bytes, Qt's file names are text, and a name
// that is not valid UTF-8 (made by a program using another encoding, or on purpose) does not
// survive the way through text: it would be written under another name. Such a name is written
// under a temporary name of text in the same folder and renamed to its own bytes at the end.
#pragma once

#include <QByteArray>
#include <QString>

namespace kv {

class CommandOutput
{
public:
    /// The output named @p nativeName, the bytes of the command-line argument.
    explicit CommandOutput(QByteArray nativeName);
    /// Removes the temporary file unless commit() gave it its name.
    ~CommandOutput();
    CommandOutput(const CommandOutput &) = delete;
    CommandOutput &operator=(const CommandOutput &) = delete;

    /// True when the name is text that turns back into the same bytes: the writers write it
    /// directly and commit() has nothing to do.
    bool isText() const { return m_isText; }
    /// The name to hand to a writer. For a name that is not text, a new empty temporary file
    /// beside the output. Throws std::runtime_error naming the output when its folder cannot be
    /// opened or the temporary file cannot be made.
    QString writeName();
    /// The name in messages (bytes that are not UTF-8 shown as replacement characters).
    QString displayName() const;
    /// After the writer succeeded: gives the temporary file the output's own name, replacing a
    /// file of that name. Throws std::runtime_error naming the output and the reason.
    void commit();

private:
    void removeTemporary();

    QByteArray m_native;
    bool m_isText;
    int m_folder = -1;      ///< the output's folder, open while a temporary file exists
    QByteArray m_tempName;  ///< the temporary file's name in that folder
    QByteArray m_finalName; ///< the output's name in that folder
};

} // namespace kv
