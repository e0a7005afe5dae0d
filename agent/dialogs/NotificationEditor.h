#pragma once
// The notice editor (CNotificationInfo) without its window: what the form starts with (the
// dates of a copy are carried over only while they still lie ahead), the refusals and the
// confirmation question of OK, and the notice the form describes.
#include <string>

#include "agent/dialogs/tagNotificationData.h"
#include "platform/Clock.h"

class NotificationEditor {
public:
    enum class Focus { None, Patient, Title, Content };

    // The editable fields as the window's controls hold them. A validity date is used only
    // while its box is checked; the picker keeps a date either way.
    struct Form {
        std::string sendDate; // YYYYMMDD
        bool useValidFrom = false;
        std::string validFrom; // YYYYMMDD
        bool useValidTo = false;
        std::string validTo; // YYYYMMDD
        std::string title;
        std::string content; // lines separated by CR LF
    };

    // The answer to OK: a refusal (shown with OK, then the focus goes to its field) or, without
    // one, the Yes/No question that decides whether the editor closes with OK.
    struct Check {
        std::string refusal;
        Focus focus = Focus::None;
        std::string question;
    };

    // individual: a notice to one patient (else to all patients); clock: today's date.
    NotificationEditor(bool individual, tagNotificationData notice, const platform::Clock& clock);

    bool Individual() const { return m_individual; }
    // "お知らせ - 全体通知" or "お知らせ - 患者個別通知".
    std::string Caption() const;
    const Form& Initial() const { return m_initial; }

    // The addressee picked in the patient search.
    void SetPatient(const std::string& key, const std::string& displayNo, const std::string& name,
                    const std::string& kana);
    const tagNotificationData& Notice() const { return m_notice; }
    // "display number : name(kana)"; empty without a patient.
    std::string PatientText() const;

    Check Confirm(const Form& form) const;
    // The edited notice (its id, patient and read mark as they were).
    tagNotificationData Result(const Form& form) const;

    // True when the text holds nothing but half-width and full-width blanks and line breaks.
    static bool IsBlank(const std::string& text);

private:
    bool m_individual;
    tagNotificationData m_notice;
    Form m_initial;
};
