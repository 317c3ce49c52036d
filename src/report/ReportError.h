// ReportError: the failures of the report engine (a bad expression, an unknown field, an
// output that cannot be opened or written).
#pragma once

#include <QString>
#include <stdexcept>

namespace kv {

class ReportError : public std::runtime_error
{
public:
    explicit ReportError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace kv
