// HelpBrowser: help pages compiled into the program (resource prefix /help).
#include "HelpBrowser.h"

#include "AppInfo.h"

#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QVBoxLayout>

// The help pages live in a static library's resources, which must be registered by hand.
static void initHelpResources()
{
    Q_INIT_RESOURCE(help);
}

namespace kv {

namespace {

/// Maps each context number to the page that carries its anchor, by scanning the pages once.
QHash<int, QString> contextPages()
{
    static QHash<int, QString> pages = [] {
        initHelpResources();
        QHash<int, QString> map;
        static const QRegularExpression anchor(QStringLiteral("id=\"ctx-(\\d+)\""));
        QFile index(QStringLiteral(":/help/pages.txt"));
        if (!index.open(QIODevice::ReadOnly))
            return map;
        const QStringList names =
            QString::fromUtf8(index.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString &name : names) {
            QFile page(QStringLiteral(":/help/") + name.trimmed());
            if (!page.open(QIODevice::ReadOnly))
                continue;
            const QString html = QString::fromUtf8(page.readAll());
            auto it = anchor.globalMatch(html);
            while (it.hasNext())
                map.insert(it.next().captured(1).toInt(), name.trimmed());
        }
        return map;
    }();
    return pages;
}

} // namespace

HelpBrowser::HelpBrowser(QWidget *parent) : QDialog(parent), m_browser(new QTextBrowser(this))
{
    initHelpResources();
    setObjectName(QStringLiteral("HelpBrowser"));
    setWindowTitle(tr("%1 Help").arg(app::title()));
    m_browser->setObjectName(QStringLiteral("helpText"));
    m_browser->setOpenExternalLinks(true);
    auto *close = new QPushButton(tr("Close"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto *contents = new QPushButton(tr("Contents"), this);
    connect(contents, &QPushButton::clicked, this, [this] { showContext(0); });
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addLayout(buttons);
    resize(640, 520);
}

QUrl HelpBrowser::urlForContext(int context)
{
    const auto pages = contextPages();
    if (context > 0 && pages.contains(context))
        return QUrl(QStringLiteral("qrc:/help/%1#ctx-%2").arg(pages.value(context)).arg(context));
    return QUrl(QStringLiteral("qrc:/help/index.html"));
}

void HelpBrowser::showContext(int context)
{
    const QUrl url = urlForContext(context);
    m_browser->setSource(url);
    if (url.hasFragment())
        m_browser->scrollToAnchor(url.fragment());
    show();
    raise();
    activateWindow();
}

void DesktopHelp::showContext(int context)
{
    if (!m_window)
        m_window = new HelpBrowser;
    m_window->showContext(context);
}

} // namespace kv
