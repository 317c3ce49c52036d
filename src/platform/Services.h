// Services: the seams between the program and the desktop (clock, message boxes, shell, clipboard,
// file dialogs, beep, help, desktop file associations, the notification-area icon). Windows reach
// the desktop only through Services::instance(); tests install fakes (FakeServices.h).
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>

class QIcon;
class QWidget;

namespace kv {

/// Source of "now", as local date and time.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    /// "Now" as the system's date-time value (days since 30 December 1899).
    double nowValue() const;
};

enum class MsgKind { Warning, Error, Information, Confirmation };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

/// Modal message boxes of the four kinds, with OK or Yes/No and an optional help context that F1
/// opens. The caption is the application title unless one is given. A warning with Yes and No is
/// the confirmation of a destructive action: its default button is No (see defaultAnswer), so
/// Enter never deletes.
class Messages
{
public:
    virtual ~Messages() = default;
    virtual MsgAnswer show(MsgKind kind, const QString &text, MsgButtons buttons,
                           int helpContext = 0, const QString &caption = QString()) = 0;

    void warning(const QString &text, int helpContext = 0)
    {
        show(MsgKind::Warning, text, MsgButtons::Ok, helpContext);
    }
    void error(const QString &text, int helpContext = 0)
    {
        show(MsgKind::Error, text, MsgButtons::Ok, helpContext);
    }
    void information(const QString &text, int helpContext = 0)
    {
        show(MsgKind::Information, text, MsgButtons::Ok, helpContext);
    }
    /// Yes/No question with the question symbol; true only on Yes.
    bool confirm(const QString &text, int helpContext = 0)
    {
        return show(MsgKind::Confirmation, text, MsgButtons::YesNo, helpContext) == MsgAnswer::Yes;
    }
    /// Yes/No warning, the confirmation of a destructive action (No is the default button);
    /// true only on Yes.
    bool warnYesNo(const QString &text, int helpContext = 0)
    {
        return show(MsgKind::Warning, text, MsgButtons::YesNo, helpContext) == MsgAnswer::Yes;
    }
};

/// The button a Yes/No box answers with on Enter: No for warnings (destructive confirmations),
/// Yes for the other questions. Boxes with OK answer OK.
MsgAnswer defaultAnswer(MsgKind kind, MsgButtons buttons);

/// Opens a "mailto:" address, a web address or a file with the desktop's default program;
/// false when no program took it.
class Shell
{
public:
    virtual ~Shell() = default;
    virtual bool open(const QUrl &url) = 0;
};

class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual void setText(const QString &text) = 0;
    virtual QString text() const = 0;
};

class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    /// Empty string when the user cancels. `selectedFilter` in/out as QFileDialog's.
    virtual QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter, QString *selectedFilter = nullptr) = 0;
    virtual QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter) = 0;
};

class Beeper
{
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

/// Shows the help pages: contents (context 0) or the topic of a context number.
class Help
{
public:
    virtual ~Help() = default;
    virtual void showContext(int context) = 0;
};

/// Desktop file associations: whether a program is registered to open files of an extension.
class FileTypes
{
public:
    virtual ~FileTypes() = default;
    /// True when the desktop has a default application for files with this extension (".csv").
    virtual bool canView(const QString &extension) const = 0;
};

/// Which click reached the notification-area icon.
enum class TrayClick { Left, Right, Double };

/// The notification-area (system tray) icon: shown or hidden, its icon and hint, and its clicks.
/// A single left click is reported only after the double-click time has passed without a second
/// click, so a double click never also counts as a single one.
class Tray
{
public:
    virtual ~Tray() = default;
    /// Whether the desktop offers a notification area at all.
    virtual bool isAvailable() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;
    virtual void setIcon(const QIcon &icon) = 0;
    virtual void setToolTip(const QString &text) = 0;
    virtual QString toolTip() const = 0;

    /// Receives every click (one receiver: the main window).
    std::function<void(TrayClick)> onClick;
};

class Services
{
public:
    static Services &instance();

    Clock &clock() { return *m_clock; }
    Messages &messages() { return *m_messages; }
    Shell &shell() { return *m_shell; }
    Clipboard &clipboard() { return *m_clipboard; }
    FileDialogs &fileDialogs() { return *m_fileDialogs; }
    Beeper &beeper() { return *m_beeper; }
    Help &help() { return *m_help; }
    FileTypes &fileTypes() { return *m_fileTypes; }
    Tray &tray() { return *m_tray; }

    void setClock(std::unique_ptr<Clock> c) { m_clock = std::move(c); }
    void setMessages(std::unique_ptr<Messages> m) { m_messages = std::move(m); }
    /// Hands the message service over (to be set back later); none is installed until then.
    std::unique_ptr<Messages> takeMessages() { return std::move(m_messages); }
    void setShell(std::unique_ptr<Shell> s) { m_shell = std::move(s); }
    void setClipboard(std::unique_ptr<Clipboard> c) { m_clipboard = std::move(c); }
    void setFileDialogs(std::unique_ptr<FileDialogs> f) { m_fileDialogs = std::move(f); }
    void setBeeper(std::unique_ptr<Beeper> b) { m_beeper = std::move(b); }
    void setHelp(std::unique_ptr<Help> h) { m_help = std::move(h); }
    void setFileTypes(std::unique_ptr<FileTypes> f) { m_fileTypes = std::move(f); }
    void setTray(std::unique_ptr<Tray> t) { m_tray = std::move(t); }

    /// Installs the real desktop implementations (done by main() and by Services::instance()).
    void installDesktop();

private:
    Services();
    std::unique_ptr<Clock> m_clock;
    std::unique_ptr<Messages> m_messages;
    std::unique_ptr<Shell> m_shell;
    std::unique_ptr<Clipboard> m_clipboard;
    std::unique_ptr<FileDialogs> m_fileDialogs;
    std::unique_ptr<Beeper> m_beeper;
    std::unique_ptr<Help> m_help;
    std::unique_ptr<FileTypes> m_fileTypes;
    std::unique_ptr<Tray> m_tray;
};

/// Runs a user action; a StoreError or std::exception escaping it is shown in the standard error
/// box captioned with the application title, and the program keeps running. Returns false when
/// the action failed.
bool runAction(const std::function<void()> &action);

/// Opens `url` through the shell; when no program takes it, shows `failureText` in an error box
/// so that the user knows what did not open. Returns whether it opened.
bool openOrTell(const QUrl &url, const QString &failureText);

/// The failure text of an address that no program opened: "mailto:" addresses name the e-mail
/// program, other addresses the address itself.
QString cannotOpenText(const QUrl &url);

/// Shows the standard error box (error symbol, OK, caption "Kestrova v2.0").
void showStandardError(const QString &message);

/// Ends the process during start-up: the message goes to stderr and into the standard error box
/// (when a GUI exists), then the process exits with code 1.
[[noreturn]] void failStartup(const QString &message);

} // namespace kv
