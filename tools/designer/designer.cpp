#include "tools/designer/designer.h"

#include "platform/msgbox.h"
#include "platform/propertybag.h"
#include "platform/vberror.h"
#include "widgets/imagelist/keyimagelist.h"
#include "widgets/pages/ppgcontrol.h"
#include "widgets/pages/ppgflattoolbar.h"
#include "widgets/pages/ppgimages.h"
#include "widgets/pages/propertypage.h"
#include "widgets/toolbar/flattoolbar.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMetaProperty>
#include <QSaveFile>
#include <QScrollBar>
#include <QTabWidget>

namespace designer {

Session::Session(Kind kind, QString file) : m_kind(kind), m_file(std::move(file)) {
    m_form = std::make_unique<QWidget>();
    m_form->setWindowTitle(QFileInfo(m_file).fileName());
    if (m_kind == Kind::ImageList) {
        m_list = new KeyImageList(m_form.get());
        m_dialog = std::make_unique<PropertyDialog>(QStringLiteral("KeyImageList 属性"));
        m_dialog->addPage(new ppgControl);
        m_dialog->addPage(new ppgImages);
    } else {
        m_toolbar = new FlatToolbar(m_form.get());
        m_toolbar->InitProperties();
        m_dialog = std::make_unique<PropertyDialog>(QStringLiteral("FlatToolbar 属性"));
        m_dialog->addPage(new ppgFlatToolbar);
    }
    QObject::connect(m_dialog.get(), &PropertyDialog::applied, m_dialog.get(), [this] {
        m_saveError.clear();
        if (!save(&m_saveError))
            platform::messageBox(m_saveError, {}, platform::BoxButtons::Ok,
                                 platform::BoxIcon::Critical, m_dialog.get());
    });
}

Session::~Session() = default;

QWidget* Session::control() const {
    return m_list != nullptr ? static_cast<QWidget*>(m_list) : m_toolbar;
}

bool Session::open(QString* error, bool fresh) {
    QFile file(m_file);
    bool ok = true;
    if (!fresh && file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            if (error) *error = QStringLiteral("cannot read ") + m_file;
            return false;
        }
        const QByteArray bytes = file.readAll();
        // A control left at all its defaults saves an empty bag, which is still its file.
        const std::optional<platform::PropertyBag> parsed = platform::PropertyBag::parseBytes(bytes);
        if (!parsed && !bytes.isEmpty()) {
            if (error) *error = m_file + QStringLiteral(": not a control's saved properties");
            ok = false;
        }
        const platform::PropertyBag bag = parsed.value_or(platform::PropertyBag());
        try {
            if (m_list != nullptr)
                m_list->readProperties(bag);
            else
                m_toolbar->readProperties(bag);
        } catch (const platform::VbError& e) {
            if (error) *error = m_file + QStringLiteral(": ") + e.description;
            ok = false;
        }
    }
    m_dialog->setSelectedControls({control()});
    return ok;
}

bool Session::save(QString* error) {
    platform::PropertyBag bag;
    if (m_list != nullptr)
        m_list->writeProperties(bag);
    else
        m_toolbar->writeProperties(bag);
    const QByteArray bytes = bag.toBytes();
    // Some edits raise no changed flag (removing an image, deleting the last button), so what
    // decides is whether the data differs from the file.
    QFile current(m_file);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == bytes) return true;
    current.close();
    QSaveFile out(m_file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        if (error) *error = QStringLiteral("cannot write ") + m_file;
        return false;
    }
    m_saved = true;
    return true;
}

QString Session::setProperty(const QString& name, const QString& value) {
    QWidget* target = control();
    const QMetaObject* meta = target->metaObject();
    const int at = meta->indexOfProperty(name.toLatin1().constData());
    // Only the control's own: the widget's geometry and the like are no saved properties.
    if (at < meta->propertyOffset()) return QStringLiteral("no such property of the control");
    const QMetaProperty property = meta->property(at);
    QVariant v;
    if (property.metaType().id() == QMetaType::Bool) {
        const QString word = value.toLower();
        if (word == QLatin1String("true") || word == QLatin1String("1"))
            v = true;
        else if (word == QLatin1String("false") || word == QLatin1String("0"))
            v = false;
    } else {
        bool ok = false;
        const qlonglong number = value.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)
                                     ? value.mid(2).toLongLong(&ok, 16)
                                     : value.toLongLong(&ok);
        if (ok) v = number;
    }
    if (!v.isValid() || !v.convert(property.metaType()) || !property.write(target, v))
        return QStringLiteral("not a value of that property");
    return {};
}

namespace {

// A value in double quotes is what stands between them.
QString unquoted(const QString& value) {
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
        return value.mid(1, value.size() - 2);
    return value;
}

// The answers a script gives in advance, taken in order by the boxes and dialogs.
struct Answers {
    std::deque<platform::BoxAnswer> questions;
    std::deque<QString> files;
    std::deque<int64_t> colours;
    std::deque<QFont> fonts;
};

QWidget* findControl(PropertyDialog& dialog, const QString& name) {
    auto* page = dialog.tabs()->currentWidget();
    return page != nullptr ? page->findChild<QWidget*>(name) : nullptr;
}

QString setControl(QWidget* control, const QString& value) {
    if (auto* box = qobject_cast<QLineEdit*>(control)) {
        box->setText(unquoted(value));
        return {};
    }
    bool ok = false;
    const int number = value.toInt(&ok);
    if (auto* list = qobject_cast<QComboBox*>(control)) {
        if (!ok || number < 0 || number >= list->count()) return QStringLiteral("no such position");
        list->setCurrentIndex(number);
        emit list->activated(number);
        return {};
    }
    if (auto* bar = qobject_cast<QScrollBar*>(control)) {
        if (!ok) return QStringLiteral("not a number");
        bar->setValue(number);
        return {};
    }
    if (auto* check = qobject_cast<QAbstractButton*>(control); check && check->isCheckable()) {
        if (!ok) return QStringLiteral("not 0 or 1");
        if (check->isChecked() != (number != 0)) check->click();
        return {};
    }
    return QStringLiteral("cannot be set");
}

} // namespace

QString runScript(Session& session, const QStringList& lines, const QString& base,
                  QStringList* notices) {
    Answers answers;
    PropertyDialog& dialog = session.dialog();
    const QDir folder(base);
    const auto resolve = [&](const QString& path) {
        return QDir::isAbsolutePath(path) ? path : folder.absoluteFilePath(path);
    };

    platform::setMessageBoxHandler(
        [&](const QString& text, const QString&, platform::BoxButtons buttons, platform::BoxIcon) {
            if (notices) notices->append(text);
            if (buttons == platform::BoxButtons::Ok) return platform::BoxAnswer::Ok;
            if (answers.questions.empty()) return platform::BoxAnswer::No;
            const platform::BoxAnswer a = answers.questions.front();
            answers.questions.pop_front();
            return a;
        });
    const PageDialogs real = pageDialogs();
    pageDialogs().open = [&](QWidget*, const QString&, int, const QString&, const QString&, bool) {
        if (answers.files.empty()) return QString();
        const QString f = answers.files.front();
        answers.files.pop_front();
        return f;
    };
    pageDialogs().colour = [&](QWidget*, int64_t, std::vector<uint32_t>&) -> int64_t {
        if (answers.colours.empty()) return -1;
        const int64_t c = answers.colours.front();
        answers.colours.pop_front();
        return c;
    };
    // What a dialog answered from the script could not have taken; it fails the step.
    QString refused;
    pageDialogs().font = [&](QWidget*, QFont& font, int minPoints, int maxPoints) {
        if (answers.fonts.empty()) return false;
        const QFont chosen = answers.fonts.front();
        answers.fonts.pop_front();
        if (chosen.pointSizeF() < minPoints || chosen.pointSizeF() > maxPoints) {
            refused = QStringLiteral("the font dialog takes sizes %1 to %2 only")
                          .arg(minPoints)
                          .arg(maxPoints);
            return false;
        }
        font = chosen;
        return true;
    };

    QString failure;
    for (int n = 0; n < lines.size() && failure.isEmpty(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        const qsizetype space = line.indexOf(u' ');
        const QString command = space < 0 ? line : line.left(space);
        const QString rest = space < 0 ? QString() : line.mid(space + 1).trimmed();
        const auto fail = [&](const QString& why) {
            failure = QStringLiteral("line %1: %2: %3").arg(n + 1).arg(line, why);
        };
        if (command == QLatin1String("page")) {
            bool found = false;
            for (int i = 0; i < dialog.tabs()->count(); ++i) {
                if (dialog.tabs()->tabText(i) == rest) {
                    dialog.tabs()->setCurrentIndex(i);
                    found = true;
                }
            }
            if (!found) fail(QStringLiteral("no such page"));
        } else if (command == QLatin1String("answer")) {
            if (rest != QLatin1String("yes") && rest != QLatin1String("no"))
                fail(QStringLiteral("yes or no"));
            answers.questions.push_back(rest == QLatin1String("yes") ? platform::BoxAnswer::Yes
                                                                     : platform::BoxAnswer::No);
        } else if (command == QLatin1String("open")) {
            if (rest == QLatin1String("cancel")) {
                answers.files.push_back(QString());
                continue;
            }
            const QStringList parts = rest.split(u'|');
            QString answer = resolve(parts.first());
            for (qsizetype i = 1; i < parts.size(); ++i)
                answer += QChar(u'\0') + parts[i];
            answers.files.push_back(answer);
        } else if (command == QLatin1String("colour")) {
            bool ok = true;
            answers.colours.push_back(rest == QLatin1String("cancel") ? -1
                                                                      : rest.toLongLong(&ok, 16));
            if (!ok) fail(QStringLiteral("a colour is six hex digits"));
        } else if (command == QLatin1String("font")) {
            const QStringList parts = rest.split(u';');
            QFont font(parts.first());
            font.setPointSizeF(parts.value(1).toDouble() > 0 ? parts.value(1).toDouble() : 9);
            answers.fonts.push_back(font);
        } else if (command == QLatin1String("set") || command == QLatin1String("click")) {
            const qsizetype gap = rest.indexOf(u' ');
            const QString name = gap < 0 ? rest : rest.left(gap);
            QWidget* control = findControl(dialog, name);
            if (control == nullptr) {
                fail(QStringLiteral("no such control on this page"));
            } else if (command == QLatin1String("click")) {
                auto* button = qobject_cast<QAbstractButton*>(control);
                if (button == nullptr || !button->isEnabled())
                    fail(QStringLiteral("not a button that can be clicked"));
                else
                    button->click();
            } else {
                const QString why = setControl(control, gap < 0 ? QString() : rest.mid(gap + 1));
                if (!why.isEmpty()) fail(why);
            }
        } else if (command == QLatin1String("property")) {
            const qsizetype gap = rest.indexOf(u' ');
            const QString why =
                gap < 0
                    ? QStringLiteral("a property needs a value")
                    : session.setProperty(rest.left(gap), unquoted(rest.mid(gap + 1).trimmed()));
            if (!why.isEmpty()) fail(why);
        } else if (command == QLatin1String("apply")) {
            dialog.applyPages();
            if (!session.saveError().isEmpty()) fail(session.saveError());
        } else if (command == QLatin1String("ok")) {
            dialog.accept();
            if (!session.saveError().isEmpty()) fail(session.saveError());
            break;
        } else if (command == QLatin1String("cancel")) {
            dialog.reject();
            break;
        } else {
            fail(QStringLiteral("unknown step"));
        }
        if (failure.isEmpty() && !refused.isEmpty()) fail(refused);
    }
    pageDialogs() = real;
    platform::setMessageBoxHandler(nullptr);
    return failure;
}

} // namespace designer
