#include "ui/Accessibility.h"

#include "app/Commands.h"

#include <QAbstractItemView>
#include <QAction>
#include <QContextMenuEvent>
#include <QHash>
#include <QKeyEvent>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

namespace Accessibility {

namespace {

// A row's key: a command, a panel, or the object name of any other control.
struct Key {
    enum class Kind { Object, Command, Menu, Headline, Panel };
    Kind kind;
    int id = -1;
    const char16_t* object = nullptr;

    constexpr Key(const char16_t* objectName) : kind(Kind::Object), object(objectName) {}
    constexpr Key(App::Command c) : kind(Kind::Command), id(int(c)) {}
    constexpr Key(App::MenuCommand c) : kind(Kind::Menu), id(int(c)) {}
    constexpr Key(App::HeadlineCommand c) : kind(Kind::Headline), id(int(c)) {}
    constexpr Key(App::Panel p) : kind(Kind::Panel), id(int(p)) {}
    constexpr bool operator==(const Key& other) const {
        return kind == other.kind && id == other.id;
    }
};

// key, caption, spoken name, description, icon. A name left empty is the caption.
struct Row {
    Key key;
    const char16_t* text;
    const char16_t* name;
    const char16_t* description;
    const char* icon = nullptr;
};

constexpr Row kRows[] = {
    // Main window: tool-bar commands.
    {App::Command::Shade, u"ウィンドウシェード", u"", u"ツールバーだけを残して畳む／元に戻す",
     "TB_SHADE"},
    {App::Command::Tray, u"タスクトレイ", u"", u"タスクトレイにしまう", "TB_TRAY"},
    {App::Command::Timer, u"タイマー", u"", u"約1分ごとの自動巡回をオン／オフ", "TB_TIMER"},
    {App::Command::Reload, u"リロード", u"", u"今すぐニュースを取得", "TB_RELOAD"},
    {App::Command::TopPage, u"トップページ", u"", u"このバージョンのページを開く", "TB_HOME"},
    {App::Command::Market, u"指標", u"", u"市況のページを開く", "TB_INDEX"},
    {App::Command::Earnings, u"決算発表日時", u"", u"決算発表予定日のページを開く", "TB_CALENDAR"},
    {App::Command::Help, u"ヘルプ", u"", u"ヘルプを開く", "TB_HELP"},
    {App::Command::Options, u"環境設定", u"", u"プロキシ・フォント・サウンドなどの設定画面を開く",
     "TB_OPTIONS"},
    {App::Command::AllRead, u"全て既読", u"", u"すべてのニュースを既読にする", "TB_ALLREAD"},
    {App::Command::Filter, u"フィルタ", u"", u"検索語に合うニュースだけを表示", "TB_FILTER"},
    {App::Command::Search, u"検索", u"", u"検索語でニュースを探す", "TB_SEARCH"},
    // The drop-down button and its entries.
    {u"ButtonMenu", u"", u"ウィンドウ・その他",
     u"ウィンドウの大きさ、バージョン情報、ニュースのCSV出力"},
    {App::MenuCommand::WindowFull, u"ウィンドウ：フル（画面の左半分）", u"",
     u"画面の左半分に広げる", "DD_WINDOW_FULL"},
    {App::MenuCommand::WindowMiddle, u"ウィンドウ：中間", u"", u"画面の中ほどに置く",
     "DD_WINDOW_MIDDLE"},
    {App::MenuCommand::WindowMini, u"ウィンドウ：ミニ", u"", u"画面の左上に小さく置く",
     "DD_WINDOW_MINI"},
    {App::MenuCommand::About, u"バージョン情報", u"", u"このプログラムのバージョンを表示",
     "DD_ABOUT"},
    {App::MenuCommand::ExportCsv, u"ニュースをCSV出力…", u"ニュースをCSV出力",
     u"ニュースをCSVファイルに書き出す", "DD_CSV"},
    // The headline grid's context menu.
    {App::HeadlineCommand::ReadArticle, u"記事を読む", u"", u""},
    {App::HeadlineCommand::GoogleSearch, u"Googleで検索", u"", u""},
    // The tool bar itself and the button that shows the buttons it has no room for.
    {u"TBar", u"", u"ツールバー", u"コマンドのボタンと検索ボックス"},
    {u"qt_toolbar_ext_button", u"", u"ツールバーの続き", u"ウィンドウに収まらないボタンを表示"},
    {App::Command::SearchBox, u"", u"検索ボックス",
     u"検索語（例：日銀 & (円|ドル)）。Enter で検索。Alt+1…9, 0, Q, W, E で登録語"},
    {u"ComboSearchList", u"", u"検索の履歴", u"これまでに検索した語"},
    {u"PictureLogo", u"", u"バージョン情報", u"クリックでバージョン情報を表示"},
    {u"GridNews", u"", u"ヘッドライン一覧",
     u"ニュースの見出し。Enter "
     u"かスペースキーで記事を開く、メニューキーで記事・Google検索のメニュー"},
    // Status bars of the main window and the viewer.
    {u"SBar", u"", u"ステータスバー", u"メッセージ、新着、通信の状態"},
    {App::Panel::Message, u"", u"メッセージ", u"処理の結果とお知らせ"},
    {App::Panel::New, u"", u"新着",
     u"新着ニュースの有無。クリックかスペースキーで最初の新着へ移動"},
    {App::Panel::Net, u"", u"通信中", u"ニュースやページを読み込んでいる間点灯"},
    {u"SizeGrip", u"", u"サイズ変更つまみ", u"ドラッグしてウィンドウの大きさを変える"},
    // The tray icon's menu.
    {u"TrayMenu", u"", u"タスクトレイのメニュー", u"表示、タイマー、リロード、終了"},
    {u"TrayShow", u"表示", u"", u"ウィンドウをタスクトレイから出して表示する"},
    {u"TrayTimer", u"タイマー", u"", u"約1分ごとの自動巡回をオン／オフ"},
    {u"TrayReload", u"リロード", u"", u"今すぐニュースを取得"},
    {u"TrayQuit", u"終了", u"", u"設定を保存して終了する"},
    // The viewer window.
    {u"FormView", u"", u"記事ビューワ", u""},
    {u"WebMain", u"", u"記事", u"記事のページ。Q キーで閉じる"},
    {u"ViewSBar", u"", u"ステータスバー", u"ページの状態と読み込み中の表示"},
    // Earlier days: the two commands, the calendar, the day shown and the search across days.
    {u"ButtonEarlierDay", u"過去の日付", u"", u"保存してある日のニュースを開く（Ctrl+D）",
     "TB_DAYS"},
    {u"ButtonDaySearchAll", u"全期間検索", u"",
     u"保存してあるすべての日のニュースを検索式で探す（Ctrl+Shift+F）", "TB_DAYSEARCH"},
    {u"FormDays", u"", u"過去の日付", u"ニュースを表示する日を選ぶ"},
    {u"CalendarDays", u"", u"日付", u"太字の日にニュースが保存されている。Enter で開く"},
    {u"ButtonOpenDay", u"開く", u"", u"選んだ日のニュースを表示する"},
    {u"ButtonFillDay", u"開示を取得して補う", u"",
     u"選んだ日の適時開示情報をすべて取得し、その日のファイルに加える（約1か月前まで）"},
    {u"LabelDayShown", u"", u"表示中の日付", u"今日ではない日のニュースを表示している"},
    {u"ButtonToday", u"今日に戻る", u"", u"今日のニュースの表示に戻る"},
    {u"ButtonCancelFill", u"中止", u"",
     u"過去の日の適時開示情報の取得を中止する（その日のファイルは元のまま）"},
    {u"FormDaySearch", u"", u"全期間検索", u"保存してある日のニュースの検索"},
    {u"TextDaySearch", u"", u"検索式", u"検索ボックスと同じ書き方（例：日銀 & (円|ドル)）"},
    {u"DateSearchFrom", u"", u"検索する最初の日", u"この日から"},
    {u"DateSearchTo", u"", u"検索する最後の日", u"この日まで"},
    {u"ButtonDaySearch", u"検索", u"", u"選んだ期間の日付ファイルを検索する"},
    {u"ButtonDaySearchCancel", u"中止", u"", u"検索を途中でやめる"},
    {u"ButtonDaySearchCsv", u"CSV出力", u"", u"見つかったニュースをCSVファイルに書き出す"},
    {u"ProgressDaySearch", u"", u"検索の進み具合", u"検索し終えた日の割合"},
    {u"LabelDaySearch", u"", u"検索の結果", u"見つかった件数と、読めなかったファイル"},
    {u"GridDaySearch", u"", u"見つかったニュース", u"新しい順。Enter かダブルクリックで記事を開く"},
    {u"SpinKeepDays", u"", u"保存期間（日）",
     u"これより古い日付ファイルを起動時に削除する。0 ならすべて残す。今日と昨日は残す"},
    // Options dialog.
    {u"TabS", u"", u"設定の種類", u"全般・表示・定型ワード・通信・フィード・通知・情報"},
    {u"ScrollLeftButton", u"", u"前のタブ", u"隠れている前のタブを表示"},
    {u"ScrollRightButton", u"", u"次のタブ", u"隠れている次のタブを表示"},
    {u"TabGeneral", u"全般", u"", u"新着時の動作、ビューワの位置、VIP倶楽部"},
    {u"TabView", u"表示", u"", u"フォント、アラートサウンド、外部ブラウザ"},
    {u"TabWords", u"定型ワード", u"", u"Alt キーで呼び出す検索語"},
    {u"TabNet", u"通信", u"", u"プロキシとニュースの再取得"},
    {u"TabFeeds", u"フィード", u"", u"ニュースフィードの一覧、取得テスト、OPMLの読み書き"},
    {u"TabInfo", u"情報", u"", u"不具合報告に使うデバッグ情報"},
    {u"CheckProxyUse", u"プロキシを利用する。", u"", u"プロキシサーバを通して通信する"},
    {u"TextProxyAdrs", u"", u"プロキシのアドレス", u"プロキシサーバのホスト名かIPアドレス"},
    {u"TextProxyPort", u"", u"プロキシのポート", u"プロキシサーバのポート番号"},
    {u"CommandGetProxyIE", u"システムの設定を取得", u"", u"デスクトップのプロキシ設定を読み込む"},
    {u"CommandNewsReload", u"ニュース再取得", u"",
     u"設定を保存し、今日のニュースを消してすべて取得し直す"},
    {u"CommandBBS", u"掲示板の総括", u"", u"銘柄の掲示板の投稿を集計し、掲示板.TXT に書き出す"},
    {u"TextDebug", u"", u"デバッグ情報", u"不具合報告に使う、動作環境と設定の一覧"},
    {u"CommandToClipBoard", u"クリップボードへコピー", u"",
     u"デバッグ情報をクリップボードにコピーする"},
    {u"LabelFont", u"フォントの見本です。", u"フォントの見本", u"ヘッドライン一覧に使うフォント"},
    {u"CommandFont", u"フォント変更", u"", u"ヘッドライン一覧のフォントを選ぶ"},
    {u"TextSound", u"", u"アラートサウンドのファイル", u"新着時に鳴らすWAVファイル"},
    {u"CommandSound", u"参照...", u"アラートサウンドを参照", u"鳴らすWAVファイルを選ぶ"},
    {u"CommandSoundPlay", u"試聴", u"", u"選んだサウンドを鳴らしてみる"},
    {u"TextBrowser", u"", u"外部ブラウザのプログラム",
     u"記事を開くプログラム。空白なら内部ビューワで表示"},
    {u"CommandExternalBrowser", u"参照...", u"外部ブラウザを参照", u"記事を開くプログラムを選ぶ"},
    {u"OptionViewerPosition1", u"メインウィンドウの右にビューワを表示します。", u"",
     u"記事のビューワをメインウィンドウの右に置く"},
    {u"OptionViewerPosition0", u"メインウィンドウの下にビューワを表示します。", u"",
     u"記事のビューワをメインウィンドウの下に置く"},
    {u"CheckVIP", u"Yahoo!ファイナンス VIP倶楽部を表示", u"",
     u"VIP倶楽部専用のニュースも一覧に載せる"},
    {u"CommandYahooVIP", u"VIP倶楽部解説ページへ", u"", u"VIP倶楽部の解説ページを開く"},
    {u"CheckFromTray", u"新着時に、タスクトレイから出す。", u"",
     u"新着があればタスクトレイからウィンドウを戻す"},
    {u"CheckQuickStart", u"起動時に、タイマーをONにする。", u"",
     u"起動したらすぐに自動巡回を始める"},
    {u"CheckDontForward", u"新着時に、ウィンドウを前面に出さない。", u"",
     u"新着があってもウィンドウを前面に出さない"},
    {u"CheckLockSearch", u"巡回中は検索を止める", u"",
     u"タイマーがオンの間、検索ボックス・検索・フィルタを使えなくする"},
    {u"CheckShowVersion", u"起動時にバージョン情報を表示", u"",
     u"起動のたびにバージョンのページを開く（切ると、新しいバージョンの初回だけ）"},
    {u"TabWatch", u"通知", u"", u"注目ワード、注目ニュースの合図、デスクトップ通知"},
    {u"LabelWatchWord",
     u"一致する見出しに印を付けて通知します（検索と同じ書式。例: 7203|トヨタ|(決算&上方修正)）",
     u"", u""},
    {u"TextWatchWord", u"", u"注目ワード",
     u"見出し・分類・出所に一致すれば印を付け、新着なら通知する式。語を & と | と括弧でつなぐ"},
    {u"CheckRaiseOnlyWatch", u"注目ニュースの新着時だけ、ウィンドウを前面に出す。", u"",
     u"注目ワードに一致しない新着ではウィンドウを前面に出さない"},
    {u"CheckSoundOnlyWatch", u"注目ニュースの新着時だけ、サウンドを鳴らす。", u"",
     u"注目ワードに一致しない新着ではサウンドを鳴らさない"},
    {u"LabelWatchSound", u"注目ニュースのサウンド（空白ならアラートサウンド）", u"", u""},
    {u"TextWatchSound", u"", u"注目ニュースのサウンドのファイル",
     u"注目ニュースの新着時に鳴らすWAVファイル。空白ならアラートサウンド"},
    {u"CommandWatchSound", u"参照...", u"注目ニュースのサウンドを参照", u"鳴らすWAVファイルを選ぶ"},
    {u"CheckNotifyAll", u"すべての新着を通知", u"",
     u"注目ワードに関係なく、新着ニュースをすべてデスクトップに通知する"},
    {u"GridFeeds", u"", u"フィードの一覧",
     u"巡回で読むフィードの有効・名前・アドレス。スペースキーで有効／無効を切り替え"},
    {u"CommandFeedAdd", u"追加", u"フィードを追加",
     u"フィードの名前とアドレスを入れて一覧に加える"},
    {u"CommandFeedEdit", u"編集", u"フィードを編集", u"選んだフィードの名前とアドレスを変える"},
    {u"CommandFeedRemove", u"削除", u"フィードを削除", u"選んだフィードを一覧から外す"},
    {u"CommandFeedUp", u"上へ", u"フィードを上へ", u"選んだフィードを一つ上に移す"},
    {u"CommandFeedDown", u"下へ", u"フィードを下へ", u"選んだフィードを一つ下に移す"},
    {u"CommandFeedTest", u"取得テスト", u"",
     u"選んだフィードを今すぐ取得し、記事の数と最新の見出しを表示する"},
    {u"LabelFeedTest", u"", u"取得テストの結果", u"記事の数と最新の見出し、または取得できない理由"},
    {u"ProgressFeedTest", u"中止", u"取得テスト",
     u"選んだフィードを取得している。中止で取得を止める"},
    {u"CommandFeedImport", u"OPMLを読み込む", u"",
     u"OPMLファイルのフィードのうち、一覧にないものを加える"},
    {u"CommandFeedExport", u"OPMLに書き出す", u"", u"フィードの一覧をOPMLファイルに保存する"},
    // The feed dialog of the options dialog.
    {u"TextFeedName", u"", u"フィードの名前", u"一覧に出す名前。空白ならアドレスを使う"},
    {u"TextFeedUrl", u"", u"フィードのアドレス", u"RSS か Atom のURL（http:// か https://）"},
    {u"CommandFeedOK", u"OK", u"", u"入力を確かめて一覧に反映する"},
    {u"CommandFeedCancel", u"キャンセル", u"", u"何も変えずに閉じる"},
    {u"CommandOK", u"OK", u"", u"設定を保存して閉じる"},
    {u"CommandCancel", u"キャンセル", u"", u"何も変えずに閉じる"},
    {u"CommandApply", u"適用", u"", u"設定を保存する"},
};

// The preset-word boxes, "TextWord0" … "TextWord12", by the Alt key that calls each.
constexpr const char16_t* kWordKeys[] = {u"1", u"2", u"3", u"4", u"5", u"6", u"7",
                                         u"8", u"9", u"0", u"Q", u"W", u"E"};

// Every command and panel has its row; one without does not compile.
template <typename Enum, std::size_t N> constexpr bool EveryOneHasARow(const Enum (&all)[N]) {
    for (Enum e : all) {
        bool found = false;
        for (const Row& row : kRows)
            found = found || row.key == Key(e);
        if (!found)
            return false;
    }
    return true;
}
static_assert(EveryOneHasARow(App::kCommands));
static_assert(EveryOneHasARow(App::kMenuCommands));
static_assert(EveryOneHasARow(App::kHeadlineCommands));
static_assert(EveryOneHasARow(App::kPanels));

Names NamesOf(const Row& row) {
    Names n{QString::fromUtf16(row.text), QString::fromUtf16(row.name),
            QString::fromUtf16(row.description), QString::fromLatin1(row.icon)};
    if (n.name.isEmpty())
        n.name = n.text;
    return n;
}

Names Find(const Key& key) {
    for (const Row& row : kRows) {
        if (row.key == key)
            return NamesOf(row);
    }
    return {};
}

const QHash<QString, Names>& Table() {
    static const QHash<QString, Names> table = [] {
        QHash<QString, Names> t;
        for (const Row& row : kRows) {
            if (row.key.kind == Key::Kind::Object)
                t.insert(QString::fromUtf16(row.key.object), NamesOf(row));
        }
        for (int i = 0; i < int(std::size(kWordKeys)); ++i) {
            const QString alt = QStringLiteral("Alt+") + QString::fromUtf16(kWordKeys[i]);
            t.insert(QStringLiteral("TextWord") + QString::number(i),
                     {QString(), QStringLiteral("定型ワード ") + alt,
                      alt + QStringLiteral(" で検索ボックスに入る語"), QString()});
        }
        return t;
    }();
    return table;
}

// Forwards the Menu key and Shift+F10 to the view's right-button handler.
class ContextMenuKeys : public QObject {
public:
    ContextMenuKeys(QAbstractItemView* view, std::function<void(const QPoint&)> open)
        : QObject(view), view_(view), open_(std::move(open)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != view_)
            return false;
        if (event->type() == QEvent::ContextMenu) {
            // Some platforms send this before the Menu key itself; the key opens the menu, once.
            return static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard;
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        const bool menuKey = key->key() == Qt::Key_Menu && mods == Qt::NoModifier;
        const bool shiftF10 = key->key() == Qt::Key_F10 && mods == Qt::ShiftModifier;
        if (!menuKey && !shiftF10)
            return false;
        const QModelIndex current = view_->currentIndex();
        const QRect cell = current.isValid() ? view_->visualRect(current) : QRect();
        if (cell.isValid() && view_->viewport()->rect().intersects(cell))
            open_(cell.center());
        return true;
    }

private:
    QAbstractItemView* view_;
    std::function<void(const QPoint&)> open_;
};

} // namespace

Names Of(const QString& key) {
    return Table().value(key);
}

Names Of(App::Command command) {
    return Find(command);
}

Names Of(App::MenuCommand command) {
    return Find(command);
}

Names Of(App::HeadlineCommand command) {
    return Find(command);
}

Names Of(App::Panel panel) {
    return Find(panel);
}

bool Known(const QString& key) {
    return Table().contains(key);
}

namespace {

void Apply(QWidget* widget, const Names& n, Tip tip) {
    widget->setAccessibleName(n.name);
    widget->setAccessibleDescription(n.description);
    if (tip == Tip::Show)
        widget->setToolTip(n.description);
}

} // namespace

void Name(QWidget* widget, const QString& key, Tip tip) {
    if (!widget)
        return;
    const Names n = Of(key);
    Q_ASSERT_X(!n.name.isEmpty(), "Accessibility::Name", qPrintable(key));
    Apply(widget, n, tip);
}

void Name(QWidget* widget, App::Command command, Tip tip) {
    if (widget)
        Apply(widget, Of(command), tip);
}

void ConnectCommand(QAction* action, QObject* context, std::function<void()> run) {
    if (action->isCheckable()) {
        // A click toggles too (before it triggers), so every way in comes through here once.
        QObject::connect(action, &QAction::toggled, context, [run](bool) { run(); });
    } else {
        QObject::connect(action, &QAction::triggered, context, [run](bool) { run(); });
    }
}

void PrepareToolBar(QToolBar* bar) {
    Name(bar, QStringLiteral("TBar"));
    // Tool bars keep their buttons out of the Tab chain; a keyboard user needs them in it.
    for (QAction* action : bar->actions()) {
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
        if (!button)
            continue;
        // A command's button by its command, a button of our own by its object name.
        const QVariant data = action->data();
        if (data.metaType() == QMetaType::fromType<App::Command>())
            Name(button, data.value<App::Command>());
        else if (Known(button->objectName()))
            Name(button, button->objectName());
        button->setFocusPolicy(Qt::TabFocus);
    }
    if (auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"))) {
        Name(more, QStringLiteral("qt_toolbar_ext_button"));
        more->setFocusPolicy(Qt::TabFocus);
    }
}

void ForwardKeyboardContextMenu(QWidget* view, std::function<void(const QPoint&)> open) {
    auto* itemView = qobject_cast<QAbstractItemView*>(view);
    if (!itemView)
        return;
    itemView->installEventFilter(new ContextMenuKeys(itemView, std::move(open)));
}

} // namespace Accessibility
