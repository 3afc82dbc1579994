#pragma once

#include "platform/forms.h"
#include "widgets/tabstrip/docktabcontrol.h"

#include <array>

class Chart;
class FlatToolbar;
class KeyImageList;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QScrollBar;
class QTimer;
class SkinButton;
namespace platform {
class BrowserPane;
}

// The main window: toolbar, the eleven views on the tab strip, the right-hand column, the ticker
// and the advert strip. Its start-up applies what the configuration says of the main window and
// restores the user's last view; its unload shuts the program down.
class MainForm : public platform::Form {
    Q_OBJECT
public:
    MainForm();
    ~MainForm() override;

    void GetCon();
    void CheckLogin();
    // The single-instance command from a second copy; its text is not examined.
    void Form_LinkExecute(const QString& command);
    void Me_Resize(bool NoUpdateImg);
    void ReceiveKeyDown(int KeyCode, int Shift);

    // Entry points of the quote, chart, news and live-link code, which are built by later changes
    // and installed into the window through these calls' bodies.
    void UpdateImg();
    void LoadData(QString& VipData);
    void LoadTextAD();
    void LoadNews();
    void OpenMini();
    void Check12_MouseUp(int Button, int Shift, float X, float Y);

    FlatToolbar* MainBar = nullptr;
    DockTabControl* Maintab = nullptr;
    KeyImageList* KeyImageList1 = nullptr;
    QWidget* MainView = nullptr;
    std::array<QWidget*, 9> Cole{};
    QWidget* MiniWeb = nullptr;
    QFrame* FR = nullptr;
    QFrame* Loged = nullptr;
    QFrame* Frame10 = nullptr;
    QFrame* Frame1 = nullptr;
    QFrame* YYDO = nullptr;
    QFrame* Frames0 = nullptr; // Frames(0): the right-hand quote list
    QFrame* NewsOle = nullptr;
    QFrame* NewsGo = nullptr;
    QFrame* YYMZ = nullptr;
    QWidget* OlemoveOle = nullptr;
    QWidget* OleMove = nullptr;
    QScrollBar* VScroll = nullptr;
    std::array<QLabel*, 12> Mcaps{};
    QFrame* InfoOle = nullptr;
    QLabel* InfoLabel = nullptr;
    QLabel* CloseInfo = nullptr;
    std::array<Chart*, 4> Charts{}; // Chart1..Chart4
    Chart* MZChart = nullptr;
    Chart* YYChart = nullptr;
    QCheckBox* VIPChart2 = nullptr;
    QCheckBox* VIPChart3 = nullptr;
    QCheckBox* VIPChart4 = nullptr;
    QCheckBox* Check12 = nullptr;
    QFrame* Frame4 = nullptr;
    QListWidget* BBlist = nullptr;
    QListWidget* PLList = nullptr;
    std::array<platform::BrowserPane*, 8> Web{};
    QLabel* Web5info = nullptr;
    QFrame* NoLoginInfo = nullptr;
    QLabel* Nextupti = nullptr;
    QLabel* Nowtimes = nullptr;
    QLabel* Loginca = nullptr;
    QLabel* VipUserSet = nullptr;
    QComboBox* SetDrawtype = nullptr;
    std::array<QComboBox*, 6> Combos{}; // Combo1..Combo6
    QLineEdit* Mwurl = nullptr;
    SkinButton* Mwto = nullptr;
    SkinButton* Goback = nullptr;
    SkinButton* ToBBs = nullptr;
    QMenu* m2 = nullptr;
    QAction* m21 = nullptr;
    QAction* m22 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer3 = nullptr;
    // Set by the settings dialog: the shut-down deletes set.ini.
    QString restoreDefaultsTag;

protected:
    void formLoad() override;
    bool queryUnload() override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildRightColumn();
    void buildMenus();
    void Maintab_TabSelected(cTab theTab);
    void addTabs();
    void trayAdd();
    [[nodiscard]] QRect pixels(float left, float top, float width, float height) const;
    [[nodiscard]] float twipsWidth(const QWidget* w) const;
    [[nodiscard]] float twipsHeight(const QWidget* w) const;

    bool m_framesDragging = false;
    int m_framesDragY = 0;
    bool m_inResize = false;
    bool m_addingTabs = false;
};

// The one main window, loaded (and started) on first use.
[[nodiscard]] MainForm& Main();
