#pragma once

#include "platform/forms.h"

#include <QList>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The alert editor's working list, apart from its form so that tables can drive it.
namespace txform {

// One line of the editor: the text the user reads and the record "instrument,comparator,price".
// `armed` marks a line taken from the running alerts when the editor opened: it is written back
// only while that alert has not fired meanwhile.
struct Row {
    QString line;
    QString record;
    bool armed = false;
    bool operator==(const Row&) const = default;
};

// The price box as it reads after it loses focus: the decimal text of its leading number.
[[nodiscard]] QString normalisedPrice(const QString& text);

// The lines of the running alerts (TxCount, TxProd, TxCompare, TxPrice), fired ones left out.
[[nodiscard]] QList<Row> rowsFromAlerts();

// Adding one alert: either refused with a message for the user, or the row to append and the
// price box's normalised text.
struct Addition {
    QString refusal;
    Row row;
    QString priceText;
};
[[nodiscard]] Addition addAlert(int instrument, const QString& instrumentName, int comparator,
                                const QString& comparatorText, const QString& priceText, int rowsNow);

// The rows that go back into the alert arrays: those added here, and those taken from the running
// alerts that are still armed now (an alert that fired while the editor was open stays fired).
[[nodiscard]] QStringList recordsToStore(const QList<Row>& rows);

// Rebuilds the alert arrays from records "instrument,comparator,price".
void storeRecords(const QStringList& records);

} // namespace txform

// The price-alert editor ("预警提醒设置").
class TXFORM : public platform::Form {
    Q_OBJECT
public:
    TXFORM();

    QComboBox* Combo1;  // instruments, combo index = instrument index
    QComboBox* Combo2;  // "大于等于", "小于等于"
    QLineEdit* Text1;   // price
    QPushButton* Command1; // "添加"
    QListWidget* List1; // alert lines
    QPushButton* Command2; // "删除选中项"

    void Command1_Click();
    void Command2_Click();
    void List1_Click();
    // Copies the list into the alert arrays and stores them.
    void SaveTxList();

    [[nodiscard]] const QList<txform::Row>& rows() const { return m_rows; }

protected:
    void formLoad() override;
    bool queryUnload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<txform::Row> m_rows; // List2: the records, line by line beside List1
};

[[nodiscard]] TXFORM& txForm();
