// Services: the desktop implementations of the seams, and the standard error box.
#include "Services.h"

#include "AppInfo.h"
#include "HelpBrowser.h"
#include "TrayModalClicks.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPointer>
#include <QProcess>
#include <QShortcut>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>

namespace kv {

double Clock::nowValue() const
{
    const QDateTime n = now();
    const double days = static_cast<double>(QDate(1899, 12, 30).daysTo(n.date()));
    return days + n.time().msecsSinceStartOfDay() / 86'400'000.0;
}

namespace {

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class DesktopMessages : public Messages
{
public:
    MsgAnswer show(MsgKind kind, const QString &text, MsgButtons buttons, int helpContext,
                   const QString &caption) override
    {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(caption.isEmpty() ? app::title() : caption);
        box.setText(text);
        switch (kind) {
        case MsgKind::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgKind::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgKind::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgKind::Confirmation:
            box.setIcon(QMessageBox::Question);
            break;
        }
        if (buttons == MsgButtons::YesNo) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(defaultAnswer(kind, buttons) == MsgAnswer::No ? QMessageBox::No
                                                                               : QMessageBox::Yes);
            box.setEscapeButton(QMessageBox::No);
        } else {
            box.setStandardButtons(QMessageBox::Ok);
        }
        if (helpContext > 0) {
            auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), &box);
            QObject::connect(f1, &QShortcut::activated, &box, [helpContext] {
                Services::instance().help().showContext(helpContext);
            });
        }
        const int result = box.exec();
        if (buttons == MsgButtons::YesNo)
            return result == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
        return MsgAnswer::Ok;
    }
};

/// xdg-open reports by its exit code whether a program took the address, where
/// QDesktopServices only knows whether a launcher exists; without xdg-open, Qt's own launcher
/// detection decides.
class DesktopShell : public Shell
{
public:
    bool open(const QUrl &url) override
    {
        const QString launcher = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (launcher.isEmpty())
            return QDesktopServices::openUrl(url);
        auto *process = new QProcess;
        process->setProgram(launcher);
        process->setArguments(
            {url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)});
        process->start();
        if (!process->waitForStarted(kStartMs)) {
            delete process;
            return false;
        }
        if (process->waitForFinished(kVerdictMs)) {
            const bool opened =
                process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
            delete process;
            return opened;
        }
        // Still running: it handed the address to a program that holds it. Let it run on.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }

private:
    static constexpr int kStartMs = 3000;
    static constexpr int kVerdictMs = 1500;
};

class DesktopClipboard : public Clipboard
{
public:
    void setText(const QString &text) override { QGuiApplication::clipboard()->setText(text); }
    QString text() const override { return QGuiApplication::clipboard()->text(); }
};

class DesktopFileDialogs : public FileDialogs
{
public:
    QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter, QString *selectedFilter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, dir, filter, selectedFilter);
    }
    QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, dir, filter);
    }
};

class DesktopBeeper : public Beeper
{
public:
    void beep() override { QApplication::beep(); }
};

/// A program is registered for an extension when the desktop names a default application for
/// its MIME type (`xdg-mime query default`).
class DesktopFileTypes : public FileTypes
{
public:
    bool canView(const QString &extension) const override
    {
        QString ext = extension;
        if (ext.startsWith(QLatin1Char('.')))
            ext.remove(0, 1);
        if (ext.isEmpty())
            return false;
        const QMimeType mime = QMimeDatabase().mimeTypeForFile(QStringLiteral("x.") + ext,
                                                               QMimeDatabase::MatchExtension);
        if (!mime.isValid() || mime.isDefault())
            return false;
        QProcess query;
        query.start(QStringLiteral("xdg-mime"),
                    {QStringLiteral("query"), QStringLiteral("default"), mime.name()});
        if (!query.waitForFinished(3000) || query.exitCode() != 0)
            return false;
        return !query.readAllStandardOutput().trimmed().isEmpty();
    }
};

/// QSystemTrayIcon, created on first use (the services exist before the QApplication). Qt reports
/// the first click of a double click as a single one; a timer of the double-click time holds a
/// left click back until it is known to be single.
class DesktopTray : public Tray
{
public:
    ~DesktopTray() override
    {
        if (m_modalClicks && QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(m_modalClicks.get());
        delete m_holder;
    }

    bool isAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    void setVisible(bool visible) override
    {
        m_visible = visible;
        if (visible || m_icon)
            icon()->setVisible(visible);
    }
    bool isVisible() const override { return m_visible; }
    void setIcon(const QIcon &i) override { icon()->setIcon(i); }
    void setToolTip(const QString &text) override
    {
        m_toolTip = text;
        icon()->setToolTip(text);
    }
    QString toolTip() const override { return m_toolTip; }

private:
    QSystemTrayIcon *icon()
    {
        if (m_icon)
            return m_icon.data();
        // Owned by the application, so it goes before the platform does at exit.
        m_holder = new QObject(QCoreApplication::instance());
        auto *trayIcon = new QSystemTrayIcon(m_holder.data());
        m_icon = trayIcon;
        m_single = new QTimer(m_holder.data());
        m_single->setSingleShot(true);
        QObject::connect(m_single, &QTimer::timeout, m_holder.data(),
                         [this] { report(TrayClick::Left); });
        QObject::connect(trayIcon, &QSystemTrayIcon::activated, m_holder.data(),
                         [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); });
        // While a modal window is open Qt drops the clicks on the icon's window; the relay
        // hands them on, so the menu and the clock stay reachable from the tray.
        if (QGuiApplication::platformName() == QLatin1String("xcb")) {
            m_modalClicks = std::make_unique<TrayModalClicks>(
                [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); },
                &TrayModalClicks::qtTrayIconWindow);
            QCoreApplication::instance()->installNativeEventFilter(m_modalClicks.get());
        }
        return trayIcon;
    }
    void activated(QSystemTrayIcon::ActivationReason reason)
    {
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            m_single->start(QApplication::doubleClickInterval());
            break;
        case QSystemTrayIcon::DoubleClick:
            m_single->stop();
            report(TrayClick::Double);
            break;
        case QSystemTrayIcon::Context:
            report(TrayClick::Right);
            break;
        default:
            break;
        }
    }
    void report(TrayClick click)
    {
        if (onClick)
            onClick(click);
    }

    QPointer<QObject> m_holder;
    QPointer<QSystemTrayIcon> m_icon;
    QTimer *m_single = nullptr;
    std::unique_ptr<TrayModalClicks> m_modalClicks;
    QString m_toolTip;
    bool m_visible = false;
};

} // namespace

Services::Services()
{
    installDesktop();
}

Services &Services::instance()
{
    static Services services;
    return services;
}

void Services::installDesktop()
{
    m_clock = std::make_unique<SystemClock>();
    m_messages = std::make_unique<DesktopMessages>();
    m_shell = std::make_unique<DesktopShell>();
    m_clipboard = std::make_unique<DesktopClipboard>();
    m_fileDialogs = std::make_unique<DesktopFileDialogs>();
    m_beeper = std::make_unique<DesktopBeeper>();
    m_help = std::make_unique<DesktopHelp>();
    m_fileTypes = std::make_unique<DesktopFileTypes>();
    m_tray = std::make_unique<DesktopTray>();
}

MsgAnswer defaultAnswer(MsgKind kind, MsgButtons buttons)
{
    if (buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    return kind == MsgKind::Warning ? MsgAnswer::No : MsgAnswer::Yes;
}

QString cannotOpenText(const QUrl &url)
{
    if (url.scheme() == QLatin1String("mailto"))
        return QCoreApplication::translate("kv::Shell",
                                           "No e-mail program on this desktop could open a "
                                           "message to %1.")
            .arg(url.path());
    const QString shown = url.isLocalFile() ? url.toLocalFile() : url.toDisplayString();
    return QCoreApplication::translate("kv::Shell", "No program on this desktop could open %1.")
        .arg(shown);
}

bool openOrTell(const QUrl &url, const QString &failureText)
{
    if (Services::instance().shell().open(url))
        return true;
    Services::instance().messages().error(failureText);
    return false;
}

bool runAction(const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const std::exception &e) {
        showStandardError(QString::fromUtf8(e.what()));
    }
    return false;
}

void showStandardError(const QString &message)
{
    Services::instance().messages().show(MsgKind::Error, message, MsgButtons::Ok, 0, app::title());
}

[[noreturn]] void failStartup(const QString &message)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(app::title()), qPrintable(message));
    std::fflush(stderr);
    // The box needs someone to see it: not on the offscreen platform of headless runs.
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) &&
        QGuiApplication::platformName() != QStringLiteral("offscreen"))
        showStandardError(message);
    std::exit(1);
}

} // namespace kv
