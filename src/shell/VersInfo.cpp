// TVersionInfo: reading the version block and filling the linked controls.
#include "VersInfo.h"

#include "VersionBlock.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QWidget>
#include <QtEndian>
#include <stdexcept>

namespace kv {

namespace {

const char *const kKeys[8] = {"CompanyName",  "FileDescription", "FileVersion",
                              "InternalName", "LegalCopyRight",  "OriginalFileName",
                              "ProductName",  "ProductVersion"};

QString translationPath()
{
    return QStringLiteral("\\VarFileInfo\\Translation");
}

} // namespace

QString VersionBlock::stringPath(unsigned language, unsigned codePage, const QString &key)
{
    return QStringLiteral("\\StringFileInfo\\%1%2\\%3")
        .arg(language, 4, 16, QLatin1Char('0'))
        .arg(codePage, 4, 16, QLatin1Char('0'))
        .arg(key);
}

VersionBlock BuiltInVersionResource::block()
{
    using namespace versionblock;
    VersionBlock b;
    QByteArray table(4, '\0');
    qToLittleEndian<quint32>((quint32(kCodePage) << 16) | quint32(kLanguage), table.data());
    b.values.insert(translationPath(), table);
    const char *const values[8] = {kCompanyName,  kFileDescription, kFileVersion,
                                   kInternalName, kLegalCopyRight,  kOriginalFileName,
                                   kProductName,  kProductVersion};
    for (int i = 0; i < 8; ++i)
        b.values.insert(
            VersionBlock::stringPath(kLanguage, kCodePage, QString::fromLatin1(kKeys[i])),
            QString::fromUtf8(values[i]));
    return b;
}

int BuiltInVersionResource::blockSize(const QString &) const
{
    int size = 0;
    const VersionBlock b = block();
    for (auto it = b.values.cbegin(); it != b.values.cend(); ++it)
        size += int(it.key().size() * 2) + int(it.value().toString().size() * 2) + 4;
    return size;
}

bool BuiltInVersionResource::readBlock(const QString &, VersionBlock &out) const
{
    out = block();
    return true;
}

TVersionInfo::TVersionInfo(QObject *owner, std::shared_ptr<VersionResource> resource,
                           const QString &fileName)
    : QObject(owner),
      m_resource(resource ? std::move(resource) : std::make_shared<BuiltInVersionResource>()),
      m_fileName(fileName.isEmpty() ? QCoreApplication::applicationFilePath() : fileName)
{
    setObjectName(QStringLiteral("VersionInfo1"));
    readBlock();
}

TVersionInfo::~TVersionInfo() = default;

void TVersionInfo::readBlock()
{
    m_block.reset();
    m_translations.clear();
    m_size = m_resource->blockSize(m_fileName);
    if (m_size <= 0)
        return;
    auto block = std::make_unique<VersionBlock>();
    if (!m_resource->readBlock(m_fileName, *block))
        throw std::runtime_error(
            QString(QStringLiteral("Cannot retrieve Version Information for ") + m_fileName)
                .toStdString());
    const QByteArray table = block->values.value(translationPath()).toByteArray();
    for (int i = 0; i + 4 <= table.size(); i += 4)
        m_translations.push_back(qFromLittleEndian<quint32>(table.constData() + i));
    m_block = std::move(block);
    fillControls();
}

QString TVersionInfo::stringValue(const QString &key) const
{
    // A block without a translation entry has no string to offer.
    if (m_size <= 0 || !m_block || m_translations.empty())
        return QString();
    const quint32 entry = m_translations.front();
    const QString path = VersionBlock::stringPath(entry & 0xFFFF, entry >> 16, key);
    return m_block->values.value(path).toString();
}

void TVersionInfo::setLink(int index, QWidget *w)
{
    m_links[index] = w;
    fillControls();
}

void TVersionInfo::fillControls()
{
    for (int i = 0; i < 8; ++i) {
        QWidget *w = m_links[i];
        if (!w)
            continue;
        const QString value = stringValue(QString::fromLatin1(kKeys[i]));
        const QMetaObject *meta = w->metaObject();
        for (const char *property : {"text", "title", "plainText"}) {
            if (meta->indexOfProperty(property) >= 0) {
                w->setProperty(property, value);
                break;
            }
        }
    }
}

} // namespace kv
