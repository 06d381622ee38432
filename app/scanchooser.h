#pragma once

#include <QDialog>
#include <QJsonObject>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;

// What to open of a scan: one of its series or volumes (a list, where there
// is a choice), and whether its values are read as CT, preset to what the
// converter decided and why (where it decided).
class ScanChooser : public QDialog
{
    Q_OBJECT

public:
    ScanChooser(const QString& title, const QString& label, const QStringList& items,
                QWidget* parent);

    // Shows "Werte als CT (HU) lesen", checked as `ct`, and the converter's
    // reason.
    void offerCt(bool ct, const QJsonObject& reason);

    void choose(int index); // the item chosen at the start
    int chosen() const;     // the item's index, 0 where there is no list
    bool ctChecked() const;

private:
    QComboBox* m_items = nullptr;
    QCheckBox* m_ct = nullptr;
    QLabel* m_reason = nullptr;
};
