#pragma once
// The 26 news sources, in the order the fetch cycle walks them.

#include <QString>
#include <QStringList>
#include <array>
#include <string_view>

namespace News {

struct NewsSource {
    std::u16string_view Code;    // provider code of the list page addresses
    std::u16string_view LogoKey; // key of the logo picture
    std::u16string_view Name;    // display name: the Source text of every headline from it
};

inline constexpr std::array<NewsSource, 26> NewsSources{{
    {u"argent", u"ARGENT", u"あるじゃん"},
    {u"bloom_cn", u"BLOOMBERG", u"ブルームバーグ"},
    {u"diamond", u"DIAMOND", u"ダイヤモンド"},
    {u"dzh", u"TRADERS_FX", u"トレーダーズ・ウェブFX"},
    {u"fisf", u"FISCO", u"フィスコ"},
    {u"ifis", u"IFIS", u"アイフィス株予報"},
    {u"jbpress", u"JB_PRESS", u"JBプレス"},
    {u"jijf", u"JIJI", u"時事通信社"},
    {u"mai", u"MAINICHI", u"毎日新聞"},
    {u"mosf", u"MORNING_STAR", u"モーニングスター"},
    {u"netmoney", u"NET_MONEY", u"ネットマネー"},
    {u"newsweek", u"NEWSWEEK", u"ニューズウィーク"},
    {u"nkbp_tren", u"NIKKEI_TRENDY", u"日経トレンディ"},
    {u"nri", u"NRI", u"NRI研究員時事解説"},
    {u"president", u"PRESIDENT", u"プレジデント"},
    {u"reu", u"REUTER", u"ロイター"},
    {u"rps", u"RESPONSE", u"レスポンス"},
    {u"scnf", u"SEARCHINA", u"サーチナ"},
    {u"sh_mon", u"MONEY_ZINE", u"MONEYzine"},
    {u"stkms", u"CHART_BOOK", u"チャートブック"},
    {u"teikokudb", u"TEIKOKU", u"帝国データバンク"},
    {u"toyo", u"TOYO_KEIZAI", u"東洋経済"},
    {u"woman", u"WOMAN", u"日経ウーマン"},
    {u"wsj", u"WSJ", u"WSJ"},
    {u"yenspa", u"YEN_SPA", u"YenSPA"},
    {u"tdnet", u"TDNET", u"適時開示情報"},
}};

// The columns of the table above, in its order.
QStringList SourceNames();
QStringList SourceCodes();
QStringList SourceLogoKeys();

// Index of the source whose display name is exactly name; -1 when there is none.
int SourceIndex(const QString& name);

} // namespace News
