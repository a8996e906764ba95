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
    <name>ExportFlow</name>
    <message>
        <source>导出失败.</source>
        <translation>Export failed.</translation>
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
    <name>SystemText</name>
    <message>
        <source>请输入您要分析的同行的掌柜名,再点同行分析! 要分析的同行必须要在同行,且有在售中的宝贝.</source>
        <translation>Enter the shopkeeper nick of the competitor to analyse, then start the analysis! The competitor must have items on sale.</translation>
    </message>
    <message>
        <source>开始读 %1 的数据...</source>
        <translation>Reading the data of %1...</translation>
    </message>
    <message>
        <source>正在终止程序,此过程可能需要几分钟时间,请稍候...</source>
        <translation>Stopping; this may take a few minutes, please wait...</translation>
    </message>
    <message>
        <source>程序执行完成!</source>
        <translation>Finished!</translation>
    </message>
    <message>
        <source>运行状况未能保存: %1</source>
        <translation>The run's health could not be saved: %1</translation>
    </message>
    <message>
        <source>宝贝 %1 已下载%2个买家.在第%3页仍在继续中...</source>
        <translation>Item %1: %2 buyers read, still reading at page %3...</translation>
    </message>
    <message>
        <source>宝贝 %1 共下载%2个买家.</source>
        <translation>Item %1: %2 buyers read in all.</translation>
    </message>
    <message>
        <source>宝贝 %1 已下载%2个评价.在第%3页仍在继续中...</source>
        <translation>Item %1: %2 reviews read, still reading at page %3...</translation>
    </message>
    <message>
        <source>宝贝 %1 共下载%2个评价.</source>
        <translation>Item %1: %2 reviews read in all.</translation>
    </message>
    <message>
        <source>连续%1个请求被拦截(登录页、验证页或页面改版),不再开始新的下载.</source>
        <translation>%1 requests in a row were blocked (login, verification or changed pages); no further downloads start.</translation>
    </message>
    <message>
        <source>未找到该掌柜的店铺, 请检查掌柜名是否正确.</source>
        <translation>No shop was found for this shopkeeper; check that the nick is right.</translation>
    </message>
    <message>
        <source>无法连接淘宝网, 所有请求均失败, 请检查网络后重试.</source>
        <translation>Taobao could not be reached: every request failed. Check the network and try again.</translation>
    </message>
    <message>
        <source>数据文件无法写入, 分析已提前结束, 已保存的数据保留.</source>
        <translation>The database cannot be written: the analysis ended early; the rows stored are kept.</translation>
    </message>
    <message>
        <source>正在下载 %1...</source>
        <translation>Downloading %1...</translation>
    </message>
    <message>
        <source>宝贝 %1 保存失败: %2</source>
        <translation>Item %1 could not be saved: %2</translation>
    </message>
    <message>
        <source>控制下载线程启动...</source>
        <translation>Download control started...</translation>
    </message>
    <message>
        <source>读取同行资料出错: %1</source>
        <translation>Reading the competitor's shop failed: %1</translation>
    </message>
    <message>
        <source>正在读第%1页宝贝列表...</source>
        <translation>Reading page %1 of the item list...</translation>
    </message>
    <message>
        <source>保存同行资料成功.</source>
        <translation>The competitor's shop was saved.</translation>
    </message>
    <message>
        <source>宝贝列表共%1页, 只读前%2页.</source>
        <translation>The item list has %1 pages; only the first %2 are read.</translation>
    </message>
    <message>
        <source>待下载列表增加%1个宝贝...</source>
        <translation>%1 items added to the download list...</translation>
    </message>
    <message>
        <source>运行状况: %1 - %2</source>
        <translation>Run health: %1 - %2</translation>
    </message>
    <message>
        <source>运行状况: %1</source>
        <translation>Run health: %1</translation>
    </message>
    <message>
        <source>从第 %1 个请求 (%2) 起被拦截: 登录页 %3, 验证页 %4, 页面改版 %5</source>
        <translation>Blocked from request %1 (%2) on: login pages %3, verification pages %4, changed pages %5</translation>
    </message>
    <message>
        <source>连续 %1 个请求被拦截, 已提前停止</source>
        <translation>%1 requests in a row were blocked; stopped early</translation>
    </message>
    <message>
        <source>全部 %1 个请求都失败了</source>
        <translation>All %1 requests failed</translation>
    </message>
    <message>
        <source>旺旺名片或第一页宝贝列表无法读取</source>
        <translation>The IM card or the first item-list page could not be read</translation>
    </message>
    <message>
        <source>没有发出任何请求</source>
        <translation>No request was sent</translation>
    </message>
    <message>
        <source>旺旺名片上没有店铺</source>
        <translation>The IM card shows no shop</translation>
    </message>
    <message>
        <source>%1: %2/%3 失败 (%4)</source>
        <translation>%1: %2/%3 failed (%4)</translation>
    </message>
    <message>
        <source>找不到数据文件： "%1" %2</source>
        <translation>The database file was not found: "%1" %2</translation>
    </message>
    <message>
        <source>无法连接数据库服务器： "%1" %2</source>
        <translation>Cannot connect to the database server: "%1" %2</translation>
    </message>
    <message>
        <source>无法写入文件 "%1"%2</source>
        <translation>Cannot write the file "%1"%2</translation>
    </message>
    <message>
        <source>无法创建工作簿 "%1"%2</source>
        <translation>Cannot create the workbook "%1"%2</translation>
    </message>
    <message>
        <source>无法写入单元格 %1%2</source>
        <translation>Cannot write the cell %1%2</translation>
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
        <source>旺旺名片</source>
        <translation>IM card</translation>
    </message>
    <message>
        <source>宝贝列表页</source>
        <translation>listing pages</translation>
    </message>
    <message>
        <source>宝贝页</source>
        <translation>item pages</translation>
    </message>
    <message>
        <source>销量</source>
        <translation>sold counts</translation>
    </message>
    <message>
        <source>浏览量</source>
        <translation>views</translation>
    </message>
    <message>
        <source>成交记录</source>
        <translation>deal records</translation>
    </message>
    <message>
        <source>评价</source>
        <translation>reviews</translation>
    </message>
    <message>
        <source>HTTP 错误</source>
        <translation>HTTP error</translation>
    </message>
    <message>
        <source>网络错误</source>
        <translation>network error</translation>
    </message>
    <message>
        <source>超时</source>
        <translation>timeout</translation>
    </message>
    <message>
        <source>页面过大</source>
        <translation>too large</translation>
    </message>
    <message>
        <source>登录页</source>
        <translation>login page</translation>
    </message>
    <message>
        <source>验证页</source>
        <translation>verification page</translation>
    </message>
    <message>
        <source>页面改版</source>
        <translation>changed page</translation>
    </message>
    <message>
        <source>%1 个单元格的文字超过 %2 个字符, 已截断.</source>
        <translation>The text of %1 cells was longer than %2 characters and was cut.</translation>
    </message>
    <message>
        <source>淘宝网拒绝了过于频繁的请求, 全部线程暂停 %1 秒后再试...</source>
        <translation>Taobao refused requests that came too fast; every thread pauses for %1 s, then tries again...</translation>
    </message>
    <message>
        <source>连续%1次暂停后淘宝网仍然拒绝请求, 不再开始新的下载.</source>
        <translation>Taobao still refused requests after %1 pauses in a row; no further downloads start.</translation>
    </message>
    <message>
        <source>宝贝列表页面已改版, 未能读出任何宝贝, 本次分析不完整.</source>
        <translation>The item list pages have changed and no item could be read: this analysis is incomplete.</translation>
    </message>
    <message>
        <source>淘宝网多次拒绝过于频繁的请求, 分析已提前结束, 请稍后再试或降低线程数.</source>
        <translation>Taobao kept refusing requests as too frequent and the analysis ended early; try again later or with fewer threads.</translation>
    </message>
    <message>
        <source>宝贝列表页数超过上限, 只读了前面的部分, 本次分析不完整.</source>
        <translation>The item list has more pages than the limit and only the first were read: this analysis is incomplete.</translation>
    </message>
    <message>
        <source>%1: 读取 %2 / %3 个宝贝</source>
        <translation>%1: %2 of %3 items read</translation>
    </message>
    <message>
        <source>%1: 读取 %2 / %3 个宝贝, 宝贝列表未读完</source>
        <translation>%1: %2 of %3 items read, the item list not read to its end</translation>
    </message>
    <message>
        <source>%1: 读取 %2 / %3 个宝贝, 宝贝列表未读完 (%4 / %5 页)</source>
        <translation>%1: %2 of %3 items read, the item list not read to its end (%4 of %5 pages)</translation>
    </message>
    <message>
        <source>较早的分析 %1 不完整 - %2</source>
        <translation>The older analysis %1 is incomplete - %2</translation>
    </message>
    <message>
        <source>较新的分析 %1 不完整 - %2</source>
        <translation>The newer analysis %1 is incomplete - %2</translation>
    </message>
    <message>
        <source>%1 个宝贝未读取, 不算作新上架、已下架或有变化, 也不计入合计</source>
        <translation>%1 items were not read: they count as neither new, removed nor changed, and are left out of the totals</translation>
    </message>
    <message>
        <source>分析已完成, 但不完整: 读取了 %1 / %2 个宝贝. 未读取的宝贝在对比中显示为"未读取", 不算作下架. 可稍后重新分析以补全.</source>
        <translation>The analysis finished but is incomplete: %1 of %2 items were read. Items not read show as "Not read" in comparisons and never as removed. Analyse again later to complete it.</translation>
    </message>
    <message>
        <source>分析已停止: 读取了 %1 / %2 个宝贝. 未读取的宝贝在对比中显示为"未读取", 不算作下架. 需要完整数据时请重新分析.</source>
        <translation>The analysis was stopped: %1 of %2 items were read. Items not read show as "Not read" in comparisons and never as removed. Analyse again for complete figures.</translation>
    </message>
    <message>
        <source>淘宝网拦截了本次分析 (登录页、验证页或页面改版): 读取了 %1 / %2 个宝贝. 未读取的宝贝在对比中显示为"未读取", 不算作下架. 请稍后再试, 并减少线程数.</source>
        <translation>Taobao blocked this analysis (login, verification or changed pages): %1 of %2 items were read. Items not read show as "Not read" in comparisons and never as removed. Try again later with fewer threads.</translation>
    </message>
    <message>
        <source>淘宝网多次拒绝过于频繁的请求, 分析已提前结束: 读取了 %1 / %2 个宝贝. 未读取的宝贝在对比中显示为"未读取", 不算作下架. 请稍后再试, 并减少线程数.</source>
        <translation>Taobao kept refusing requests as too frequent and the analysis ended early: %1 of %2 items were read. Items not read show as "Not read" in comparisons and never as removed. Try again later with fewer threads.</translation>
    </message>
    <message>
        <source>数据无法保存, 分析已提前结束: 读取了 %1 / %2 个宝贝. 请检查磁盘空间和数据文件的写入权限后重新分析.</source>
        <translation>The data could not be saved and the analysis ended early: %1 of %2 items were read. Check the free disk space and that the database file can be written, then analyse again.</translation>
    </message>
    <message>
        <source>宝贝列表页数超过上限, 只读了前 %1 页 (共 %2 页): 读取了 %3 / %4 个宝贝. 未读取的宝贝在对比中显示为"未读取", 不算作下架.</source>
        <translation>The item list has more pages than the limit: only the first %1 of %2 pages were read, and %3 of %4 items. Items not read show as "Not read" in comparisons and never as removed.</translation>
    </message>
    <message>
        <source>%1 / %2 个宝贝未读取</source>
        <translation>%1 of %2 items not read</translation>
    </message>
    <message>
        <source>宝贝列表未读完</source>
        <translation>the item list not read to its end</translation>
    </message>
    <message>
        <source>宝贝列表未读完: 读了 %1 / %2 页</source>
        <translation>the item list not read to its end: %1 of %2 pages read</translation>
    </message>
    <message>
        <source>宝贝列表未读完: 读了 %1 / %2 页 (超过页数上限 %3)</source>
        <translation>the item list not read to its end: %1 of %2 pages read (past the page limit %3)</translation>
    </message>
    <message>
        <source>宝贝列表共 %1 页, 只读了前 %2 页 (上限 --max-list-pages %3), 还有 %4 页未读</source>
        <translation>The item list has %1 pages; only the first %2 were read (limit --max-list-pages %3), %4 pages left unread</translation>
    </message>
    <message>
        <source>宝贝列表 %1 页无法读取</source>
        <translation>%1 item list pages could not be read</translation>
    </message>
    <message>
        <source>未能保存的宝贝:%1</source>
        <translation>Items not stored:%1</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>complete</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>stopped</translation>
    </message>
    <message>
        <source>数据库写入失败</source>
        <translation>store failed</translation>
    </message>
    <message>
        <source>被限流</source>
        <translation>rate limited</translation>
    </message>
    <message>
        <source>被截断</source>
        <translation>truncated</translation>
    </message>
    <message>
        <source>未结束</source>
        <translation>not finished</translation>
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
        <source>分析时间</source>
        <translation>Run time</translation>
    </message>
    <message>
        <source>在对比表中选择一个宝贝，查看它历次分析的走势</source>
        <translation>Choose an item in the table to see it across the shop's runs</translation>
    </message>
    <message>
        <source>价格 (左轴, 元)</source>
        <translation>Price (left, yuan)</translation>
    </message>
    <message>
        <source>30天售 (右轴, 件)</source>
        <translation>30d sold (right, pieces)</translation>
    </message>
</context>
<context>
    <name>tarnwick::ItemListModel</name>
    <message>
        <source>未读取</source>
        <translation>Not read</translation>
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
        <translation>Changed &amp;only</translation>
    </message>
    <message>
        <source>导出到EXCEL</source>
        <translation>Export to Exce&amp;l</translation>
    </message>
    <message>
        <source>导出CSV</source>
        <translation>Export CS&amp;V</translation>
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
    <name>tarnwick::TFmFullText</name>
    <message>
        <source>关闭</source>
        <translation>&amp;Close</translation>
    </message>
</context>
<context>
    <name>tarnwick::TFmMain</name>
    <message>
        <source>筛选宝贝名称(&amp;F):</source>
        <translation>&amp;Filter items:</translation>
    </message>
    <message>
        <source>输入宝贝名称中的文字</source>
        <translation>Part of an item's title</translation>
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
        <translation>&amp;Compare runs</translation>
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
    <message>
        <source>删除</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>查看店铺</source>
        <translation>&amp;View shop</translation>
    </message>
    <message>
        <source>删除店铺</source>
        <translation>D&amp;elete</translation>
    </message>
    <message>
        <source>宝贝</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>成交记录</source>
        <translation>Deal record</translation>
    </message>
    <message>
        <source>评价</source>
        <translation>Review</translation>
    </message>
    <message>
        <source>所有数据</source>
        <translation>All data (&amp;1)</translation>
    </message>
    <message>
        <source>最近一周</source>
        <translation>Last week (&amp;2)</translation>
    </message>
    <message>
        <source>最近一月</source>
        <translation>Last month (&amp;3)</translation>
    </message>
    <message>
        <source>本周数据</source>
        <translation>This week (&amp;4)</translation>
    </message>
    <message>
        <source>本月数据</source>
        <translation>This month (&amp;5)</translation>
    </message>
    <message>
        <source>导出到EXCEL</source>
        <translation>Export to Exce&amp;l</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>&amp;Select all</translation>
    </message>
    <message>
        <source>全不选</source>
        <translation>Select &amp;none</translation>
    </message>
    <message>
        <source>反选</source>
        <translation>&amp;Invert</translation>
    </message>
    <message>
        <source>导出勾选宝贝评价客户列表</source>
        <translation>Export &amp;reviewers of checked items</translation>
    </message>
    <message>
        <source>软件已有新版 (版本号 %1)。无法启动浏览器, 请把下面的升级地址复制到浏览器中打开:</source>
        <translation>A new version (%1) is out. No web browser could be started; copy this upgrade address into a browser:</translation>
    </message>
    <message>
        <source>正在分析...</source>
        <translation>Analysing...</translation>
    </message>
    <message>
        <source>正在分析: %1</source>
        <translation>Analysing: %1</translation>
    </message>
    <message>
        <source>监控</source>
        <translation>&amp;Watch</translation>
    </message>
    <message>
        <source>加入监控</source>
        <translation>Watch this shop</translation>
    </message>
    <message>
        <source>正在监控: %1</source>
        <translation>Watching: %1</translation>
    </message>
    <message>
        <source>监控未能运行: %1</source>
        <translation>The watch could not run: %1</translation>
    </message>
    <message>
        <source>监控 %1: 分析未完成</source>
        <translation>Watch %1: the analysis did not complete</translation>
    </message>
    <message numerus="yes">
        <source>监控 %1: %n 条提醒</source>
        <translation><numerusform>Watch %1: %n alert</numerusform><numerusform>Watch %1: %n alerts</numerusform></translation>
    </message>
    <message>
        <source>Halden软件-Quorvane V%1</source>
        <translation>Halden Software - Quorvane V%1</translation>
    </message>
    <message>
        <source>Corvell软件-Quorvane V%1</source>
        <translation>Corvell Software - Quorvane V%1</translation>
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
    <message>
        <source>开始分析</source>
        <translation>&amp;Start</translation>
    </message>
    <message>
        <source>停止分析</source>
        <translation>Sto&amp;p</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>&amp;Minimise</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>%1 分 %2 秒</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>本次分析: 宝贝 %1 个, 成交记录 %2 条, 评价 %3 条, 请求 %4 次, 用时 %5.</source>
        <translation>This run: %1 items, %2 deal records, %3 reviews, %4 requests, took %5.</translation>
    </message>
</context>
<context>
    <name>tarnwick::TFmWatch</name>
    <message>
        <source>降价</source>
        <translation>Price cut</translation>
    </message>
    <message>
        <source>涨价</source>
        <translation>Price rise</translation>
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
        <source>售罄</source>
        <translation>Sold out</translation>
    </message>
    <message>
        <source>补货</source>
        <translation>Restocked</translation>
    </message>
    <message>
        <source>销量突增</source>
        <translation>Sales jump</translation>
    </message>
    <message>
        <source>监控失败</source>
        <translation>Watch failed</translation>
    </message>
    <message>
        <source>价格±%1%</source>
        <translation>price ±%1%</translation>
    </message>
    <message>
        <source>(仅降价)</source>
        <translation> (cuts only)</translation>
    </message>
    <message>
        <source>(仅涨价)</source>
        <translation> (rises only)</translation>
    </message>
    <message>
        <source>上新</source>
        <translation>new</translation>
    </message>
    <message>
        <source>下架</source>
        <translation>removed</translation>
    </message>
    <message>
        <source>库存</source>
        <translation>Stock</translation>
    </message>
    <message>
        <source>销量≥%1</source>
        <translation>sold ≥%1</translation>
    </message>
    <message>
        <source>未分析</source>
        <translation>not yet run</translation>
    </message>
    <message>
        <source>监控 测试: Quorvane 的提醒会这样送达</source>
        <translation>Watch test: this is how Quorvane's alerts arrive</translation>
    </message>
    <message>
        <source>这是一条测试提醒。</source>
        <translation>This is a test alert.</translation>
    </message>
    <message>
        <source>监控</source>
        <translation>Watch</translation>
    </message>
    <message>
        <source>监控的店铺(&amp;1)</source>
        <translation>Watched shops (&amp;1)</translation>
    </message>
    <message>
        <source>提醒(&amp;2)</source>
        <translation>Alerts (&amp;2)</translation>
    </message>
    <message>
        <source>提醒渠道(&amp;3)</source>
        <translation>Channels (&amp;3)</translation>
    </message>
    <message>
        <source>掌柜名(&amp;N):</source>
        <translation>Shopkeeper &amp;nick:</translation>
    </message>
    <message>
        <source>要监控的同行的掌柜名</source>
        <translation>The nick of the competitor to watch</translation>
    </message>
    <message>
        <source>加入监控(&amp;A)</source>
        <translation>&amp;Add watch</translation>
    </message>
    <message>
        <source>掌柜</source>
        <translation>Shopkeeper</translation>
    </message>
    <message>
        <source>频率</source>
        <translation>How often</translation>
    </message>
    <message>
        <source>提醒</source>
        <translation>Alerts on</translation>
    </message>
    <message>
        <source>上次分析</source>
        <translation>Last run</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Outcome</translation>
    </message>
    <message>
        <source>下次分析</source>
        <translation>Next run</translation>
    </message>
    <message>
        <source>未读提醒</source>
        <translation>Unread</translation>
    </message>
    <message>
        <source>降价(&amp;D)</source>
        <translation>Cuts (&amp;D)</translation>
    </message>
    <message>
        <source>涨价(&amp;P)</source>
        <translation>Rises (&amp;P)</translation>
    </message>
    <message>
        <source>上新(&amp;W)</source>
        <translation>Ne&amp;w items</translation>
    </message>
    <message>
        <source>下架(&amp;M)</source>
        <translation>Re&amp;moved items</translation>
    </message>
    <message>
        <source>售罄和补货(&amp;K)</source>
        <translation>Sold out and restoc&amp;ked</translation>
    </message>
    <message>
        <source>不提醒</source>
        <translation>off</translation>
    </message>
    <message>
        <source>分析频率(&amp;F):</source>
        <translation>&amp;Frequency:</translation>
    </message>
    <message>
        <source>线程数(&amp;T):</source>
        <translation>&amp;Threads:</translation>
    </message>
    <message>
        <source>价格变动至少(&amp;C):</source>
        <translation>Price &amp;change of at least:</translation>
    </message>
    <message>
        <source>宝贝:</source>
        <translation>Items:</translation>
    </message>
    <message>
        <source>两次分析间售出至少(&amp;J):</source>
        <translation>Sales &amp;jump between runs of at least:</translation>
    </message>
    <message>
        <source>保存设置(&amp;S)</source>
        <translation>&amp;Save settings</translation>
    </message>
    <message>
        <source>立即分析(&amp;R)</source>
        <translation>&amp;Run now</translation>
    </message>
    <message>
        <source>取消监控(&amp;E)</source>
        <translation>R&amp;emove watch</translation>
    </message>
    <message>
        <source>只看未读(&amp;U)</source>
        <translation>&amp;Unread only</translation>
    </message>
    <message>
        <source>全部类型</source>
        <translation>All kinds</translation>
    </message>
    <message>
        <source>只看所选店铺(&amp;O)</source>
        <translation>Chosen sh&amp;op only</translation>
    </message>
    <message>
        <source>标为已读(&amp;K)</source>
        <translation>Mar&amp;k as read</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>之前</source>
        <translation>Before</translation>
    </message>
    <message>
        <source>之后</source>
        <translation>After</translation>
    </message>
    <message>
        <source>宝贝</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>已读</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>双击或按回车打开提醒: 在两次分析的对比中显示该宝贝。</source>
        <translation>Double-click an alert or press Enter to open it: the comparison of its two runs at its item.</translation>
    </message>
    <message>
        <source>群机器人 (webhook)</source>
        <translation>Group robot (webhook)</translation>
    </message>
    <message>
        <source>电子邮件</source>
        <translation>E-mail</translation>
    </message>
    <message>
        <source>https://... 或 smtps://用户名@邮件服务器:端口</source>
        <translation>https://... or smtps://user@mail-server:port</translation>
    </message>
    <message>
        <source>企业微信</source>
        <translation>WeCom</translation>
    </message>
    <message>
        <source>钉钉</source>
        <translation>DingTalk</translation>
    </message>
    <message>
        <source>类型(&amp;Y):</source>
        <translation>T&amp;ype:</translation>
    </message>
    <message>
        <source>地址(&amp;D):</source>
        <translation>A&amp;ddress:</translation>
    </message>
    <message>
        <source>格式(&amp;G):</source>
        <translation>For&amp;mat:</translation>
    </message>
    <message>
        <source>收件人(&amp;O):</source>
        <translation>T&amp;o:</translation>
    </message>
    <message>
        <source>密码(&amp;W):</source>
        <translation>Pass&amp;word:</translation>
    </message>
    <message>
        <source>添加渠道(&amp;A)</source>
        <translation>&amp;Add channel</translation>
    </message>
    <message>
        <source>试发(&amp;T)</source>
        <translation>Send a &amp;test</translation>
    </message>
    <message>
        <source>删除渠道(&amp;E)</source>
        <translation>R&amp;emove channel</translation>
    </message>
    <message>
        <source>未读</source>
        <translation>Unread</translation>
    </message>
    <message>
        <source>提醒 (%1)(&amp;2)</source>
        <translation>Alerts (%1) (&amp;2)</translation>
    </message>
    <message>
        <source>请先输入要监控的同行的掌柜名。</source>
        <translation>Enter the nick of the competitor to watch first.</translation>
    </message>
    <message>
        <source>已在监控 %1。</source>
        <translation>%1 is watched already.</translation>
    </message>
    <message>
        <source>已加入监控: %1。第一次分析作为基准, 之后每次与上一次完整的分析对比。</source>
        <translation>Now watching %1. Its first run is the baseline; every later run is compared with the last complete one.</translation>
    </message>
    <message>
        <source>分析频率需要 30m、6h、1d 这样的时长 (至少 10 分钟), 或 daily 08:30 这样的每天时刻。</source>
        <translation>The frequency needs a duration such as 30m, 6h or 1d (at least 10 minutes), or a time of day such as daily 08:30.</translation>
    </message>
    <message>
        <source>已保存 %1 的监控设置。</source>
        <translation>The watch settings of %1 are saved.</translation>
    </message>
    <message>
        <source>不再监控 %1? 已有的分析保留在店铺列表中。</source>
        <translation>Stop watching %1? Its analyses stay in the shop list.</translation>
    </message>
    <message>
        <source>监控正在分析其他店铺, 请稍后再试。</source>
        <translation>The watch is analysing another shop; try again shortly.</translation>
    </message>
    <message>
        <source>正在分析 %1...</source>
        <translation>Analysing %1...</translation>
    </message>
    <message>
        <source>群机器人需要 http:// 或 https:// 开头的地址。</source>
        <translation>A group robot needs an address that begins with http:// or https://.</translation>
    </message>
    <message>
        <source>电子邮件需要 smtps://用户名@邮件服务器[:端口] 这样的邮件服务器地址。</source>
        <translation>E-mail needs a mail server address such as smtps://user@mail-server[:port].</translation>
    </message>
    <message>
        <source>请填写收件人的邮件地址, 如 boss@example.com。</source>
        <translation>Enter the addressee's e-mail address, such as boss@example.com.</translation>
    </message>
    <message>
        <source>请先选择一个提醒渠道。</source>
        <translation>Choose a channel first.</translation>
    </message>
    <message>
        <source>删除提醒渠道 %1?</source>
        <translation>Remove the channel %1?</translation>
    </message>
    <message>
        <source>%1 已送达。</source>
        <translation>%1 took the test.</translation>
    </message>
    <message>
        <source>%1 发送失败: %2</source>
        <translation>%1 failed: %2</translation>
    </message>
</context>
</TS>
