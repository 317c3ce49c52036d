// TProgressForm: the small window a writer shows while it writes records. Counted mode (known
// total) moves a bar about 25 times per run; running mode (unknown total) shows the count and the
// elapsed seconds, at most 20 times a second. Esc closes it, and the next update cancels the
// export in either mode.
#pragma once

#include "EC_Writer.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;

namespace kv {

class TProgressForm : public QDialog, public ExportProgress
{
public:
    TProgressForm(const QString &caption, const QString &panelText, const QString &countFormat,
                  int total);

    void showProgress() override { show(); }
    void hideProgress() override { hide(); }
    void closeProgress() override { close(); }
    bool UpdateProgress(int n) override;

    bool isRunningMode() const { return m_running; }
    int interval() const { return m_interval; }
    QProgressBar *ProgressBar() const { return m_bar; }
    QLabel *ExportPanel() const { return m_panel; }

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    QProgressBar *m_bar;
    QLabel *m_panel;
    QString m_countFormat;
    QElapsedTimer m_start;
    bool m_running = false;
    int m_interval = 1;
    qint64 m_shownAtMs = -1; ///< running mode: when the count was last shown
};

/// Creates the progress window of a run.
std::unique_ptr<ExportProgress> NewProgressForm(const QString &caption, const QString &panelText,
                                                const QString &countFormat, int total);

} // namespace kv
