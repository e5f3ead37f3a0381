#include "dialogs/vuinputdialog.h"

#include "platform/vuframe0/vuwidgethelper.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>

VuInputDialog::VuInputDialog(QWidget* parent, Qt::WindowFlags flags)
    : VuDialog(parent, flags)
    , m_lineEdit(new QLineEdit(this))
    , m_label(new QLabel(this))
    , m_okButton(new QPushButton(this))
    , m_cancelButton(new QPushButton(this))
{
    setObjectName(QStringLiteral("VuInputDialog"));

    auto* grid = new QGridLayout;
    grid->setContentsMargins(10, 1, 10, 5);
    grid->setSpacing(5);
    grid->addWidget(m_label, 0, 0);

    // The field shows no text and offers no copy or paste.
    m_lineEdit->setEchoMode(QLineEdit::Password);
    m_lineEdit->setMaxLength(128);
    m_lineEdit->setContextMenuPolicy(Qt::NoContextMenu);
    grid->addWidget(m_lineEdit, 1, 0);

    auto* buttons = new QHBoxLayout;
    buttons->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_okButton->setText(tr("OK"));
    buttons->addWidget(m_okButton);
    m_cancelButton->setText(tr("Cancel"));
    buttons->addWidget(m_cancelButton);
    buttons->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    grid->addLayout(buttons, 2, 0);
    setLayout(grid);

    connect(m_cancelButton, &QPushButton::clicked, this, &VuInputDialog::onCancel);
    connect(m_okButton, &QPushButton::clicked, this, &VuInputDialog::onOK);
}

VuInputDialog::~VuInputDialog() = default;

QString VuInputDialog::text() const
{
    return m_lineEdit->text();
}

void VuInputDialog::onOK()
{
    m_accepted = true;
    close();
}

void VuInputDialog::onCancel()
{
    m_accepted = false;
    close();
}

void VuInputDialog::retranslate()
{
    m_okButton->setText(tr("OK"));
    m_cancelButton->setText(tr("Cancel"));
}

QString VuInputDialog::getText(const QString& title, const QString& label, const QString& text, bool* ok,
                               QWidget* parent)
{
    VuInputDialog dialog(parent, Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint);
    // The fixed-size hint only works on Windows; the layout keeps the
    // dialog at its size elsewhere.
    dialog.layout()->setSizeConstraint(QLayout::SetFixedSize);
    dialog.widgetHelper()->setAllWindowTitle(title);
    dialog.m_label->setText(label);
    dialog.m_label->adjustSize();
    dialog.m_lineEdit->setText(text);
    dialog.exec();
    if (ok)
        *ok = dialog.m_accepted;
    return dialog.text();
}
