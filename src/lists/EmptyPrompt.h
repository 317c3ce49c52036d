// EmptyPrompt: the look the two empty-list prompts share: a tool window without caption buttons,
// a bevelled frame around one multi-line text, and two buttons below it.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kv {

class EmptyPrompt : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kWidth = 390;
    static constexpr int kHeight = 169;

protected:
    EmptyPrompt(const QString &caption, const QString &text, QWidget *parent);
    /// Adds the list button named `name`, then "Cancel" (the cancel button, Escape presses it).
    void addButtons(QPushButton *listButton);

    QLabel *m_text;
    QPushButton *m_cancel = nullptr;
};

} // namespace kv
