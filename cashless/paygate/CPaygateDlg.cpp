#include "CPaygateDlg.h"

#include "PaygateController.h"
#include "PaygateTexts.h"
#include "platform/Cp932.h"
#include "platform/qt/QtText.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

using platform::J;
using platform::ToQString;

namespace {
QString T(const char* utf8) {
    return ToQString(J(utf8));
}

// The program's icon: a payment card.
QIcon CardIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(0x1f, 0x6f, 0xb5));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(0.5, size * 0.2, size - 1.0, size * 0.6), size / 8.0, size / 8.0);
        p.setBrush(QColor(0xf2, 0xc1, 0x4e));
        p.drawRect(QRectF(size * 0.15, size * 0.38, size * 0.22, size * 0.16));
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

// The fallback: requests are taken as they land and terminal news as it arrives.
constexpr int kPollMs = 1000;
} // namespace

CPaygateDlg::CPaygateDlg(PaygateController& controller, QWidget* parent)
    : QDialog(parent), m_ctl(controller) {
    setWindowTitle("Paygate");
    setWindowIcon(CardIcon());
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);

    m_testBanner = new QLabel(T("テストモード: 端末に送信しません"));
    m_testBanner->setObjectName("testBanner");
    m_testBanner->setAlignment(Qt::AlignCenter);
    m_testBanner->setStyleSheet("QLabel#testBanner { background: #c62828; color: white; "
                                "font-weight: bold; padding: 6px; }");
    m_testBanner->hide();

    auto* status = new QHBoxLayout;
    status->addWidget(new QLabel(T("ステータス")));
    m_code = new QLineEdit;
    m_code->setReadOnly(true);
    m_code->setFixedWidth(70);
    status->addWidget(m_code);
    m_message = new QLineEdit;
    status->addWidget(m_message, 1);
    connect(m_message, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_ctl.SetStatusMessage(platform::FromQString(t));
        Refresh();
    });

    m_list = new QTreeWidget;
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels({T("日時"), "ID", T("氏名"), T("金額"), T("種類"), T("結果")});
    m_list->headerItem()->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    m_list->setMinimumSize(560, 220);

    m_log = new QCheckBox(T("ログ記録"));
    connect(m_log, &QCheckBox::clicked, this, [this](bool on) { m_ctl.SetLogChecked(on); });
    auto* logFolder = new QPushButton(T("ログフォルダ"));
    connect(logFolder, &QPushButton::clicked, this, &CPaygateDlg::OpenLogFolder);
    auto* quit = new QPushButton(T("停止して終了"));
    connect(quit, &QPushButton::clicked, this, &CPaygateDlg::Quit);
    auto* termset = new QPushButton(T("端末設定"));
    connect(termset, &QPushButton::clicked, this, &CPaygateDlg::StartTermset);
    m_button2 = new QPushButton;
    m_button2->setAutoDefault(false);
    connect(m_button2, &QPushButton::clicked, this, &CPaygateDlg::OnButton2);
    for (auto* b : {logFolder, quit, termset})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_log);
    buttons->addWidget(logFolder);
    buttons->addStretch(1);
    buttons->addWidget(termset);
    buttons->addWidget(quit);
    buttons->addWidget(m_button2);

    auto* top = new QVBoxLayout(this);
    top->addWidget(m_testBanner);
    top->addLayout(status);
    top->addWidget(m_list, 1);
    top->addLayout(buttons);

    m_poll = new QTimer(this);
    m_poll->setInterval(kPollMs);
    connect(m_poll, &QTimer::timeout, this, &CPaygateDlg::PollOnce);

    m_confirmQuit = [this] {
        return QMessageBox::question(this, "Paygate", T("キャッシュレス決済機能を終了します。"),
                                     QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    };
}

CPaygateDlg::~CPaygateDlg() {
    if (m_tray)
        m_tray->hide();
}

void CPaygateDlg::Start() {
    m_ctl.Open();
    m_log->setChecked(m_ctl.LogChecked());
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_tray = new QSystemTrayIcon(CardIcon(), this);
        m_tray->setToolTip(TrayToolTip());
        connect(m_tray, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason r) {
                    if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::Context ||
                        r == QSystemTrayIcon::DoubleClick)
                        ShowFromTray();
                });
        m_tray->show();
    }
    if (m_ctl.ArrivalHandle() >= 0) {
        m_arrivals = new QSocketNotifier(m_ctl.ArrivalHandle(), QSocketNotifier::Read, this);
        connect(m_arrivals, &QSocketNotifier::activated, this, [this] {
            m_ctl.OnArrival();
            m_ctl.PumpEvents(0); // news that came with the sale's acceptance
            Refresh();
        });
    }
    Refresh();
    m_poll->start();
    if (m_tray)
        QTimer::singleShot(0, this, [this] { ToTray(); });
}

void CPaygateDlg::PollOnce() {
    m_ctl.Tick();
    m_ctl.PumpEvents(0);
    Refresh();
}

QString CPaygateDlg::TrayToolTip() const {
    return m_ctl.TestMode() ? T("キャッシュレス決済（テストモード: 端末に送信しません）")
                            : T("キャッシュレス決済");
}

void CPaygateDlg::Refresh() {
    const bool test = m_ctl.TestMode();
    m_testBanner->setVisible(test);
    if (m_tray && m_tray->toolTip() != TrayToolTip())
        m_tray->setToolTip(TrayToolTip());
    if (m_statusSeen != m_ctl.StatusRevision()) {
        m_statusSeen = m_ctl.StatusRevision();
        m_code->setText(ToQString(m_ctl.StatusCode()));
        m_message->setText(ToQString(m_ctl.StatusMessage()));
    }
    if (m_rowsSeen != m_ctl.RowsRevision()) {
        m_rowsSeen = m_ctl.RowsRevision();
        m_list->clear();
        for (const auto& row : m_ctl.Rows()) {
            auto* item = new QTreeWidgetItem;
            for (int c = 0; c < 6; ++c)
                item->setText(c, ToQString(row[static_cast<std::size_t>(c)]));
            item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
            const std::string& result = row[5];
            item->setToolTip(5, ToQString(PaygateTexts::ResultTip(result)));
            if (result == PaygateTexts::ResultCell(0, true))
                item->setForeground(5, QColor(0xc6, 0x28, 0x28));
            m_list->addTopLevelItem(item);
        }
        for (int c = 0; c < 6; ++c)
            m_list->resizeColumnToContents(c);
    }
    m_button2->setText(ToQString(m_ctl.Button2Text()));
    FollowTerminal();
}

void CPaygateDlg::FollowTerminal() {
    const int handle = m_ctl.EventHandle();
    if (handle == m_terminalHandle)
        return;
    if (m_terminal) {
        // Possibly inside its own signal: stop it now, delete it later.
        m_terminal->setEnabled(false);
        m_terminal->deleteLater();
        m_terminal = nullptr;
    }
    m_terminalHandle = handle;
    if (handle < 0)
        return;
    m_terminal = new QSocketNotifier(handle, QSocketNotifier::Read, this);
    connect(m_terminal, &QSocketNotifier::activated, this, [this] {
        m_ctl.PumpEvents(0);
        Refresh();
    });
}

void CPaygateDlg::OnButton2() {
    if (m_ctl.Button2())
        ToTray();
    Refresh();
}

void CPaygateDlg::ToTray() {
    // Without a tray icon a hidden window could not be brought back: minimise instead.
    if (m_tray)
        hide();
    else
        showMinimized();
}

void CPaygateDlg::ShowFromTray() {
    showNormal();
    raise();
    activateWindow();
}

void CPaygateDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        ToTray();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        OnButton2();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CPaygateDlg::closeEvent(QCloseEvent* event) {
    if (m_quitting) {
        event->accept();
        return;
    }
    event->ignore();
    OnButton2();
}

void CPaygateDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) &&
        m_tray)
        QTimer::singleShot(0, this, [this] { hide(); });
}

void CPaygateDlg::contextMenuEvent(QContextMenuEvent* event) {
    // The version item lives here: the desktop has no system menu to carry it.
    QMenu menu(this);
    menu.addAction(T("バージョン情報 Paygate(&A)..."), this, &CPaygateDlg::ShowVersion);
    menu.exec(event->globalPos());
}

void CPaygateDlg::ShowVersion() {
    QMessageBox box(this);
    box.setWindowTitle(T("バージョン情報 Paygate"));
    box.setIconPixmap(CardIcon().pixmap(32, 32));
    box.setText(T("Paygate Version 3.0\nキャッシュレス決済"));
    box.exec();
}

void CPaygateDlg::OpenLogFolder() {
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QDir(ToQString(m_ctl.LogFolder())).absolutePath()));
}

void CPaygateDlg::StartTermset() {
    QProcess::startDetached(QCoreApplication::applicationDirPath() + "/termset", {});
}

void CPaygateDlg::Quit() {
    if (!m_confirmQuit())
        return;
    m_quitting = true;
    if (m_tray)
        m_tray->hide();
    QApplication::quit();
}
