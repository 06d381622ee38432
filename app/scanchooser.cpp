#include "app/scanchooser.h"

#include "app/scankind.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ScanChooser::ScanChooser(const QString& title, const QString& label, const QStringList& items,
                         QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(title);
    QVBoxLayout* layout = new QVBoxLayout(this);
    QLabel* text = new QLabel(label);
    text->setWordWrap(true);
    layout->addWidget(text);
    if (!items.isEmpty()) {
        m_items = new QComboBox;
        m_items->addItems(items);
        layout->addWidget(m_items);
    }
    m_ct = new QCheckBox(tr("Werte als &CT (HU) lesen"));
    m_reason = new QLabel;
    m_reason->setObjectName("reason");
    m_reason->setWordWrap(true);
    layout->addWidget(m_ct);
    layout->addWidget(m_reason);
    m_ct->hide();
    m_reason->hide();
    QDialogButtonBox* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Ö&ffnen"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("&Abbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void ScanChooser::offerCt(bool ct, const QJsonObject& reason)
{
    m_ct->setChecked(ct);
    m_reason->setText(tr("kastra-convert liest %1").arg(valuesReadingText({ct, false, reason})));
    m_ct->show();
    m_reason->show();
}

void ScanChooser::choose(int index)
{
    if (m_items)
        m_items->setCurrentIndex(index);
}

int ScanChooser::chosen() const
{
    return m_items ? m_items->currentIndex() : 0;
}

bool ScanChooser::ctChecked() const
{
    return m_ct->isChecked();
}
