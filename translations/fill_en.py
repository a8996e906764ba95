#!/usr/bin/env python3
"""Fills tarnwick_en.ts with the English texts below; run after `update_translations`.
A source text missing here is left unfinished and reported, so a new text is never shipped
half translated without anyone noticing."""
import sys
import xml.etree.ElementTree as ET

ENGLISH = {
    "共有 %1 条记录. 总额 %2 元。": "%1 records in all. Total %2 yuan.",
    "共有 %1 条记录.": "%1 records in all.",
    "买家": "Buyer",
    "价格": "Price",
    "数量": "Qty",
    "款式": "Variant",
    "购买时间": "Bought at",
    "买家名称": "Buyer name",
    "评论内容": "Review",
    "评论时间": "Reviewed at",
    "未知错误": "Unknown error",
    "序号": "No.",
    "宝贝名称": "Item",
    "30天售": "30d sold",
    "库存": "Stock",
    "评论数": "Reviews",
    "浏览量": "Views",
    "销售总额": "Sales total",
    "读取数据时间": "Read at",
    "共 %1 个宝贝  销售总额 %2  库存 %3": "%1 items  Sales total %2  Stock %3",
    "提示": "Notice",
    "确定": "OK",
    "是(&Y)": "&Yes",
    "否(&N)": "&No",
    "分析时间 %1": "Analysed %1",
    "共 %n 个宝贝": ("%n item", "%n items"),
    "Halden软件-Quorvane V%1": "Halden Software - Quorvane V%1",
    "Corvell软件-Quorvane V%1": "Corvell Software - Quorvane V%1",
    # A source text that reads differently by window is keyed "context|text".
    "tarnwick::TFmMain|分析店铺": "&Analyse",
    "使用说明": "&Help",
    "软件升级": "&Upgrade",
    "退出": "E&xit",
    "删除": "&Delete",
    "查看店铺": "&View shop",
    "删除店铺": "D&elete",
    "筛选宝贝名称(&F):": "&Filter items:",
    "输入宝贝名称中的文字": "Part of an item's title",
    "所有数据": "All data (&1)",
    "最近一周": "Last week (&2)",
    "最近一月": "Last month (&3)",
    "本周数据": "This week (&4)",
    "本月数据": "This month (&5)",
    "导出到EXCEL": "Export to Exce&l",
    "全选": "&Select all",
    "全不选": "Select &none",
    "反选": "&Invert",
    "导出勾选宝贝评价客户列表": "Export &reviewers of checked items",
    " 软件已有新版,请升级.": " A new version is out, please upgrade.",
    "无法启动浏览器。请把下面的地址复制到浏览器中打开:":
        "No web browser could be started. Copy this address into a browser:",
    "掌柜:": "Shopkeeper: ",
    "您确定要删除 %1 吗": "Are you sure you want to delete %1?",
    "分析店铺": "Analyse shop",
    "掌柜名称": "Shopkeeper",
    "设置线程数": "&Threads",
    "开始分析": "&Start",
    "停止分析": "Sto&p",
    "最小化": "&Minimise",
    "关闭": "&Close",
    "已完成 %1 / %2 个宝贝": "%1 of %2 items done",
    "请先输入要分析的同行旺旺名或地址!": "Enter the competitor's shopkeeper nick first!",
    "第一次启动: 分析数据将保存在 %1": "First start: your analyses will be kept in %1",
    "无法建立数据文件: %1": "Cannot create the database file: %1",
    "与上次对比": "Compare runs",
    "tarnwick::TFmMain|与上次对比": "&Compare runs",
    "请先在左边选择一个店铺。": "Choose a shop on the left first.",
    "这次分析已不在数据库中。": "This analysis is no longer in the database.",
    "这是该店铺最早的一次分析，没有上次的分析可以对比。":
        "This is the shop's first analysis; there is no earlier one to compare with.",
    "上次分析: %1    本次分析: %2    掌柜: %3": "Last run: %1    This run: %2    Shopkeeper: %3",
    "新上架 %1, 已下架 %2, 有变化 %3    宝贝数 %4    销售总额 %5    库存价值 %6":
        "New %1, removed %2, changed %3    Items %4    Sales total %5    Stock value %6",
    "只看变化": "Changed &only",

    "导出CSV": "Export CS&V",
    "导出失败.": "Export failed.",
    "导出成功.": "Export succeeded.",
    "状态": "Status",
    "宝贝ID": "Item ID",
    "原价格": "Price before",
    "现价格": "Price now",
    "价格变化": "Price change",
    "原30天售": "Sold before",
    "现30天售": "Sold now",
    "销量变化": "Sold change",
    "原库存": "Stock before",
    "现库存": "Stock now",
    "库存推算销量": "Sales by stock",
    "评论数变化": "Review change",
    "浏览量变化": "View change",
    "新成交笔数": "New deals",
    "新成交件数": "New pieces",
    "新上架": "New",
    "已下架": "Removed",
    "有变化": "Changed",
    "无变化": "Unchanged",
    "分析时间": "Run time",
    "在对比表中选择一个宝贝，查看它历次分析的走势":
        "Choose an item in the table to see it across the shop's runs",
    "成功导出 %1 个用户.": "Exported %1 users.",
    "数据库没有打开：\"%1\"": "The database is not open: \"%1\"",
    # The save dialogs: their caption, the file types they list and the words of the type
    # column, which the dialog takes from the program rather than from Qt.
    "另存为": "Save As",
    "Excel 工作簿 (*.xlsx)": "Excel workbook (*.xlsx)",
    "文本文件 (*.txt)": "Text file (*.txt)",
    "CSV 文件 (*.csv)": "CSV file (*.csv)",
    "所有文件 (*)": "All files (*)",
    "文件夹": "Folder",
    "文件": "File",
    "%1 文件": "%1 file",
    # Run health: the verdicts in the shop tree's tooltip and the status bar.
    "运行状况: %1": "Run health: %1",
    "正常": "healthy",
    "数据不全": "incomplete",
    "被拦截": "blocked",
    "找不到店铺": "shop not found",
    "无法连接": "unreachable",
    # The row's text view, the run in the status bar, the end of a run, the new version.
    "宝贝": "Item",
    "价格 (左轴, 元)": "Price (left, yuan)",
    "30天售 (右轴, 件)": "30d sold (right, pieces)",
    "tarnwick::TFmMain|成交记录": "Deal record",
    "tarnwick::TFmMain|评价": "Review",
    "软件已有新版 (版本号 %1)。无法启动浏览器, 请把下面的升级地址复制到浏览器中打开:":
        "A new version (%1) is out. No web browser could be started; copy this upgrade "
        "address into a browser:",
    "正在分析...": "Analysing...",
    "正在分析: %1": "Analysing: %1",
    "%1 分 %2 秒": "%1 min %2 s",
    "%1 秒": "%1 s",
    "本次分析: 宝贝 %1 个, 成交记录 %2 条, 评价 %3 条, 请求 %4 次, 用时 %5.":
        "This run: %1 items, %2 deal records, %3 reviews, %4 requests, took %5.",
    # The core's own texts, put in English where they are shown (views/SystemText.cpp).
    "请输入您要分析的同行的掌柜名,再点同行分析! 要分析的同行必须要在同行,且有在售中的宝贝.":
        "Enter the shopkeeper nick of the competitor to analyse, then start the analysis! The "
        "competitor must have items on sale.",
    "开始读 %1 的数据...": "Reading the data of %1...",
    "正在终止程序,此过程可能需要几分钟时间,请稍候...":
        "Stopping; this may take a few minutes, please wait...",
    "程序执行完成!": "Finished!",
    "运行状况未能保存: %1": "The run's health could not be saved: %1",
    "宝贝 %1 已下载%2个买家.在第%3页仍在继续中...":
        "Item %1: %2 buyers read, still reading at page %3...",
    "宝贝 %1 共下载%2个买家.": "Item %1: %2 buyers read in all.",
    "宝贝 %1 已下载%2个评价.在第%3页仍在继续中...":
        "Item %1: %2 reviews read, still reading at page %3...",
    "宝贝 %1 共下载%2个评价.": "Item %1: %2 reviews read in all.",
    "连续%1个请求被拦截(登录页、验证页或页面改版),不再开始新的下载.":
        "%1 requests in a row were blocked (login, verification or changed pages); no further "
        "downloads start.",
    "未找到该掌柜的店铺, 请检查掌柜名是否正确.":
        "No shop was found for this shopkeeper; check that the nick is right.",
    "无法连接淘宝网, 所有请求均失败, 请检查网络后重试.":
        "Taobao could not be reached: every request failed. Check the network and try again.",
    "数据文件无法写入, 分析已提前结束, 已保存的数据保留.":
        "The database cannot be written: the analysis ended early; the rows stored are kept.",
    "正在下载 %1...": "Downloading %1...",
    "宝贝 %1 保存失败: %2": "Item %1 could not be saved: %2",
    "控制下载线程启动...": "Download control started...",
    "读取同行资料出错: %1": "Reading the competitor's shop failed: %1",
    "正在读第%1页宝贝列表...": "Reading page %1 of the item list...",
    "保存同行资料成功.": "The competitor's shop was saved.",
    "宝贝列表共%1页, 只读前%2页.": "The item list has %1 pages; only the first %2 are read.",
    "待下载列表增加%1个宝贝...": "%1 items added to the download list...",
    "运行状况: %1 - %2": "Run health: %1 - %2",
    "从第 %1 个请求 (%2) 起被拦截: 登录页 %3, 验证页 %4, 页面改版 %5":
        "Blocked from request %1 (%2) on: login pages %3, verification pages %4, changed "
        "pages %5",
    "连续 %1 个请求被拦截, 已提前停止": "%1 requests in a row were blocked; stopped early",
    "全部 %1 个请求都失败了": "All %1 requests failed",
    "旺旺名片或第一页宝贝列表无法读取": "The IM card or the first item-list page could not be read",
    "没有发出任何请求": "No request was sent",
    "旺旺名片上没有店铺": "The IM card shows no shop",
    "%1: %2/%3 失败 (%4)": "%1: %2/%3 failed (%4)",
    "找不到数据文件： \"%1\" %2": "The database file was not found: \"%1\" %2",
    "无法连接数据库服务器： \"%1\" %2": "Cannot connect to the database server: \"%1\" %2",
    "无法写入文件 \"%1\"%2": "Cannot write the file \"%1\"%2",
    "无法创建工作簿 \"%1\"%2": "Cannot create the workbook \"%1\"%2",
    "无法写入单元格 %1%2": "Cannot write the cell %1%2",
    "%1 个单元格的文字超过 %2 个字符, 已截断.":
        "The text of %1 cells was longer than %2 characters and was cut.",
    "旺旺名片": "IM card",
    "宝贝列表页": "listing pages",
    "宝贝页": "item pages",
    "销量": "sold counts",
    "SystemText|浏览量": "views",
    "SystemText|成交记录": "deal records",
    "SystemText|评价": "reviews",
    "HTTP 错误": "HTTP error",
    "网络错误": "network error",
    "超时": "timeout",
    "页面过大": "too large",
    "登录页": "login page",
    "验证页": "verification page",
    "页面改版": "changed page",
    # Watching shops: the toolbar, the tree's menu, the status bar and the watch window.
    "监控": "&Watch",
    "tarnwick::TFmWatch|监控": "Watch",
    "加入监控": "Watch this shop",
    "正在监控: %1": "Watching: %1",
    "监控未能运行: %1": "The watch could not run: %1",
    "监控 %1: 分析未完成": "Watch %1: the analysis did not complete",
    "监控 %1: %n 条提醒": ("Watch %1: %n alert", "Watch %1: %n alerts"),
    "降价": "Price cut",
    "涨价": "Price rise",
    "售罄": "Sold out",
    "补货": "Restocked",
    "销量突增": "Sales jump",
    "监控失败": "Watch failed",
    "价格±%1%": "price ±%1%",
    "(仅降价)": " (cuts only)",
    "(仅涨价)": " (rises only)",
    "上新": "new",
    "下架": "removed",
    "销量≥%1": "sold ≥%1",
    "未分析": "not yet run",
    "监控 测试: Quorvane 的提醒会这样送达": "Watch test: this is how Quorvane's alerts arrive",
    "这是一条测试提醒。": "This is a test alert.",
    "监控的店铺(&1)": "Watched shops (&1)",
    "提醒(&2)": "Alerts (&2)",
    "提醒 (%1)(&2)": "Alerts (%1) (&2)",
    "提醒渠道(&3)": "Channels (&3)",
    "掌柜名(&N):": "Shopkeeper &nick:",
    "要监控的同行的掌柜名": "The nick of the competitor to watch",
    "加入监控(&A)": "&Add watch",
    "掌柜": "Shopkeeper",
    "频率": "How often",
    "提醒": "Alerts on",
    "上次分析": "Last run",
    "结果": "Outcome",
    "下次分析": "Next run",
    "未读提醒": "Unread",
    "降价(&D)": "Cuts (&D)",
    "涨价(&P)": "Rises (&P)",
    "上新(&W)": "Ne&w items",
    "下架(&M)": "Re&moved items",
    "售罄和补货(&K)": "Sold out and restoc&ked",
    "不提醒": "off",
    "分析频率(&F):": "&Frequency:",
    "线程数(&T):": "&Threads:",
    "价格变动至少(&C):": "Price &change of at least:",
    "宝贝:": "Items:",
    "两次分析间售出至少(&J):": "Sales &jump between runs of at least:",
    "保存设置(&S)": "&Save settings",
    "立即分析(&R)": "&Run now",
    "取消监控(&E)": "R&emove watch",
    "只看未读(&U)": "&Unread only",
    "全部类型": "All kinds",
    "只看所选店铺(&O)": "Chosen sh&op only",
    "标为已读(&K)": "Mar&k as read",
    "时间": "Time",
    "类型": "Kind",
    "之前": "Before",
    "之后": "After",
    "已读": "Read",
    "未读": "Unread",
    "双击或按回车打开提醒: 在两次分析的对比中显示该宝贝。":
        "Double-click an alert or press Enter to open it: the comparison of its two runs at "
        "its item.",
    "群机器人 (webhook)": "Group robot (webhook)",
    "电子邮件": "E-mail",
    "https://... 或 smtps://用户名@邮件服务器:端口": "https://... or smtps://user@mail-server:port",
    "企业微信": "WeCom",
    "钉钉": "DingTalk",
    "类型(&Y):": "T&ype:",
    "地址(&D):": "A&ddress:",
    "格式(&G):": "For&mat:",
    "收件人(&O):": "T&o:",
    "密码(&W):": "Pass&word:",
    "添加渠道(&A)": "&Add channel",
    "试发(&T)": "Send a &test",
    "删除渠道(&E)": "R&emove channel",
    "请先输入要监控的同行的掌柜名。": "Enter the nick of the competitor to watch first.",
    "已在监控 %1。": "%1 is watched already.",
    "已加入监控: %1。第一次分析作为基准, 之后每次与上一次完整的分析对比。":
        "Now watching %1. Its first run is the baseline; every later run is compared with the "
        "last complete one.",
    "分析频率需要 30m、6h、1d 这样的时长 (至少 10 分钟), 或 daily 08:30 这样的每天时刻。":
        "The frequency needs a duration such as 30m, 6h or 1d (at least 10 minutes), or a "
        "time of day such as daily 08:30.",
    "已保存 %1 的监控设置。": "The watch settings of %1 are saved.",
    "不再监控 %1? 已有的分析保留在店铺列表中。":
        "Stop watching %1? Its analyses stay in the shop list.",
    "监控正在分析其他店铺, 请稍后再试。": "The watch is analysing another shop; try again shortly.",
    "正在分析 %1...": "Analysing %1...",
    "群机器人需要 http:// 或 https:// 开头的地址。":
        "A group robot needs an address that begins with http:// or https://.",
    "电子邮件需要 smtps://用户名@邮件服务器[:端口] 这样的邮件服务器地址。":
        "E-mail needs a mail server address such as smtps://user@mail-server[:port].",
    "请填写收件人的邮件地址, 如 boss@example.com。":
        "Enter the addressee's e-mail address, such as boss@example.com.",
    "请先选择一个提醒渠道。": "Choose a channel first.",
    "删除提醒渠道 %1?": "Remove the channel %1?",
    "%1 已送达。": "%1 took the test.",
    "%1 发送失败: %2": "%1 failed: %2",
    # How a run ended and what it read, where a run did not read the whole shop.
    "未读取": "Not read",
    "  未读取 %1": "  Not read %1",
    "本次分析不完整 - %1": "Incomplete run - %1",
    "SystemText|完成": "complete",
    "SystemText|已停止": "stopped",
    "SystemText|数据库写入失败": "store failed",
    "SystemText|被限流": "rate limited",
    "SystemText|被截断": "truncated",
    "SystemText|未结束": "not finished",
    "淘宝网拒绝了过于频繁的请求, 全部线程暂停 %1 秒后再试...":
        "Taobao refused requests that came too fast; every thread pauses for %1 s, then "
        "tries again...",
    "连续%1次暂停后淘宝网仍然拒绝请求, 不再开始新的下载.":
        "Taobao still refused requests after %1 pauses in a row; no further downloads start.",
    "宝贝列表页面已改版, 未能读出任何宝贝, 本次分析不完整.":
        "The item list pages have changed and no item could be read: this analysis is "
        "incomplete.",
    "淘宝网多次拒绝过于频繁的请求, 分析已提前结束, 请稍后再试或降低线程数.":
        "Taobao kept refusing requests as too frequent and the analysis ended early; try "
        "again later or with fewer threads.",
    "宝贝列表页数超过上限, 只读了前面的部分, 本次分析不完整.":
        "The item list has more pages than the limit and only the first were read: this "
        "analysis is incomplete.",
    "%1: 读取 %2 / %3 个宝贝": "%1: %2 of %3 items read",
    "%1: 读取 %2 / %3 个宝贝, 宝贝列表未读完":
        "%1: %2 of %3 items read, the item list not read to its end",
    "%1: 读取 %2 / %3 个宝贝, 宝贝列表未读完 (%4 / %5 页)":
        "%1: %2 of %3 items read, the item list not read to its end (%4 of %5 pages)",
    "较早的分析 %1 不完整 - %2": "The older analysis %1 is incomplete - %2",
    "较新的分析 %1 不完整 - %2": "The newer analysis %1 is incomplete - %2",
    "%1 个宝贝未读取, 不算作新上架、已下架或有变化, 也不计入合计":
        "%1 items were not read: they count as neither new, removed nor changed, and are left "
        "out of the totals",
    "分析已完成, 但不完整: 读取了 %1 / %2 个宝贝. 未读取的宝贝在对比中显示为\"未读取\", 不算作下架. 可稍后重新分析以补全.":
        "The analysis finished but is incomplete: %1 of %2 items were read. Items not read "
        "show as \"Not read\" in comparisons and never as removed. Analyse again later to "
        "complete it.",
    "分析已停止: 读取了 %1 / %2 个宝贝. 未读取的宝贝在对比中显示为\"未读取\", 不算作下架. 需要完整数据时请重新分析.":
        "The analysis was stopped: %1 of %2 items were read. Items not read show as \"Not "
        "read\" in comparisons and never as removed. Analyse again for complete figures.",
    "淘宝网拦截了本次分析 (登录页、验证页或页面改版): 读取了 %1 / %2 个宝贝. 未读取的宝贝在对比中显示为\"未读取\", 不算作下架. 请稍后再试, 并减少线程数.":
        "Taobao blocked this analysis (login, verification or changed pages): %1 of %2 items "
        "were read. Items not read show as \"Not read\" in comparisons and never as removed. "
        "Try again later with fewer threads.",
    "淘宝网多次拒绝过于频繁的请求, 分析已提前结束: 读取了 %1 / %2 个宝贝. 未读取的宝贝在对比中显示为\"未读取\", 不算作下架. 请稍后再试, 并减少线程数.":
        "Taobao kept refusing requests as too frequent and the analysis ended early: %1 of "
        "%2 items were read. Items not read show as \"Not read\" in comparisons and never "
        "as removed. Try again later with fewer threads.",
    "数据无法保存, 分析已提前结束: 读取了 %1 / %2 个宝贝. 请检查磁盘空间和数据文件的写入权限后重新分析.":
        "The data could not be saved and the analysis ended early: %1 of %2 items were read. "
        "Check the free disk space and that the database file can be written, then analyse "
        "again.",
    "宝贝列表页数超过上限, 只读了前 %1 页 (共 %2 页): 读取了 %3 / %4 个宝贝. 未读取的宝贝在对比中显示为\"未读取\", 不算作下架.":
        "The item list has more pages than the limit: only the first %1 of %2 pages were "
        "read, and %3 of %4 items. Items not read show as \"Not read\" in comparisons and "
        "never as removed.",
    "%1 / %2 个宝贝未读取": "%1 of %2 items not read",
    "宝贝列表未读完": "the item list not read to its end",
    "宝贝列表未读完: 读了 %1 / %2 页": "the item list not read to its end: %1 of %2 pages read",
    "宝贝列表未读完: 读了 %1 / %2 页 (超过页数上限 %3)":
        "the item list not read to its end: %1 of %2 pages read (past the page limit %3)",
    "宝贝列表共 %1 页, 只读了前 %2 页 (上限 --max-list-pages %3), 还有 %4 页未读":
        "The item list has %1 pages; only the first %2 were read (limit --max-list-pages %3), "
        "%4 pages left unread",
    "宝贝列表 %1 页无法读取": "%1 item list pages could not be read",
    "未能保存的宝贝:%1": "Items not stored:%1",
}

path = sys.argv[1]
tree = ET.parse(path)
missing = []
for context in tree.iter("context"):
    name = context.find("name").text
    for message in context.iter("message"):
        source = message.find("source").text
        translation = message.find("translation")
        english = ENGLISH.get(name + "|" + source, ENGLISH.get(source))
        if english is None:
            missing.append(source)
            continue
        translation.attrib.pop("type", None)
        for child in list(translation):
            translation.remove(child)
        if isinstance(english, tuple):
            translation.text = None
            for form in english:
                ET.SubElement(translation, "numerusform").text = form
        else:
            translation.text = english
with open(path, "wb") as out:
    out.write(b'<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n')
    tree.write(out, encoding="utf-8", xml_declaration=False)
    out.write(b"\n")
for source in missing:
    print("untranslated:", source, file=sys.stderr)
sys.exit(1 if missing else 0)
