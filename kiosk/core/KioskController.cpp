#include "KioskController.h"

#include "DisplayState.h"
#include "KioskSettings.h"
#include "ReservationLookup.h"
#include "VisitFile.h"
#include "platform/Cp932.h"

#include <cstdio>

using platform::J;

namespace {

const Rgb kWaitingColour{80, 0, 0};
const Rgb kErrorColour{200, 0, 0};
const Rgb kAcceptColour{0, 0, 100};

} // namespace

KioskController::KioskController(const platform::Clock& clock, const KioskSettings& settings)
    : m_clock(clock), m_settings(settings) {}

KioskEffects KioskController::OnKeyDown(int virtualKey) {
    KioskEffects fx;
    fx.inputTimer = KioskEffects::InputTimer::Restart;
    m_inputTimerRunning = true;

    if (virtualKey >= kKeyDigit0 && virtualKey <= kKeyDigit0 + 9) {
        m_buffer += static_cast<char>('0' + (virtualKey - kKeyDigit0));
    } else if (virtualKey >= kKeyPad0 && virtualKey <= kKeyPad0 + 9) {
        m_buffer += static_cast<char>('0' + (virtualKey - kKeyPad0));
    } else if (virtualKey == kKeyEnter) {
        return ProcessInput();
    } else if (virtualKey == kKeyF12) {
        fx.openSettings = true;
        return fx;
    }
    if (m_buffer.size() == kCodeLength)
        return ProcessInput();
    return fx;
}

KioskEffects KioskController::ProcessInput() {
    KioskEffects fx;
    fx.inputTimer = KioskEffects::InputTimer::Stop;
    m_inputTimerRunning = false;
    if (m_buffer.empty())
        return fx;

    if (m_buffer.size() != kCodeLength) {
        m_state = DisplayState::kUnreadable;
    } else {
        const std::string code = m_buffer;
        // One instant for lookup, rule and file name.
        const LocalTime now = LocalTime::At(m_clock.Now());
        if (!m_settings.DbCheck()) {
            m_state = DisplayState::kAcceptedNoLookup;
        } else {
            LookupResult r = ReservationLookup::Run(m_settings.DatabaseFolder(), code, now);
            m_state = r.state;
            if (r.patientFound)
                m_name = r.name;
            if (r.timeSet)
                m_reservationTime = r.reservationTime;
        }
        if (!m_settings.CheckInFolder().empty())
            VisitFile::Write(m_settings.CheckInFolder(), code, now);
    }

    m_buffer.clear();
    fx.startDisplayTimerMs =
        m_state == DisplayState::kUnreadable ? kShortDisplayMs : kLongDisplayMs;
    fx.repaint = true;
    return fx;
}

KioskEffects KioskController::OnInputTimer() {
    KioskEffects fx;
    fx.inputTimer = KioskEffects::InputTimer::Stop;
    m_inputTimerRunning = false;
    m_buffer.clear();
    return fx;
}

KioskEffects KioskController::OnDisplayTimer() {
    KioskEffects fx;
    fx.stopDisplayTimer = true;
    m_state = DisplayState::kWaiting;
    fx.repaint = true;
    return fx;
}

std::string KioskController::ClockText() const {
    const LocalTime now = LocalTime::At(m_clock.Now());
    char hm[8];
    std::snprintf(hm, sizeof hm, "%02d:%02d", now.hour % 100, now.minute % 100);
    return std::to_string(now.year) + J("年 ") + std::to_string(now.month) + J("月 ") +
           std::to_string(now.day) + J("日 ") + hm;
}

std::vector<KioskRow> KioskController::Rows() const {
    const std::string honorific = m_name + J(" 様");
    const std::string timeRow = J("ご予約時間 [") + m_reservationTime + "]";
    switch (m_state) {
    case DisplayState::kUnreadable:
        return {{J("バーコードの読み取りに失敗しました。再度スキャンしてください。"), kErrorColour},
                {"Failed to read the barcode. Scan again.", kErrorColour}};
    case DisplayState::kAcceptedNoLookup:
        return {{J("来院受付を行いました。"), kAcceptColour},
                {"We accepted the visit.", kAcceptColour}};
    case DisplayState::kAccepted:
        return {{honorific, kAcceptColour},
                {timeRow, kAcceptColour},
                {J("来院受付を行いました。"), kAcceptColour},
                {"We accepted the visit.", kAcceptColour}};
    case DisplayState::kAlreadyAccepted:
        return {{honorific, kAcceptColour},
                {timeRow, kAcceptColour},
                {J("受付済みとなっております。"), kAcceptColour},
                {"It has already been accepted.", kAcceptColour}};
    case DisplayState::kNoReservation:
        return {
            {honorific, kAcceptColour},
            {J("本日の予約は登録されておりません。受付スタッフにご確認ください。"), kErrorColour},
            {"Today's reservation is not registered. Ask the reception staff.", kErrorColour}};
    case DisplayState::kSeeStaff:
        return {
            {J("受付できませんでした。お手数ですが受付スタッフにお声がけください。"), kErrorColour},
            {"We could not accept the visit. Please ask the reception staff.", kErrorColour}};
    default:
        return {{J("来院受付用バーコードをリーダーにかざしてください。"), kWaitingColour},
                {"Hold the barcode for the visit reception over the reader.", kWaitingColour}};
    }
}
