#pragma once
// Recording ports and a store builder shared by the presentation tests.

#include "RecordingPorts.h"
#include "app/Ports.h"
#include "news/NewsStore.h"
#include "present/GridPort.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

// Counts how often the grid was hidden and shown.
class RecordingWindow : public Ports::HeadlessMainWindow {
public:
    void SetGridVisible(bool visible) override {
        (visible ? shows : hides)++;
        HeadlessMainWindow::SetGridVisible(visible);
    }
    int hides = 0, shows = 0;
};

class FakeGridPort : public Present::GridPort {
public:
    int TextHeight(const QString&, const Present::GridFont&) const override { return 13; }
    int TextWidth(const QString& text, const Present::GridFont&) const override {
        return 7 * int(text.size());
    }
    Present::Rgb ButtonShadowColor() const override { return Present::MakeRgb(1, 2, 3); }
    double TwipsPerPixelX() const override { return 15; }
    double TwipsPerPixelY() const override { return 15; }
};

inline double OleAt(const QDate& date, int hour, int minute) {
    return double(QDate(1899, 12, 30).daysTo(date)) + (hour * 60 + minute) / 1440.0;
}

struct Headline {
    double posted = 0;
    QString source = QStringLiteral("ロイター");
    QString category;
    QString title;
    QString mark;
    bool vip = false, opened = false, isNew = false;
};

// Appends in the order given: the first headline becomes store index 0 (the newest).
inline void FillStore(News::NewsStore& store, const QList<Headline>& headlines) {
    store.Clear();
    for (const Headline& h : headlines) {
        int position = -1;
        store.InsertNewsItem(position, h.posted, h.source, h.category, h.title,
                             QStringLiteral("http://127.0.0.1/") + QString::number(position), h.vip,
                             h.mark);
        News::NewsItem& item = store.MutableItem(position);
        item.IsOpened = h.opened;
        item.IsNew = h.isNew;
    }
}
