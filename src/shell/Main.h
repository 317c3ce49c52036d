// TFMain (instance FMain): the main window. Holds the clock's state and the close query; the
// data folder operation RegDataPath that every table asks at open.
#pragma once

#include <QWidget>

class QLabel;

namespace kv {

class TFMain : public QWidget
{
    Q_OBJECT
public:
    explicit TFMain(QWidget *parent = nullptr);

    /// The data folder: the configured installation folder + "/Data", or the per-user default.
    /// Uses no state of the window: the tables call it before the window exists.
    static QString RegDataPath();

    bool IsClockedIn = false;
    bool IsTrayMode = false;

    /// Start-up steps 7 to 9: default selections, tray mode and auto-log indicators.
    void applyConfiguration();
    /// Start-up clock-in (InOnStartup): starts a set when both selectors hold a value.
    void InOnStart();
    /// Whether the window is to be shown when the message loop starts.
    bool showAtStart() const { return !IsTrayMode; }

    /// The close query: offers to post a running set. Always allows the close.
    bool closeQuery();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void EnableIn();
    QLabel *m_status;
};

extern TFMain *FMain;

} // namespace kv
