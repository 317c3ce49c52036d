// Writers of plain text: comma- and tab-delimited, fixed-width and detailed text, and the two
// clipboard writers that build the fixed-width or detailed text in memory.
#pragma once

#include "EC_Writer.h"

namespace kv {

class TCSVExport : public TCustomTextExport
{
public:
    using TCustomTextExport::TCustomTextExport;

protected:
    bool TakesUtf8Texts() const override { return true; }
    void WriteHeader(const QStringList &titles) override;
    void WriteRecord(const ExportRow &values, int recordNo) override;

private:
    /// The line of `values`, its end included, into m_bytes in UTF-8: built as bytes, as most
    /// of it is ASCII, rather than as text converted afterwards.
    void BuildLine(const ExportRow &values);
    QByteArray m_bytes;     ///< kept from record to record
    QByteArray m_separator; ///< the list separator in UTF-8, set by WriteHeader
};

class TTabExport : public TCustomTextExport
{
public:
    using TCustomTextExport::TCustomTextExport;

protected:
    bool TakesUtf8Texts() const override { return true; }
    void WriteHeader(const QStringList &titles) override;
    void WriteRecord(const ExportRow &values, int recordNo) override;

private:
    QByteArray m_bytes; ///< a record's line in UTF-8, kept from record to record
};

class TTextExport : public TCustomTextExport
{
public:
    using TCustomTextExport::TCustomTextExport;

protected:
    void WriteHeader(const QStringList &titles) override;
    void WriteRecord(const ExportRow &values, int recordNo) override;
    void WriteFooter() override;

private:
    QString m_line; ///< kept from record to record
};

class TDetailedTextExport : public TCustomTextExport
{
public:
    using TCustomTextExport::TCustomTextExport;

protected:
    void WriteHeader(const QStringList &titles) override;
    void WriteRecord(const ExportRow &values, int recordNo) override;
    void WriteFooter() override;

private:
    QString m_block; ///< a record's lines, kept from record to record
};

/// Fixed-width text on the clipboard. The clipboard is filled when the writer finishes, also
/// after a cancelled or failed run.
class TClipboardExport : public TCustomExport
{
public:
    using TCustomExport::TCustomExport;
    void Finish() override;
    const QString &ClipText() const { return m_clipText; }

protected:
    void OpenOutput() override {}
    void WriteHeader(const QStringList &titles) override;
    void WriteRecord(const ExportRow &values, int recordNo) override;
    void WriteFooter() override;

    QString m_clipText;
};

class TDetailedClipboardExport : public TClipboardExport
{
public:
    using TClipboardExport::TClipboardExport;

protected:
    void WriteHeader(const QStringList &titles) override;
    void WriteRecord(const ExportRow &values, int recordNo) override;
    void WriteFooter() override;
};

} // namespace kv
