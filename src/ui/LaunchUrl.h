#pragma once
// Addresses the main window opens.

#include <QString>

namespace Program {
struct SettingsState;
}

namespace Launch {

// UTF-16 units to a URL query: blank "+", the unreserved set as is, the rest as "%XX" bytes of
// UTF-8; a lone surrogate unit is written as three bytes like any other unit from 2048 up.
QString EncodeUrlUtf8(const QString& text);

// Google web search for a headline's category, "(…)" parts removed.
QString GoogleSearchAddress(const QString& category);

// A page of the program's own site: the "SITE" setting, or the pages installed with the program.
QString SitePageAddress(const Program::SettingsState& settings, const QString& page);
QString TopPageAddress(const Program::SettingsState& settings);
QString HelpAddress(const Program::SettingsState& settings);
// The market-summary page: JPX, or the portal's market page when VIP headlines are shown.
QString MarketAddress(const Program::SettingsState& settings);
// JPX's schedule of earnings announcements.
QString EarningsScheduleAddress();

} // namespace Launch
