// The empty-job-type prompt.
#include "UfEmptyJob.h"

#include "Services.h"
#include "UJob.h"

#include <QPushButton>

namespace kv {

TfJobEmpty *fJobEmpty = nullptr;

TfJobEmpty::TfJobEmpty(QWidget *parent)
    : EmptyPrompt(tr("Kestrova - Job Type Listing is Empty"), promptText(), parent)
{
    setObjectName(QStringLiteral("fJobEmpty"));
    bJobList = new QPushButton(tr("Job Type Listing"), this);
    bJobList->setObjectName(QStringLiteral("bJobList"));
    addButtons(bJobList);
    bCancel = m_cancel;
    // "Cancel" closes by its cancel result; it has no handler of its own.
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(bJobList, &QPushButton::clicked, this, &TfJobEmpty::bJobListClick);
}

TfJobEmpty::~TfJobEmpty()
{
    if (fJobEmpty == this)
        fJobEmpty = nullptr;
}

QString TfJobEmpty::promptText()
{
    return tr("The Job Type Listing file is empty !\r\n \r\nBefore you can enter the Job Type into "
              "this field, you must add at least one\r\njob type to the Job Type Listing file.\r\n"
              " \r\nClick the Job Type Listing button below to enter job type information now \r\n"
              "or click the Cancel button and enter job types by clicking Menu,\r\nKestrova "
              "Configuration, Job Type Listing.");
}

void TfJobEmpty::showEvent(QShowEvent *event)
{
    EmptyPrompt::showEvent(event);
    bJobList->setFocus();
}

void TfJobEmpty::bJobListClick()
{
    runAction([&] {
        if (FJobType)
            FJobType->exec();
        reject();
    });
}

} // namespace kv
