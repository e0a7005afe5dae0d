#include "agent/dialogs/CUrlSetting.h"

#include "agent/dialogs/DialogText.h"
#include "agent/dialogs/OkCancelBox.h"
#include "agent/dialogs/UrlSettings.h"
#include "platform/Cp932.h"
#include "platform/qt/QtText.h"
#include "platform/qt/ShellOpen.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

using platform::FromQString;
using platform::J;
using platform::ToQString;

namespace {

// One link group: "URL" with its edit and "開く", "見出し" below.
QGroupBox* LinkGroup(const char* title, QLineEdit* url, QPushButton* open, QLineEdit* heading) {
    auto* group = new QGroupBox(DialogText(title));
    auto* grid = new QGridLayout(group);
    auto* urlLabel = new QLabel("URL");
    urlLabel->setBuddy(url);
    auto* headingLabel = new QLabel(DialogText("見出し"));
    headingLabel->setBuddy(heading);
    grid->addWidget(urlLabel, 0, 0);
    grid->addWidget(url, 0, 1);
    grid->addWidget(open, 0, 2);
    grid->addWidget(headingLabel, 1, 0);
    grid->addWidget(heading, 1, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    return group;
}

} // namespace

CUrlSetting::CUrlSetting(WebSession& web, std::string clinicCode, QWidget* parent)
    : QDialog(parent), m_web(web), m_clinicCode(std::move(clinicCode)) {
    setWindowTitle(DialogText("URL設定"));
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    const int em = fontMetrics().horizontalAdvance(QChar(0x3042)); // one full-width character
    auto edit = [&](const char* id, int limit, int widthChars) {
        auto* e = new QLineEdit;
        e->setObjectName(id);
        e->setMaxLength(limit);
        e->setMinimumWidth(em * widthChars);
        return e;
    };
    m_url = edit("1006", static_cast<int>(UrlSettings::kUrlChars), 28);
    m_title = edit("1013", static_cast<int>(UrlSettings::kTitleChars), 21);
    m_url2 = edit("1016", static_cast<int>(UrlSettings::kUrlChars), 28);
    m_title2 = edit("1017", static_cast<int>(UrlSettings::kTitleChars), 21);
    m_open1 = new QPushButton(DialogText("開く"));
    m_open1->setObjectName("1001");
    m_open2 = new QPushButton(DialogText("開く"));
    m_open2->setObjectName("1002");
    for (QPushButton* b : {m_open1, m_open2})
        b->setAutoDefault(false);
    connect(m_open1, &QPushButton::clicked, this, [this] { Open(m_url); });
    connect(m_open2, &QPushButton::clicked, this, [this] { Open(m_url2); });

    QDialogButtonBox* buttons = OkCancelBox(*this);

    auto* top = new QVBoxLayout(this);
    top->addWidget(LinkGroup("リンク（右）", m_url, m_open1, m_title));
    top->addWidget(LinkGroup("リンク（左）", m_url2, m_open2, m_title2));
    top->addWidget(buttons);
    setTabOrder(m_url, m_open1);
    setTabOrder(m_open1, m_title);
    setTabOrder(m_title, m_url2);
    setTabOrder(m_url2, m_open2);
    setTabOrder(m_open2, m_title2);

    const UrlSettings s = UrlSettings::Read().Cut();
    m_url->setText(ToQString(s.url));
    m_title->setText(ToQString(s.title));
    m_url2->setText(ToQString(s.url2));
    m_title2->setText(ToQString(s.title2));
    for (QLineEdit* e : {m_url, m_title, m_url2, m_title2})
        e->setCursorPosition(0);

    m_inform = [this](const std::string& text) {
        QMessageBox box(QMessageBox::Warning, windowTitle(), ToQString(text), QMessageBox::Ok,
                        this);
        box.exec();
    };
    m_open = [](const std::string& address) { return platform::ShellOpen(address); };
}

QWidget* CUrlSetting::Control(int id) const {
    return findChild<QWidget*>(QString::number(id));
}

void CUrlSetting::Open(QLineEdit* edit) {
    m_open(FromQString(edit->text()));
}

void CUrlSetting::accept() {
    UrlSettings s;
    s.url = FromQString(m_url->text());
    s.title = FromQString(m_title->text());
    s.url2 = FromQString(m_url2->text());
    s.title2 = FromQString(m_title2->text());
    if (!s.Write()) {
        m_inform(J("設定ファイルに保存できませんでした。"));
        return;
    }
    const UrlSettings::Outcome out = s.Publish(m_web, m_clinicCode);
    auto withError = [&](const char* textUtf8) {
        std::string text = J(textUtf8);
        if (!out.error.empty())
            text += "\n" + out.error;
        return text;
    };
    switch (out.kind) {
    case UrlSettings::Outcome::Written:
        break;
    case UrlSettings::Outcome::NotConnected:
        // The user may try again or cancel; nothing of the input is lost either way.
        m_inform(withError("Webデータベースに接続できませんでした。\n"
                           "入力した内容は設定ファイルに保存済みです。"));
        return;
    case UrlSettings::Outcome::QueryFailed:
        m_inform(withError("Webデータベースの施設情報を読めませんでした。\n"
                           "入力した内容は設定ファイルに保存済みです。"));
        return;
    case UrlSettings::Outcome::StatementFailed:
        m_inform(out.error);
        break;
    }
    QDialog::accept();
}
