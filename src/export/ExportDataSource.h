// ExportDataSource: what the export component needs of a data set, and nothing more. The time-log
// table is put behind it by an adapter; tests use an in-memory data set.
#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

namespace kv {

struct ExportValue;

/// Kinds of field a data set may hold. Binary, graphic, OLE, cursor, structured, array,
/// reference and nested data-set fields are never exported.
enum class ExportFieldType {
    Unknown,
    String,
    FixedChar,
    WideString,
    Largeint,
    Smallint,
    Integer,
    Word,
    AutoInc,
    Float,
    Currency,
    BCD,
    Boolean,
    Date,
    Time,
    DateTime,
    Memo,
    FmtMemo,
    Bytes,
    VarBytes,
    Blob,
    Graphic,
    ParadoxOle,
    DBaseOle,
    TypedBinary,
    Cursor,
    ADT,
    Array,
    Reference,
    DataSet,
};

/// One field of the data set, reading the value of the current record.
class ExportField
{
public:
    virtual ~ExportField() = default;

    virtual ExportFieldType dataType() const = 0;
    virtual QString fieldName() const = 0;
    /// Display label, or the field name when the field has none.
    virtual QString displayName() const = 0;
    /// Width in characters a grid gives the field; 0 when there is none.
    virtual int displayWidth() const = 0;
    virtual bool isVisible() const = 0;
    /// Display format of date-time fields ("" = the default).
    virtual QString displayFormat() const { return QString(); }
    /// Currency display flag of float, currency and BCD fields.
    virtual bool isCurrency() const { return false; }

    virtual bool isNull() const = 0;
    /// The value as text without display format ('1.5' for a float).
    virtual QString asString() const = 0;
    /// The text the field shows through its display format ('1.5000' for "#0.0000").
    virtual QString displayText() const = 0;
    /// The typed value; date, time and date-time fields give the system's date-time value (days
    /// since 30 December 1899) as a double. A null field gives an invalid QVariant.
    virtual QVariant value() const = 0;

    /// Fills @p v with the current record's value as the writers take it: the plain text, and
    /// where asked for the display text, the Boolean state and the date-time value. The default
    /// reads them through the functions above; a data set may answer in one go. With @p borrow
    /// the texts may point into the data set's own storage instead of holding a reference
    /// (QString::fromRawData): they stay valid until this field's next fillValue, and the writer
    /// keeps none of them beyond the record (TExportXComponent::BorrowedTexts).
    virtual void fillValue(ExportValue &v, bool display, bool boolean, bool dateTime,
                           bool borrow) const;
    /// Text and memo fields: copies the current record's plain text into @p out as UTF-8 and
    /// returns true when the data set holds it so and can hand it over without decoding it.
    /// False leaves the value to fillValue; the default always answers so.
    virtual bool fillUtf8(QByteArray &out) const
    {
        Q_UNUSED(out);
        return false;
    }
};

/// A cursor over the records to export. It is a QObject so that the component learns of its
/// destruction.
class ExportDataSource : public QObject
{
public:
    using Bookmark = QVariant;

    explicit ExportDataSource(QObject *parent = nullptr) : QObject(parent) {}

    virtual bool isActive() const = 0;
    /// At the first record (true for an empty data set).
    virtual bool isBof() const = 0;
    /// Past the last record (true for an empty data set).
    virtual bool isEof() const = 0;

    virtual int fieldCount() const = 0;
    virtual ExportField *field(int index) const = 0;

    virtual void first() = 0;
    virtual void next() = 0;

    virtual Bookmark getBookmark() = 0;
    virtual void gotoBookmark(const Bookmark &b) = 0;
    virtual void freeBookmark(const Bookmark &b) = 0;

    /// Stop and restart updating the controls bound to the data set (calls nest).
    virtual void disableControls() = 0;
    virtual void enableControls() = 0;

    /// Number of records; meaningful only when isRecordCountReliable().
    virtual int recordCount() const = 0;
    virtual bool isRecordCountReliable() const = 0;
};

} // namespace kv
