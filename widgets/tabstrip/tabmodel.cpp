#include "widgets/tabstrip/tabmodel.h"

#include "platform/vberror.h"
#include "platform/vbtext.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cmath>
#include <limits>

namespace tabstrip {

QString errorSource() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QStringLiteral(".DockTabControl");
}

void raiseError(int number) {
    QString description;
    switch (number) {
    case kErrSubscript:
        description = QStringLiteral("下标越界");
        break;
    case kErrTypeMismatch:
        description = QStringLiteral("类型不匹配");
        break;
    case kErrObjectNotSet:
        description = QStringLiteral("对象变量或 With 块变量未设置");
        break;
    case kErrDuplicateKey:
        description = QStringLiteral("此键已与该集合的一个元素相关联");
        break;
    default:
        description = QStringLiteral("应用程序定义的错误或对象定义的错误");
        break;
    }
    throw platform::VbError(number, description, errorSource());
}

namespace {

bool isNumberType(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

// A numeric key as a whole position, rounded as a whole-number conversion rounds (halves to
// even); 0 when it is no usable number.
long long positionOf(const QVariant& key) {
    double value = 0;
    try {
        value = isNumberType(key) ? key.toDouble() : platform::Val(key.toString());
    } catch (const platform::VbError&) {
        return 0;
    }
    if (!std::isfinite(value) || std::fabs(value) > 1e15)
        return 0;
    return static_cast<long long>(platform::Round(value));
}

} // namespace

bool isNumericKey(const QVariant& key) {
    if (isNumberType(key))
        return true;
    if (key.typeId() == QMetaType::QString)
        return platform::IsNumeric(key.toString());
    return false;
}

int TabModel::selectedId() const { return m_selected >= 1 && m_selected <= count() ? at(m_selected).Id : 0; }

int TabModel::findById(int id) const {
    for (int i = 1; i <= count(); ++i)
        if (at(i).Id == id)
            return i;
    return 0;
}

int TabModel::findKey(const QVariant& key) const noexcept {
    if (!key.isValid())
        return 0;
    if (isNumericKey(key)) {
        const long long pos = positionOf(key);
        return pos >= 1 && pos <= count() ? static_cast<int>(pos) : 0;
    }
    const QString text = key.toString();
    for (int i = 1; i <= count(); ++i)
        if (at(i).Key == text)
            return i;
    return 0;
}

int TabModel::indexFromKey(const QVariant& key) const {
    const int pos = findKey(key);
    if (pos == 0)
        raiseError(kErrSubscript);
    return pos;
}

int TabModel::add(const QVariant& key, const QVariant& keyBefore, const QString& caption, int iconIndex) {
    const bool keyGiven = key.isValid() && !key.toString().isEmpty();
    if (keyGiven) {
        if (isNumericKey(key))
            raiseError(kErrTypeMismatch);
        const QString text = key.toString();
        for (const TabRecord& t : m_tabs)
            if (t.Key == text)
                raiseError(kErrDuplicateKey);
    }
    int pos = count() + 1;
    if (keyBefore.isValid())
        pos = indexFromKey(keyBefore);
    if (m_lastId == std::numeric_limits<int>::max())
        raiseError(kErrSubscript);

    TabRecord record;
    record.Id = ++m_lastId;
    record.Key = keyGiven ? key.toString() : QStringLiteral("I%1").arg(record.Id);
    record.Caption = caption;
    record.IconIndex = iconIndex;
    m_tabs.insert(m_tabs.begin() + (pos - 1), std::move(record));

    if (count() == 1)
        m_selected = 1;
    else if (m_selected >= pos)
        ++m_selected; // the selection stays on its tab, which moved up one
    return pos;
}

TabRecord TabModel::removeAt(int pos) {
    if (pos < 1 || pos > count())
        raiseError(kErrSubscript);
    TabRecord removed = std::move(m_tabs[static_cast<size_t>(pos - 1)]);
    m_tabs.erase(m_tabs.begin() + (pos - 1));
    if (m_tabs.empty())
        m_selected = 0;
    else if (pos < m_selected)
        --m_selected; // the selected tab moved down one
    else if (pos == m_selected && m_selected > count())
        m_selected = count();
    return removed;
}

bool TabModel::select(int pos) {
    if (pos < 1 || pos > count() || pos == m_selected)
        return false;
    m_selected = pos;
    return true;
}

void TabModel::move(int pos, int newPos) {
    if (pos < 1 || pos > count() || newPos < 1 || newPos > count())
        raiseError(kErrSubscript);
    if (pos == newPos)
        return;
    const int selectedId = this->selectedId();
    TabRecord record = std::move(m_tabs[static_cast<size_t>(pos - 1)]);
    m_tabs.erase(m_tabs.begin() + (pos - 1));
    m_tabs.insert(m_tabs.begin() + (newPos - 1), std::move(record));
    if (selectedId != 0)
        m_selected = findById(selectedId);
}

} // namespace tabstrip
