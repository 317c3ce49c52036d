// LegacyError: the one exception type of the version-1.1 tables: the file it concerns and what
// is wrong with it, so that every message names the file.
#pragma once

#include <QString>
#include <stdexcept>

namespace kv {

class LegacyError : public std::runtime_error
{
public:
    /// `file` is the file's name as the user knows it ("Customer.DB"), `problem` a sentence
    /// fragment ("the file is truncated").
    LegacyError(const QString &file, const QString &problem)
        : std::runtime_error(QString(file + QStringLiteral(": ") + problem).toStdString()),
          m_file(file), m_problem(problem)
    {}

    const QString &file() const { return m_file; }
    const QString &problem() const { return m_problem; }
    QString message() const { return QString(m_file + QStringLiteral(": ") + m_problem); }

private:
    QString m_file;
    QString m_problem;
};

} // namespace kv
