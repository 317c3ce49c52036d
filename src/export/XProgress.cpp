// The progress window of an export run.
#include "XProgress.h"

#include "WindowBorder.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QWindow>

namespace kv {

namespace {
constexpr int kWidth = 263;
constexpr int kHeight = 32;
constexpr int kRunningHeight = 57;
constexpr int kUpdatesPerRun = 25;
/// Running mode shows the count and lets pending messages through at most this often.
constexpr qint64 kRunningStepMs = 50;
} // namespace

TProgressForm::TProgressForm(const QString &caption, const QString &panelText,
                             const QString &countFormat, int total)
    : QDialog(nullptr, look::windowFlags(look::Border::FixedCloseBox) | Qt::WindowStaysOnTopHint),
      m_bar(new QProgressBar(this)), m_panel(new QLabel(this)), m_countFormat(countFormat)
{
    setObjectName(QStringLiteral("ProgressForm"));
    // The run disables its owner window and the owner may itself be a modal window: a child of
    // it would be disabled with it, and a window of its own would be blocked by it, and Esc
    // would never arrive. So the progress window is a modal window of its own, kept over the
    // window it reports on.
    setWindowModality(Qt::ApplicationModal);
    if (QWidget *owner = QApplication::activeWindow()) {
        winId(); // the native window, to keep it over the owner's
        if (QWindow *own = owner->windowHandle())
            windowHandle()->setTransientParent(own);
    }
    setWindowTitle(caption);
    m_bar->setObjectName(QStringLiteral("ProgressBar"));
    m_bar->setGeometry(8, 8, 249, 16);
    m_bar->setRange(0, 100);
    m_bar->setTextVisible(false);
    m_panel->setObjectName(QStringLiteral("ExportPanel"));
    m_panel->setGeometry(8, 4, 249, 21);
    m_panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_panel->setText(panelText);
    m_panel->hide();

    m_start.start();
    m_running = total < 0;
    m_interval = total / kUpdatesPerRun + 1;
    int height = kHeight;
    if (m_running) {
        m_bar->hide();
        m_panel->show();
        height = kRunningHeight;
    } else {
        m_bar->setMaximum(total / m_interval);
        m_bar->setValue(0);
    }
    setFixedSize(kWidth, height);
}

bool TProgressForm::UpdateProgress(int n)
{
    if (m_interval <= 0 || n % m_interval != 0)
        return true;
    if (m_running) {
        // A count changing faster than the eye can follow costs a repaint and a pass through
        // the event queue per record: far more than the record itself (a 100k time log took
        // 17 s instead of a quarter of one). Esc still stops the export at the next record.
        if (m_shownAtMs >= 0 && m_start.elapsed() - m_shownAtMs < kRunningStepMs)
            return isVisible();
        const double secs = static_cast<double>(m_start.elapsed()) / 1000.0;
        QString text = m_countFormat;
        text.replace(QStringLiteral("%d"), QString::number(n));
        text.replace(QStringLiteral("%.2f"), QString::number(secs, 'f', 2));
        m_panel->setText(text);
        QCoreApplication::processEvents();
        m_shownAtMs = m_start.elapsed();
        // Esc means stop here too: the time log, whose count is not known ahead, runs in this
        // mode, and an export that went on behind a closed window could not be stopped at all.
        return isVisible();
    }
    QCoreApplication::processEvents();
    if (m_bar->value() + 1 > m_bar->maximum())
        m_bar->setValue(m_bar->maximum());
    else
        m_bar->setValue(m_bar->value() + 1);
    return isVisible();
}

void TProgressForm::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(e);
}

std::unique_ptr<ExportProgress> NewProgressForm(const QString &caption, const QString &panelText,
                                                const QString &countFormat, int total)
{
    return std::make_unique<TProgressForm>(caption, panelText, countFormat, total);
}

} // namespace kv
