#pragma once
// Tells the desktop what a fetch cycle brought: watched headlines (or every new one) in one
// notification, and what the user asks of it afterwards.

#include "news/NewsItem.h"

#include <QObject>
#include <functional>
#include <optional>

class NoticeSink;
namespace News {
struct CycleResult;
class NewsStore;
} // namespace News
namespace Program {
struct SettingsState;
}

class NewsNotices : public QObject {
    Q_OBJECT
public:
    // The sink becomes this object's child.
    NewsNotices(const News::NewsStore& store, const Program::SettingsState& settings,
                NoticeSink* sink, QObject* parent = nullptr);

    // A cycle reported: shows its notice, if it has one.
    void OnCycle(const News::CycleResult& result);
    // The newest headline of the last notice, found again in the store; -1 when it is gone
    // or there was none.
    int NewestOfLastNotice() const;
    NoticeSink* Sink() const { return sink_; }
    // Another sink from now on (tests); the old one is deleted.
    void ReplaceSink(NoticeSink* sink);

    // "開く": the store index of the headline to open. The default action: the window to the
    // front.
    std::function<void(int storeIndex)> OpenStep;
    std::function<void()> FrontStep;

private:
    void Adopt(NoticeSink* sink);

    const News::NewsStore& store_;
    const Program::SettingsState& settings_;
    NoticeSink* sink_ = nullptr;
    std::optional<News::NewsItem> newest_;
};
