// The column model over the fields of a data set.
#include "EC_DataSet.h"

namespace kv {

TExportDataSet::TExportDataSet(QObject *owner) : TExportXComponent(owner)
{
    setOptionsMask(ExportAllWhenNoneSelected);
}

void TExportDataSet::setColWidths(const QStringList &widths)
{
    QStringList w = widths;
    while (!w.isEmpty() && w.last().trimmed().isEmpty())
        w.removeLast();
    for (QString &entry : w) {
        entry = entry.trimmed();
        if (entry.isEmpty())
            continue;
        bool ok = false;
        const int n = entry.toInt(&ok);
        if (!ok || n <= 0)
            throw ExportError(ExportText::colWidthsError(entry));
    }
    m_colWidths = w;
}

int TExportDataSet::FixedColumnWidth(int j) const
{
    if (j < 0 || j >= m_colWidths.size() || m_colWidths[j].isEmpty())
        return 0;
    return m_colWidths[j].toInt();
}

bool TExportDataSet::IsFieldExported(const ExportField &field) const
{
    switch (field.dataType()) {
    case ExportFieldType::Unknown:
    case ExportFieldType::Bytes:
    case ExportFieldType::VarBytes:
    case ExportFieldType::Blob:
    case ExportFieldType::Graphic:
    case ExportFieldType::ParadoxOle:
    case ExportFieldType::DBaseOle:
    case ExportFieldType::TypedBinary:
    case ExportFieldType::Cursor:
    case ExportFieldType::ADT:
    case ExportFieldType::Array:
    case ExportFieldType::Reference:
    case ExportFieldType::DataSet:
        return false;
    default:
        return Options().testFlag(ExportInvisibleCols) || field.isVisible();
    }
}

std::vector<int> TExportDataSet::exportedFieldIndices() const
{
    std::vector<int> r;
    const int n = GetFieldCount();
    for (int i = 0; i < n; ++i) {
        if (const ExportField *f = GetField(i); f && IsFieldExported(*f))
            r.push_back(i);
    }
    return r;
}

QString TExportDataSet::GetColumnCaption(int fieldIndex)
{
    if (fieldIndex < Captions().size())
        return Captions()[fieldIndex];
    return GetField(fieldIndex)->displayName();
}

TCellKind TExportDataSet::DateTimeCellKind(const QString &displayFormat)
{
    QString f = displayFormat.toLower().trimmed();
    for (const char *designator : {"am/pm", "a/p", "ampm"}) {
        const qsizetype p = f.indexOf(QLatin1String(designator));
        if (p >= 0)
            f.remove(p, static_cast<qsizetype>(qstrlen(designator)));
    }
    if (f.isEmpty() || f.contains(u'c'))
        return ckDateTime;
    auto hasAny = [&f](const char *letters) {
        for (const char *c = letters; *c; ++c) {
            if (f.contains(QLatin1Char(*c)))
                return true;
        }
        return false;
    };
    const bool date = hasAny("dmy");
    const bool time = hasAny("hnst");
    if (date && !time)
        return ckDateTimeAsDate;
    if (time && !date)
        return ckDateTimeAsTime;
    return ckDateTime;
}

TCellKind TExportDataSet::FieldCellKind(const ExportField &field)
{
    switch (field.dataType()) {
    case ExportFieldType::String:
    case ExportFieldType::FixedChar:
    case ExportFieldType::WideString:
    case ExportFieldType::Largeint:
        return ckText;
    case ExportFieldType::Memo:
        return ckMemo;
    case ExportFieldType::FmtMemo:
        return ckFormattedMemo;
    case ExportFieldType::Smallint:
    case ExportFieldType::Integer:
    case ExportFieldType::Word:
    case ExportFieldType::AutoInc:
        return ckNumber;
    case ExportFieldType::Float:
    case ExportFieldType::Currency:
    case ExportFieldType::BCD:
        return field.isCurrency() ? ckCurrency : ckNumber;
    case ExportFieldType::Boolean:
        return ckBoolean;
    case ExportFieldType::Date:
        return ckDate;
    case ExportFieldType::Time:
        return ckTime;
    case ExportFieldType::DateTime:
        return DateTimeCellKind(field.displayFormat());
    default:
        return ckUnclassified;
    }
}

void TExportDataSet::FillColumnNames(QStringList &names)
{
    names.clear();
    std::vector<int> kinds;
    m_rowFields.clear();
    m_rowHasDisplay.clear();
    m_rowIsBoolean.clear();
    m_rowIsDateTime.clear();
    m_rowIsText.clear();
    for (int i : exportedFieldIndices()) {
        ExportField *f = GetField(i);
        names << GetColumnCaption(i);
        const TCellKind kind = FieldCellKind(*f);
        kinds.push_back(kind);
        m_rowFields.push_back(f);
        m_rowHasDisplay.push_back(kind != ckMemo && kind != ckFormattedMemo);
        m_rowIsBoolean.push_back(f->dataType() == ExportFieldType::Boolean);
        m_rowIsText.push_back(kind == ckText || kind == ckMemo);
        m_rowIsDateTime.push_back(f->dataType() == ExportFieldType::Date ||
                                  f->dataType() == ExportFieldType::Time ||
                                  f->dataType() == ExportFieldType::DateTime);
    }
    if (Options().testFlag(NumberRows)) {
        names.prepend(ExportText::itemTitle());
        kinds.insert(kinds.begin(), -1);
    }
    setColumns(names, kinds);
}

void ExportField::fillValue(ExportValue &v, bool display, bool boolean, bool dateTime,
                            bool /*borrow*/) const
{
    v.text = asString();
    v.hasInfo = true;
    v.info.HasDisplayText = display;
    if (display)
        v.info.DisplayText = displayText();
    if (boolean)
        v.info.BoolState = isNull() ? 0 : (value().toBool() ? 2 : 1);
    if (dateTime && !isNull()) {
        bool ok = false;
        v.serial = value().toDouble(&ok);
        v.hasSerial = ok;
    }
}

void TExportDataSet::FillRow(ExportRow &row, size_t first)
{
    row.resize(first + m_rowFields.size());
    const bool utf8 = Utf8Texts();
    const bool borrow = BorrowedTexts();
    for (size_t k = 0; k < m_rowFields.size(); ++k) {
        ExportValue &v = row[first + k];
        const ExportField &f = *m_rowFields[k];
        // What fillValue sets only where it applies is cleared first: the value held the last
        // record's.
        v.hasSerial = false;
        v.info.BoolState = 0;
        if (utf8 && m_rowIsText[k] && f.fillUtf8(v.utf8)) {
            v.isUtf8 = true;
            v.hasInfo = true;
            v.info.HasDisplayText = false;
            continue;
        }
        v.isUtf8 = false;
        f.fillValue(v, m_rowHasDisplay[k], m_rowIsBoolean[k], m_rowIsDateTime[k], borrow);
    }
}

} // namespace kv
