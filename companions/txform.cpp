#include "companions/txform.h"

#include "common/msgbox.h"
#include "common/storedlists.h"
#include "platform/boundary.h"
#include "platform/boxfit.h"
#include "platform/keys.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/quotetables.h"
#include "state/storedlists.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <optional>
#include <map>
#include <tuple>

namespace txform {

namespace {

QString comparatorText(int comparator) {
    return comparator == 0 ? QStringLiteral("大于等于") : QStringLiteral("小于等于");
}

QString recordOf(int instrument, int comparator, const QString& price) {
    return QStringLiteral("%1,%2,%3").arg(instrument).arg(comparator).arg(price);
}

// The price as a single-precision value; nothing when it does not fit.
std::optional<float> singlePrice(const QString& text) {
    try {
        return platform::CSng(platform::Val(text));
    } catch (const platform::VbError&) {
        return std::nullopt;
    }
}

using AlertKey = std::tuple<int, int, float>;

std::optional<AlertKey> keyOfRecord(const QString& record) {
    const QStringList f = record.split(u',');
    if (f.size() != 3)
        return std::nullopt;
    const auto price = singlePrice(f[2]);
    if (!price)
        return std::nullopt;
    return AlertKey{static_cast<int>(platform::Val(f[0])), static_cast<int>(platform::Val(f[1])), *price};
}

} // namespace

QString normalisedPrice(const QString& text) {
    const auto price = singlePrice(text);
    return price ? platform::singleText(*price) : text;
}

QList<Row> rowsFromAlerts() {
    QList<Row> rows;
    const int last = std::min<int>({TxCount, static_cast<int>(TxProd.size()) - 1,
                                    static_cast<int>(TxCompare.size()) - 1, static_cast<int>(TxPrice.size()) - 1});
    for (int k = 1; k <= last; ++k) {
        const int prod = TxProd[k];
        if (prod == -1)
            continue;
        const QString name = prod >= 0 && prod < kMaxProducts ? ProdName[prod] : QString();
        const QString price = platform::singleText(TxPrice[k]);
        rows.append({QStringLiteral("当 %1 %2 %3 元时，提醒我.").arg(name, comparatorText(TxCompare[k]), price),
                     recordOf(prod, TxCompare[k], price), true});
    }
    return rows;
}

Addition addAlert(int instrument, const QString& instrumentName, int comparator, const QString& comparatorText,
                  const QString& priceText, int rowsNow) {
    Addition a;
    a.priceText = normalisedPrice(priceText);
    const auto price = singlePrice(priceText);
    if (!price || !(*price > 0) || !std::isfinite(*price)) {
        a.refusal = QStringLiteral("输入的价格不正确。");
        return a;
    }
    if (instrument < 0) {
        a.refusal = QStringLiteral("请先选择要提醒的品种。");
        return a;
    }
    if (rowsNow >= kMaxStoredAlerts) {
        a.refusal = QStringLiteral("最多只能设置%1个提醒项。").arg(kMaxStoredAlerts);
        return a;
    }
    a.row.line = QStringLiteral("当 %1 %2 %3 时，提醒我.").arg(instrumentName, comparatorText, a.priceText);
    a.row.record = recordOf(instrument, comparator, a.priceText);
    return a;
}

QStringList recordsToStore(const QList<Row>& rows) {
    // The running alerts still armed, counted by value: the arrays may have been compacted since
    // the editor opened, so positions say nothing.
    std::map<AlertKey, int> stillArmed;
    const int last = std::min<int>({TxCount, static_cast<int>(TxProd.size()) - 1,
                                    static_cast<int>(TxCompare.size()) - 1, static_cast<int>(TxPrice.size()) - 1});
    for (int k = 1; k <= last; ++k)
        if (TxProd[k] != -1)
            ++stillArmed[AlertKey{TxProd[k], TxCompare[k], TxPrice[k]}];
    QStringList records;
    for (const Row& row : rows) {
        if (row.armed) {
            const auto key = keyOfRecord(row.record);
            if (!key)
                continue;
            auto it = stillArmed.find(*key);
            if (it == stillArmed.end() || it->second == 0)
                continue;
            --it->second;
        }
        records << row.record;
    }
    return records;
}

void storeRecords(const QStringList& records) {
    const auto count = static_cast<int16_t>(std::min<qsizetype>(records.size(), kMaxStoredAlerts));
    TxProd = QList<int16_t>(count + 1, 0);
    TxCompare = QList<int16_t>(count + 1, 0);
    TxPrice = QList<float>(count + 1, 0.0f);
    for (int i = 1; i <= count; ++i) {
        const auto key = keyOfRecord(records[i - 1]);
        if (!key)
            continue;
        TxProd[i] = static_cast<int16_t>(std::clamp(std::get<0>(*key), -1, kMaxProducts - 1));
        TxCompare[i] = std::get<1>(*key) == 0 ? 0 : 1;
        TxPrice[i] = std::get<2>(*key);
    }
    TxCount = count;
}

} // namespace txform

namespace {
constexpr int kTwips = 15;
QRect twips(int left, int top, int width, int height) {
    return {left / kTwips, top / kTwips, width / kTwips, height / kTwips};
}
} // namespace

TXFORM::TXFORM() {
    setWindowTitle(QStringLiteral("预警提醒设置"));
    setFixedSize(5835 / kTwips, 2850 / kTwips);
    Combo1 = new QComboBox(this);
    Combo1->setGeometry(twips(0, 90, 1185, 300));
    auto* priceLabel = new QLabel(QStringLiteral("报价:"), this);
    priceLabel->setGeometry(twips(1215, 180, 450, 180));
    Combo2 = new QComboBox(this);
    Combo2->addItems({QStringLiteral("大于等于"), QStringLiteral("小于等于")});
    Combo2->setGeometry(twips(1710, 90, 1095, 300));
    Text1 = new QLineEdit(this);
    Text1->setGeometry(twips(2835, 90, 825, 285));
    Text1->installEventFilter(this);
    auto* whenLabel = new QLabel(QStringLiteral("时，提醒我。"), this);
    whenLabel->setGeometry(twips(3690, 180, 1080, 180));
    Command1 = new QPushButton(QStringLiteral("添加"), this);
    Command1->setGeometry(twips(4770, 45, 1005, 375));
    auto* listLabel = new QLabel(QStringLiteral("已设置提醒："), this);
    listLabel->setGeometry(twips(45, 450, 1080, 180));
    List1 = new QListWidget(this);
    List1->setGeometry(twips(0, 675, 5820, 1680));
    auto* note = new QLabel(QStringLiteral("关闭窗口后，提醒项将仍然运行。VIP用户在程序重启后能保存提醒项。"), this);
    note->setWordWrap(true);
    note->setGeometry(twips(45, 2430, 3000, 405));
    Command2 = new QPushButton(QStringLiteral("删除选中项"), this);
    Command2->setGeometry(twips(4500, 2430, 1230, 375));
    Command2->setEnabled(false);

    connect(Command1, &QPushButton::clicked, this, platform::guard("txform Command1 clicked", this, &TXFORM::Command1_Click));
    connect(Command2, &QPushButton::clicked, this, platform::guard("txform Command2 clicked", this, &TXFORM::Command2_Click));
    connect(List1, &QListWidget::itemClicked, this, platform::guard("txform List1 itemClicked", this, &TXFORM::List1_Click));
}

void TXFORM::formLoad() {
    for (int i = 0; i < std::min<int>(ProdCount, kMaxProducts); ++i)
        Combo1->addItem(ProdName[i]);
    Combo1->setCurrentIndex(Combo1->count() > 0 ? 0 : -1);
    Combo2->setCurrentIndex(0);
    platform::fitBoxToItems(*Combo1);
    List1->resize(width() - List1->x(), List1->height());
    m_rows = txform::rowsFromAlerts();
    for (const txform::Row& row : std::as_const(m_rows))
        List1->addItem(row.line);
}

void TXFORM::Command1_Click() {
    const txform::Addition a = txform::addAlert(Combo1->currentIndex(), Combo1->currentText(), Combo2->currentIndex(),
                                                Combo2->currentText(), Text1->text(), static_cast<int>(m_rows.size()));
    Text1->setText(a.priceText);
    if (!a.refusal.isEmpty()) {
        ShowMsg(a.refusal, QStringLiteral("提示"), this, {}, false, 3000);
        return;
    }
    m_rows.append(a.row);
    List1->addItem(a.row.line);
}

void TXFORM::Command2_Click() {
    const int i = List1->currentRow();
    if (i < 0 || i >= m_rows.size() || List1->selectedItems().isEmpty())
        return;
    m_rows.removeAt(i);
    delete List1->takeItem(i);
    List1->setCurrentRow(-1);
    List1->clearSelection();
}

void TXFORM::List1_Click() { Command2->setEnabled(List1->count() > 0 && !List1->selectedItems().isEmpty()); }

void TXFORM::SaveTxList() {
    txform::storeRecords(txform::recordsToStore(m_rows));
    SaveTx();
}

bool TXFORM::queryUnload() {
    SaveTxList();
    return true;
}

bool TXFORM::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::FocusOut)
        Text1->setText(txform::normalisedPrice(Text1->text()));
    return platform::Form::eventFilter(watched, event);
}

TXFORM& txForm() { return platform::form<TXFORM>(); }
