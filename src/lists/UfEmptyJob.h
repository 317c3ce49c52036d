// TfJobEmpty (instance fJobEmpty): the prompt the main window shows when its job-type selector is
// entered while the job-type list is empty. It offers to open the job-type window at once.
#pragma once

#include "EmptyPrompt.h"

namespace kv {

class TfJobEmpty : public EmptyPrompt
{
    Q_OBJECT
public:
    explicit TfJobEmpty(QWidget *parent = nullptr);
    ~TfJobEmpty() override;

    static QString promptText();

    /// "Job Type Listing": the job-type window, modally; the prompt closes when it closes.
    void bJobListClick();

    QPushButton *bJobList, *bCancel;

protected:
    void showEvent(QShowEvent *event) override;
};

extern TfJobEmpty *fJobEmpty;

} // namespace kv
