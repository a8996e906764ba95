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
    "Halden软件-Quorvane V3.06": "Halden Software - Quorvane V3.06",
    "Corvell软件-Quorvane V3.06": "Corvell Software - Quorvane V3.06",
    # A source text that reads differently by window is keyed "context|text".
    "tarnwick::TFmMain|分析店铺": "&Analyse",
    "使用说明": "&Help",
    "软件升级": "&Upgrade",
    "退出": "E&xit",
    "删除(&D)": "&Delete",
    "查看店铺(&V)": "&View shop",
    "删除店铺(&E)": "D&elete",
    "筛选宝贝名称(&F):": "&Filter items:",
    "输入宝贝名称中的文字": "Part of an item's title",
    "所有数据(&1)": "All data (&1)",
    "最近一周(&2)": "Last week (&2)",
    "最近一月(&3)": "Last month (&3)",
    "本周数据(&4)": "This week (&4)",
    "本月数据(&5)": "This month (&5)",
    "导出到EXCEL(&L)": "Export to Exce&l",
    "全选(&S)": "&Select all",
    "全不选(&N)": "Select &none",
    "反选(&I)": "&Invert",
    "导出勾选宝贝评价客户列表(&R)": "Export &reviewers of checked items",
    " 软件已有新版,请升级.": " A new version is out, please upgrade.",
    "无法启动浏览器。请把下面的地址复制到浏览器中打开:":
        "No web browser could be started. Copy this address into a browser:",
    "掌柜:": "Shopkeeper: ",
    "您确定要删除 %1 吗": "Are you sure you want to delete %1?",
    "分析店铺": "Analyse shop",
    "掌柜名称": "Shopkeeper",
    "设置线程数": "&Threads",
    "开始分析(&S)": "&Start",
    "停止分析(&P)": "Sto&p",
    "最小化(&M)": "&Minimise",
    "关闭(&C)": "&Close",
    "已完成 %1 / %2 个宝贝": "%1 of %2 items done",
    "请先输入要分析的同行旺旺名或地址!": "Enter the competitor's shopkeeper nick first!",
    "第一次启动: 分析数据将保存在 %1": "First start: your analyses will be kept in %1",
    "无法建立数据文件: %1": "Cannot create the database file: %1",
    "与上次对比": "Compare runs",
    "请先在左边选择一个店铺。": "Choose a shop on the left first.",
    "这次分析已不在数据库中。": "This analysis is no longer in the database.",
    "这是该店铺最早的一次分析，没有上次的分析可以对比。":
        "This is the shop's first analysis; there is no earlier one to compare with.",
    "上次分析: %1    本次分析: %2    掌柜: %3": "Last run: %1    This run: %2    Shopkeeper: %3",
    "新上架 %1, 已下架 %2, 有变化 %3    宝贝数 %4    销售总额 %5    库存价值 %6":
        "New %1, removed %2, changed %3    Items %4    Sales total %5    Stock value %6",
    "只看变化": "Changed only",
    "导出到EXCEL": "Export to Excel",
    "导出CSV": "Export CSV",
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
