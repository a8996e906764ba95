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
    "30天售": "Sold (30 d)",
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
    "分析店铺(&A)": "&Analyse",
    "使用说明(&H)": "&Help",
    "软件升级(&U)": "&Upgrade",
    "退出(&X)": "E&xit",
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
    "导出勾选宝贝评价客户列表(&R)": "Export the &reviewers of the checked items",
    " 软件已有新版,请升级.": " A new version is out, please upgrade.",
    "无法启动浏览器。请把下面的地址复制到浏览器中打开:":
        "No web browser could be started. Copy this address into a browser:",
    "掌柜:": "Shopkeeper: ",
    "您确定要删除 %1 吗": "Are you sure you want to delete %1?",
    "分析店铺": "Analyse shop",
    "掌柜名称": "Shopkeeper",
    "设置线程数(&T)": "&Threads",
    "开始分析(&S)": "&Start",
    "停止分析(&P)": "Sto&p",
    "最小化(&M)": "&Minimise",
    "关闭(&C)": "&Close",
    "已完成 %1 / %2 个宝贝": "%1 of %2 items done",
    "请先输入要分析的同行旺旺名或地址!": "Enter the competitor's shopkeeper nick first!",
    "第一次启动: 分析数据将保存在 %1": "First start: your analyses will be kept in %1",
    "无法建立数据文件: %1": "Cannot create the database file: %1",
}

path = sys.argv[1]
tree = ET.parse(path)
missing = []
for message in tree.iter("message"):
    source = message.find("source").text
    translation = message.find("translation")
    english = ENGLISH.get(source)
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
