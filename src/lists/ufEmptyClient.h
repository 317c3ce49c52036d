// TfEmptyClient (instance fEmptyClient): the prompt the main window shows when its client
// selector is entered while the client list is empty. It offers to open the client list at once.
#pragma once

#include "EmptyPrompt.h"

namespace kv {

class TfEmptyClient : public EmptyPrompt
{
    Q_OBJECT
public:
    explicit TfEmptyClient(QWidget *parent = nullptr);
    ~TfEmptyClient() override;

    static QString promptText();

    /// "Client Listing": the client list, modally; the prompt closes when it closes.
    void bClientListClick();
    /// "Cancel": closes the prompt.
    void bCancelClick();

    QPushButton *bClientList, *bCancel;

protected:
    void showEvent(QShowEvent *event) override;
};

extern TfEmptyClient *fEmptyClient;

} // namespace kv
