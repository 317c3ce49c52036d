// TVersionInfo: the non-visual component that reads the version block of the running program and
// puts its strings into linked controls (the about box's version label). The block itself is
// generated into the program at build time (VersionBlock.h); VersionResource is the seam through
// which the component reads it, so that tests can give it other blocks.
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class QWidget;

namespace kv {

/// A version block as the platform's query sees it: values by path. "\VarFileInfo\Translation"
/// holds the translation table (a QByteArray of 4-byte entries: language in the low 16 bits, code
/// page in the high 16 bits, little-endian); "\StringFileInfo\040904e4\FileVersion" and the like
/// hold the strings.
struct VersionBlock
{
    QHash<QString, QVariant> values;
    /// The path of a string under a translation entry.
    static QString stringPath(unsigned language, unsigned codePage, const QString &key);
};

/// Reads the version block of a program file.
class VersionResource
{
public:
    virtual ~VersionResource() = default;
    /// Size of the file's block in bytes; 0 (or less) when the file has none.
    virtual int blockSize(const QString &fileName) const = 0;
    /// Reads the block; false when it cannot be read.
    virtual bool readBlock(const QString &fileName, VersionBlock &block) const = 0;
};

/// The block generated into this program at build time.
class BuiltInVersionResource : public VersionResource
{
public:
    int blockSize(const QString &fileName) const override;
    bool readBlock(const QString &fileName, VersionBlock &block) const override;
    /// The generated block.
    static VersionBlock block();
};

class TVersionInfo : public QObject
{
    Q_OBJECT
public:
    /// Reads the running program's block (through `resource`, the built-in one by default) and
    /// fills the linked controls. Throws std::runtime_error "Cannot retrieve Version Information
    /// for <file>" when a block exists but cannot be read.
    explicit TVersionInfo(QObject *owner = nullptr, std::shared_ptr<VersionResource> resource = {},
                          const QString &fileName = QString());
    ~TVersionInfo() override;

    /// One string of the block ("FileVersion", "ProductName"...): empty without a block, without
    /// a translation entry, or when the block lacks the string.
    QString stringValue(const QString &key) const;
    /// Number of entries of the block's translation table.
    int translationCount() const { return static_cast<int>(m_translations.size()); }
    int blockSize() const { return m_size; }

    // ---- the eight link properties; setting one fills every linked control again ----
    QWidget *CtlCompanyName() const { return m_links[0]; }
    QWidget *CtlFileDescription() const { return m_links[1]; }
    QWidget *CtlFileVersion() const { return m_links[2]; }
    QWidget *CtlInternalName() const { return m_links[3]; }
    QWidget *CtlLegalCopyRight() const { return m_links[4]; }
    QWidget *CtlOriginalFileName() const { return m_links[5]; }
    QWidget *CtlProductName() const { return m_links[6]; }
    QWidget *CtlProductVersion() const { return m_links[7]; }
    void setCtlCompanyName(QWidget *w) { setLink(0, w); }
    void setCtlFileDescription(QWidget *w) { setLink(1, w); }
    void setCtlFileVersion(QWidget *w) { setLink(2, w); }
    void setCtlInternalName(QWidget *w) { setLink(3, w); }
    void setCtlLegalCopyRight(QWidget *w) { setLink(4, w); }
    void setCtlOriginalFileName(QWidget *w) { setLink(5, w); }
    void setCtlProductName(QWidget *w) { setLink(6, w); }
    void setCtlProductVersion(QWidget *w) { setLink(7, w); }

    /// Puts each linked control's string into its caption ("text" or "title" property), or else
    /// its "plainText"; a control with neither is left alone.
    void fillControls();

private:
    void readBlock();
    void setLink(int index, QWidget *w);

    std::shared_ptr<VersionResource> m_resource;
    QString m_fileName;
    std::unique_ptr<VersionBlock> m_block;
    int m_size = 0;
    std::vector<quint32> m_translations;
    QPointer<QWidget> m_links[8]; // a destroyed control clears its link
};

} // namespace kv
