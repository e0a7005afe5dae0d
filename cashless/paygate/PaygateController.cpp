#include "PaygateController.h"

#include "PaygateTexts.h"
#include "PaymentRequest.h"
#include "cashless/cat/CCat1.h"
#include "cashless/cat/CatCodes.h"
#include "platform/ClinicZone.h"
#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/Profile.h"

#include <fcntl.h>
#include <optional>
#include <unistd.h>

using platform::J;

namespace {
bool EndsWithNoCase(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size())
        return false;
    for (std::size_t i = 0; i < tail.size(); ++i) {
        char a = s[s.size() - tail.size() + i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (a != tail[i])
            return false;
    }
    return true;
}

std::string WithoutExtension(const std::string& path) {
    std::size_t dot = path.rfind('.');
    std::size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path;
    return path.substr(0, dot);
}

std::string BaseName(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return WithoutExtension(slash == std::string::npos ? path : path.substr(slash + 1));
}

// Appends without creating or truncating; false when the file cannot be opened or written.
bool AppendTo(const std::string& path, const std::string& bytes, bool create) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | (create ? O_CREAT : 0), 0644);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return done == bytes.size();
}
} // namespace

PaygateController::PaygateController(std::string profile, CCat1& cat, const platform::Clock& clock)
    : m_profile(std::move(profile)), m_cat(cat), m_clock(clock) {
    m_cat.SetEventSink(this);
}

PaygateController::~PaygateController() {
    m_cat.SetEventSink(nullptr);
}

std::string PaygateController::DatabaseFolder() const {
    std::string d = platform::GetProfileString(m_profile, "GLOBAL", "DATABASE", "");
    if (!d.empty() && d.back() != '/')
        d += '/';
    return d;
}

std::string PaygateController::RequestFolder() const {
    return DatabaseFolder() + "Cashless/";
}
std::string PaygateController::LogFolder() const {
    return RequestFolder() + "log/";
}

std::int64_t PaygateController::AmountLimit() const {
    const int limit = platform::GetProfileInt(m_profile, "Cashless", "AmountLimit",
                                              static_cast<int>(kDefaultAmountLimit));
    return limit < 1 ? kDefaultAmountLimit : limit;
}

std::string PaygateController::Button2Text() const {
    return m_pending != -1 ? J("決済処理停止") : J("閉じる");
}

std::string PaygateController::Now() const {
    std::tm tm = platform::ToClinicTime(m_clock.Now());
    char buf[64];
    std::strftime(buf, sizeof(buf), "%Y/%m/%d %H:%M:%S", &tm);
    return buf;
}

void PaygateController::Open() {
    m_log = platform::GetProfileInt(m_profile, "Cashless", "Log", 1) != 0;
    m_terminalType = platform::GetProfileInt(m_profile, "Cashless", "Type", 1);
    Purge();
    m_polling = true;
    WatchRequests(RequestFolder());
}

void PaygateController::WatchRequests(const std::string& folder) {
    // DATABASE may change while running and the folder may appear later: follow it each tick.
    m_watch.Watch(folder);
}

void PaygateController::OnArrival() {
    if (m_watch.Drain())
        Tick();
}

int PaygateController::EventHandle() const {
    return m_cat.EventHandle();
}

void PaygateController::SetLogChecked(bool checked) {
    m_log = checked;
    platform::WriteProfileString(m_profile, "Cashless", "Log", checked ? "1" : "0");
}

void PaygateController::ShowText(const std::string& code, const std::string& message) {
    if (code == m_statusCode && message == m_statusMessage)
        return; // a failure repeated every tick must not keep rewriting the fields
    m_statusCode = code;
    m_statusMessage = message;
    ++m_statusRevision;
}

void PaygateController::ShowStatus(int code) {
    ShowText(std::to_string(code),
             PaygateTexts::StatusMessage(
                 code, code == cat::kExtended ? m_cat.GetResultCodeExtended() : 0));
}

void PaygateController::AddRow(const PaymentRequest& request, const std::string& result) {
    Row row{Now(),
            request.id,
            request.name,
            PaygateTexts::DisplayAmount(request.DisplayTotal()),
            PaygateTexts::KindName(request.kind),
            result};
    m_rows.insert(m_rows.begin(), row);
    ++m_rowsRevision;
}

void PaygateController::Purge() {
    const std::string folder = RequestFolder();
    for (const auto& f : platform::FindFiles(folder, "*")) {
        if (f.hidden || f.system)
            continue;
        const std::string path = folder + f.name;
        // Requests, sales and answers of an earlier run leave a trace before they go, so the
        // front desk can check the terminal and the practice software.
        PaymentRequest request;
        std::string trace;
        if (EndsWithNoCase(f.name, ".pro")) {
            // A sale was running when the last run ended: its answer never reached the
            // practice software.
            request.Read(path);
            trace = J("中断(") + BaseName(f.name) + ")";
        } else if (EndsWithNoCase(f.name, ".dat")) {
            // A request that was never taken up: nothing was charged.
            request.Read(path);
            trace = J("未処理(") + BaseName(f.name) + ")";
        } else if (EndsWithNoCase(f.name, ".fin") || EndsWithNoCase(f.name, ".err")) {
            // An answer the practice software never collected.
            std::optional<int> code;
            request.ReadAnswer(path, code);
            trace = J("未回収(") + BaseName(f.name) + ")";
            if (code)
                trace += " " + PaygateTexts::ResultCell(*code);
        }
        if (!trace.empty()) {
            AddRow(request, trace);
            if (m_log)
                WriteCsvLog(m_rows.front());
        }
        platform::RemoveFile(path);
    }
}

void PaygateController::Tick() {
    if (!m_polling || m_pending != -1)
        return;
    const std::string folder = RequestFolder();
    WatchRequests(folder);
    auto found = platform::FindFiles(folder, "*.dat");

    for (const auto& f : found) {
        if (f.hidden || f.system)
            continue;
        const std::string path = folder + f.name;
        const std::string base = WithoutExtension(path);

        // A request whose processing or answer name is taken cannot be answered: the sale must
        // not run, or the practice software would read an older answer as this one's. It waits,
        // uncharged, until the way is clear; the next request is looked at meanwhile.
        std::string blocker;
        for (const char* ext : {".pro", ".fin", ".err"})
            if (blocker.empty() && platform::FileExists(base + ext))
                blocker = BaseName(path) + ext;
        if (!blocker.empty()) {
            ShowText("-1",
                     J("同名のファイル(") + blocker + J(")があるため決済しません: ") + f.name);
            continue;
        }

        PaymentRequest request;
        if (!request.Read(path))
            return; // tried again next tick
        const std::string processing = base + ".pro";
        if (!platform::RenameNoReplace(path, processing)) {
            // Without its ".pro" a sale could be taken up twice: leave the request (for example
            // in a read-only folder) and try again next tick.
            ShowText("-1", J("要求ファイルの名前を変更できないため決済しません: ") + f.name);
            continue;
        }
        m_polling = false;
        m_current = processing;
        AddRow(request, J("処理中"));
        m_pending = 0; // Button 2 reads "決済処理停止" from here on
        // Test mode is decided once, as the request is taken; its word must stay in the field.
        m_testSale = TestMode();
        if (!m_testSale)
            ShowText("", J("処理中")); // not the previous sale's result while this one runs

        const std::string problem = request.AmountProblem(AmountLimit());
        if (!problem.empty() || !request.valid) {
            // Absurd amounts and numbers beyond the terminal's range never go to the terminal:
            // answered as an illegal argument without touching the control.
            if (problem.empty())
                ShowStatus(cat::kIllegal);
            else
                ShowText(std::to_string(cat::kIllegal), problem);
            Finish(cat::kIllegal);
            m_pending = -1;
            return;
        }
        int r = StartSale(request);
        if (m_testSale) {
            Finish(0);
            ResetTerminal();
        } else if (r != 0) {
            ShowStatus(r);
            Finish(r);
            ResetTerminal();
        }
        // r == 0: the sale is outstanding; "処理中" stays until its answer arrives.
        return;
    }
}

int PaygateController::StartSale(const PaymentRequest& request) {
    m_pending = 0;
    if (m_testSale)
        return 0;
    int r = m_cat.Close();
    if (r != 0 && r != cat::kClosed)
        return r;
    r = m_cat.Open(m_terminalType != 0 ? "STERA_OCX" : "INFOX_OCX");
    if (r != 0)
        return r;
    if (!m_cat.GetClaimed()) {
        r = m_cat.ClaimDevice(10000);
        if (r != 0)
            return r;
    }
    m_cat.SetAsyncMode(true);
    m_cat.SetDeviceEnabled(true);
    m_cat.SetPaymentMedia(static_cast<std::int32_t>(request.kind));
    m_cat.SetTrainingMode(request.training != 0);
    if (m_terminalType != 0 && request.steraOption != 0) {
        std::int32_t data = request.steraOption == 1 ? 0 : 1;
        std::string text = "0";
        m_cat.DirectIO(20001, &data, &text);
    }
    std::int64_t amount = request.amount;
    std::int64_t tax = request.taxOthers;
    if (PaygateTexts::MergesTax(request.kind)) {
        amount += tax;
        tax = 0;
    }
    if (request.kind == 700 && request.waonOption == 0)
        tax = amount;
    r = m_cat.AuthorizeSales(0, amount * 10000, tax * 10000, -1);
    m_pending = r == 0 ? m_cat.GetOutputID() : -1;
    return r;
}

void PaygateController::Finish(int code) {
    if (!m_current.empty()) {
        const std::string ext = code != 0 ? ".err" : ".fin";
        if (code == cat::kExtended)
            code = m_cat.GetResultCodeExtended() + 2000;
        else if (code == cat::kExtCancelledByPos)
            code = 3040;
        AppendTo(m_current, "$RESULT=" + std::to_string(code), false);
        const std::string answer = WithoutExtension(m_current) + ext;
        if (!platform::RenameNoReplace(m_current, answer)) {
            // An older answer of that name was not collected yet; never replace it. The ".pro"
            // keeps the result line and is reported as interrupted at the next start.
            ShowText(std::to_string(code),
                     J("結果ファイルを作成できません(同名のファイルがあります): ") +
                         BaseName(answer) + ext);
        }
        if (!m_rows.empty()) {
            m_rows.front()[5] = PaygateTexts::ResultCell(code, m_testSale);
            ++m_rowsRevision;
            if (m_log)
                WriteCsvLog(m_rows.front());
        }
        m_current.clear();
    }
    m_testSale = false;
    m_polling = true;
}

void PaygateController::ResetTerminal() {
    m_pending = -1;
    m_cat.SetDeviceEnabled(false);
    m_cat.ReleaseDevice();
}

void PaygateController::WriteCsvLog(const Row& row) {
    std::string line = PaygateTexts::CsvLine({row.begin(), row.end()});
    if (line.size() <= 10)
        return;
    const std::string year = line.substr(1, 4);
    const std::string month = line.substr(6, 2);
    const std::string folder = LogFolder() + year + "/";
    if (!platform::MakeDirs(folder))
        return;
    AppendTo(folder + month + ".csv", line, true);
}

void PaygateController::PumpEvents(int waitMs) {
    m_cat.PumpEvents(waitMs);
}

void PaygateController::OnOutputCompleteEvent(std::int32_t outputId) {
    if (outputId != m_pending)
        return;
    int r = m_cat.GetResultCode();
    ShowStatus(r);
    Finish(r);
    ResetTerminal();
}

void PaygateController::OnErrorEvent(int resultCode, int, int, int& errorResponse) {
    ShowStatus(resultCode);
    errorResponse = cat::kResponseClear;
    Finish(resultCode);
    ResetTerminal();
}

bool PaygateController::Button2() {
    if (m_pending == -1)
        return true;
    Stop();
    return false;
}

void PaygateController::Stop() {
    if (m_pending == -1)
        return;
    int r = m_cat.ClearOutput();
    ShowStatus(r);
    Finish(cat::kExtCancelledByPos);
    ResetTerminal();
}
