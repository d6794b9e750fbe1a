#include "news/Sources.h"

#include "news/NewsStore.h"
#include "text/Common.h"

namespace News {

namespace {

QStringList g_names;
QStringList g_codes;
QStringList g_logoKeys;

QStringList SplitList(const QString& text) {
    return Common::SplitTokens(text, QStringLiteral(","), false, false, true)
        .value_or(QStringList());
}

} // namespace

void InitNewsSources() {
    g_codes = SplitList(QStringLiteral(
        "argent, bloom_cn, diamond, dzh, fisf, ifis, jbpress, jijf, mai, mosf, netmoney, "
        "newsweek, nkbp_tren, nri, president, reu, rps, scnf, sh_mon, stkms, teikokudb, toyo, "
        "woman, wsj, yenspa, tdnet"));
    g_logoKeys = SplitList(QStringLiteral(
        "ARGENT, BLOOMBERG, DIAMOND, TRADERS_FX, FISCO, IFIS, JB_PRESS, JIJI, MAINICHI, "
        "MORNING_STAR, NET_MONEY, NEWSWEEK, NIKKEI_TRENDY, NRI, PRESIDENT, REUTER, RESPONSE, "
        "SEARCHINA, MONEY_ZINE, CHART_BOOK, TEIKOKU, TOYO_KEIZAI, WOMAN, WSJ, YEN_SPA, TDNET"));
    g_names = SplitList(QStringLiteral(
        "あるじゃん, ブルームバーグ, ダイヤモンド, トレーダーズ・ウェブFX, フィスコ, "
        "アイフィス株予報, "
        "JBプレス, 時事通信社, 毎日新聞, モーニングスター, ネットマネー, ニューズウィーク, "
        "日経トレンディ, NRI研究員時事解説, プレジデント, ロイター, レスポンス, サーチナ, "
        "MONEYzine, チャートブック, 帝国データバンク, 東洋経済, 日経ウーマン, WSJ, YenSPA, "
        "適時開示情報"));
    Store().Clear();
}

const QStringList& SourceNames() {
    return g_names;
}

const QStringList& SourceCodes() {
    return g_codes;
}

const QStringList& SourceLogoKeys() {
    return g_logoKeys;
}

int SourceIndex(const QString& name) {
    return static_cast<int>(g_names.indexOf(name));
}

} // namespace News
