// Field: one persistent field object of a table component, with its presentation properties
// and typed access to the value it holds in the table's current record.
#pragma once

#include "TableSchema.h"

#include <QString>
#include <QVariant>

namespace kv {

class StoreTable;

enum class FieldKind { Stored, Calculated };

/// A field of a StoreTable. Reads follow the null rule: a null field reads as the empty
/// string, false, 0 or the date-time 0. Writes need the table in edit or insert state (or
/// the calculated-fields state for calculated fields) and throw StoreError otherwise.
class Field
{
public:
    Field(StoreTable &table, QString name, FieldType type, int size, FieldKind kind);

    StoreTable &table() const { return m_table; }
    const QString &fieldName() const { return m_name; }
    FieldType dataType() const { return m_type; }
    FieldKind fieldKind() const { return m_kind; }
    bool isCalculated() const { return m_kind == FieldKind::Calculated; }
    int size() const { return m_size; }
    int index() const { return m_index; }

    // Presentation properties.
    QString displayLabel() const { return m_label.isEmpty() ? m_name : m_label; }
    void setDisplayLabel(const QString &label) { m_label = label; }
    int displayWidth() const { return m_displayWidth; }
    void setDisplayWidth(int w) { m_displayWidth = w; }
    bool isVisible() const { return m_visible; }
    void setVisible(bool v);
    bool isRequired() const { return m_required; }
    void setRequired(bool r) { m_required = r; }
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool r) { m_readOnly = r; }
    const QString &editMask() const { return m_editMask; }
    void setEditMask(const QString &m) { m_editMask = m; }
    const QString &displayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString &f) { m_displayFormat = f; }

    // Value of the current record.
    bool isNull() const;
    QString asString() const; ///< dates and times in the process-wide formats
    bool asBoolean() const;
    int asInteger() const;
    double asFloat() const;
    double asDateTime() const;   ///< date-time value; dates whole days, times a fraction
    QVariant value() const;      ///< QVariant() when null; else QString, bool, int, double
    QString displayText() const; ///< text a grid shows: display format, Boolean "True"/"False"
    /// Text and memo fields that a walk has yet to read from the store: copies the stored text,
    /// which is what asString gives, into @p out as UTF-8 and returns true, without decoding it.
    /// Returns false (and leaves @p out) for every other case: a null, a decoded record, an
    /// edit, a field of another type.
    bool readUtf8(QByteArray &out) const;
    /// Fields other than text that a walk has yet to read from the store: sets @p null, and
    /// @p out to what asFloat gives, and returns true, without decoding the value into the
    /// record buffer. Returns false for every other case (then ask isNull and asFloat).
    bool readNumber(double &out, bool &null) const;

    void setAsString(const QString &v);
    void setAsBoolean(bool v);
    void setAsInteger(int v);
    void setAsFloat(double v);
    void setAsDateTime(double v);
    void setValue(const QVariant &v); ///< a null QVariant clears the field
    void clear();

private:
    friend class StoreTable;
    StoreTable &m_table;
    QString m_name;
    FieldType m_type;
    int m_size;
    FieldKind m_kind;
    int m_index = -1; ///< position in the table's field list
    QString m_label;
    int m_displayWidth = 0;
    bool m_visible = true;
    bool m_required = false;
    bool m_readOnly = false;
    QString m_editMask;
    QString m_displayFormat;
};

} // namespace kv
