<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>ComparisonModel</name>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>宝贝ID</source>
        <translation>Item ID</translation>
    </message>
    <message>
        <source>宝贝名称</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>原价格</source>
        <translation>Price before</translation>
    </message>
    <message>
        <source>现价格</source>
        <translation>Price now</translation>
    </message>
    <message>
        <source>价格变化</source>
        <translation>Price change</translation>
    </message>
    <message>
        <source>原30天售</source>
        <translation>Sold before</translation>
    </message>
    <message>
        <source>现30天售</source>
        <translation>Sold now</translation>
    </message>
    <message>
        <source>销量变化</source>
        <translation>Sold change</translation>
    </message>
    <message>
        <source>原库存</source>
        <translation>Stock before</translation>
    </message>
    <message>
        <source>现库存</source>
        <translation>Stock now</translation>
    </message>
    <message>
        <source>库存推算销量</source>
        <translation>Sales by stock</translation>
    </message>
    <message>
        <source>评论数变化</source>
        <translation>Review change</translation>
    </message>
    <message>
        <source>浏览量变化</source>
        <translation>View change</translation>
    </message>
    <message>
        <source>新成交笔数</source>
        <translation>New deals</translation>
    </message>
    <message>
        <source>新成交件数</source>
        <translation>New pieces</translation>
    </message>
    <message>
        <source>新上架</source>
        <translation>New</translation>
    </message>
    <message>
        <source>已下架</source>
        <translation>Removed</translation>
    </message>
    <message>
        <source>有变化</source>
        <translation>Changed</translation>
    </message>
    <message>
        <source>无变化</source>
        <translation>Unchanged</translation>
    </message>
</context>
<context>
    <name>GridColumn</name>
    <message>
        <source>买家</source>
        <translation>Buyer</translation>
    </message>
    <message>
        <source>价格</source>
        <translation>Price</translation>
    </message>
    <message>
        <source>数量</source>
        <translation>Qty</translation>
    </message>
    <message>
        <source>款式</source>
        <translation>Variant</translation>
    </message>
    <message>
        <source>购买时间</source>
        <translation>Bought at</translation>
    </message>
    <message>
        <source>买家名称</source>
        <translation>Buyer name</translation>
    </message>
    <message>
        <source>评论内容</source>
        <translation>Review</translation>
    </message>
    <message>
        <source>评论时间</source>
        <translation>Reviewed at</translation>
    </message>
</context>
<context>
    <name>GuardedCall</name>
    <message>
        <source>未知错误</source>
        <translation>Unknown error</translation>
    </message>
</context>
<context>
    <name>ItemListModel</name>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>宝贝名称</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>价格</source>
        <translation>Price</translation>
    </message>
    <message>
        <source>30天售</source>
        <translation>30d sold</translation>
    </message>
    <message>
        <source>库存</source>
        <translation>Stock</translation>
    </message>
    <message>
        <source>评论数</source>
        <translation>Reviews</translation>
    </message>
    <message>
        <source>浏览量</source>
        <translation>Views</translation>
    </message>
    <message>
        <source>销售总额</source>
        <translation>Sales total</translation>
    </message>
    <message>
        <source>读取数据时间</source>
        <translation>Read at</translation>
    </message>
</context>
<context>
    <name>MessageBoxPrompts</name>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>是(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>否(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
</context>
<context>
    <name>SaveFileDialog</name>
    <message>
        <source>文件夹</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>%1 文件</source>
        <translation>%1 file</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>所有文件 (*)</source>
        <translation>All files (*)</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>第一次启动: 分析数据将保存在 %1</source>
        <translation>First start: your analyses will be kept in %1</translation>
    </message>
    <message>
        <source>无法建立数据文件: %1</source>
        <translation>Cannot create the database file: %1</translation>
    </message>
</context>
<context>
    <name>tarnwick::DetailLists</name>
    <message>
        <source>共有 %1 条记录. 总额 %2 元。</source>
        <translation>%1 records in all. Total %2 yuan.</translation>
    </message>
    <message>
        <source>共有 %1 条记录.</source>
        <translation>%1 records in all.</translation>
    </message>
</context>
<context>
    <name>tarnwick::ItemHistoryChart</name>
    <message>
        <source>价格</source>
        <translation>Price</translation>
    </message>
    <message>
        <source>30天售</source>
        <translation>30d sold</translation>
    </message>
    <message>
        <source>分析时间</source>
        <translation>Run time</translation>
    </message>
    <message>
        <source>在对比表中选择一个宝贝，查看它历次分析的走势</source>
        <translation>Choose an item in the table to see it across the shop's runs</translation>
    </message>
</context>
<context>
    <name>tarnwick::ItemListModel</name>
    <message>
        <source>未读取</source>
        <translation>not read</translation>
    </message>
</context>
<context>
    <name>tarnwick::ItemListView</name>
    <message>
        <source>共 %1 个宝贝  销售总额 %2  库存 %3</source>
        <translation>%1 items  Sales total %2  Stock %3</translation>
    </message>
    <message>
        <source>  未读取 %1</source>
        <translation>  Not read %1</translation>
    </message>
</context>
<context>
    <name>tarnwick::ShopTree</name>
    <message>
        <source>本次分析不完整 - %1</source>
        <translation>Incomplete run - %1</translation>
    </message>
    <message>
        <source>分析时间 %1</source>
        <translation>Analysed %1</translation>
    </message>
    <message numerus="yes">
        <source>共 %n 个宝贝</source>
        <translation><numerusform>%n item</numerusform><numerusform>%n items</numerusform></translation>
    </message>
    <message>
        <source>正常</source>
        <translation>healthy</translation>
    </message>
    <message>
        <source>数据不全</source>
        <translation>incomplete</translation>
    </message>
    <message>
        <source>被拦截</source>
        <translation>blocked</translation>
    </message>
    <message>
        <source>找不到店铺</source>
        <translation>shop not found</translation>
    </message>
    <message>
        <source>无法连接</source>
        <translation>unreachable</translation>
    </message>
    <message>
        <source>运行状况: %1</source>
        <translation>Run health: %1</translation>
    </message>
</context>
<context>
    <name>tarnwick::TFmCompare</name>
    <message>
        <source>这次分析已不在数据库中。</source>
        <translation>This analysis is no longer in the database.</translation>
    </message>
    <message>
        <source>这是该店铺最早的一次分析，没有上次的分析可以对比。</source>
        <translation>This is the shop's first analysis; there is no earlier one to compare with.</translation>
    </message>
    <message>
        <source>与上次对比</source>
        <translation>Compare runs</translation>
    </message>
    <message>
        <source>上次分析: %1    本次分析: %2    掌柜: %3</source>
        <translation>Last run: %1    This run: %2    Shopkeeper: %3</translation>
    </message>
    <message>
        <source>新上架 %1, 已下架 %2, 有变化 %3    宝贝数 %4    销售总额 %5    库存价值 %6</source>
        <translation>New %1, removed %2, changed %3    Items %4    Sales total %5    Stock value %6</translation>
    </message>
    <message>
        <source>只看变化</source>
        <translation>Changed only</translation>
    </message>
    <message>
        <source>导出到EXCEL</source>
        <translation>Export to Excel</translation>
    </message>
    <message>
        <source>导出CSV</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>导出失败.</source>
        <translation>Export failed.</translation>
    </message>
    <message>
        <source>导出成功.</source>
        <translation>Export succeeded.</translation>
    </message>
    <message>
        <source>Excel 工作簿 (*.xlsx)</source>
        <translation>Excel workbook (*.xlsx)</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV file (*.csv)</translation>
    </message>
</context>
<context>
    <name>tarnwick::TFmMain</name>
    <message>
        <source>Halden软件-Quorvane V3.06</source>
        <translation>Halden Software - Quorvane V3.06</translation>
    </message>
    <message>
        <source>Corvell软件-Quorvane V3.06</source>
        <translation>Corvell Software - Quorvane V3.06</translation>
    </message>
    <message>
        <source>删除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>查看店铺(&amp;V)</source>
        <translation>&amp;View shop</translation>
    </message>
    <message>
        <source>删除店铺(&amp;E)</source>
        <translation>D&amp;elete</translation>
    </message>
    <message>
        <source>筛选宝贝名称(&amp;F):</source>
        <translation>&amp;Filter items:</translation>
    </message>
    <message>
        <source>输入宝贝名称中的文字</source>
        <translation>Part of an item's title</translation>
    </message>
    <message>
        <source>所有数据(&amp;1)</source>
        <translation>All data (&amp;1)</translation>
    </message>
    <message>
        <source>最近一周(&amp;2)</source>
        <translation>Last week (&amp;2)</translation>
    </message>
    <message>
        <source>最近一月(&amp;3)</source>
        <translation>Last month (&amp;3)</translation>
    </message>
    <message>
        <source>本周数据(&amp;4)</source>
        <translation>This week (&amp;4)</translation>
    </message>
    <message>
        <source>本月数据(&amp;5)</source>
        <translation>This month (&amp;5)</translation>
    </message>
    <message>
        <source>导出到EXCEL(&amp;L)</source>
        <translation>Export to Exce&amp;l</translation>
    </message>
    <message>
        <source>全选(&amp;S)</source>
        <translation>&amp;Select all</translation>
    </message>
    <message>
        <source>全不选(&amp;N)</source>
        <translation>Select &amp;none</translation>
    </message>
    <message>
        <source>反选(&amp;I)</source>
        <translation>&amp;Invert</translation>
    </message>
    <message>
        <source>导出勾选宝贝评价客户列表(&amp;R)</source>
        <translation>Export &amp;reviewers of checked items</translation>
    </message>
    <message>
        <source> 软件已有新版,请升级.</source>
        <translation> A new version is out, please upgrade.</translation>
    </message>
    <message>
        <source>无法启动浏览器。请把下面的地址复制到浏览器中打开:</source>
        <translation>No web browser could be started. Copy this address into a browser:</translation>
    </message>
    <message>
        <source>掌柜:</source>
        <translation>Shopkeeper: </translation>
    </message>
    <message>
        <source>您确定要删除 %1 吗</source>
        <translation>Are you sure you want to delete %1?</translation>
    </message>
    <message>
        <source>分析店铺</source>
        <translation>&amp;Analyse</translation>
    </message>
    <message>
        <source>使用说明</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>软件升级</source>
        <translation>&amp;Upgrade</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>与上次对比</source>
        <translation>Compare runs</translation>
    </message>
    <message>
        <source>请先在左边选择一个店铺。</source>
        <translation>Choose a shop on the left first.</translation>
    </message>
    <message>
        <source>Excel 工作簿 (*.xlsx)</source>
        <translation>Excel workbook (*.xlsx)</translation>
    </message>
    <message>
        <source>文本文件 (*.txt)</source>
        <translation>Text file (*.txt)</translation>
    </message>
    <message>
        <source>数据库没有打开："%1"</source>
        <translation>The database is not open: "%1"</translation>
    </message>
    <message>
        <source>导出失败.</source>
        <translation>Export failed.</translation>
    </message>
    <message>
        <source>导出成功.</source>
        <translation>Export succeeded.</translation>
    </message>
    <message>
        <source>成功导出 %1 个用户.</source>
        <translation>Exported %1 users.</translation>
    </message>
    <message>
        <source>运行状况: %1</source>
        <translation>Run health: %1</translation>
    </message>
</context>
<context>
    <name>tarnwick::TFmReadData</name>
    <message>
        <source>分析店铺</source>
        <translation>Analyse shop</translation>
    </message>
    <message>
        <source>掌柜名称</source>
        <translation>Shopkeeper</translation>
    </message>
    <message>
        <source>开始分析(&amp;S)</source>
        <translation>&amp;Start</translation>
    </message>
    <message>
        <source>停止分析(&amp;P)</source>
        <translation>Sto&amp;p</translation>
    </message>
    <message>
        <source>最小化(&amp;M)</source>
        <translation>&amp;Minimise</translation>
    </message>
    <message>
        <source>关闭(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>已完成 %1 / %2 个宝贝</source>
        <translation>%1 of %2 items done</translation>
    </message>
    <message>
        <source>请先输入要分析的同行旺旺名或地址!</source>
        <translation>Enter the competitor's shopkeeper nick first!</translation>
    </message>
    <message>
        <source>设置线程数</source>
        <translation>&amp;Threads</translation>
    </message>
</context>
</TS>
