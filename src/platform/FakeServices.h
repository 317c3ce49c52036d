// Test doubles for every service: a pinned clock, message boxes that record and answer from a
// script, a shell and clipboard that record, scripted file dialogs, a tray icon that records.
// `FakeServicesScope` installs them for the life of a test and puts the desktop services back
// after.
#pragma once

#include "Services.h"

#include <QList>
#include <QSet>
#include <deque>

namespace kv {

class FakeClock : public Clock
{
public:
    explicit FakeClock(QDateTime now = QDateTime(QDate(2026, 3, 2), QTime(9, 0)))
        : m_now(std::move(now))
    {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime &now) { m_now = now; }
    void advanceSecs(qint64 s) { m_now = m_now.addSecs(s); }

private:
    QDateTime m_now;
};

class FakeMessages : public Messages
{
public:
    struct Shown
    {
        MsgKind kind;
        QString text;
        MsgButtons buttons;
        int helpContext;
        QString caption;
    };

    MsgAnswer show(MsgKind kind, const QString &text, MsgButtons buttons, int helpContext,
                   const QString &caption) override
    {
        shown.append({kind, text, buttons, helpContext, caption});
        if (onShow)
            onShow(shown.last());
        if (!m_answers.empty()) {
            MsgAnswer a = m_answers.front();
            m_answers.pop_front();
            return a;
        }
        return buttons == MsgButtons::YesNo ? defaultYesNo : MsgAnswer::Ok;
    }
    /// The next Yes/No box answers `a`; answers queue in order.
    void answerNext(MsgAnswer a) { m_answers.push_back(a); }
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
    QStringList texts() const
    {
        QStringList t;
        for (const Shown &s : shown)
            t << s.text;
        return t;
    }

    QList<Shown> shown;
    MsgAnswer defaultYesNo = MsgAnswer::No;
    std::function<void(const Shown &)> onShow;

private:
    std::deque<MsgAnswer> m_answers;
};

class FakeShell : public Shell
{
public:
    bool open(const QUrl &url) override
    {
        opened.append(url);
        return result;
    }
    QList<QUrl> opened;
    bool result = true;
};

class FakeClipboard : public Clipboard
{
public:
    void setText(const QString &text) override { m_text = text; }
    QString text() const override { return m_text; }

private:
    QString m_text;
};

class FakeFileDialogs : public FileDialogs
{
public:
    QString getSaveFileName(QWidget *, const QString &caption, const QString &dir,
                            const QString &filter, QString *selectedFilter) override
    {
        captions << caption;
        folders << dir;
        filters << filter;
        if (selectedFilter && !nextSelectedFilter.isEmpty())
            *selectedFilter = nextSelectedFilter;
        return takeNext();
    }
    QString getOpenFileName(QWidget *, const QString &caption, const QString &,
                            const QString &filter) override
    {
        captions << caption;
        filters << filter;
        return takeNext();
    }
    /// The next dialog returns `name` (empty = the user cancels).
    void answerNext(const QString &name) { m_names.push_back(name); }

    QStringList captions, filters;
    QStringList folders; ///< the folder each save dialog was opened in
    QString nextSelectedFilter;

private:
    QString takeNext()
    {
        if (m_names.empty())
            return QString();
        QString n = m_names.front();
        m_names.pop_front();
        return n;
    }
    std::deque<QString> m_names;
};

class FakeBeeper : public Beeper
{
public:
    void beep() override { ++count; }
    int count = 0;
};

class FakeHelp : public Help
{
public:
    void showContext(int context) override { contexts.append(context); }
    QList<int> contexts;
};

class FakeFileTypes : public FileTypes
{
public:
    bool canView(const QString &extension) const override
    {
        return viewable.contains(extension.toLower());
    }
    QSet<QString> viewable;
};

/// A tray icon that records its state; `click()` plays a click on it. `available` answers whether
/// the desktop has a notification area.
class FakeTray : public Tray
{
public:
    bool isAvailable() const override { return available; }
    void setVisible(bool v) override { visible = v; }
    bool isVisible() const override { return visible; }
    void setIcon(const QIcon &) override { ++iconChanges; }
    void setToolTip(const QString &text) override { tip = text; }
    QString toolTip() const override { return tip; }
    void click(TrayClick c)
    {
        if (onClick)
            onClick(c);
    }

    bool available = true;
    bool visible = false;
    int iconChanges = 0;
    QString tip;
};

/// Installs fakes for every service while it lives; the members give the test access to them.
class FakeServicesScope
{
public:
    FakeServicesScope()
    {
        Services &s = Services::instance();
        s.setClock(std::unique_ptr<Clock>(clock = new FakeClock));
        s.setMessages(std::unique_ptr<Messages>(messages = new FakeMessages));
        s.setShell(std::unique_ptr<Shell>(shell = new FakeShell));
        s.setClipboard(std::unique_ptr<Clipboard>(clipboard = new FakeClipboard));
        s.setFileDialogs(std::unique_ptr<FileDialogs>(fileDialogs = new FakeFileDialogs));
        s.setBeeper(std::unique_ptr<Beeper>(beeper = new FakeBeeper));
        s.setHelp(std::unique_ptr<Help>(help = new FakeHelp));
        s.setFileTypes(std::unique_ptr<FileTypes>(fileTypes = new FakeFileTypes));
        s.setTray(std::unique_ptr<Tray>(tray = new FakeTray));
    }
    ~FakeServicesScope() { Services::instance().installDesktop(); }
    FakeServicesScope(const FakeServicesScope &) = delete;
    FakeServicesScope &operator=(const FakeServicesScope &) = delete;

    FakeClock *clock;
    FakeMessages *messages;
    FakeShell *shell;
    FakeClipboard *clipboard;
    FakeFileDialogs *fileDialogs;
    FakeBeeper *beeper;
    FakeHelp *help;
    FakeFileTypes *fileTypes;
    FakeTray *tray;
};

} // namespace kv
