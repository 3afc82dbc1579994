#pragma once

#include "platform/forms.h"

#include <QPoint>
#include <QSize>
#include <QString>

#include <functional>

class QCheckBox;
class QComboBox;
class QListWidget;
class QListWidgetItem;
class SkinButton;

namespace mainset {

// The main window and the mini window as the settings dialog reaches them; the main window fills
// this in. A member left empty does nothing.
struct Host {
    std::function<void()> DoCaption;
    std::function<void()> NowRefrsh;
    std::function<void()> OpenMini;
    std::function<void()> RefreshMzSy;
    std::function<void(int Clbid)> CListBack;
    std::function<QString()> GetList;             // the quote text block of CurProd
    std::function<void()> markRestoreDefaults;    // set.ini is deleted at exit
    std::function<void(int theme)> Loadskin;      // Mini.Loadskin
    std::function<void()> applyMiniAlpha;         // SetWindowAlpha(Mini, AlphaValue, MiniTopmost)
    std::function<void()> LoadMiniExt;            // Mini.LoadMiniExt
    std::function<void()> hideMini;
    std::function<QSize()> miniSizeTwips;
    std::function<void(QPoint twips)> moveMini;
    std::function<void()> resetMiniChange;        // Mini.UPs: white "－0.00"
    std::function<void(const QString& tip)> TraySetTip;
    std::function<void(const QString& action)> SetHotkey; // id 1, "Ctrl+Alt,W", "Add" or "Del"
    std::function<bool(bool enable)> SetAutoRun;  // false when the desktop refused
    std::function<QSize()> screenTwips;
    std::function<int()> taskbarTwips;
};
void setHost(Host host);
[[nodiscard]] const Host& host();

// Where the mini window goes when it is switched on again: 20 pixels from the right edge of the
// screen, just above the taskbar; all in twips.
[[nodiscard]] QPoint miniCorner(QSize screen, int taskbar, QSize mini, int twipsX);

// Showing the buying and the selling price: at least one of the two stays on.
struct PricesShown {
    bool buy = false;
    bool sell = false;
    bool operator==(const PricesShown&) const = default;
};
[[nodiscard]] PricesShown afterBuyBox(bool ticked, PricesShown now);
[[nodiscard]] PricesShown afterSellBox(bool ticked, PricesShown now);

// Writes the six keys the dialog keeps itself and registers or releases the boss key and the
// autostart entry, from the flags as they stand. A refused autostart entry is stored as off; once
// the main window has stopped the boss key is not registered again.
void writeCloseKeys();

} // namespace mainset

// The settings dialog ("程序设置 - Quillor").
class MainSet : public platform::Form {
    Q_OBJECT
public:
    MainSet();

    QCheckBox* Check1;
    QCheckBox* Check2;
    QCheckBox* Check3;
    QCheckBox* Check4;
    QCheckBox* Check5;
    QCheckBox* Check6;
    QCheckBox* Check7;
    QCheckBox* Check8;
    QCheckBox* Check9;
    QCheckBox* Check10;
    QCheckBox* Check11;
    QCheckBox* Check12;
    QCheckBox* Check13;
    QCheckBox* Check14;
    QCheckBox* Check15;
    QCheckBox* Check16;
    QCheckBox* Check17;
    QCheckBox* Check18;
    QCheckBox* Check19;
    QComboBox* Combo1; // colour theme
    QComboBox* Combo2; // transparency
    QComboBox* Combo3; // board background
    QListWidget* List1;
    SkinButton* CommandButton1; // "关闭"
    SkinButton* CommandButton2; // "恢复默认设置"

    void CommandButton2_Click();

protected:
    void formLoad() override;
    bool queryUnload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectActions();
    void Check8_Click(bool ticked);
    void Check14_Click(bool ticked);
    void List1_ItemCheck(QListWidgetItem* item);
};

[[nodiscard]] MainSet& mainSet();
