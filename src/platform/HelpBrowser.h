// HelpBrowser: the in-program help window showing the pages of docs/help at the anchor of a
// help-context number ("#ctx-7"); context 0 shows the contents page.
#pragma once

#include "Services.h"

#include <QDialog>

class QTextBrowser;

namespace kv {

class HelpBrowser : public QDialog
{
    Q_OBJECT
public:
    explicit HelpBrowser(QWidget *parent = nullptr);
    /// Shows the page and anchor of a context; unknown contexts show the contents page.
    void showContext(int context);
    /// Page and anchor of a context, e.g. "qrc:/help/timelog.html#ctx-7".
    static QUrl urlForContext(int context);
    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser;
};

/// The Help service of the desktop: one help window for the run.
class DesktopHelp : public Help
{
public:
    void showContext(int context) override;

private:
    HelpBrowser *m_window = nullptr;
};

} // namespace kv
