// Writers of spreadsheet interchange files: DIF, SYLK and the binary BIFF worksheet.
#pragma once

#include "EC_Writer.h"

#include <QHash>
#include <vector>

namespace kv {

/// DIF text in code page 1252. The tuples go to a temporary file first, because the tuple count
/// stands in the header; the footer copies them to the target behind the completed header.
class TDIFExport : public TCustomTextExport
{
public:
    using TCustomTextExport::TCustomTextExport;
    ~TDIFExport() override;

protected:
    void appendEncoded(QStringView s, QByteArray &out) const override { appendCp1252(out, s); }
    /// Texts in plain ASCII are the same bytes in code page 1252; others are decoded.
    bool TakesUtf8Texts() const override { return true; }
    void WriteHeader(const QStringList &titles) override;
    void WriteRecord(const ExportRow &values, int recordNo) override;
    void WriteFooter() override;

private:
    void tempLine(QStringView s);
    void tempLine(const QString &s) { tempLine(QStringView(s)); }
    /// Ends the line being gathered in m_tempBytes and writes the block when it is full.
    void endTempLine();
    /// Writes the gathered lines to the temporary file; throws ExportError when it cannot.
    void flushTemp();
    void writeTuple(const ExportRow &values);
    std::unique_ptr<QFile> m_temp;
    QByteArray m_tempBytes; ///< kept from line to line
    QString m_value;        ///< kept from value to value
};

/// SYLK text in UTF-8: picture records for the date, time, date-time and currency formats, one
/// cell line (and a format line for dates and times) per value, column widths at the end.
class TSYLKExport : public TCustomTextExport
{
public:
    using TCustomTextExport::TCustomTextExport;

protected:
    bool MeasuresTexts() const override { return true; }
    bool TakesUtf8Texts() const override { return true; }
    void WriteHeader(const QStringList &titles) override;
    void WriteRecord(const ExportRow &values, int recordNo) override;
    void WriteFooter() override;

private:
    void writeRow(const ExportRow &values);
    /// The cell text of a date-time serial, kept by value for the length of the export.
    const QString &serialTextOf(double serial);
    QByteArray m_bytes;                    ///< a record's lines, kept from record to record
    QByteArray m_rowPart;                  ///< ";Y<y>" of the record being written
    std::vector<QByteArray> m_columnParts; ///< ";X<x>" of each column
    QHash<double, QString> m_serials;
};

/// A BIFF2 worksheet. At most 65,536 rows fit; records beyond are counted and reported by the
/// component after the run (RecordsLeftOut) instead of being dropped silently.
class TBIFFExport : public TCustomShellViewExport
{
public:
    using TCustomShellViewExport::TCustomShellViewExport;
    ~TBIFFExport() override;

    static constexpr int kMaxRows = 65536;
    static constexpr int kMaxColumns = 256;

protected:
    bool MeasuresTexts() const override { return true; }
    void OpenOutput() override;
    void closeOutput() override;
    void WriteHeader(const QStringList &titles) override;
    void WriteRecord(const ExportRow &values, int recordNo) override;
    void WriteFooter() override;

private:
    void record(quint16 type, const QByteArray &data);
    void stringRecord(quint16 type, const QString &text);
    void cell(const QString &text, int row, int col, const ExportValue *value, int kind);
    void numberCell(int row, int col, int xf, double v);
    void labelCell(int row, int col, int xf, const QString &text);
    int rowXf(int row) const;
    /// A cell record's row, column and formats, in m_cell (kept from cell to cell).
    QByteArray &cellHead(int row, int col, int xf);
    /// Writes the records gathered so far; throws ExportError on failure.
    void flushRecords();
    /// Where the next record goes in the file (the gathered records written first).
    qint64 position();

    QByteArray m_pending; ///< records not yet written
    QByteArray m_cell;

    qint64 m_dimensionsPos = 0;
    int m_titleRow = -1;
    int m_timeStampRow = -1;
    int m_firstHeaderRow = -1;
    int m_firstFooterRow = -1;
    int m_columnTitleRow = -1;
    int m_RowCursor = 0;
    int m_lastRow = -1; ///< last row holding a line of the export, for DIMENSIONS
    qint64 m_leftOut = 0;
};

} // namespace kv
