#pragma once
// The payment bridge without a window: polls the request folder, runs one sale at a time on the
// CAT control, answers with the result file and keeps the list and the CSV log. The window
// forwards its timer ticks, buttons and the status message edits here and paints the state.
//
// Files: requests "<base>.dat" in <database>/Cashless/ are renamed to "<base>.pro" while their
// sale runs and then to "<base>.fin" (code 0) or "<base>.err" with "$RESULT=<code>" appended.
// Requests with absurd amounts (PaymentRequest::AmountProblem) are answered with 106 at once and
// never reach the terminal.
#include "cashless/cat/CatEvents.h"
#include "platform/FolderWatch.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CCat1;
class PaymentRequest;
namespace platform {
class Clock;
}

class PaygateController : public CatEvents {
public:
    using Row = std::array<std::string, 6>; // 日時, ID, 氏名, 金額, 種類, 結果

    // `profile` is the product settings file (PelmoV3.ini). The control and the clock must
    // outlive the controller; the controller becomes the control's event sink.
    PaygateController(std::string profile, CCat1& cat, const platform::Clock& clock);
    ~PaygateController() override;

    // Window opening: reads [Cashless] Log and Type, purges the request folder (a list row and a
    // CSV line for each request, interrupted sale and uncollected answer it removes) and starts
    // the poll timer.
    void Open();
    // The poll timer's tick; does nothing while the timer is stopped.
    void Tick();
    // Readable when a file landed in the request folder (written and closed, or moved in); -1
    // when the folder cannot be watched, and then the poll timer alone finds requests.
    int ArrivalHandle() const { return m_watch.Handle(); }
    // Call when the arrival handle is readable: takes the news and, when a file landed, runs
    // the same step as a tick, so a request is answered without waiting for the poll.
    void OnArrival();
    // Readable when the terminal may have news for the outstanding sale; -1 while no terminal
    // is connected. Changes as the terminal is claimed and released: ask after every step.
    int EventHandle() const;
    // Delivers the control's events (call often; `waitMs` bounds the wait).
    void PumpEvents(int waitMs);
    // Button 2 (also Escape and the close box). True when the window should hide: no sale was
    // running. During a sale it stops the sale instead and answers false.
    bool Button2();
    // Stops the outstanding sale: the request is answered with 3040.
    void Stop();

    // The "ログ記録" box: writes [Cashless] Log.
    void SetLogChecked(bool checked);
    bool LogChecked() const { return m_log; }
    // The user edited the status message field (typing "test" turns on test mode).
    void SetStatusMessage(const std::string& text) { m_statusMessage = text; }
    // Test mode: the status message field reads exactly "test". A request taken now is answered
    // with 0 (".fin") without touching the terminal, and its result cell reads "OK(テスト)".
    // The field is not rewritten meanwhile, so the mode stays on until the user changes the text
    // or another status is shown.
    bool TestMode() const { return m_statusMessage == kTestWord; }
    static constexpr const char* kTestWord = "test";

    // [Cashless] AmountLimit, read at each request: the highest total (amount plus tax) sent to
    // the terminal; a larger one is refused with 106. Missing or below 1: kDefaultAmountLimit.
    std::int64_t AmountLimit() const;
    static constexpr std::int64_t kDefaultAmountLimit = 9999999;

    std::string DatabaseFolder() const; // [GLOBAL] DATABASE with a trailing '/', or ""
    std::string RequestFolder() const;  // <database>/Cashless/
    std::string LogFolder() const;      // <database>/Cashless/log/

    const std::string& StatusCode() const { return m_statusCode; }
    const std::string& StatusMessage() const { return m_statusMessage; }
    // Grows whenever the status fields are rewritten by the controller. While a request is being
    // run they read "" and "処理中", except in test mode.
    int StatusRevision() const { return m_statusRevision; }
    // Index 0 is the newest row.
    const std::vector<Row>& Rows() const { return m_rows; }
    int RowsRevision() const { return m_rowsRevision; }
    std::string Button2Text() const;
    bool Busy() const { return m_pending != -1; }
    bool PollTimerRunning() const { return m_polling; }
    std::int32_t PendingOutputId() const { return m_pending; }
    const std::string& CurrentRequestPath() const { return m_current; }
    int TerminalType() const { return m_terminalType; }

    void OnOutputCompleteEvent(std::int32_t outputId) override;
    void OnErrorEvent(int resultCode, int resultCodeExtended, int errorLocus,
                      int& errorResponse) override;

private:
    // REQUIRES: m_testSale says whether the request was taken in test mode.
    int StartSale(const PaymentRequest& request);
    void Finish(int code);
    void ResetTerminal();
    void ShowStatus(int code);
    void ShowText(const std::string& code, const std::string& message);
    void AddRow(const PaymentRequest& request, const std::string& result);
    void WriteCsvLog(const Row& row);
    void Purge();
    std::string Now() const;
    void WatchRequests(const std::string& folder);

    std::string m_profile;
    CCat1& m_cat;
    const platform::Clock& m_clock;
    platform::FolderWatch m_watch;

    int m_terminalType = 1;
    bool m_log = true;
    bool m_polling = false;
    std::int32_t m_pending = -1;
    std::string m_current;
    bool m_testSale = false; // the current request was taken in test mode

    std::string m_statusCode;
    std::string m_statusMessage;
    int m_statusRevision = 0;
    std::vector<Row> m_rows;
    int m_rowsRevision = 0;
};
