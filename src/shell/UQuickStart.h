// TfQuickStart: the quick-start window, shown at start-up while TutorialShow is on. A memo with
// the first steps, "Go to Configuration", and the check box that switches TutorialShow at once.
// Created when shown and destroyed after.
#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace kv {

class TfQuickStart : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kHelpContext = 22;

    explicit TfQuickStart(QWidget *parent = nullptr);
    ~TfQuickStart() override;

    /// Start-up step 12: creates the window, sets the check box to `tutorialShow`, shows it
    /// modally and destroys it.
    static void run(bool tutorialShow);

    /// The memo's text, line by line.
    static QStringList memoLines();

    /// "Go to Configuration": the configuration dialog, modally, over this window.
    void Button1Click();
    /// The check box: TutorialShow := its state, written at once.
    void cbTutorialShowClick();

    /// Opens the configuration dialog; by default the main window's.
    std::function<void()> showConfiguration;

    QPlainTextEdit *Memo1;
    QPushButton *Button1;
    QCheckBox *cbTutorialShow;
};

} // namespace kv
