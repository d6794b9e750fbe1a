#include "present/CycleAnnounce.h"

#include "app/Ports.h"
#include "app/SettingsState.h"
#include "news/FetchCycle.h"
#include "present/HeadlineTable.h"
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
        w.SetPanelTip(Panel::New, QStringLiteral("新着あり！"));
        w.SetPanelEnabled(Panel::New, true);
        if (showsToday)
            table.Fill();
        if (showsToday && result.firstTable)
            table.PutCursorOnLastRow();
        if (!settings.DontForward)
            w.SetTopmost(true);
        w.SetPanelText(Panel::Message, QString::number(result.newCount) +
                                           QStringLiteral(" 件の新着ニュースがあります！！"));
        if (!settings.DontForward)
            w.SetTopmost(false);
        w.PlaySound(settings.SoundFile);
        if (showsToday)
            table.ScrollLastRowToTop();
        if (!settings.FromTray) {
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
