// FilterDialog: a field list on the left, the criterion of the chosen field on the right.
#include "FilterDialog.h"

#include "WindowBorder.h"

#include "Services.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kv {

namespace {

QRadioButton *radio(const QString &name, const QString &text, QWidget *parent)
{
    auto *r = new QRadioButton(text, parent);
    r->setObjectName(name);
    return r;
}

} // namespace

FilterDialog::FilterDialog(QWidget *parent) : QDialog(parent)
{
    look::setBorder(this, look::Border::FixedCloseBox);
    auto *fieldsLabel = new QLabel(tr("&Fields:"), this);
    lbFields = new QListWidget(this);
    lbFields->setObjectName(QStringLiteral("lbFields"));
    lbFields->setMinimumWidth(130);
    fieldsLabel->setBuddy(lbFields);
    lbFields->setAccessibleName(tr("Fields:"));

    auto *matchBox = new QGroupBox(tr("Match"), this);
    rbStart = radio(QStringLiteral("rbStart"), tr("At the &start of the field"), matchBox);
    rbAnywhere = radio(QStringLiteral("rbAnywhere"), tr("&Anywhere in the field"), matchBox);
    rbWhole = radio(QStringLiteral("rbWhole"), tr("The &whole field"), matchBox);
    rbEnd = radio(QStringLiteral("rbEnd"), tr("At the &end of the field"), matchBox);
    rbRange = radio(QStringLiteral("rbRange"), tr("In a &range"), matchBox);
    auto *matchLayout = new QVBoxLayout(matchBox);
    for (QRadioButton *r : {rbStart, rbAnywhere, rbWhole, rbEnd, rbRange})
        matchLayout->addWidget(r);
    rbStart->setChecked(true);

    eValue = new QLineEdit(this);
    eValue->setObjectName(QStringLiteral("eValue"));
    eFrom = new QLineEdit(this);
    eFrom->setObjectName(QStringLiteral("eFrom"));
    eTo = new QLineEdit(this);
    eTo->setObjectName(QStringLiteral("eTo"));
    cbCase = new QCheckBox(tr("&Case sensitive"), this);
    cbCase->setObjectName(QStringLiteral("cbCase"));
    cbNot = new QCheckBox(tr("&Not: records that do not match"), this);
    cbNot->setObjectName(QStringLiteral("cbNot"));
    bClearField = new QPushButton(tr("Clear &Field"), this);
    bClearField->setObjectName(QStringLiteral("bClearField"));
    auto *values = new QFormLayout;
    values->addRow(tr("&Value:"), eValue);
    values->addRow(tr("F&rom:"), eFrom);
    values->addRow(tr("&To:"), eTo);
    lHint =
        new QLabel(tr("Join values with \"or\" and \"and\"; \"null\" finds empty fields."), this);
    lHint->setWordWrap(true);

    auto *criterion = new QVBoxLayout;
    criterion->addWidget(matchBox);
    criterion->addLayout(values);
    criterion->addWidget(cbCase);
    criterion->addWidget(cbNot);
    criterion->addWidget(lHint);
    criterion->addWidget(bClearField, 0, Qt::AlignLeft);
    criterion->addStretch();

    auto *left = new QVBoxLayout;
    left->addWidget(fieldsLabel);
    left->addWidget(lbFields);
    auto *top = new QHBoxLayout;
    top->addLayout(left);
    top->addLayout(criterion, 1);

    lSummary = new QLabel(this);
    lSummary->setObjectName(QStringLiteral("lSummary"));
    lSummary->setWordWrap(true);
    lSummary->setFrameShape(QFrame::StyledPanel);
    lSummary->setMinimumHeight(40);
    lSummary->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *buttons = new QDialogButtonBox(this);
    bClearAll = buttons->addButton(tr("Clear &All"), QDialogButtonBox::ResetRole);
    bClearAll->setObjectName(QStringLiteral("bClearAll"));
    bOK = buttons->addButton(QDialogButtonBox::Ok);
    bOK->setObjectName(QStringLiteral("bOK"));
    bCancel = buttons->addButton(QDialogButtonBox::Cancel);
    bCancel->setObjectName(QStringLiteral("bCancel"));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lSummary);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(lbFields, &QListWidget::currentRowChanged, this, [this](int row) {
        runAction([&] {
            storeField();
            showField(row);
        });
    });
    for (QRadioButton *r : {rbStart, rbAnywhere, rbWhole, rbEnd, rbRange})
        connect(r, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                runAction([&] { storeField(); });
        });
    for (QLineEdit *e : {eValue, eFrom, eTo})
        connect(e, &QLineEdit::textChanged, this, [this] { runAction([&] { storeField(); }); });
    for (QCheckBox *c : {cbCase, cbNot})
        connect(c, &QCheckBox::toggled, this, [this] { runAction([&] { storeField(); }); });
    connect(bClearField, &QPushButton::clicked, this, [this] {
        runAction([&] {
            if (m_shownRow < 0)
                return;
            const QString name = m_fields.value(m_shownRow);
            m_working.removeIf([&](const Criterion &c) { return c.fieldName == name; });
            showField(m_shownRow);
            updateSummary();
        });
    });
    connect(bClearAll, &QPushButton::clicked, this, [this] {
        runAction([&] {
            m_working.clear();
            showField(m_shownRow);
            updateSummary();
        });
    });
}

void FilterDialog::setTable(StoreTable *table, const QStringList &fieldNames)
{
    m_criteria.setTable(table);
    m_fields.clear();
    lbFields->clear();
    for (const QString &name : fieldNames) {
        const Field *f = table ? table->findField(name) : nullptr;
        if (!f)
            continue;
        m_fields << f->fieldName();
        lbFields->addItem(f->displayLabel());
    }
}

Criterion &FilterDialog::working(const QString &fieldName)
{
    for (Criterion &c : m_working)
        if (c.fieldName == fieldName)
            return c;
    Criterion c;
    c.fieldName = fieldName;
    if (const Field *f = table() ? table()->findField(fieldName) : nullptr)
        c.label = f->displayLabel();
    m_working << c;
    return m_working.last();
}

void FilterDialog::showField(int row)
{
    m_loading = true;
    m_shownRow = row;
    const QString name = m_fields.value(row);
    Criterion shown;
    for (const Criterion &c : m_working)
        if (c.fieldName == name)
            shown = c;
    switch (shown.match) {
    case MatchKind::Start:
        rbStart->setChecked(true);
        break;
    case MatchKind::Anywhere:
        rbAnywhere->setChecked(true);
        break;
    case MatchKind::Whole:
        rbWhole->setChecked(true);
        break;
    case MatchKind::End:
        rbEnd->setChecked(true);
        break;
    case MatchKind::Range:
        rbRange->setChecked(true);
        break;
    }
    eValue->setText(shown.value);
    eFrom->setText(shown.lower);
    eTo->setText(shown.upper);
    cbCase->setChecked(shown.caseSensitive);
    cbNot->setChecked(shown.negate);
    m_loading = false;
    updateEnabled();
}

void FilterDialog::storeField()
{
    if (m_loading || m_shownRow < 0 || m_shownRow >= m_fields.size())
        return;
    Criterion &c = working(m_fields.at(m_shownRow));
    c.match = rbRange->isChecked()      ? MatchKind::Range
              : rbAnywhere->isChecked() ? MatchKind::Anywhere
              : rbWhole->isChecked()    ? MatchKind::Whole
              : rbEnd->isChecked()      ? MatchKind::End
                                        : MatchKind::Start;
    c.value = eValue->text();
    c.lower = eFrom->text();
    c.upper = eTo->text();
    c.caseSensitive = cbCase->isChecked();
    c.negate = cbNot->isChecked() && c.match != MatchKind::Range;
    updateEnabled();
    updateSummary();
}

void FilterDialog::updateEnabled()
{
    const bool any = m_shownRow >= 0;
    const bool range = rbRange->isChecked();
    const Field *f = any && table() ? table()->findField(m_fields.value(m_shownRow)) : nullptr;
    const bool text = f && (f->dataType() == FieldType::String || f->dataType() == FieldType::Memo);
    for (QRadioButton *r : {rbStart, rbAnywhere, rbEnd})
        r->setEnabled(any && text);
    rbWhole->setEnabled(any);
    rbRange->setEnabled(any);
    eValue->setEnabled(any && !range);
    eFrom->setEnabled(any && range);
    eTo->setEnabled(any && range);
    cbCase->setEnabled(any && text);
    cbNot->setEnabled(any && !range);
    bClearField->setEnabled(any);
}

QString FilterDialog::describe(const Criterion &c)
{
    QString what;
    switch (c.match) {
    case MatchKind::Start:
        what = tr("starts with \"%1\"").arg(c.value.trimmed());
        break;
    case MatchKind::Anywhere:
        what = tr("contains \"%1\"").arg(c.value.trimmed());
        break;
    case MatchKind::Whole:
        what = tr("is \"%1\"").arg(c.value.trimmed());
        break;
    case MatchKind::End:
        what = tr("ends with \"%1\"").arg(c.value.trimmed());
        break;
    case MatchKind::Range:
        what = tr("from \"%1\" to \"%2\"").arg(c.lower.trimmed(), c.upper.trimmed());
        break;
    }
    QString text = c.label + u' ' + (c.negate ? tr("not: ") : QString()) + what;
    if (c.caseSensitive)
        text += tr(" (case sensitive)");
    return text;
}

void FilterDialog::updateSummary()
{
    QStringList lines;
    for (int row = 0; row < m_fields.size(); ++row) {
        bool has = false;
        for (const Criterion &c : m_working)
            if (c.fieldName == m_fields.at(row) && FilterCriteria::hasValue(c)) {
                lines << describe(c);
                has = true;
            }
        if (QListWidgetItem *item = lbFields->item(row)) {
            QFont font = item->font();
            font.setBold(has);
            item->setFont(font);
        }
    }
    lSummary->setText(lines.isEmpty() ? tr("No criteria: every record is shown.")
                                      : lines.join(u'\n'));
}

bool FilterDialog::execute()
{
    m_working = m_criteria.criteria();
    m_shownRow = -1;
    lbFields->setCurrentRow(-1);
    if (!m_fields.isEmpty())
        lbFields->setCurrentRow(0);
    updateSummary();
    return exec() == QDialog::Accepted;
}

void FilterDialog::done(int result)
{
    if (result != QDialog::Accepted) {
        QDialog::done(result);
        return;
    }
    storeField();
    // Every criterion must be readable before any is used; the one that is not is shown.
    for (const Criterion &c : m_working) {
        try {
            m_criteria.validate(c);
        } catch (const CriteriaError &e) {
            const int row = int(m_fields.indexOf(c.fieldName));
            if (row >= 0)
                lbFields->setCurrentRow(row);
            Services::instance().messages().error(e.message());
            return;
        }
    }
    runAction([&] { setCriteria(m_working); });
    QDialog::done(result);
}

void FilterDialog::setCriteria(const QList<Criterion> &criteria)
{
    m_criteria.setCriteria(criteria);
    m_criteria.apply();
}

void FilterDialog::clearCriteria()
{
    m_criteria.clear();
    m_criteria.apply();
}

} // namespace kv
