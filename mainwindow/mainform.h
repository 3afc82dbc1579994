#pragma once

#include "mainwindow/layout.h"
#include "market/marketview.h"
#include "platform/colors.h"
#include "platform/forms.h"
#include "widgets/tabstrip/docktabcontrol.h"

#include <array>
#include <memory>
#include <vector>

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
class QuoteRun;
class Kline;
class KlineFeed;
namespace charts {
class ChartFeed;
}
class RefreshScheduler;
class LiveLink;
class NewsView;
class TcpLinkSocket;
class DiagnosticReport;
namespace commands {
class KeyPreview;
struct MenuItem;
} // namespace commands
class SkinButton;
namespace platform {
class BrowserPane;
}

// The main window: toolbar, the eleven views on the tab strip, the right-hand column, the ticker
// and the advert strip. Its start-up applies what the configuration says of the main window and
// restores the user's last view; its unload shuts the program down.
class MainForm : public platform::Form, public MarketView {
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
    // The key presses of this window and of the windows that hand theirs over.
    void Form_KeyDown(int KeyCode, int Shift);
    // The toolbar's one dispatcher; the tool menu items raise it too.
    void MainBar_ButtonClick(int btnIndex, const QString& sKey);
    // The current quote, and the connection report for the support staff, to the clipboard.
    void CopyPricestr();
    void CopyInfo();
    void DoEndMe();

    // The quote run of this window (snapshot, histories, captions) and its timers.
    void LoadData(QString& VipData);
    [[nodiscard]] QuoteRun& quotes() { return *m_quotes; }
    [[nodiscard]] RefreshScheduler& scheduler() { return *m_scheduler; }

    // The chart panes: range box, selectors and pane boxes drive the feeders.
    void UpdateImg() override;
    [[nodiscard]] charts::ChartFeed& chartFeed() { return *m_feed; }
    [[nodiscard]] KlineFeed& klineFeed() { return *m_kline; }

    // The bottom text advert from the configuration's "adno", the news, the mini window.
    void LoadTextAD();
    void LoadNews() override;
    // The lists, ticker and chart markers of the broadcasts and news.
    [[nodiscard]] NewsView& newsView() { return *m_newsView; }
    // The boss key's menu entry.
    void bosskeym_Click();
    void OpenMini();

    // What the quote run shows and switches on this window.
    void setStatus(const QString& Nextupti) override;
    void setQuoteTime(const QString& Nowtimes) override;
    void setServiceClock(const QString& Systime) override;
    void setPositionCaption(const QString& text) override;
    void setTimerEnabled(MarketTimer timer, bool enabled) override;
    void ensureBoardRows(int count) override;
    void setBoardRow(int i, const BoardRowTexts& row) override;
    void setShortListRow(int i, const ShortListTexts& line) override;
    void addInstrument(int i, const QString& name) override;
    void fitShortList() override;
    void selectInstrument(InstrumentSelector selector, int index) override;
    void CheckMenu(int16_t Tonindex) override;
    void SetCaption(const QString& TheCaption, int16_t Showt, const QString& Showsmt,
                    const QString& CwTipstr) override;
    void setLiveBoxEnabled(bool enabled) override;
    void setLiveBoxTicked(bool ticked) override;
    void Check12_MouseUp(int16_t Button, int16_t Shift, float X, float Y) override;
    void TraySetTip(const QString& Tip) override;
    // Back to the login window; the main window unloads and the program runs on.
    void LogoutUser() override;
    // The live link to the user server (Usersock) and the keep-alive.
    [[nodiscard]] bool linkConnected() const override;
    void LinkUser() override;
    void UnLinkUser() override;
    void heartbeat() override;
    void Hello() override;
    [[nodiscard]] LiveLink& liveLink() { return *m_link; }

    // The controls CListBack paints, in its order, as far as they exist.
    [[nodiscard]] std::vector<QWidget*> CListBackControls() const;
    // The tray icon's left press: the window comes back in the state it had before it was
    // minimised (the form's Tag: "2" maximised, else normal).
    void showFromTray();
    // Where the board's columns stand, relative to the rows' left edge.
    [[nodiscard]] const BoardColumns& boardColumnPlaces() const { return m_columns; }
    // The settings dialog, from the toolbar and the menu.
    void openSettings();
    bool CustRing(const QString& Label1) override;
    void showWarning(const QString& text) override;

    // The board's rows: Mvole(i) with its labels TL1..TL12, and the short list's lines.
    struct BoardRow {
        QFrame* Mvole = nullptr;
        std::array<QLabel*, 12> TL{};
    };
    std::vector<BoardRow> boardRows;
    struct ShortLine {
        QLabel* BLabels = nullptr;
        QLabel* Money = nullptr;
        QLabel* RZD = nullptr;
    };
    std::vector<ShortLine> shortLines;

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
    QAction* m25 = nullptr;  // "程序设置(&S)"
    QMenu* m4 = nullptr;     // "常用工具"
    QAction* m43 = nullptr;  // "预警提醒"
    QMenu* m5 = nullptr;     // "复制行情"
    QLabel* TextAD = nullptr; // the text advert across the top of the advert strip
    QLabel* Systime = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;
    QTimer* Timer4 = nullptr;
    // Set by the settings dialog: the shut-down deletes set.ini.
    QString restoreDefaultsTag;

protected:
    void formLoad() override;
    bool queryUnload() override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitRangeBox();
    void buildControls();
    void buildRightColumn();
    void buildMenus();
    void menuCommand(const commands::MenuItem& item);
    // The log-out once asked: at once when no wait is in progress, else when the last one ends.
    void runLogout();
    void copyQuotes(); // the menu's copy: the present time instead of the quote's, and a balloon
    void Maintab_TabSelected(cTab theTab);
    void addTabs();
    void trayAdd();
    [[nodiscard]] QRect pixels(float left, float top, float width, float height) const;
    [[nodiscard]] float twipsWidth(const QWidget* w) const;
    [[nodiscard]] float twipsHeight(const QWidget* w) const;

    void boardAction(const std::vector<BoardInteraction::Action>& actions);
    bool boardMouse(QObject* watched, QEvent* event);
    void placeBoardColumns();
    void moveBoardSideways(int left);
    [[nodiscard]] int boardWidth() const;

    std::unique_ptr<QuoteRun> m_quotes;
    std::unique_ptr<charts::ChartFeed> m_feed;
    std::unique_ptr<KlineFeed> m_kline;
    Kline* Klines = nullptr;
    BoardInteraction m_board;
    BoardColumns m_columns;
    platform::OleColor m_boardBack = 0; // the rows' colour, as CListBack last painted it
    std::unique_ptr<RefreshScheduler> m_scheduler;
    std::unique_ptr<TcpLinkSocket> m_usersock;
    std::unique_ptr<LiveLink> m_link;
    std::unique_ptr<NewsView> m_newsView;
    std::unique_ptr<DiagnosticReport> m_report;
    std::unique_ptr<commands::KeyPreview> m_keyPreview;
    bool m_helloBusy = false;
    bool m_framesDragging = false;
    int m_framesDragY = 0;
    bool m_inResize = false;
    bool m_addingTabs = false;
};

// The one main window, loaded (and started) on first use.
[[nodiscard]] MainForm& Main();
