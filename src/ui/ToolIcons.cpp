// ToolIcons: loads a theme picture, tints it by kind and adds its disabled form.
#include "ToolIcons.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>

static void initToolIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace kv {

namespace {

const QColor kNavigation(0, 0, 128);
const QColor kAccept(0, 128, 0);
const QColor kDestructive(176, 0, 0);
const QColor kPlain(46, 52, 54); // the theme's own foreground
const QColor kDisabled(160, 160, 160);
constexpr qreal kDisabledOpacity = 0.55;

QColor tintOf(ToolIcon icon)
{
    switch (icon) {
    case ToolIcon::First:
    case ToolIcon::Prior:
    case ToolIcon::Next:
    case ToolIcon::Last:
        return kNavigation;
    case ToolIcon::Accept:
        return kAccept;
    case ToolIcon::Reject:
    case ToolIcon::Delete:
    case ToolIcon::DeleteAll:
        return kDestructive;
    default:
        return kPlain;
    }
}

/// The picture's shape (its alpha) filled with one colour.
QPixmap tinted(const QPixmap &shape, const QColor &color, qreal opacity)
{
    QPixmap out(shape.size());
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setOpacity(opacity);
    p.drawPixmap(0, 0, shape);
    p.setOpacity(1.0);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(out.rect(), color);
    return out;
}

} // namespace

QString toolIconName(ToolIcon icon)
{
    switch (icon) {
    case ToolIcon::First:
        return QStringLiteral("go-first");
    case ToolIcon::Prior:
        return QStringLiteral("go-previous");
    case ToolIcon::Next:
        return QStringLiteral("go-next");
    case ToolIcon::Last:
        return QStringLiteral("go-last");
    case ToolIcon::New:
        return QStringLiteral("document-new");
    case ToolIcon::Edit:
        return QStringLiteral("document-edit");
    case ToolIcon::Copy:
        return QStringLiteral("edit-copy");
    case ToolIcon::Delete:
        return QStringLiteral("user-trash");
    case ToolIcon::DeleteAll:
        return QStringLiteral("edit-clear-all");
    case ToolIcon::Task:
        return QStringLiteral("accessories-text-editor");
    case ToolIcon::Accept:
        return QStringLiteral("object-select");
    case ToolIcon::Reject:
        return QStringLiteral("process-stop");
    case ToolIcon::Export:
        return QStringLiteral("document-send");
    case ToolIcon::Filter:
        return QStringLiteral("edit-find");
    case ToolIcon::ClearFilter:
        return QStringLiteral("edit-clear");
    case ToolIcon::PrinterSetup:
        return QStringLiteral("document-page-setup");
    case ToolIcon::PrintPreview:
        return QStringLiteral("document-print-preview");
    case ToolIcon::Print:
        return QStringLiteral("document-print");
    case ToolIcon::Exit:
        return QStringLiteral("application-exit");
    case ToolIcon::Email:
        return QStringLiteral("mail-message-new");
    case ToolIcon::View:
        return QStringLiteral("view-reveal");
    case ToolIcon::Search:
        return QStringLiteral("system-search");
    case ToolIcon::Sort:
        return QStringLiteral("view-sort-ascending");
    }
    return QString();
}

QIcon toolIcon(ToolIcon icon)
{
    static bool resourcesReady = (initToolIconResources(), true);
    (void)resourcesReady;
    static QHash<int, QIcon> cache;
    const int key = static_cast<int>(icon);
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    const QPixmap shape(QStringLiteral(":/kv/icons/") + toolIconName(icon) +
                        QStringLiteral(".png"));
    QIcon result;
    if (!shape.isNull()) {
        result.addPixmap(tinted(shape, tintOf(icon), 1.0), QIcon::Normal);
        result.addPixmap(tinted(shape, kDisabled, kDisabledOpacity), QIcon::Disabled);
    }
    cache.insert(key, result);
    return result;
}

} // namespace kv
