#pragma once

#include "common/storedlists.h"
#include "state/livelink.h"
#include "market/quoterun.h"
#include "state/quotetables.h"
#include "market/quotetexts.h"
#include "platform/clock.h"
#include "platform/gbk.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "state/configstate.h"
#include "state/session.h"
#include "state/usersettings.h"
#include "tests/market/fakemarketview.h"
#include "tests/support/programfolder.h"

#include <QStringList>

#include <optional>

// Every shared value the market code reads, back to its state at start, in a fresh program
// folder, with the PC clock, the boxes, the shell and the program's end under the test's control.
class MarketTest : public ProgramFolderTest {
protected:
    FakeMarketView view;
    QuoteRun run{view};
    QDateTime pcTime = platform::naiveDateTime(QDate(2024, 5, 15), QTime(10, 0));
    QStringList questions;                  // Yes/No boxes asked
    QList<platform::BoxAnswer> answers;     // given in turn; No when none is left
    QStringList opened;                     // addresses handed to the shell
    int ended = 0;                          // endProgram calls

    void SetUp() override {
        ProgramFolderTest::SetUp();
        clearQuoteTables();
        PushData.clear();
        PushTime = {};
        UseRealtime = PushLost = false;
        RefreshCountdown = 0;
        NoPrevInstance = true;
        ConfigLoaded = true;
        ServerList.clear();
        DataServer.clear();
        DataServerIndex = DataServerStart = 0;
        UserServerHost.clear();
        PushMode = 0;
        HelloSeconds = 300;
        BackupWebUrl = QStringLiteral("http://127.0.0.1:9/web/quote.asp");
        LoggedIn = IsVip = MainStarted = false;
        CurProd = Pane2Prod = Pane3Prod = Pane4Prod = 0;
        RightChart1Prod = 10;
        RightChart2Prod = 11;
        ShowMini = TrayQuote = ShowBuyPrice = ShowSellPrice = SwapBuySell = ShowDayChange = false;
        QuoteBackColor = 0;
        TxCount = 0;
        TxProd = {0};
        TxCompare = {0};
        TxPrice = {0.0f};
        HoldText.clear();
        HoldUnits = {};
        HoldPrice = {};
        ExtShow.clear();
        HoldCaption.clear();
        TrayTipText.clear();
        ServerNow = pcTime;
        platform::setPcClock([this] { return pcTime; });
        platform::setMessageBoxHandler([this](const QString& text, const QString&, platform::BoxButtons,
                                              platform::BoxIcon) {
            questions << text;
            return answers.isEmpty() ? platform::BoxAnswer::No : answers.takeFirst();
        });
        platform::setShellOpener([this](const QString& target) {
            opened << target;
            return true;
        });
        platform::setProgramEnder([this](int) { ++ended; });
    }

    void TearDown() override {
        platform::setPcClock({});
        platform::setMessageBoxHandler({});
        platform::setShellOpener({});
        platform::setProgramEnder({});
        ServerNow = {};
        ProgramFolderTest::TearDown();
    }

    // The log's lines without their date and version prefix.
    [[nodiscard]] QStringList logTexts() const {
        QStringList out;
        const QString text = platform::fromGbk(read(QStringLiteral("log.txt")));
        for (const QString& line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            const qsizetype cut = line.indexOf(u']');
            out << line.mid(cut + 1);
        }
        return out;
    }
};

// A snapshot text: the header (slot, news version) and the given rows, with the final empty part.
inline QString snapshotText(const QStringList& rows, int slot = 125, int news = 312,
                            const QString& time = QStringLiteral("10:00:00")) {
    QStringList parts{QStringLiteral("0,5.0,%1,2024-5-15,%2,%3").arg(news).arg(time).arg(slot)};
    parts << rows;
    return parts.join(u'|') + u'|';
}

// A row "name,price,change,high,low,code,spread".
inline QString row(const QString& name, const QString& price, const QString& change,
                   const QString& code = QStringLiteral("c"), const QString& spread = QStringLiteral("0.8"),
                   const QString& high = QStringLiteral("270.1"), const QString& low = QStringLiteral("267.8")) {
    return QStringList{name, price, change, high, low, code, spread}.join(u',');
}
