#include "widgets/pages/ppgcontrol.h"

#include "platform/msgbox.h"
#include "platform/vberror.h"
#include "widgets/imagelist/keyimagelist.h"
#include "widgets/imagelist/picture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kChanging = QStringLiteral("CHANGING");
constexpr const char* kTag = "tag";

struct DepthItem {
    const char* text;
    int value;
};
constexpr DepthItem kDepths[] = {
    {"(Default)", 0},
    {"16 colour (4 bit)", 4},
    {"256 colour (8 bit)", 8},
    {"65,000 colours (16 bit)", 16},
    {"True Colour (24 bit)", 24},
    {"Excessive (32 bit)", 32},
};

struct SizeButton {
    const char* caption;
    const char* toolTip;
    int size;
};
constexpr SizeButton kSizes[] = {
    {"&16 x 16", "16 x 16 Image List", 16}, {"&24 x 24", "24 x 24 Image List", 24},
    {"&32 x 32", "32 x 32 Image list", 32}, {"&48 x 48", "48 x 48 Image List", 48},
    {"&72 x 72", "72 x 72 Image List", 72},
};

const QString kDistort =
    QStringLiteral("Changing size of the image list will distort any images you have added.");

QString tagOf(const QObject* o) {
    return o->property(kTag).toString();
}

// A size box's number when it holds one the list can take.
bool boxSize(const QLineEdit* box, int& size) {
    bool ok = false;
    size = box->text().trimmed().toInt(&ok);
    return ok && KeyImageList::sizeAllowed(size);
}

} // namespace

ppgControl::ppgControl(QWidget* parent) : PropertyPage(QStringLiteral("Properties"), parent) {
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(400, 230);
    auto* banner = new QLabel(this);
    banner->setGeometry(0, 0, 400, 36);
    banner->setAutoFillBackground(true);
    banner->setStyleSheet(QStringLiteral("background:#203c78;"));
    lblInfo = new QLabel(QStringLiteral("ImageList"), banner);
    lblInfo->setGeometry(10, 2, 200, 32);
    lblInfo->setStyleSheet(QStringLiteral("color:white; font: bold 14pt 'Tahoma';"));

    auto* lblIconSize = new QLabel(QStringLiteral("Icon &Size:"), this);
    lblIconSize->setGeometry(12, 48, 120, 16);
    const char* axes[] = {"&X", "&Y"};
    for (int i = 0; i < 2; ++i) {
        auto* axis = new QLabel(QString::fromLatin1(axes[i]), this);
        axis->setGeometry(24 + i * 90, 70, 16, 20);
        auto* box = new QLineEdit(this);
        box->setGeometry(42 + i * 90, 70, 50, 20);
        axis->setBuddy(box);
        acceptDigitsOnly(box);
        txtIconSize[static_cast<size_t>(i)] = box;
        connect(box, &QLineEdit::textChanged, this, [this, i] { txtIconSize_Change(i); });
    }
    lblIconSize->setBuddy(txtIconSize[0]);
    for (int i = 0; i < 5; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(kSizes[i].caption), this);
        button->setGeometry(12 + i * 76, 100, 72, 24);
        button->setToolTip(QString::fromLatin1(kSizes[i].toolTip));
        button->setProperty(kTag, QString::number(kSizes[i].size));
        cmdSize[static_cast<size_t>(i)] = button;
        connect(button, &QPushButton::clicked, this, [this, i] { cmdSize_Click(i); });
    }
    auto* lblColourDepth = new QLabel(QStringLiteral("&Colour Depth:"), this);
    lblColourDepth->setGeometry(12, 138, 120, 16);
    cboColourDepth = new QComboBox(this);
    cboColourDepth->setGeometry(12, 158, 200, 22);
    lblColourDepth->setBuddy(cboColourDepth);
    connect(cboColourDepth, &QComboBox::activated, this, &ppgControl::cboColourDepth_Click);
    lblVersion = new QLabel(this);
    lblVersion->setGeometry(12, 200, 380, 16);
    for (int i = 0; i < 2; ++i)
        txtIconSize[static_cast<size_t>(i)]->setObjectName(QStringLiteral("txtIconSize%1").arg(i));
    for (int i = 0; i < 5; ++i)
        cmdSize[static_cast<size_t>(i)]->setObjectName(QStringLiteral("cmdSize%1").arg(i));
    cboColourDepth->setObjectName(QStringLiteral("cboColourDepth"));
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
}

KeyImageList* ppgControl::control() const {
    return firstSelected<KeyImageList>();
}

void ppgControl::PropertyPage_Start() {
    const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    lblVersion->setText(exe + QStringLiteral(".OCX     Version: ") +
                        QString::number(BRELTO_VERSION_MAJOR) + u'.' +
                        QString::number(BRELTO_VERSION_MINOR) + QStringLiteral(" (Revision: ") +
                        QString::number(BRELTO_VERSION_PATCH) + u')');
    cboColourDepth->clear();
    for (const DepthItem& item : kDepths)
        cboColourDepth->addItem(QString::fromLatin1(item.text), item.value);
}

void ppgControl::setBoxesQuietly(int x, int y) {
    for (QLineEdit* box : txtIconSize)
        box->setProperty(kTag, kChanging);
    txtIconSize[0]->setText(QString::number(x));
    txtIconSize[1]->setText(QString::number(y));
    for (QLineEdit* box : txtIconSize)
        box->setProperty(kTag, QString());
}

void ppgControl::SelectionChanged() {
    KeyImageList* list = control();
    if (list == nullptr) return;
    setBoxesQuietly(list->IconSizeX(), list->IconSizeY());
    cboColourDepth->setProperty(kTag, kChanging);
    const int position = cboColourDepth->findData(list->ColourDepth());
    cboColourDepth->setCurrentIndex(position);
    if (position >= 0) m_depthPosition = position;
    cboColourDepth->setProperty(kTag, QString());
}

void ppgControl::txtIconSize_Change(int index) {
    if (tagOf(txtIconSize[static_cast<size_t>(index)]).isEmpty()) setChanged(true);
}

void ppgControl::cmdSize_Click(int index) {
    KeyImageList* list = control();
    if (list == nullptr || index < 0 || index >= 5) return;
    const int size = tagOf(cmdSize[static_cast<size_t>(index)]).toInt();
    if (list->ImageCount() > 0 && (list->IconSizeX() != size || list->IconSizeY() != size)) {
        const QString question = kDistort + QStringLiteral("\n\nAre you sure you want to do this?");
        if (platform::messageBox(question, {}, platform::BoxButtons::YesNo,
                                 platform::BoxIcon::Question, this) != platform::BoxAnswer::Yes)
            return;
    }
    for (QLineEdit* box : txtIconSize)
        box->setText(QString::number(size));
}

void ppgControl::cboColourDepth_Click(int position) {
    KeyImageList* list = control();
    if (position < m_depthPosition && list != nullptr && list->ImageCount() > 0) {
        const QString question = QStringLiteral(
            "Warning - decreasing the colour depth may affect images already stored in the "
            "control.  Are you sure you want to do this?");
        if (platform::messageBox(question, {}, platform::BoxButtons::YesNo,
                                 platform::BoxIcon::Question, this) != platform::BoxAnswer::Yes) {
            cboColourDepth->setProperty(kTag, kChanging);
            cboColourDepth->setCurrentIndex(m_depthPosition);
            cboColourDepth->setProperty(kTag, QString());
            return;
        }
    }
    if (tagOf(cboColourDepth).isEmpty()) setChanged(true);
    m_depthPosition = position;
}

void ppgControl::ApplyChanges() {
    KeyImageList* list = control();
    if (list == nullptr) return;
    int x = 0;
    int y = 0;
    // A size the list cannot hold is refused here, before anything is saved or cleared.
    if (!boxSize(txtIconSize[0], x) || !boxSize(txtIconSize[1], y)) {
        platform::messageBox(QStringLiteral("Please enter a valid icon size."), {},
                             platform::BoxButtons::Ok, platform::BoxIcon::Information, this);
        return;
    }
    // Either side changing is a change of size: the list is rebuilt at the new one.
    const bool sizeChanged = x != list->IconSizeX() || y != list->IconSizeY();
    const bool keepImages = sizeChanged && list->ImageCount() > 0;
    if (keepImages && platform::messageBox(kDistort + QStringLiteral("\n\nAre you sure?"), {},
                                           platform::BoxButtons::YesNo, platform::BoxIcon::Question,
                                           this) != platform::BoxAnswer::Yes) {
        setBoxesQuietly(list->IconSizeX(), list->IconSizeY());
        return;
    }
    QString file;
    try {
        if (keepImages) {
            file = TempFileName(QStringLiteral("ILS"));
            list->SaveToFile(file);
        }
        list->setIconSizeX(x);
        list->setIconSizeY(y);
        const int depthPosition = std::max(0, cboColourDepth->currentIndex());
        list->setColourDepth(cboColourDepth->itemData(depthPosition).toInt());
        if (sizeChanged) {
            list->Clear();
            if (keepImages) list->LoadFromFile(file);
        }
    } catch (const platform::VbError& e) {
        platform::messageBox(e.description, {}, platform::BoxButtons::Ok,
                             platform::BoxIcon::Exclamation, this);
    }
    if (!file.isEmpty()) QFile::remove(file);
}
