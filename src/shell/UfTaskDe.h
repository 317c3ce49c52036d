// TfTaskDes (instance fTaskDes): the task-description prompt of a clock-out. A memo of at most
// 250 characters (the size of a time record's TaskDes) and an "OK" button.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace kv {

class TfTaskDes : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kMaxLength = 250;
    static constexpr int kHelpContext = 9;

    explicit TfTaskDes(QWidget *parent = nullptr);
    ~TfTaskDes() override;

    /// Shows the prompt modally with an empty memo. Returns the memo's text when the user
    /// pressed "OK", the empty string when the window was closed otherwise.
    QString ask();

    /// "OK": takes the memo's text and closes.
    void bbTaskDesClick();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void limitLength();

    QPlainTextEdit *eTaskDes;
    QPushButton *bbTaskDes;
    QString m_text;
};

/// The one task prompt of the run (created with the main window, null before and after).
extern TfTaskDes *fTaskDes;

} // namespace kv
