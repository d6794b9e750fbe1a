#!/usr/bin/env python3
"""Writes the list-page fixtures of the parser tests, each in Shift_JIS (cp932) and EUC-JP,
and the word lists in cp932 (as lists made on Windows are). Run it from anywhere; it writes
next to itself. The pages are our own, laid out like the two sites' list pages."""

import os

HERE = os.path.dirname(os.path.abspath(__file__))
ENCODINGS = {"sjis": ("cp932", "Shift_JIS"), "eucjp": ("euc_jp", "EUC-JP")}
SJIS_ONLY = {"sjis": ENCODINGS["sjis"]}


def encode(text, codec):
    # The wave dash is 0x8160 in cp932, which Windows decodes as the full-width tilde.
    if codec == "cp932":
        text = text.replace("\u301c", "\uff5e")
    return text.encode(codec)


def write_page(name, builder, encodings=ENCODINGS):
    for suffix, (codec, label) in encodings.items():
        with open(os.path.join(HERE, f"{name}.{suffix}.html"), "wb") as f:
            f.write(encode(builder(label), codec))


# ---------------------------------------------------------------- portal news list pages

def portal_page(label, day_options, headlines, paging=None):
    out = [
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n",
        f"<html lang=\"ja\"><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset={label}\">\n",
        "<title>ニュース一覧 - ファイナンス</title></head>\n<body>\n",
        "<div id=\"head\"><a href=\"/\">ファイナンス</a> &gt; ニュース</div>\n",
    ]
    if day_options is not None:
        out.append("<div class=\"selectDay\"><form action=\"/cp/rtrs\" method=\"get\">\n<select name=\"date\">\n")
        for value, text, selected in day_options:
            sel = " selected" if selected else ""
            out.append(f"<option value=\"{value}\"{sel}>{text}</option>\n")
        out.append("</select><input type=\"submit\" value=\"表示\"></form></div>\n")
    out.append("<div id=\"main\">\n<!---news list-->\n<ul class=\"ymuiList\">\n")
    for href, title, time in headlines:
        out.append("<!-- 01 -->\n<li><ul class=\"ymuiHeadline\">\n")
        if href is not None:
            out.append(f"<li class=\"yjMt ymuiArrow1L\"><a href=\"{href}\">{title}</a></li>\n")
        else:
            out.append(f"<li class=\"yjMt ymuiArrow1L\">{title}</li>\n")
        out.append(f"<li class=\"yjSt marB2 ymuiDate padL10\">{time}&nbsp;<span class=\"src\">- ロイター</span></li>\n")
        out.append("</ul></li>\n<!-- /01 -->\n")
    out.append("</ul>\n")
    if paging is not None:
        out.append("<!--ページング-->\n<div class=\"ymuiPagingBottom\">\n")
        out.append(paging)
        out.append("\n</div>\n<!--/ページング-->\n")
    out.append("<!---/news list-->\n</div>\n<div id=\"foot\">Copyright (C) 2024 ファイナンス</div>\n</body></html>\n")
    return "".join(out)


DAYS_0105 = [("20240104", "2024年1月4日（木）", False), ("20240105", "2024年1月5日（金）", True),
             ("20240103", "2024年1月3日（水）", False)]

# (link, title as the page writes it, time text)
TITLE_HEADLINES = [
    ("/hl?a=20240105-00000001-rtrs-bus_all", "再送：トヨタ、新型車を発表", "9時00分"),
    ("/hl?a=20240105-00000002-rtrs-bus_all", "追加　日産の決算", "9時01分"),
    ("/hl?a=20240105-00000003-rtrs-bus_all", "訂正-ホンダ株が続伸", "9時02分"),
    ("/hl?a=20240105-00000004-rtrs-bus_all", "ソニー、新工場を建設☆差替", "9時03分"),
    ("/hl?a=20240105-00000005-rtrs-bus_all", "UPDATE2:日経平均は続伸", "9時04分"),
    ("/hl?a=20240105-00000006-rtrs-bus_all", "UPDATE 1-ドル高が一服", "9時05分"),
    ("/hl?a=20240105-00000007-rtrs-bus_all", "再送：UPDATE 3-原油先物が反落", "9時06分"),
    ("/hl?a=20240105-00000008-rtrs-bus_all", "【決算】任天堂、純利益2割増", "9時07分"),
    ("/hl?a=20240105-00000009-rtrs-bus_all", "【注目】東証：日経平均が反発", "9時08分"),
    ("/hl?a=20240105-00000010-rtrs-bus_all", "【注目】半導体株が急伸", "9時09分"),
    ("/hl?a=20240105-00000011-rtrs-bus_all", "[海外]ドル高が進む＜ＮＹ外為＞＜続報＞", "9時10分"),
    ("/hl?a=20240105-00000012-rtrs-bus_all", "相場観 ---  日経平均は上値が重い", "9時11分"),
    ("/hl?a=20240105-00000013-rtrs-bus_all", "ＮＹ外為＝ドル全面高", "9時12分"),
    ("/hl?a=20240105-00000014-rtrs-bus_all", "利上げを示唆＝日銀総裁", "9時13分"),
    ("/hl?a=20240105-00000015-rtrs-bus_all", "円が下落＝輸出株に買い", "9時14分"),
    ("/hl?a=20240105-00000016-rtrs-bus_all", "焦点：米利下げ観測が後退", "9時15分"),
    ("/hl?a=20240105-00000017-rtrs-bus_all", "材料出尽くしで売り＝市場筋", "9時16分"),
    ("/hl?a=20240105-00000018-rtrs-bus_all", "東証＝＝大引け＝続落", "9時17分"),
    ("/hl?a=20240105-00000019-rtrs-bus_all", "東証＝関係者", "9時18分"),
    ("/hl?a=20240105-00000020-rtrs-bus_all", "［速報］日銀が政策維持", "9時19分"),
    ("/hl?a=20240105-00000021-rtrs-bus_all", "［速報］〔人事〕社長交代", "9時20分"),
    ("/hl?a=20240105-00000022-rtrs-bus_all", "S&amp;P500が最高値 &lt;速報&gt;", "9時21分"),
    ("/hl?a=20240105-00000023-rtrs-bus_all", "A&amp;lt;B\t&quot;C&quot;&#39;D&#40;", "9時22分"),
    ("/hl?a=20240105-00000024-rtrs-bus_all", "日経平均、3万3000円\u301c3万4000円で推移", "9時23分"),
    ("/hl?a=20240105-00000025-rtrs-bus_all", "＝新興市場の動向", "9時24分"),
    ("/hl.vip?a=20240105-00000026-rtrs-bus_all&amp;ref=list", "ＶＩＰ向け解説", "9時25分"),
    ("https://news.example.jp/article/27", "外部記事への案内", "9時26分"),
    ("/hl?a=20240105-00000028-rtrs-bus_all", "再送", "9時27分"),
    ("/hl?a=20240105-00000029-rtrs-bus_all", "UPDATE", "9時28分"),
]

PAGING_MIDDLE = ("<a href=\"/cp/rtrs?date=20240105&amp;p=1\">前のページ</a>｜"
                 "<a href=\"/cp/rtrs?date=20240105&amp;p=3\">次のページ</a>")
PAGING_LAST = "<a href=\"/cp/rtrs?date=20240105&amp;p=2\">前のページ</a>｜次のページ"

DAYS_0102 = [("20250102", "2025年1月2日（木）", True), ("20250101", "2025年1月1日（水）", False)]
TIME_HEADLINES = [
    ("/hl?a=20250102-00000001-rtrs-bus_all", "時刻だけ", "9時05分"),
    ("/hl?a=20250102-00000002-rtrs-bus_all", "月日と時刻", "1月1日 23時50分"),
    ("/hl?a=20250102-00000003-rtrs-bus_all", "年末の記事", "12月31日（火）23時50分"),
    ("/hl?a=20250102-00000004-rtrs-bus_all", "時刻なし", "--時--分"),
    ("/hl?a=20250102-00000005-rtrs-bus_all", "これから先の時刻", "10時30分"),
    ("/hl?a=20250102-00000006-rtrs-bus_all", "曜日つき", "1月2日（木） 8時15分"),
]


def portal_fixtures():
    write_page("portal_titles", lambda l: portal_page(l, DAYS_0105, TITLE_HEADLINES, PAGING_MIDDLE))
    write_page("portal_last_page", lambda l: portal_page(l, DAYS_0105, TITLE_HEADLINES[:3], PAGING_LAST))
    write_page("portal_no_paging", lambda l: portal_page(l, DAYS_0105, TITLE_HEADLINES[:3]))
    write_page("portal_times", lambda l: portal_page(l, DAYS_0102, TIME_HEADLINES))
    write_page("portal_no_selector", lambda l: portal_page(l, None, TIME_HEADLINES[:1]))
    bad_day = [("20240145", "2024年13月45日（金）", True)]
    write_page("portal_bad_day", lambda l: portal_page(l, bad_day, TITLE_HEADLINES[:3]))
    broken = TITLE_HEADLINES[:2] + [(None, "リンクのない見出し", "9時30分")] + TITLE_HEADLINES[2:4]
    write_page("portal_broken_block", lambda l: portal_page(l, DAYS_0105, broken))
    write_page("portal_no_section",
               lambda l: portal_page(l, DAYS_0105, TITLE_HEADLINES[:3]).replace("<!---news list-->", "<!-- list -->"))
    write_page("portal_large", lambda l: portal_page(l, DAYS_0105, large_headlines(300), PAGING_MIDDLE))


COMPANIES = ["トヨタ", "ソニーＧ", "任天堂", "三菱ＵＦＪ", "ファストリ", "キーエンス", "信越化", "東エレク",
             "日立", "ソフトバンクＧ", "武田", "ＫＤＤＩ", "三井物", "伊藤忠", "リクルート", "オリエンタルランド"]
SHAPES = ["再送：{c}、通期見通しを上方修正", "【決算】{c}、純利益{n}%増", "ＮＹ外為＝{c}関連の円売り",
          "{c}株が大幅続伸＝市場筋", "焦点：{c}の新戦略、{n}億円を投資", "UPDATE 2-{c}が自社株買い",
          "{c}、新製品を発表＜東証＞", "相場観 --- {c}に押し目買い", "{c}と提携を検討＝関係者",
          "訂正-{c}の社長が交代", "S&amp;P指数に{c}を採用", "［速報］{c}が{n}円高"]


def large_headlines(count):
    rows = []
    minutes = 23 * 60 + 59
    for i in range(count):
        c = COMPANIES[(i * 7) % len(COMPANIES)]
        title = SHAPES[i % len(SHAPES)].format(c=c, n=(i * 13) % 97 + 1)
        h, m = divmod(minutes - 3 * i, 60)
        time = f"{h}時{m:02d}分" if i % 5 else f"1月5日 {h}時{m:02d}分"
        rows.append((f"/hl?a=20240105-{i + 1:08d}-rtrs-bus_all&amp;s=lst", title, time))
    return rows


# ---------------------------------------------------------------- disclosure list pages

def tdnet_row(cls, time, code, name, pdf, title, mark_link, xbrl, prefix, number, withdrawn=False):
    delete = " del" if withdrawn else ""
    c001 = f"<a href=\"{mark_link[0]}\" target=\"_blank\">{mark_link[1]}</a>" if mark_link else "&nbsp;"
    c009 = f"<a href=\"{xbrl}\" target=\"_blank\">XBRL</a>" if xbrl else ""
    return (
        "<tr>\n<!-- row start->\n-->\n"
        f"<td noWrap class=\"{cls}-L kjTime{delete}\">\n{time}</td>\n"
        f"<td noWrap class=\"{cls}-M kjCode\">\n{code}</td>\n"
        f"<td noWrap class=\"{cls}-M kjName\">\n{name}\n</td>\n"
        f"<td class=\"{cls}-M kjTitle\" align=\"left\"><a href=\"{pdf}\" target=\"_blank\">\n{title}</a></td>\n"
        f"<td noWrap class=\"{cls}-M kjXbrl\" id=\"001\">\n{c001}</td>\n"
        f"<td noWrap class=\"{cls}-M kjPlace\" id=\"009\">\n{c009}</td>\n"
        f"<td noWrap class=\"{cls}-R kjHistroy\">\n{prefix}\n</td>\n"
        f"<!-I{number:03d} end -->\n</tr>\n"
    )


def tdnet_page(label, links, rows, history=True):
    out = [
        f"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset={label}\">\n",
        "<title>適時開示情報閲覧サービス</title></head>\n<body>\n<div id=\"pager-box\">\n",
    ]
    for href, text in links:
        out.append(f"<a href=\"{href}\">{text}</a>\n")
    out.append("</div>\n<table class=\"list\">\n")
    head = "更新履歴" if history else "履歴"
    out.append(f"<tr><th>時刻</th><th>コード</th><th>会社名</th><th>表題</th><th>XBRL</th><th>上場取引所</th><th>{head}</th></tr>\n")
    out.extend(rows)
    out.append("</table>\n</body></html>\n")
    return "".join(out)


def tdnet_rows_0105():
    pdf = lambda n: f"140120240105{n:06d}.pdf"
    zip_ = lambda n: f"081220240105{n:06d}.zip"
    return [
        tdnet_row("oddnew", "15:30", "13010", "極洋", pdf(1), "2024年3月期 第3四半期決算短信",
                  (pdf(101), "業・配"), zip_(1), "東", 1),
        tdnet_row("evennew", "15:15", "72030", "トヨタ自動車", pdf(2), "取り下げられた開示",
                  (pdf(102), "業"), zip_(2), "東名", 2, withdrawn=True),
        tdnet_row("oddnew", "15:00", "01234", "テスト工業", pdf(3), "業績予想の修正に関するお知らせ",
                  (pdf(103), "修正"), zip_(3), "東", 3),
        tdnet_row("evennew", "14:45", " 6758 ", "ソニーグループ", pdf(4), "自己株式の取得状況に関するお知らせ",
                  None, None, "東", 4),
        tdnet_row("oddnew", "14:30", "99840", "ソフトバンクグループ", pdf(5),
                  "&quot;Ｒ＆Ｄ&quot; &amp;lt;説明会&gt; &lt;開催&gt; のお知らせ", None, zip_(5), "東", 5),
        tdnet_row("evennew", "9:05", "86970", "日本取引所グループ", pdf(6), "月次概況", None, None, "東", 6),
    ]


def tdnet_fixtures():
    next_link = [("I_list_002_20240105.html", "次へ&gt;")]
    rows = tdnet_rows_0105()
    write_page("tdnet_page1", lambda l: tdnet_page(l, next_link, rows))
    write_page("tdnet_last", lambda l: tdnet_page(l, [("I_list_001_20240105.html", "&lt;前へ")], rows[:2]))
    write_page("tdnet_no_history", lambda l: tdnet_page(l, next_link, rows, history=False))
    bad_code = rows[:1] + [tdnet_row("evennew", "15:20", "130A0", "新コード", "x.pdf", "表題", None, None, "東", 9)]
    write_page("tdnet_bad_code", lambda l: tdnet_page(l, next_link, bad_code))
    bad_time = rows[:1] + [tdnet_row("evennew", "25:70", "13010", "時刻不正", "x.pdf", "表題", None, None, "東", 9)]
    write_page("tdnet_bad_time", lambda l: tdnet_page(l, next_link, bad_time))
    write_page("tdnet_large", lambda l: tdnet_page(l, [("I_list_002_20240105.html", "次へ")], large_rows(1000)))


def large_rows(count):
    names = ["極洋", "日本水産", "マルハニチロ", "国際石油開発帝石", "大成建設", "大林組", "清水建設",
             "鹿島建設", "日清製粉Ｇ", "明治ＨＤ", "味の素", "キッコーマン", "東レ", "旭化成", "信越化学"]
    marks = [None, (None, "業・配"), (None, "修正"), (None, "決")]
    rows = []
    seconds = 23 * 3600 + 59 * 60
    for i in range(count):
        t = seconds - 60 * i
        time = f"{t // 3600}:{(t // 60) % 60:02d}"
        code = f"{1300 + (i * 37) % 8600}0"
        mark = marks[i % len(marks)]
        mark = (f"140120240105{500000 + i:06d}.pdf", mark[1]) if mark else None
        xbrl = f"081220240105{500000 + i:06d}.zip" if i % 2 else None
        rows.append(tdnet_row("oddnew" if i % 2 else "evennew", time, code, names[i % len(names)],
                              f"140120240105{i:06d}.pdf", f"第{i + 1}回 定時株主総会招集通知 &amp; 参考書類",
                              mark, xbrl, "東" if i % 3 else "東名", i + 1))
    return rows


# ---------------------------------------------------- disclosure list pages, current layout

TODAY_DAY = "20260617"


def today_page(label, page, total, rows, day=TODAY_DAY):
    """A list page as the service lays it out now: pager, day list, the table of rows."""
    pages = max(1, (total + 99) // 100)
    out = [
        f"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset={label}\">\n",
        "<title>適時開示情報閲覧サービス</title></head>\n<body>\n<div id=\"pager-box-top\">\n",
    ]
    if total:
        first, last = (page - 1) * 100 + 1, min(page * 100, total)
        out.append(f"<div class=\"pager-count\">{first}\u301c{last}件 / 全{total}件</div>\n")
        for p in range(1, pages + 1):
            cls = "pager-M-selected" if p == page else "pager-M"
            out.append(f"<div class=\"{cls}\" onclick=\"pagerLink('I_list_{p:03d}_{day}.html')\">{p}</div>\n")
    out.append("</div>\n<select name=\"daylist\" onchange=\"dayLink(this.value)\">\n")
    for d in ("20260617", "20260616", "20260615", "20260612"):
        sel = " selected" if d == day else ""
        out.append(f"<option value=\"I_list_001_{d}.html\"{sel}>{d[:4]}/{d[4:6]}/{d[6:]}</option>\n")
    out.append("</select>\n<table id=\"main-list-table\" cellspacing=\"0\">\n")
    out.append("<tr><th>時刻</th><th>コード</th><th>会社名</th><th>表題</th><th>XBRL</th>"
               "<th>上場取引所</th><th>更新履歴</th></tr>\n")
    out.extend(rows)
    out.append("</table>\n</body></html>\n")
    return "".join(out)


def today_row(cls, time, code, name, pdf, title, xbrl, place, history="\u3000"):
    x = f"<div class=\"xbrl-mask\"><a href=\"{xbrl}\" target=\"_blank\">XBRL</a></div>" if xbrl else "&nbsp;"
    return (
        "<tr>\n"
        f"<td class=\"{cls}-L kjTime\" noWrap>{time}</td>\n"
        f"<td class=\"{cls}-M kjCode\" noWrap>{code}</td>\n"
        f"<td class=\"{cls}-M kjName\" noWrap>{name}</td>\n"
        f"<td class=\"{cls}-M kjTitle\" align=\"left\"><a href=\"{pdf}\" target=\"_blank\">{title}</a></td>\n"
        f"<td class=\"{cls}-M kjXbrl\" noWrap>{x}</td>\n"
        f"<td class=\"{cls}-M kjPlace\" noWrap>{place}</td>\n"
        f"<td class=\"{cls}-R kjHistroy\" noWrap>{history}</td>\n"
        "</tr>\n"
    )


def today_rows_0617():
    pdf = lambda n: f"140120260617{n:06d}.pdf"
    zip_ = lambda n: f"081220260617{n:06d}.zip"
    return [
        today_row("oddnew", "15:30", "13010", "極洋   ", pdf(1), "2026年3月期 決算短信〔日本基準〕(連結)",
                  zip_(1), "東"),
        "<!-- <tr><td class=\"oddnew-L kjTime\">15:20</td><td class=\"oddnew-M kjTitle\">"
        "<a href=\"commented.pdf\">消された行</a></td></tr> -->\n",
        # A code with a letter, a name padded with full-width blanks, no target, no XBRL.
        "<tr>\n<td class=\"evennew-L kjTime\" noWrap>15:15</td>\n"
        "<td class=\"evennew-M kjCode\" noWrap>330A0</td>\n"
        "<td class=\"evennew-M kjName\" noWrap>\u3000北浜データ\u3000\u3000</td>\n"
        f"<td class=\"evennew-M kjTitle\" align=\"left\"><a href=\"{pdf(2)}\">"
        "Ｍ&amp;Ａ&#x3000;に関するお知らせ</a></td>\n"
        "<td class=\"evennew-M kjXbrl\" noWrap>\u3000</td>\n"
        "<td class=\"evennew-M kjPlace\" noWrap>東名</td>\n"
        "<td class=\"evennew-R kjHistroy\" noWrap></td>\n</tr>\n",
        # Attributes in another order, other quotes, upper-case tags, tags over several lines.
        "<TR>\n<TD noWrap\n    CLASS='oddnew-L kjTime'>15:00</TD>\n"
        "<td align=\"center\"\n class = \"oddnew-M kjCode\" nowrap>01234</td>\n"
        "<TD CLASS=\"oddnew-M kjName\" NOWRAP>テスト工業</TD>\n"
        "<td align=left class=\"oddnew-M kjTitle\"><A target=\"_blank\"\n"
        f" HREF='{pdf(3)}'>業績予想の修正に関するお知らせ</A></td>\n"
        f"<td class=\"oddnew-M kjXbrl\"><DIV class=\"xbrl-mask\"><a target=_blank href={zip_(3)}>XBRL</a></DIV></td>\n"
        "<td class=\"oddnew-M kjPlace\">名</td>\n<td class=\"oddnew-R kjHistroy\"></td>\n</TR>\n",
        # An extra cell with a link of its own ahead of the title, the exchange before the name.
        "<tr>\n<td class=\"evennew-L kjTime\" noWrap>14:45</td>\n"
        "<td class=\"evennew-M kjCode\" noWrap>67580</td>\n"
        "<td class=\"evennew-M kjPlace\" noWrap>東</td>\n"
        "<td class=\"evennew-M kjName\" noWrap>ソニーグループ</td>\n"
        f"<td class=\"evennew-M kjPdf\"><a href=\"{pdf(904)}\">PDF</a></td>\n"
        f"<td class=\"evennew-M kjTitle\" align=\"left\"><a href=\"{pdf(4)}\" target=\"_blank\">"
        "自己株式の取得状況に関するお知らせ</a></td>\n"
        "<td class=\"evennew-M kjXbrl\" noWrap></td>\n"
        "<td class=\"evennew-R kjHistroy\" noWrap>\u3000</td>\n</tr>\n",
        today_row("oddnew", "", "72030", "トヨタ自動車", pdf(5), "時刻のない行", None, "東"),
        today_row("evennew", "14:35", "72030", "トヨタ自動車", pdf(6), "リンクのない行", None, "東")
        .replace(f"<a href=\"{pdf(6)}\" target=\"_blank\">リンクのない行</a>", "リンクのない行"),
        today_row("oddnew", "14:30", " 398a0 ", "ソフトバンクグループ", pdf(7),
                  "&lt;訂正&gt;&quot;中期経営計画&quot;の一部訂正&#38;再掲", zip_(7), "東"),
        today_row("evennew", "09:05", "86970", "日本取引所グループ", pdf(8), "月次概況", None, "東"),
    ]


# One set of disclosures that both layouts can express, for the test that reads both.
BOTH_SET = [
    # time, code, name, pdf, title as written, XBRL (zip, text of the older layout), exchange
    ("15:30", "13010", "極洋", "140120240105000001.pdf", "決算短信〔日本基準〕(連結)",
     ("081220240105000001.zip", "業・配"), "東"),
    ("15:00", "01234", "テスト工業", "140120240105000002.pdf", "業績予想の修正に関するお知らせ",
     ("081220240105000002.zip", "業"), "東名"),
    ("14:45", "67580", "ソニーグループ", "140120240105000003.pdf",
     "&quot;Ｒ&amp;Ｄ&quot; &lt;説明会&gt; のお知らせ", None, "東"),
    ("9:05", "86970", "日本取引所グループ", "140120240105000004.pdf", "月次概況", None, "福"),
]


def both_fixtures():
    classic = [tdnet_row("oddnew" if i % 2 else "evennew", t, code, name, pdf, title, x, None, place, i + 1)
               for i, (t, code, name, pdf, title, x, place) in enumerate(BOTH_SET)]
    write_page("tdnet_both_classic", lambda l: tdnet_page(l, [], classic), SJIS_ONLY)
    today = [today_row("oddnew" if i % 2 else "evennew", t.zfill(5), code, "\u3000" + name + " ", pdf, title,
                       x[0] if x else None, place)
             for i, (t, code, name, pdf, title, x, place) in enumerate(BOTH_SET)]
    write_page("tdnet_both_today", lambda l: today_page(l, 1, len(today), today, "20240105"), SJIS_ONLY)


def today_fixtures():
    rows = today_rows_0617()
    write_page("tdnet_today_page1", lambda l: today_page(l, 1, 227, rows), SJIS_ONLY)
    write_page("tdnet_today_last", lambda l: today_page(l, 3, 227, rows[-2:]), SJIS_ONLY)
    write_page("tdnet_today_empty", lambda l: today_page(l, 1, 0, []), SJIS_ONLY)


# ---------------------------------------------------------------- word lists

WORD_LISTS = {
    "ヘッダ：通常.txt": ["NY市場", "東証", "ＮＹ外為"],
    "フッタ：通常.txt": ["関係者", "日銀総裁"],
    "ヘッダ：ワイルドカード.txt": ["焦点*", "[0-9]月の*"],
    "フッタ：ワイルドカード.txt": ["*筋", "*ストラテジスト"],
    "［］.txt": ["速報", "決算", "市況", "人事"],
}


def word_lists():
    folder = os.path.join(HERE, "NewsWord")
    os.makedirs(folder, exist_ok=True)
    for name, words in WORD_LISTS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write("".join(w + "\r\n" for w in words).encode("cp932"))


if __name__ == "__main__":
    portal_fixtures()
    tdnet_fixtures()
    today_fixtures()
    both_fixtures()
    word_lists()
