// The export component's view of a table component.
#include "StoreExportDataSet.h"

#include "EC_Types.h"
#include "StoreTable.h"

#include <cstring>
#include <vector>

namespace kv {

namespace {

ExportFieldType exportTypeOf(FieldType type)
{
    switch (type) {
    case FieldType::String:
        return ExportFieldType::String;
    case FieldType::Memo:
        return ExportFieldType::Memo;
    case FieldType::Date:
        return ExportFieldType::Date;
    case FieldType::Time:
        return ExportFieldType::Time;
    case FieldType::Float:
        return ExportFieldType::Float;
    case FieldType::Boolean:
        return ExportFieldType::Boolean;
    case FieldType::SmallInt:
        return ExportFieldType::Smallint;
    case FieldType::Integer:
        return ExportFieldType::Integer;
    case FieldType::AutoInc:
        return ExportFieldType::AutoInc;
    }
    return ExportFieldType::Unknown;
}

} // namespace

/// One field of the table as the export component sees it.
///
/// Dates, times and numbers are formatted through the process-wide formats, which costs far
/// more than reading the record. A time log repeats the same few hundred dates, minutes and
/// hours values over and over, so their texts are kept by value for the length of one export
/// (the data source forgets them when an export takes its bookmark, so a change of the formats
/// between exports is seen).
class StoreExportField : public ExportField
{
public:
    explicit StoreExportField(Field &field)
        : m_field(field), m_type(exportTypeOf(field.dataType())), m_cached(isFormatted(field)),
          m_textIsDisplay(field.dataType() == FieldType::String ||
                          field.dataType() == FieldType::Memo)
    {
        if (m_cached)
            m_slots.resize(kSlots);
    }

    ExportFieldType dataType() const override { return m_type; }
    QString fieldName() const override { return m_field.fieldName(); }
    QString displayName() const override { return m_field.displayLabel(); }
    int displayWidth() const override { return m_field.displayWidth(); }
    bool isVisible() const override { return m_field.isVisible(); }
    QString displayFormat() const override { return m_field.displayFormat(); }
    bool isNull() const override { return m_field.isNull(); }
    QString asString() const override
    {
        return m_cached && !m_field.isNull() ? texts(m_field.asFloat()).plain : m_field.asString();
    }
    QString displayText() const override
    {
        return m_cached && !m_field.isNull() ? texts(m_field.asFloat()).display
                                             : m_field.displayText();
    }
    QVariant value() const override { return m_field.value(); }

    /// One look at the record buffer and, for dates, times and numbers, one look-up of the
    /// value's texts, where the separate questions would ask for each again. Texts and
    /// Booleans show their plain text as it is (Field::displayText).
    void fillValue(ExportValue &v, bool display, bool boolean, bool dateTime,
                   bool borrow) const override
    {
        const bool boolField = m_field.dataType() == FieldType::Boolean;
        // A walk's record hands dates, times, numbers and Booleans over from the store
        // without a stop in the record buffer.
        double number = 0;
        bool null = false;
        const bool read = (m_cached || boolField) && m_field.readNumber(number, null);
        if (!read) {
            null = m_field.isNull();
            if (!null && m_cached)
                number = m_field.asFloat();
        }
        if (null || !(m_cached || m_textIsDisplay || boolField)) {
            ExportField::fillValue(v, display, boolean, dateTime, borrow);
            return;
        }
        v.hasInfo = true;
        v.info.HasDisplayText = display;
        if (m_cached) {
            // The same text as the last record's (a date, a Boolean) is left as it is, without
            // a reference taken and one dropped.
            const Slot &s = texts(number);
            if (borrow) {
                // Lent rather than shared: a slot changes only in this field's next texts(),
                // and a reference taken and dropped per value costs more than the rest.
                lend(v.text, s.plain);
                if (display)
                    lend(v.info.DisplayText, s.display);
            } else {
                if (!v.text.isSharedWith(s.plain))
                    v.text = s.plain;
                if (display && !v.info.DisplayText.isSharedWith(s.display))
                    v.info.DisplayText = s.display;
            }
            if (dateTime) {
                // A date's or a time's value is the number the texts are kept under.
                v.serial = s.value;
                v.hasSerial = true;
            }
            return;
        }
        if (boolField) {
            static const QString kTrue = QStringLiteral("True");
            static const QString kFalse = QStringLiteral("False");
            const bool on = read ? number != 0 : m_field.asBoolean();
            if (const QString &t = on ? kTrue : kFalse; !v.text.isSharedWith(t))
                v.text = t;
            if (boolean)
                v.info.BoolState = on ? 2 : 1;
        } else {
            v.text = m_field.asString();
        }
        if (display && !v.info.DisplayText.isSharedWith(v.text))
            v.info.DisplayText = v.text;
    }

    /// A text that a walk has yet to decode is copied as the store keeps it.
    bool fillUtf8(QByteArray &out) const override
    {
        return m_textIsDisplay && m_field.readUtf8(out);
    }

    void forgetTexts()
    {
        for (Slot &s : m_slots)
            s.used = false;
    }

private:
    struct Slot
    {
        bool used = false;
        double value = 0;
        QString plain, display;
    };
    /// A table of texts by value, one per slot (a newer value takes over its slot): bounded
    /// memory for a column of mostly distinct values (hours of odd lengths), and no hashing
    /// beyond a multiply for the repeated ones.
    static constexpr size_t kSlots = 4096;

    /// Makes `to` read the characters of `from` in place. An empty text is shared instead, so
    /// that it stays an empty text rather than a null one.
    static void lend(QString &to, const QString &from)
    {
        if (from.isEmpty())
            to = from;
        else if (to.constData() != from.constData() || to.size() != from.size())
            to.setRawData(from.constData(), from.size());
    }

    static bool isFormatted(const Field &f)
    {
        switch (f.dataType()) {
        case FieldType::Date:
        case FieldType::Time:
        case FieldType::Float:
            return !f.isCalculated();
        default:
            return false;
        }
    }

    /// Both texts of the current value `v` (Field::asFloat). The record loop asks for the
    /// plain text and then the display text of one value, and a log repeats the same few
    /// hundred dates, minutes and hours values over and over.
    const Slot &texts(double v) const
    {
        quint64 bits;
        std::memcpy(&bits, &v, sizeof bits);
        Slot &s = m_slots[((bits * 0x9E3779B97F4A7C15ULL) >> 52) & (kSlots - 1)];
        if (!s.used || s.value != v) {
            s.plain = m_field.asString();
            s.display = m_field.displayText();
            s.value = v;
            s.used = true;
        }
        return s;
    }

    Field &m_field;
    ExportFieldType m_type;
    bool m_cached;
    bool m_textIsDisplay; ///< the display text is the plain text (Field::displayText)
    mutable std::vector<Slot> m_slots;
};

StoreExportDataSet::StoreExportDataSet(StoreTable &table, QObject *parent)
    : ExportDataSource(parent), m_table(table)
{
    for (const std::unique_ptr<Field> &f : table.fields())
        m_fields.push_back(std::make_unique<StoreExportField>(*f));
}

StoreExportDataSet::~StoreExportDataSet() = default;

bool StoreExportDataSet::isActive() const
{
    return m_table.isActive();
}

bool StoreExportDataSet::isBof() const
{
    return m_table.bof() || m_table.isEmpty();
}

bool StoreExportDataSet::isEof() const
{
    return m_table.eof() || m_table.isEmpty();
}

int StoreExportDataSet::fieldCount() const
{
    return static_cast<int>(m_fields.size());
}

ExportField *StoreExportDataSet::field(int index) const
{
    if (index < 0 || index >= fieldCount())
        return nullptr;
    return m_fields[static_cast<size_t>(index)].get();
}

void StoreExportDataSet::first()
{
    m_table.first();
}

void StoreExportDataSet::next()
{
    m_table.next();
}

ExportDataSource::Bookmark StoreExportDataSet::getBookmark()
{
    // An export starts here: texts kept from an earlier one may follow formats since changed.
    for (const std::unique_ptr<StoreExportField> &f : m_fields)
        f->forgetTexts();
    return QVariant::fromValue(m_table.getBookmark());
}

void StoreExportDataSet::gotoBookmark(const Bookmark &b)
{
    // No record was current (an empty view): there is nothing to return to.
    const StoreTable::Bookmark row = b.toLongLong();
    if (row != 0 && m_table.bookmarkValid(row))
        m_table.gotoBookmark(row);
}

void StoreExportDataSet::freeBookmark(const Bookmark &b)
{
    m_table.freeBookmark(b.toLongLong());
}

void StoreExportDataSet::disableControls()
{
    m_table.disableControls();
}

void StoreExportDataSet::enableControls()
{
    m_table.enableControls();
}

} // namespace kv
