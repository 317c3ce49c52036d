// TExportDataSet: binds the column model to the fields of a data set (which fields are exported,
// their titles and cell kinds, the values of the current record) and adds ColWidths.
#pragma once

#include "EC_Main.h"
#include "ExportDataSource.h"

namespace kv {

class TExportDataSet : public TExportXComponent
{
public:
    explicit TExportDataSet(QObject *owner = nullptr);

    const QStringList &ColWidths() const { return m_colWidths; }
    /// Trailing blank entries are dropped and the others trimmed; a non-blank entry that is not
    /// a whole number above zero throws ExportError and leaves the old value.
    void setColWidths(const QStringList &widths);

    virtual int GetFieldCount() const = 0;
    virtual ExportField *GetField(int index) const = 0;
    virtual bool IsFieldExported(const ExportField &field) const;

    QString GetColumnCaption(int fieldIndex) override;
    void FillColumnNames(QStringList &names) override;
    void FillRow(ExportRow &row, size_t first) override;
    int FixedColumnWidth(int j) const override;

    /// The cell kind of a field (0 for kinds that have no code of their own).
    static TCellKind FieldCellKind(const ExportField &field);
    /// Cell kind of a date-time field by its display format: 9, 10 (date only) or 11 (time only).
    static TCellKind DateTimeCellKind(const QString &displayFormat);

protected:
    /// Indices of the exported fields, in field order.
    std::vector<int> exportedFieldIndices() const;

private:
    QStringList m_colWidths;
    std::vector<ExportField *> m_rowFields; ///< exported fields of the current run
    std::vector<bool> m_rowHasDisplay;
    std::vector<bool> m_rowIsBoolean;
    std::vector<bool> m_rowIsDateTime;
    std::vector<bool> m_rowIsText; ///< text and memo fields, which may come as UTF-8
};

} // namespace kv
