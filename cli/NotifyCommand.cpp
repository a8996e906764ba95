#include "NotifyCommand.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "ExitCodes.h"
#include "export/TerminalText.h"
#include "notify/Delivery.h"
#include "store/WatchRows.h"
#include "watch/StoreWatchStore.h"
#include "watch/WatchRunner.h"

namespace tarnwick::cli {

namespace {

// One line from standard input; with a terminal there, without echoing it.
std::string ReadPassword(bool prompt) {
    const bool terminal = isatty(STDIN_FILENO) == 1;
    termios saved{};
    if (terminal && prompt) {
        std::cerr << "邮箱密码 (不回显): " << std::flush;
    }
    if (terminal && tcgetattr(STDIN_FILENO, &saved) == 0) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string password;
    std::getline(std::cin, password);
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::cerr << '\n';
    }
    if (!password.empty() && password.back() == '\r') {
        password.pop_back();
    }
    return password;
}

Notification TestNotice() {
    Notification notice;
    notice.title = "监控 测试: Quorvane 的提醒会这样送达";
    notice.lines = {"这是一条测试提醒 (tarnwick-cli notify test)。"};
    notice.entries = {{"test", "", "", "", "", notice.lines[0]}};
    return notice;
}

}  // namespace

NotifyCommand::NotifyCommand()
    : ViewCommand("notify", "Where the alerts of watched shops are sent: webhooks and e-mail") {
}

void NotifyCommand::Declare(CLI::App& app) {
    app.require_subcommand(1, 1);
    m_add = app.add_subcommand("add", "Send alerts to a webhook or by e-mail");
    AddChoiceOption(*m_add, "KIND", m_kind, {"webhook", "email"},
                    "webhook: an HTTP POST of JSON; email: through a mail server")
        ->required();
    m_add
        ->add_option("ADDRESS", m_address,
                     "The webhook's URL, or the mail server smtps://USER@HOST[:PORT] (TLS, port "
                     "465) or smtp://USER@HOST[:PORT] (STARTTLS, port 587)")
        ->required();
    AddChoiceOption(*m_add, "--style", m_style, {"json", "wecom", "dingtalk"},
                    "webhook: our own JSON (the default), or the text message of a WeCom or "
                    "DingTalk group robot");
    m_add->add_option("--to", m_to, "email: the recipient")->type_name("ADDRESS");
    m_add
        ->add_option("--from", m_from,
                     "email: the sender (USER when it is an address, else "
                     "USER@HOST)")
        ->type_name("ADDRESS");
    m_add->add_flag("--password-stdin", m_passwordStdin,
                    "email: read the login's password from standard input (asked for without "
                    "echo on a terminal otherwise)");
    m_add->add_flag("--plain", m_plain,
                    "email over smtp://: send without STARTTLS (a relay on this machine only: "
                    "the password would cross the network in the clear)");
    AddDatabaseOption(*m_add);

    m_list = app.add_subcommand("list", "List the channels, passwords and keys hidden");
    AddFormatOptions(*m_list);
    m_remove = app.add_subcommand("remove", "Send no more alerts to a channel");
    m_remove->add_option("ID", m_id, "The channel's number, as notify list shows it")->required();
    AddDatabaseOption(*m_remove);
    m_test = app.add_subcommand("test", "Send a test alert to every channel, or to one");
    m_test->add_option("ID", m_id, "Only this channel");
    AddDatabaseOption(*m_test);
    m_test->footer("\nExit status: 0 every channel took the test; 10 one did not (it says why).");
}

int NotifyCommand::Run() {
    if (m_add->parsed()) {
        return Add();
    }
    if (m_list->parsed()) {
        return List();
    }
    if (m_remove->parsed()) {
        return Remove();
    }
    return Test();
}

int NotifyCommand::Add() {
    ChannelRow row;
    row.Kind = m_kind;
    row.AddTime = DateTime::Now();
    if (m_kind == "webhook") {
        if (!IsWebhookAddress(m_address)) {
            throw UsageError("a webhook needs an http:// or https:// address, not " +
                             ShownAddress(m_address));
        }
        if (!m_to.empty() || !m_from.empty() || m_passwordStdin || m_plain) {
            throw UsageError("--to, --from, --password-stdin and --plain are for email");
        }
        row.Address = m_address;
        row.Style = m_style;
    } else {
        const std::optional<SmtpAddress> server = ParseSmtpAddress(m_address);
        if (!server) {
            throw UsageError("email needs a mail server such as smtps://USER@HOST[:PORT], not " +
                             ShownAddress(m_address));
        }
        if (!IsMailAddress(m_to)) {
            throw UsageError("email needs --to with a plain address such as boss@example.com");
        }
        if (!m_from.empty() && !IsMailAddress(m_from)) {
            throw UsageError("--from needs a plain address such as shop@example.com");
        }
        if (m_plain && server->implicitTls) {
            throw UsageError("--plain is for smtp://; smtps:// is TLS from the start");
        }
        // The password is kept apart from the address, which is shown; one given in the
        // address moves there.
        row.Address = ShownAddress(m_address);
        row.Password = m_passwordStdin ? ReadPassword(false) : server->password;
        if (row.Password.empty() && !m_passwordStdin && isatty(STDIN_FILENO) == 1) {
            row.Password = ReadPassword(true);
        }
        row.MailTo = m_to;
        row.MailFrom = m_from;
        row.Plain = m_plain ? 1 : 0;
    }
    Store store = OpenStore();
    RequireWatchTables(store);
    row.ChannelID = store.AddChannel(row);
    std::cout << "已添加提醒渠道 " << ChannelTag(ChannelFromRow(row)) << ": "
              << TerminalText(ShownChannel(ChannelFromRow(row))) << "\n"
              << "试发一条: tarnwick-cli notify test " << row.ChannelID << "\n";
    return 0;
}

int NotifyCommand::List() {
    Store store = OpenStore();
    RequireWatchTables(store);
    ViewTable table({{"ChannelID", "编号"},
                     {"Kind", "类型"},
                     {"Address", "地址"},
                     {"Style", "格式"},
                     {"MailTo", "收件人"},
                     {"AddTime", "添加时间"}});
    for (const ChannelRow& row : store.ReadChannels()) {
        table.AddRow({std::int64_t{row.ChannelID}, row.Kind, ShownAddress(row.Address),
                      row.Kind == "webhook" ? ViewCell(row.Style) : ViewCell(),
                      row.Kind == "email" ? ViewCell(row.MailTo) : ViewCell(), row.AddTime});
    }
    Emit(table);
    return 0;
}

int NotifyCommand::Remove() {
    Store store = OpenStore();
    RequireWatchTables(store);
    if (!store.RemoveChannel(m_id)) {
        throw std::runtime_error("没有编号为 " + std::to_string(m_id) +
                                 " 的提醒渠道 (tarnwick-cli notify list 列出)");
    }
    std::cout << "已删除提醒渠道 " << m_id << "\n";
    return 0;
}

int NotifyCommand::Test() {
    Store store = OpenStore();
    RequireWatchTables(store);
    int failed = 0;
    int tried = 0;
    for (const ChannelRow& row : store.ReadChannels()) {
        if (m_id != 0 && row.ChannelID != m_id) {
            continue;
        }
        ++tried;
        const ChannelConfig channel = ChannelFromRow(row);
        // Once, at once: the user is waiting for the answer.
        RetryPolicy once;
        once.attempts = 1;
        DeliveryResult result;
        try {
            result = Deliver(*MakeChannel(channel), TestNotice(), once, {});
        } catch (const std::exception& error) {
            result.error = error.what();
        }
        std::cout << ChannelTag(channel) << " " << TerminalText(ShownChannel(channel)) << ": "
                  << (result.delivered ? "已送达" : "失败: " + TerminalText(result.error)) << "\n";
        failed += result.delivered ? 0 : 1;
    }
    if (tried == 0) {
        throw std::runtime_error(m_id != 0 ? "没有编号为 " + std::to_string(m_id) + " 的提醒渠道"
                                           : "还没有提醒渠道 (tarnwick-cli notify add ...)");
    }
    return failed > 0 ? kExitNotifyFailed : kExitComplete;
}

}  // namespace tarnwick::cli
