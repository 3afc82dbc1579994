#include "widgets/pages/ppgflattoolbar.h"

#include "platform/msgbox.h"
#include "platform/vberror.h"
#include "widgets/imagelist/picture.h"
#include "widgets/toolbar/flattoolbar.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace {

constexpr const char* kTag = "tag";
const QString kE = QStringLiteral("E");
const QString kTitle = QStringLiteral("提示");

// The icon sizes offered, each with the size it gives the button.
struct IconSizeItem {
    const char* text;
    int value;
};
constexpr IconSizeItem kIconSizes[] = {{"16", 16}, {"24", 24}, {"32", 32},
                                       {"48", 48}, {"64", 64}, {"128", 128}};

void tagE(QWidget* w) {
    w->setProperty(kTag, kE);
}

QComboBox* combo(QWidget* parent, QRect at, const QStringList& items) {
    auto* box = new QComboBox(parent);
    box->setGeometry(at);
    box->addItems(items);
    return box;
}

// The picture as it looks drawn on the mask colour: where it is transparent the mask colour
// shows, which the toolbar leaves out again. Pixels the picture only partly covers keep their
// translucency, so that its soft edges blend with the toolbar as drawn, not with the mask colour.
QImage composedOnMask(const QImage& picture, uint32_t maskColour) {
    QImage composed = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = platform::toQRgb(maskColour & 0xFFFFFF) | 0xFF000000u;
    for (int y = 0; y < composed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(composed.scanLine(y));
        for (int x = 0; x < composed.width(); ++x)
            if (qAlpha(line[x]) == 0) line[x] = mask;
    }
    return composed;
}

void message(QWidget* owner, const QString& text, platform::BoxIcon icon) {
    platform::messageBox(text, kTitle, platform::BoxButtons::Ok, icon, owner);
}

} // namespace

ppgFlatToolbar::ppgFlatToolbar(QWidget* parent)
    : PropertyPage(QStringLiteral("工具栏按钮"), parent) {
    setFixedSize(460, 400);
    // The colour dialog's table exists before the page can open the dialog.
    m_dialogs.InitCmnDlg(this);

    auto* Frame3 = new QGroupBox(QStringLiteral("新建按钮:"), this);
    Frame3->setGeometry(8, 4, 444, 60);
    lblHdr[0] = new QLabel(QStringLiteral("索引(&I):"), Frame3);
    lblHdr[0]->setGeometry(10, 24, 56, 22);
    txtField[0] = new QLineEdit(Frame3);
    txtField[0]->setReadOnly(true);
    txtField[0]->setGeometry(66, 24, 40, 22);
    tagE(txtField[0]);
    hsbIDX = new QScrollBar(Qt::Horizontal, Frame3);
    hsbIDX->setGeometry(108, 24, 40, 22);
    hsbIDX->setRange(1, 1);
    hsbIDX->setValue(1);
    tagE(hsbIDX);
    lblHdr[0]->setBuddy(hsbIDX);
    btnAction[0] = new QPushButton(QStringLiteral("插入按钮(&N)"), Frame3);
    btnAction[0]->setGeometry(160, 22, 110, 26);
    btnAction[0]->setToolTip(QStringLiteral("添加按钮"));
    const char* tips[] = {"删除按钮", "向左移", "向右移"};
    for (int i = 1; i <= 3; ++i) {
        btnAction[static_cast<size_t>(i)] = new QPushButton(Frame3);
        if (i == 1)
            btnAction[1]->setText(QStringLiteral("×"));
        else
            btnAction[static_cast<size_t>(i)]->setIcon(arrowIcon(i == 2));
        btnAction[static_cast<size_t>(i)]->setGeometry(284 + (i - 1) * 34, 22, 30, 26);
        btnAction[static_cast<size_t>(i)]->setToolTip(QString::fromUtf8(tips[i - 1]));
        tagE(btnAction[static_cast<size_t>(i)]);
    }
    for (int i = 0; i < 4; ++i)
        connect(btnAction[static_cast<size_t>(i)], &QPushButton::clicked, this,
                [this, i] { btnAction_Click(i); });
    connect(hsbIDX, &QScrollBar::valueChanged, this, &ppgFlatToolbar::hsbIDX_Change);

    auto* Frame1 = new QGroupBox(QStringLiteral("属性:"), this);
    Frame1->setGeometry(8, 70, 444, 322);
    const char* headers[] = {nullptr,     "类型(&S):", "关键字(&K):", "标题(&C):", "提示文本:",
                             "图标尺寸:", "对齐:",     "外观:",       "颜色:",     "字体:"};
    for (int i = 1; i <= 9; ++i)
        lblHdr[static_cast<size_t>(i)] = new QLabel(QString::fromUtf8(headers[i]), Frame1);
    const auto row = [](int n) { return 22 + n * 28; };
    lblHdr[1]->setGeometry(10, row(0), 70, 22);
    cboType =
        combo(Frame1, {84, row(0), 120, 22}, {QStringLiteral("按钮"), QStringLiteral("分隔条")});
    tagE(cboType);
    lblHdr[1]->setBuddy(cboType);
    for (int i = 1; i <= 3; ++i) {
        lblHdr[static_cast<size_t>(i + 1)]->setGeometry(10, row(i), 70, 22);
        txtField[static_cast<size_t>(i)] = new QLineEdit(Frame1);
        txtField[static_cast<size_t>(i)]->setGeometry(84, row(i), 200, 22);
        tagE(txtField[static_cast<size_t>(i)]);
        lblHdr[static_cast<size_t>(i + 1)]->setBuddy(txtField[static_cast<size_t>(i)]);
        connect(txtField[static_cast<size_t>(i)], &QLineEdit::textChanged, this,
                [this] { setChanged(true); });
    }
    lblHdr[5]->setGeometry(10, row(4), 70, 22);
    CboIconSize = new QComboBox(Frame1);
    CboIconSize->setGeometry(84, row(4), 70, 22);
    for (const IconSizeItem& item : kIconSizes)
        CboIconSize->addItem(QString::fromLatin1(item.text), item.value);
    tagE(CboIconSize);
    lblHdr[6]->setGeometry(10, row(5), 70, 22);
    CboBtnAlign = combo(Frame1, {84, row(5), 200, 22},
                        {QStringLiteral("图标居左文字居右"), QStringLiteral("图标居右文字居左"),
                         QStringLiteral("图标居上文字居下"), QStringLiteral("图标居下文字居上")});
    CboBtnAlign->setToolTip(QStringLiteral("按钮和图标对齐"));
    tagE(CboBtnAlign);
    lblHdr[7]->setGeometry(10, row(6), 70, 22);
    CboState = combo(Frame1, {84, row(6), 120, 22},
                     {QStringLiteral("正常"), QStringLiteral("落下"), QStringLiteral("挤压"),
                      QStringLiteral("下压"), QStringLiteral("选中"), QStringLiteral("禁止")});
    CboState->setToolTip(QStringLiteral("按钮外观"));
    tagE(CboState);
    lblHdr[9]->setGeometry(10, row(7), 70, 22);
    txtField[4] = new QLineEdit(Frame1);
    txtField[4]->setReadOnly(true);
    txtField[4]->setGeometry(84, row(7), 170, 22);
    acceptDigitsOnly(txtField[4]);
    tagE(txtField[4]);
    cmdBrowseFont = new QPushButton(QStringLiteral("..."), Frame1);
    cmdBrowseFont->setGeometry(256, row(7), 28, 22);
    tagE(cmdBrowseFont);

    Frame4 = new QGroupBox(QStringLiteral("样式:"), Frame1);
    Frame4->setGeometry(10, row(8), 274, 50);
    cboStyle =
        combo(Frame4, {10, 20, 120, 22},
              {QStringLiteral("正常按钮"), QStringLiteral("复选按钮"), QStringLiteral("下拉按钮")});
    tagE(cboStyle);
    chkCheck = new QCheckBox(QStringLiteral("选中"), Frame4);
    chkCheck->setGeometry(150, 20, 80, 22);

    Frame5 = new QGroupBox(Frame1);
    Frame5->setGeometry(296, 16, 138, 80);
    tagE(Frame5);
    chkUseMask = new QCheckBox(QStringLiteral("掩模色(&U)"), Frame5);
    chkUseMask->setGeometry(8, 10, 120, 22);
    tagE(chkUseMask);
    lblHdr[8]->setParent(Frame5);
    lblHdr[8]->setGeometry(8, 44, 36, 22);
    tagE(lblHdr[8]);
    shpCol = new QLabel(Frame5);
    shpCol->setGeometry(46, 44, 50, 22);
    shpCol->setFrameShape(QFrame::Box);
    shpCol->setAutoFillBackground(true);
    cmdBrowse = new QPushButton(QStringLiteral("..."), Frame5);
    cmdBrowse->setGeometry(100, 44, 28, 22);
    tagE(cmdBrowse);

    Frame2 = new QGroupBox(QStringLiteral("图片(&P):"), Frame1);
    Frame2->setGeometry(296, 104, 138, 130);
    tagE(Frame2);
    picImg = new QLabel(Frame2);
    picImg->setGeometry(8, 24, 72, 72);
    picImg->setAlignment(Qt::AlignCenter);
    picImg->setAutoFillBackground(true);
    btnBrowse = new QPushButton(QStringLiteral("..."), Frame2);
    btnBrowse->setGeometry(92, 30, 36, 26);
    btnBrowse->setToolTip(QStringLiteral("浏览图片"));
    tagE(btnBrowse);
    btnClear = new QPushButton(QStringLiteral("×"), Frame2);
    btnClear->setGeometry(92, 64, 36, 26);
    btnClear->setToolTip(QStringLiteral("清除图片"));
    tagE(btnClear);

    connect(cboType, &QComboBox::activated, this, &ppgFlatToolbar::cboType_Click);
    connect(cboStyle, &QComboBox::activated, this, &ppgFlatToolbar::cboStyle_Click);
    for (QComboBox* box : {CboIconSize, CboBtnAlign, CboState})
        connect(box, &QComboBox::activated, this, [this] { setChanged(true); });
    for (QCheckBox* box : {chkCheck, chkUseMask})
        connect(box, &QCheckBox::clicked, this, [this] { setChanged(true); });
    connect(cmdBrowse, &QPushButton::clicked, this, &ppgFlatToolbar::cmdBrowse_Click);
    connect(cmdBrowseFont, &QPushButton::clicked, this, &ppgFlatToolbar::cmdBrowseFont_Click);
    connect(btnBrowse, &QPushButton::clicked, this, &ppgFlatToolbar::btnBrowse_Click);
    connect(btnClear, &QPushButton::clicked, this, &ppgFlatToolbar::btnClear_Click);
    setMaskColour(0xFF00FF);
    for (int i = 0; i < 5; ++i) {
        txtField[static_cast<size_t>(i)]->setObjectName(QStringLiteral("txtField%1").arg(i));
        selectAllOnFocus(txtField[static_cast<size_t>(i)]);
    }
    for (int i = 0; i < 4; ++i)
        btnAction[static_cast<size_t>(i)]->setObjectName(QStringLiteral("btnAction%1").arg(i));
    const std::pair<QWidget*, const char*> names[] = {
        {hsbIDX, "hsbIDX"},           {cboType, "cboType"},
        {CboIconSize, "CboIconSize"}, {CboBtnAlign, "CboBtnAlign"},
        {CboState, "CboState"},       {cboStyle, "cboStyle"},
        {chkCheck, "chkCheck"},       {chkUseMask, "chkUseMask"},
        {cmdBrowse, "cmdBrowse"},     {cmdBrowseFont, "cmdBrowseFont"},
        {btnBrowse, "btnBrowse"},     {btnClear, "btnClear"},
    };
    for (const auto& [widget, name] : names)
        widget->setObjectName(QLatin1String(name));
}

void ppgFlatToolbar::setTaggedEnabled(const QString& tag, bool enabled) {
    for (QWidget* w : findChildren<QWidget*>())
        if (w->property(kTag).toString() == tag) w->setEnabled(enabled);
}

void ppgFlatToolbar::clearButtonFields() {
    for (int i = 1; i <= 3; ++i)
        txtField[static_cast<size_t>(i)]->clear();
    for (QComboBox* box : {CboIconSize, CboBtnAlign, CboState, cboStyle})
        box->setCurrentIndex(-1);
    m_picture = QImage();
    showPicture();
    chkCheck->setChecked(false);
}

void ppgFlatToolbar::enableButtonFields(bool enabled) {
    for (int i = 3; i <= 9; ++i)
        lblHdr[static_cast<size_t>(i)]->setEnabled(enabled);
    for (int i = 1; i <= 4; ++i)
        txtField[static_cast<size_t>(i)]->setEnabled(enabled);
    for (QWidget* w : std::initializer_list<QWidget*>{CboIconSize, CboBtnAlign, CboState, cboStyle,
                                                      chkCheck, Frame4, Frame5, Frame2, chkUseMask,
                                                      btnBrowse, btnClear, cmdBrowse})
        w->setEnabled(enabled);
}

void ppgFlatToolbar::setMaskColour(uint32_t colour) {
    m_maskColour = colour;
    for (QLabel* label : {shpCol, picImg}) {
        QPalette p = label->palette();
        p.setColor(QPalette::Window, platform::toQColor(colour & 0xFFFFFF));
        label->setPalette(p);
    }
}

void ppgFlatToolbar::showPicture() {
    if (m_picture.isNull())
        picImg->clear();
    else
        picImg->setPixmap(QPixmap::fromImage(m_picture));
}

void ppgFlatToolbar::setIndexQuietly(int n) {
    const QSignalBlocker quiet(hsbIDX);
    hsbIDX->setValue(n);
}

void ppgFlatToolbar::showIndex(int n) {
    setIndexQuietly(n);
    hsbIDX_Change();
}

void ppgFlatToolbar::SelectionChanged() {
    auto* toolbar = firstSelected<FlatToolbar>();
    if (toolbar == nullptr) return;
    if (mToolbar && mToolbar->hwnd() == toolbar->hwnd()) return;
    mToolbar = toolbar;
    if (mToolbar->ButtonCount() != 0) {
        {
            const QSignalBlocker quiet(hsbIDX);
            hsbIDX->setMaximum(mToolbar->ButtonCount());
        }
        hsbIDX_Change();
    } else {
        setTaggedEnabled(kE, false);
    }
    setChanged(false);
}

void ppgFlatToolbar::ApplyChanges() {
    applyFields();
}

void ppgFlatToolbar::hsbIDX_Change() {
    if (!mToolbar) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int idx = hsbIDX->value();
    if (Changed() && idx != mPrevIndex) applyFields();
    mPrevIndex = idx;
    txtField[0]->setText(QString::number(idx));
    FlatToolbar& bar = *mToolbar;
    if (bar.ButtonCount() >= idx) {
        setTaggedEnabled(kE, true);
        btnAction[2]->setEnabled(idx != 1);
        btnAction[3]->setEnabled(idx != bar.ButtonCount());
        cboType->setCurrentIndex(bar.BtnType(idx));
        cboType_Click();
        txtField[1]->setText(bar.BtnKey(idx));
        txtField[2]->setText(bar.BtnCaption(idx));
        txtField[3]->setText(bar.BtnToolTipText(idx));
        // A copy: the toolbar notices a changed font only against the one it keeps.
        mButtonFont = bar.BtnFont(idx);
        txtField[4]->setText(mButtonFont.family());
        CboIconSize->setCurrentIndex(std::max(0, CboIconSize->findData(bar.BtnIconSize(idx))));
        CboBtnAlign->setCurrentIndex(bar.BtnAlignment(idx));
        CboState->setCurrentIndex(bar.btnState(idx));
        chkUseMask->setChecked(bar.BtnUseMaskColor(idx));
        setMaskColour(bar.BtnMaskColor(idx));
        m_picture = bar.BtnIcon(idx);
        showPicture();
        chkCheck->setChecked(bar.BtnValue(idx));
        cboStyle->setCurrentIndex(bar.BtnStyle(idx));
        cboStyle_Click();
        setChanged(false);
    } else {
        message(this,
                QStringLiteral("按钮索引 '") + QString::number(idx) + QStringLiteral("' 不存在."),
                platform::BoxIcon::Critical);
        setTaggedEnabled(kE, false);
    }
    QApplication::restoreOverrideCursor();
}

void ppgFlatToolbar::applyFields() {
    if (!mToolbar) return;
    FlatToolbar& bar = *mToolbar;
    const int i = mPrevIndex;
    if (i > bar.ButtonCount()) return;
    // A list showing no item (the fields of a separator) leaves its field as it is.
    const auto position = [](const QComboBox* box, auto&& write) {
        if (box->currentIndex() >= 0) write(box->currentIndex());
    };
    position(cboType, [&](int v) { bar.setBtnType(i, v); });
    bar.setBtnKey(i, txtField[1]->text());
    bar.setBtnCaption(i, txtField[2]->text());
    bar.setBtnToolTipText(i, txtField[3]->text());
    position(CboBtnAlign, [&](int v) { bar.setBtnAlignment(i, v); });
    position(CboState, [&](int v) { bar.setBtnState(i, v); });
    bar.setBtnUseMaskColor(i, chkUseMask->isChecked());
    bar.setBtnMaskColor(i, m_maskColour);
    bar.setBtnFont(i, mButtonFont);
    bar.setBtnIcon(i, m_picture);
    position(cboStyle, [&](int v) { bar.setBtnStyle(i, v); });
    bar.setBtnValue(i, chkCheck->isChecked());
    position(CboIconSize, [&](int v) { bar.setBtnIconSize(i, CboIconSize->itemData(v).toInt()); });
}

void ppgFlatToolbar::btnAction_Click(int index) {
    if (!mToolbar) return;
    FlatToolbar& bar = *mToolbar;
    const int idx = hsbIDX->value();
    switch (index) {
    case 0: {
        if (Changed()) applyFields();
        const int n = bar.AddButton(toolbar::TypeButton, {}, {}, {}, 16, toolbar::AlignIconLeft, {},
                                    0x80000008, std::nullopt, toolbar::StyleNormal,
                                    toolbar::StateNormal, true, 0xFF00FF);
        if (n != 0) {
            {
                const QSignalBlocker quiet(hsbIDX);
                hsbIDX->setMaximum(n);
            }
            showIndex(n);
        } else {
            message(this, QStringLiteral("不能添加按钮!"), platform::BoxIcon::Critical);
        }
        setChanged(true);
        break;
    }
    case 1: {
        setChanged(false);
        const int r = bar.DeleteButton(idx);
        if (r >= 0) {
            const QSignalBlocker quiet(hsbIDX);
            hsbIDX->setMaximum(std::max(1, r));
        }
        if (r > 0) {
            showIndex(idx >= r ? r : idx);
            setChanged(true);
        } else if (r == 0) {
            setTaggedEnabled(kE, false);
        } else {
            message(this, QStringLiteral("不能删除按钮!"), platform::BoxIcon::Critical);
        }
        break;
    }
    case 2:
    case 3: {
        const bool left = index == 2;
        if (left ? idx <= 1 : idx >= bar.ButtonCount()) {
            message(this,
                    left ? QStringLiteral("按钮不能移动到无穷居左.")
                         : QStringLiteral("按钮不能移动到无穷居右."),
                    platform::BoxIcon::Exclamation);
            break;
        }
        applyFields();
        const int n = bar.MoveButton(idx, left ? 0 : 1);
        if (n != 0) {
            mPrevIndex = n;
            showIndex(n);
        }
        setChanged(true);
        break;
    }
    default:
        break;
    }
}

void ppgFlatToolbar::cboType_Click() {
    setChanged(true);
    if (cboType->currentIndex() == toolbar::TypeSeparator) {
        clearButtonFields();
        enableButtonFields(false);
    } else {
        enableButtonFields(true);
    }
}

void ppgFlatToolbar::cboStyle_Click() {
    setChanged(true);
    if (cboStyle->currentIndex() == toolbar::StyleNormal) {
        chkCheck->setEnabled(false);
        chkCheck->setChecked(false);
    } else if (cboStyle->currentIndex() > 0) {
        chkCheck->setEnabled(true);
    }
}

void ppgFlatToolbar::cmdBrowse_Click() {
    const int64_t colour = m_dialogs.ShowColor(this, m_maskColour);
    if (colour == -1) return;
    setMaskColour(static_cast<uint32_t>(colour));
    setChanged(true);
}

void ppgFlatToolbar::cmdBrowseFont_Click() {
    if (!m_dialogs.ShowFont(mButtonFont)) return;
    txtField[4]->setText(mButtonFont.family());
    setChanged(true);
}

void ppgFlatToolbar::btnBrowse_Click() {
    const QString path =
        m_dialogs.ShowOpen(QStringLiteral("图片文件 (*.ico)|*.ico|所有文件 (*.*)|*.*"), 5, {},
                           QStringLiteral("浏览图片"));
    if (path.isEmpty()) return;
    m_picture = QImage();
    showPicture();
    try {
        m_picture = composedOnMask(LoadPicture(path), m_maskColour);
    } catch (const platform::VbError& e) {
        platform::messageBox(e.description, {}, platform::BoxButtons::Ok,
                             platform::BoxIcon::Exclamation, this);
        return;
    }
    showPicture();
    setChanged(true);
}

void ppgFlatToolbar::btnClear_Click() {
    m_picture = QImage();
    showPicture();
    setChanged(true);
}
