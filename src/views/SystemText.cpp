#include "views/SystemText.h"

#include <algorithm>

#include <QCoreApplication>
#include <QRegularExpression>

namespace tarnwick {

namespace {

constexpr const char* kContext = "SystemText";

// How a part of a form is put into its English form.
enum class Part {
    AsIs,   // a nick, a number, a path, a time
    Words,  // page kinds, answer classes and verdicts: "宝贝页", "登录页 12, 页面改版 3"
    Text,   // a text of the core again: a reason, an error message
};

struct Form {
    const char* text;
    std::vector<Part> parts;
};

// The texts of the acquisition engine, the run health and the stores, exactly as they write
// them.
const std::vector<Form>& Forms() {
    using enum Part;
    static const std::vector<Form> forms = {
        // The analysis log.
        // clang-format off
        {QT_TRANSLATE_NOOP("SystemText", "请输入您要分析的同行的掌柜名,再点同行分析! 要分析的同行必须要在同行,且有在售中的宝贝."), {}},
        // clang-format on
        {QT_TRANSLATE_NOOP("SystemText", "开始读 %1 的数据..."), {AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "正在终止程序,此过程可能需要几分钟时间,请稍候..."), {}},
        {QT_TRANSLATE_NOOP("SystemText", "程序执行完成!"), {}},
        {QT_TRANSLATE_NOOP("SystemText", "运行状况未能保存: %1"), {Text}},
        {QT_TRANSLATE_NOOP("SystemText", "宝贝 %1 已下载%2个买家.在第%3页仍在继续中..."),
         {AsIs, AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "宝贝 %1 共下载%2个买家."), {AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "宝贝 %1 已下载%2个评价.在第%3页仍在继续中..."),
         {AsIs, AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "宝贝 %1 共下载%2个评价."), {AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText",
                           "连续%1个请求被拦截(登录页、验证页或页面改版),不再开始新的下载."),
         {AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "未找到该掌柜的店铺, 请检查掌柜名是否正确."), {}},
        {QT_TRANSLATE_NOOP("SystemText", "无法连接淘宝网, 所有请求均失败, 请检查网络后重试."), {}},
        {QT_TRANSLATE_NOOP("SystemText", "数据文件无法写入, 分析已提前结束, 已保存的数据保留."),
         {}},
        {QT_TRANSLATE_NOOP("SystemText", "正在下载 %1..."), {AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "宝贝 %1 保存失败: %2"), {AsIs, Text}},
        {QT_TRANSLATE_NOOP("SystemText", "控制下载线程启动..."), {}},
        {QT_TRANSLATE_NOOP("SystemText", "读取同行资料出错: %1"), {Text}},
        {QT_TRANSLATE_NOOP("SystemText", "正在读第%1页宝贝列表..."), {AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "保存同行资料成功."), {}},
        {QT_TRANSLATE_NOOP("SystemText", "宝贝列表共%1页, 只读前%2页."), {AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "待下载列表增加%1个宝贝..."), {AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "淘宝网拒绝了过于频繁的请求, 全部线程暂停 %1 秒后再试..."),
         {AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "连续%1次暂停后淘宝网仍然拒绝请求, 不再开始新的下载."),
         {AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "宝贝列表页面已改版, 未能读出任何宝贝, 本次分析不完整."),
         {}},
        {QT_TRANSLATE_NOOP("SystemText",
                           "淘宝网多次拒绝过于频繁的请求, 分析已提前结束, 请稍后再试或降低线程数."),
         {}},
        {QT_TRANSLATE_NOOP("SystemText", "宝贝列表页数超过上限, 只读了前面的部分, 本次分析不完整."),
         {}},
        // What a run that did not read the whole shop read: the tree, the status bar, the
        // comparison's head and the box at the end of a run.
        {QT_TRANSLATE_NOOP("SystemText", "%1: 读取 %2 / %3 个宝贝"), {Words, AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "%1: 读取 %2 / %3 个宝贝, 宝贝列表未读完"),
         {Words, AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "%1: 读取 %2 / %3 个宝贝, 宝贝列表未读完 (%4 / %5 页)"),
         {Words, AsIs, AsIs, AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "较早的分析 %1 不完整 - %2"), {AsIs, Text}},
        {QT_TRANSLATE_NOOP("SystemText", "较新的分析 %1 不完整 - %2"), {AsIs, Text}},
        {QT_TRANSLATE_NOOP("SystemText",
                           "%1 个宝贝未读取, 不算作新上架、已下架或有变化, 也不计入合计"),
         {AsIs}},
        // clang-format off
        {QT_TRANSLATE_NOOP("SystemText", "分析已完成, 但不完整: 读取了 %1 / %2 个宝贝. 未读取的宝贝在对比中显示为\"未读取\", 不算作下架. 可稍后重新分析以补全."), {AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "分析已停止: 读取了 %1 / %2 个宝贝. 未读取的宝贝在对比中显示为\"未读取\", 不算作下架. 需要完整数据时请重新分析."), {AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "淘宝网拦截了本次分析 (登录页、验证页或页面改版): 读取了 %1 / %2 个宝贝. 未读取的宝贝在对比中显示为\"未读取\", 不算作下架. 请稍后再试, 并减少线程数."), {AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "淘宝网多次拒绝过于频繁的请求, 分析已提前结束: 读取了 %1 / %2 个宝贝. 未读取的宝贝在对比中显示为\"未读取\", 不算作下架. 请稍后再试, 并减少线程数."), {AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "数据无法保存, 分析已提前结束: 读取了 %1 / %2 个宝贝. 请检查磁盘空间和数据文件的写入权限后重新分析."), {AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "宝贝列表页数超过上限, 只读了前 %1 页 (共 %2 页): 读取了 %3 / %4 个宝贝. 未读取的宝贝在对比中显示为\"未读取\", 不算作下架."), {AsIs, AsIs, AsIs, AsIs}},
        // clang-format on
        // A run's health: the log's verdict line and the reasons stored with the run.
        {QT_TRANSLATE_NOOP("SystemText", "运行状况: %1 - %2"), {Words, Text}},
        {QT_TRANSLATE_NOOP("SystemText", "运行状况: %1"), {Words}},
        {QT_TRANSLATE_NOOP("SystemText",
                           "从第 %1 个请求 (%2) 起被拦截: 登录页 %3, 验证页 %4, 页面改版 %5"),
         {AsIs, AsIs, AsIs, AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "连续 %1 个请求被拦截, 已提前停止"), {AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "全部 %1 个请求都失败了"), {AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "旺旺名片或第一页宝贝列表无法读取"), {}},
        {QT_TRANSLATE_NOOP("SystemText", "没有发出任何请求"), {}},
        {QT_TRANSLATE_NOOP("SystemText", "旺旺名片上没有店铺"), {}},
        {QT_TRANSLATE_NOOP("SystemText", "%1 / %2 个宝贝未读取"), {AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "宝贝列表未读完"), {}},
        {QT_TRANSLATE_NOOP("SystemText", "宝贝列表未读完: 读了 %1 / %2 页"), {AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "宝贝列表未读完: 读了 %1 / %2 页 (超过页数上限 %3)"),
         {AsIs, AsIs, AsIs}},
        {QT_TRANSLATE_NOOP(
             "SystemText",
             "宝贝列表共 %1 页, 只读了前 %2 页 (上限 --max-list-pages %3), 还有 %4 页未读"),
         {AsIs, AsIs, AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "宝贝列表 %1 页无法读取"), {AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "未能保存的宝贝:%1"), {AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "%1: %2/%3 失败 (%4)"), {Words, AsIs, AsIs, Words}},
        // The stores' and the exports' failures.
        {QT_TRANSLATE_NOOP("SystemText", "找不到数据文件： \"%1\" %2"), {AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "无法连接数据库服务器： \"%1\" %2"), {AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "无法写入文件 \"%1\"%2"), {AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "无法创建工作簿 \"%1\"%2"), {AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "无法写入单元格 %1%2"), {AsIs, AsIs}},
        {QT_TRANSLATE_NOOP("SystemText", "%1 个单元格的文字超过 %2 个字符, 已截断."), {AsIs, AsIs}},
    };
    return forms;
}

// The words of the health reasons, longest first so that "宝贝列表页" is never read as
// "宝贝页" with a rest.
const std::vector<const char*>& Words() {
    static const std::vector<const char*> words = [] {
        std::vector<const char*> all = {
            QT_TRANSLATE_NOOP("SystemText", "正常"),
            QT_TRANSLATE_NOOP("SystemText", "数据不全"),
            QT_TRANSLATE_NOOP("SystemText", "被拦截"),
            QT_TRANSLATE_NOOP("SystemText", "找不到店铺"),
            QT_TRANSLATE_NOOP("SystemText", "无法连接"),
            QT_TRANSLATE_NOOP("SystemText", "旺旺名片"),
            QT_TRANSLATE_NOOP("SystemText", "宝贝列表页"),
            QT_TRANSLATE_NOOP("SystemText", "宝贝页"),
            QT_TRANSLATE_NOOP("SystemText", "销量"),
            QT_TRANSLATE_NOOP("SystemText", "浏览量"),
            QT_TRANSLATE_NOOP("SystemText", "成交记录"),
            QT_TRANSLATE_NOOP("SystemText", "评价"),
            QT_TRANSLATE_NOOP("SystemText", "HTTP 错误"),
            QT_TRANSLATE_NOOP("SystemText", "网络错误"),
            QT_TRANSLATE_NOOP("SystemText", "超时"),
            QT_TRANSLATE_NOOP("SystemText", "页面过大"),
            QT_TRANSLATE_NOOP("SystemText", "登录页"),
            QT_TRANSLATE_NOOP("SystemText", "验证页"),
            QT_TRANSLATE_NOOP("SystemText", "页面改版"),
            // How a run ended, and the refusal of requests that came too fast.
            QT_TRANSLATE_NOOP("SystemText", "完成"),
            QT_TRANSLATE_NOOP("SystemText", "已停止"),
            QT_TRANSLATE_NOOP("SystemText", "数据库写入失败"),
            QT_TRANSLATE_NOOP("SystemText", "被限流"),
            QT_TRANSLATE_NOOP("SystemText", "被截断"),
            QT_TRANSLATE_NOOP("SystemText", "未结束"),
        };
        std::stable_sort(all.begin(), all.end(), [](const char* a, const char* b) {
            return QString::fromUtf8(a).size() > QString::fromUtf8(b).size();
        });
        return all;
    }();
    return words;
}

QString Translated(const char* text) {
    return QCoreApplication::translate(kContext, text);
}

QString WordsText(const QString& text) {
    QString result = text;
    for (const char* word : Words()) {
        result.replace(QString::fromUtf8(word), Translated(word));
    }
    return result;
}

// The pattern of a form: its own text as it stands, each %n a part.
QRegularExpression Pattern(const QString& form) {
    static const QRegularExpression marker(QStringLiteral("%(\\d)"));
    QString pattern = QStringLiteral("^");
    qsizetype at = 0;
    for (auto match = marker.globalMatch(form); match.hasNext();) {
        const QRegularExpressionMatch one = match.next();
        pattern += QRegularExpression::escape(form.mid(at, one.capturedStart() - at));
        pattern += QStringLiteral("(.*?)");
        at = one.capturedEnd();
    }
    pattern += QRegularExpression::escape(form.mid(at)) + QStringLiteral("$");
    return QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption);
}

// %1 ... %9 in the English form replaced once each, so that a part holding "%2" is never
// read as a marker.
QString Fill(const QString& english, const QStringList& parts) {
    QString result;
    for (qsizetype i = 0; i < english.size(); ++i) {
        if (english[i] == u'%' && i + 1 < english.size() && english[i + 1].isDigit()) {
            const int n = english[i + 1].digitValue();
            if (n >= 1 && n <= parts.size()) {
                result += parts[n - 1];
                ++i;
                continue;
            }
        }
        result += english[i];
    }
    return result;
}

QString OneLineText(const QString& line) {
    struct Compiled {
        const Form* form;
        QRegularExpression pattern;
    };
    static const std::vector<Compiled> compiled = [] {
        std::vector<Compiled> all;
        for (const Form& form : Forms()) {
            all.push_back({&form, Pattern(QString::fromUtf8(form.text))});
        }
        return all;
    }();
    for (const Compiled& one : compiled) {
        const QRegularExpressionMatch match = one.pattern.match(line);
        if (!match.hasMatch()) {
            continue;
        }
        const QString english = Translated(one.form->text);
        if (english == QString::fromUtf8(one.form->text)) {
            return line;  // the Chinese interface: the core's text as written
        }
        QStringList parts;
        for (std::size_t i = 0; i < one.form->parts.size(); ++i) {
            const QString part = match.captured(static_cast<int>(i) + 1);
            switch (one.form->parts[i]) {
                case Part::AsIs:
                    parts.append(part);
                    break;
                case Part::Words:
                    parts.append(WordsText(part));
                    break;
                case Part::Text:
                    parts.append(OneLineText(part));
                    break;
            }
        }
        return Fill(english, parts);
    }
    return line;
}

}  // namespace

QString SystemText(const QString& text) {
    // Under the Chinese interface every form is its own translation: nothing to look for.
    static const char* const kProbe = Forms().front().text;
    if (Translated(kProbe) == QString::fromUtf8(kProbe)) {
        return text;
    }
    if (!text.contains(QLatin1Char('\n'))) {
        return OneLineText(text);
    }
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        line = OneLineText(line);
    }
    return lines.join(QLatin1Char('\n'));
}

std::vector<const char*> SystemTextForms() {
    std::vector<const char*> all;
    for (const Form& form : Forms()) {
        all.push_back(form.text);
    }
    for (const char* word : Words()) {
        all.push_back(word);
    }
    return all;
}

}  // namespace tarnwick
