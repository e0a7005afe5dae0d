#include "agent/dialogs/NotificationEditor.h"

#include "agent/core/LocalDateConversions.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

// A validity date of the form: checked with its date when there is one, else unchecked on today.
void PutDate(const std::string& date, bool& use, std::string& picker, const std::string& today) {
    use = !date.empty();
    picker = use ? date : today;
}

} // namespace

NotificationEditor::NotificationEditor(bool individual, tagNotificationData notice,
                                       const platform::Clock& clock)
    : m_individual(individual), m_notice(std::move(notice)) {
    const std::string today = TodayYmd(clock);
    const bool copy = m_notice.id == tagNotificationData::kCopyId;
    m_initial.sendDate = today;
    if (m_notice.Existing() && !m_notice.notificationDate.empty())
        m_initial.sendDate = m_notice.notificationDate;
    std::string from = m_notice.validFromDate;
    std::string to = m_notice.validToDate;
    if (copy) {
        // A copy is sent anew: a validity that has already begun or ended is not carried over.
        if (!from.empty() && !IsTodayOrLater(from, clock))
            from.clear();
        if (!to.empty() && !IsTodayOrLater(to, clock))
            to.clear();
    }
    PutDate(from, m_initial.useValidFrom, m_initial.validFrom, today);
    PutDate(to, m_initial.useValidTo, m_initial.validTo, today);
    m_initial.title = m_notice.title;
    m_initial.content = m_notice.content;
}

std::string NotificationEditor::Caption() const {
    return J(m_individual ? "お知らせ - 患者個別通知" : "お知らせ - 全体通知");
}

void NotificationEditor::SetPatient(const std::string& key, const std::string& displayNo,
                                    const std::string& name, const std::string& kana) {
    m_notice.patientKey = key;
    m_notice.patientId = displayNo;
    m_notice.patientName = name;
    m_notice.patientKana = kana;
}

std::string NotificationEditor::PatientText() const {
    return m_notice.PatientText();
}

bool NotificationEditor::IsBlank(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ' ' || c == '\r' || c == '\n' || c == '\t')
            continue;
        if (c == 0x81 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x40) {
            ++i; // full-width blank
            continue;
        }
        return false;
    }
    return true;
}

NotificationEditor::Check NotificationEditor::Confirm(const Form& form) const {
    Check check;
    if (m_individual && m_notice.patientKey.empty()) {
        check.refusal = J("患者を選択してください。");
        check.focus = Focus::Patient;
        return check;
    }
    if (IsBlank(form.title)) {
        check.refusal = J("タイトルを入力してください。");
        check.focus = Focus::Title;
        return check;
    }
    if (IsBlank(form.content)) {
        check.refusal = J("お知らせを入力してください。");
        check.focus = Focus::Content;
        return check;
    }
    const std::string verb = J(m_notice.Existing() ? "更新" : "送信");
    if (m_individual)
        check.question = J("患者[") + PatientText() + J("]\nへのお知らせを") + verb +
                         J("してよろしいでしょうか？");
    else
        check.question = J("全体へのお知らせを") + verb + J("してよろしいでしょうか？");
    return check;
}

tagNotificationData NotificationEditor::Result(const Form& form) const {
    tagNotificationData n = m_notice;
    if (!m_individual) {
        n.patientKey.clear();
        n.patientId.clear();
        n.patientName.clear();
        n.patientKana.clear();
    }
    n.notificationDate = form.sendDate;
    n.validFromDate = form.useValidFrom ? form.validFrom : std::string();
    n.validToDate = form.useValidTo ? form.validTo : std::string();
    n.title = form.title;
    n.content = form.content;
    return n;
}
