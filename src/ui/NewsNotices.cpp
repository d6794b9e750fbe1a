#include "ui/NewsNotices.h"

#include "news/FetchCycle.h"
#include "news/NewsStore.h"
#include "present/Watch.h"
#include "ui/DesktopNotify.h"

NewsNotices::NewsNotices(const News::NewsStore& store, const Program::SettingsState& settings,
                         NoticeSink* sink, QObject* parent)
    : QObject(parent), store_(store), settings_(settings) {
    Adopt(sink);
}

void NewsNotices::ReplaceSink(NoticeSink* sink) {
    delete sink_;
    Adopt(sink);
}

void NewsNotices::Adopt(NoticeSink* sink) {
    sink_ = sink;
    sink_->setParent(this);
    connect(sink_, &NoticeSink::OpenRequested, this, [this] {
        const int index = NewestOfLastNotice();
        if (index >= 0 && OpenStep)
            OpenStep(index);
    });
    connect(sink_, &NoticeSink::FrontRequested, this, [this] {
        if (FrontStep)
            FrontStep();
    });
}

void NewsNotices::OnCycle(const News::CycleResult& result) {
    if (!result.grew)
        return;
    const auto notice = Present::NoticeForCycle(store_, result.newIndexes, settings_);
    if (!notice)
        return;
    // Kept by value: the store moves its entries while later pages merge.
    newest_ = store_.Item(notice->items.first());
    sink_->Show(notice->summary, notice->lines);
}

int NewsNotices::NewestOfLastNotice() const {
    if (!newest_)
        return -1;
    return store_.FindNewsItem(newest_->Posted, newest_->Source, newest_->Category, newest_->Title,
                               newest_->Url);
}
