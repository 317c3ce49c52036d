// The empty-client prompt.
#include "ufEmptyClient.h"

#include "Services.h"
#include "UCust.h"

#include <QPushButton>

namespace kv {

TfEmptyClient *fEmptyClient = nullptr;

TfEmptyClient::TfEmptyClient(QWidget *parent)
    : EmptyPrompt(tr("Kestrova - Client Listing is Empty"), promptText(), parent)
{
    setObjectName(QStringLiteral("fEmptyClient"));
    bClientList = new QPushButton(tr("Client Listing"), this);
    bClientList->setObjectName(QStringLiteral("bClientList"));
    addButtons(bClientList);
    bCancel = m_cancel;
    connect(bClientList, &QPushButton::clicked, this, &TfEmptyClient::bClientListClick);
    connect(bCancel, &QPushButton::clicked, this, &TfEmptyClient::bCancelClick);
}

TfEmptyClient::~TfEmptyClient()
{
    if (fEmptyClient == this)
        fEmptyClient = nullptr;
}

QString TfEmptyClient::promptText()
{
    return tr(
        "The Client Listing file is empty !\r\n \r\nBefore you can enter the Client Name into "
        "this field, you must add at least one\r\nclient to the Client Listing file.\r\n \r\n"
        "Click the Client Listing button below to enter client information now \r\nor click "
        "the Cancel button and enter clients by clicking Menu,\r\nKestrova Configuration, "
        "Client Listing.");
}

void TfEmptyClient::showEvent(QShowEvent *event)
{
    EmptyPrompt::showEvent(event);
    bCancel->setFocus();
}

void TfEmptyClient::bClientListClick()
{
    runAction([&] {
        if (FCust)
            FCust->exec();
        reject();
    });
}

void TfEmptyClient::bCancelClick()
{
    runAction([&] { reject(); });
}

} // namespace kv
