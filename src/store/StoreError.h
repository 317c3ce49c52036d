// StoreError: the one exception type of the table store and the data layer.
#pragma once

#include <QString>
#include <stdexcept>

namespace kv {

/// Error raised by the table store, by field checks and by the data module's rules.
/// `code()` is the store's numeric code (0 when the error has none).
class StoreError : public std::runtime_error
{
public:
    static constexpr int kKeyViolation = 9729;  ///< a unique index already holds the key
    static constexpr int kRecordLocked = 10241; ///< another process holds the record lock
    static constexpr int kEmptyDataset = 8708;  ///< delete on a table with no record
    static constexpr int kRequiredField = 9732; ///< a required field holds no value
    static constexpr int kMaskMismatch = 9733;  ///< a value does not fit its picture mask
    static constexpr int kOpenFailed = 9994;    ///< a table file is missing, unreadable or foreign
    static constexpr int kWriteFailed = 9995;   ///< the file system refused a write
    static constexpr int kInvalidOperation = 9996; ///< closed table, not editing, read-only field
    static constexpr int kInvalidValue = 9997;  ///< a value cannot be converted to the field's type
    static constexpr int kRecordDeleted = 9998; ///< the record (or bookmark) no longer exists
    static constexpr int kUnknownIndex = 9999;  ///< the table file has no index of that name

    explicit StoreError(const QString &message, int code = 0)
        : std::runtime_error(message.toStdString()), m_message(message), m_code(code)
    {}

    QString message() const { return m_message; }
    int code() const { return m_code; }

private:
    QString m_message;
    int m_code;
};

} // namespace kv
