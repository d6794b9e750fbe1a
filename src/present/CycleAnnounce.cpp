#include "present/CycleAnnounce.h"

#include "app/Ports.h"
#include "app/SettingsState.h"
#include "news/FetchCycle.h"
#include "present/HeadlineTable.h"
#include "present/Watch.h"
#include "text/Dates.h"

namespace Present {

using App::Panel;

void AnnounceCycle(const News::CycleResult& result, HeadlineTable& table,
                   const Program::SettingsState& settings) {
    auto& w = Ports::MainWindow();
    if (!result.storeHasItems)
        return;
    // An earlier day on the screen stays there; the table is rebuilt when today comes back.
    const bool showsToday = !table.ShowsOtherStore();
    if (result.grew) {
        // Watched headlines among the new ones may decide whether the window comes forward
        // and which sound plays; with those options off they change nothing.
        const bool watched =
            !WatchHits(table.Store(), result.newIndexes, WatchList(settings.WatchWord)).isEmpty();
        const bool raise = !settings.RaiseOnlyWatch || watched;
        const bool sound = !settings.SoundOnlyWatch || watched;
        w.SetPanelTip(Panel::New, QStringLiteral("新着あり！"));
        w.SetPanelEnabled(Panel::New, true);
        if (showsToday)
            table.Fill();
        if (showsToday && result.firstTable)
            table.PutCursorOnLastRow();
        if (!settings.DontForward && raise)
            w.SetTopmost(true);
        w.SetPanelText(Panel::Message, QString::number(result.newCount) +
                                           QStringLiteral(" 件の新着ニュースがあります！！"));
        if (!settings.DontForward && raise)
            w.SetTopmost(false);
        if (sound)
            w.PlaySound(watched && !settings.WatchSound.isEmpty() ? settings.WatchSound
                                                                  : settings.SoundFile);
        if (showsToday)
            table.ScrollLastRowToTop();
        if (!settings.FromTray || !raise) {
            w.SetTrayIcon(1);
            w.SetTrayTip(QStringLiteral("Tickerwisp[新着あり]"));
        } else {
            w.RemoveTrayIcon();
            w.ShowWindow();
        }
        w.SetGridVisible(true);
        return;
    }
    w.SetGridVisible(true);
    w.SetPanelTip(Panel::New, News::NoNewsTip);
    w.SetPanelEnabled(Panel::New, false);
    const QDateTime now = Ports::Clock().Now();
    w.SetPanelText(Panel::Message, QStringLiteral("[") + Dates::ShortDate(now.date()) +
                                       QStringLiteral(" ") + QString::number(now.time().hour()) +
                                       QStringLiteral(":") + QString::number(now.time().minute()) +
                                       QStringLiteral("] … 更新はありませんでした。"));
    if (result.firstTable && showsToday) {
        table.Fill();
        table.PutCursorOnLastRow();
        table.ScrollLastRowToTop();
    }
}

} // namespace Present
