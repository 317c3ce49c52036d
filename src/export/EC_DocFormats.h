// Writers of documents: an HTML page holding one table, and an RTF document holding one table
// (also written under the Word extension).
#pragma once

#include "EC_Writer.h"

namespace kv {

/// The n-th field (from 1) of a semicolon-separated text; throws ExportError when there is none.
QString GetToken(const QString &text, int n);

class THTMLExport : public TCustomTextExport
{
public:
    using TCustomTextExport::TCustomTextExport;

    /// Markup-escapes `s` and lays out its TABs and line breaks; with `link`, web and e-mail
    /// addresses become anchors. A link ends at a blank, a control character or the end of the
    /// text, so the markup put in for breaks is never part of it.
    QString HtmlText(const QString &s, bool link) const;
    /// Turns the addresses of an escaped text without control characters into anchors.
    static QString AutoLink(const QString &s);
    /// `s` trimmed; "&nbsp;" when nothing remains.
    static QString NbspIfEmpty(const QString &s);

protected:
    /// ASCII, with every other character as a numeric character reference.
    void appendEncoded(QStringView s, QByteArray &out) const override;
    void WriteHeader(const QStringList &titles) override;
    void WriteRecord(const ExportRow &values, int recordNo) override;
    void WriteFooter() override;

private:
    QString token(int n) const { return GetToken(m_template, n); }
    QString m_template;
    QString m_row;        ///< the record's row, kept from record to record
    QString m_rowOpen[2]; ///< the opening tag of even and odd rows, made at the first record
};

class TRichTextExport : public TCustomTextExport
{
public:
    using TCustomTextExport::TCustomTextExport;

    /// Backslashes and braces escaped, TABs and line breaks as RTF control words.
    static QString RtfText(const QString &s);

protected:
    /// Code-page-1252 characters as \'xx, every other character as \uN?.
    void appendEncoded(QStringView s, QByteArray &out) const override;
    void WriteHeader(const QStringList &titles) override;
    void WriteRecord(const ExportRow &values, int recordNo) override;
    void WriteFooter() override;

private:
    void RowDef(const QString &cellFormat, const QString &first, const QString &middle,
                const QString &last);
    QString m_cells; ///< the record's cells, kept from record to record
};

} // namespace kv
