#pragma once
// The main window's commands and the status-bar panels of both windows, by name. What each is
// called on the screen, its icon and what a screen reader says are in one table in
// ui/Accessibility.cpp; nothing else spells them out.

#include <cstddef>
#include <iterator>

namespace App {

// The tool-bar buttons, and the search box beside them (only ever enabled or disabled).
enum class Command {
    Shade,
    Tray,
    Timer,
    Reload,
    TopPage,
    Market,
    Earnings,
    Help,
    Options,
    AllRead,
    Filter,
    Search,
    SearchBox,
};

// The entries of the tool bar's drop-down button.
enum class MenuCommand { WindowFull, WindowMiddle, WindowMini, About, ExportCsv };

// The entries of the headline grid's context menu.
enum class HeadlineCommand { ReadArticle, GoogleSearch };

// Status-bar panels. The viewer has Message and Net only.
enum class Panel { Message, New, Net };

inline constexpr Command kCommands[] = {
    Command::Shade,  Command::Tray,     Command::Timer,    Command::Reload,  Command::TopPage,
    Command::Market, Command::Earnings, Command::Help,     Command::Options, Command::AllRead,
    Command::Filter, Command::Search,   Command::SearchBox};
inline constexpr MenuCommand kMenuCommands[] = {MenuCommand::WindowFull, MenuCommand::WindowMiddle,
                                                MenuCommand::WindowMini, MenuCommand::About,
                                                MenuCommand::ExportCsv};
inline constexpr HeadlineCommand kHeadlineCommands[] = {HeadlineCommand::ReadArticle,
                                                        HeadlineCommand::GoogleSearch};
inline constexpr Panel kPanels[] = {Panel::Message, Panel::New, Panel::Net};

static_assert(std::size(kCommands) == std::size_t(Command::SearchBox) + 1);
static_assert(std::size(kMenuCommands) == std::size_t(MenuCommand::ExportCsv) + 1);
static_assert(std::size(kHeadlineCommands) == std::size_t(HeadlineCommand::GoogleSearch) + 1);
static_assert(std::size(kPanels) == std::size_t(Panel::Net) + 1);

} // namespace App
