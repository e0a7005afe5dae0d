#include "agent/app/CApposyncDlg.h"

#include "agent/app/AgentController.h"
#include "agent/app/HealthIcons.h"
#include "agent/dialogs/ReviewModes.h"
#include "agent/sync/bulk/BulkSend.h"
#include "agent/sync/health/HealthMonitor.h"
#include "agent/sync/log/OperationLog.h"
#include "platform/Cp932.h"
#include "platform/qt/QtText.h"
#include "platform/qt/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QVBoxLayout>
#include <algorithm>

namespace {

using C = AgentController;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The agent's icon: a small calendar leaf, drawn so the program needs no image files.
QIcon AgentIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x2e, 0x7d, 0x32));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(2, 4, 28, 26, 4, 4);
    painter.setBrush(Qt::white);
    painter.drawRect(6, 12, 20, 14);
    painter.setBrush(QColor(0x2e, 0x7d, 0x32));
    painter.drawRect(9, 15, 4, 4);
    painter.drawRect(15, 15, 4, 4);
    painter.drawRect(9, 21, 4, 3);
    painter.end();
    return QIcon(pixmap);
}

} // namespace

CApposyncDlg::CApposyncDlg(AgentController& controller, OperationLog& log, bool useTray,
                           QWidget* parent)
    : QDialog(parent), m_controller(controller), m_log(log) {
    setWindowTitle(U("予約情報送信"));
    setWindowIcon(AgentIcon());
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_controller.OnTimer(); });
    m_placementSave.setSingleShot(true);
    m_placementSave.setInterval(1000);
    connect(&m_placementSave, &QTimer::timeout, this, &CApposyncDlg::SavePlacement);

    BuildControls();
    BuildMenus();

    if (useTray)
        AttachTray();

    m_confirmExit = [this] {
        QMessageBox box(QMessageBox::Warning, U("Apposync"), U("Corvane Web連携機能を終了します。"),
                        QMessageBox::Ok | QMessageBox::Cancel, this);
        return box.exec() == QMessageBox::Ok;
    };

    m_log.AddListener([this](const std::string&, bool) { RefreshLog(); });
    m_controller.SetChangeListener([this] { Refresh(); });
    RefreshLog();
    Refresh();
}

CApposyncDlg::~CApposyncDlg() {
    m_controller.SetChangeListener({});
    if (m_placementSave.isActive())
        SavePlacement();
    if (m_health)
        m_health->SetListener({});
    if (m_tray)
        m_tray->hide();
}

void CApposyncDlg::AttachTray() {
    if (m_tray)
        return;
    m_tray = new QSystemTrayIcon(m_health ? HealthIcons::For(m_shownHealth) : AgentIcon(), this);
    m_tray->setToolTip(TrayToolTip());
    // Either button opens the pop-up menu at the cursor.
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context)
                    ShowPopupAtCursor();
            });
    m_tray->show();
}

void CApposyncDlg::BuildControls() {
    m_list = new QListWidget(this);
    m_list->setObjectName("1000");
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setMinimumSize(320, 120);

    auto* buttons = new QVBoxLayout;
    const std::pair<int, const char*> rows[] = {
        {C::kStart, "開始"},
        {C::kStop, "停止"},
        {C::kSettings, "設定"},
        {C::kNotice, "お知らせ"},
        {C::kBulkPatients, "患者一括送信"},
        {C::kBulkMemos, "患者メモ一括送信"},
    };
    for (const auto& [id, text] : rows) {
        auto* button = new QPushButton(U(text), this);
        button->setObjectName(QString::number(id));
        button->setAutoDefault(false);
        const int command = id;
        connect(button, &QPushButton::clicked, this, [this, command] { OnCommand(command); });
        buttons->addWidget(button);
        m_buttons[id] = button;
    }
    buttons->addStretch();
    auto* ok = new QPushButton(U("OK"), this);
    ok->setObjectName("1");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CApposyncDlg::accept);
    buttons->addWidget(ok);
    m_buttons[1] = ok;

    // Shown only while a bulk send runs.
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("bulkProgress");
    m_progress->setFormat("%v / %m");
    m_progress->hide();
    // The health line: shown once a monitor is attached.
    m_healthIcon = new QLabel(this);
    m_healthIcon->setObjectName("healthIcon");
    m_healthText = new QLabel(this);
    m_healthText->setObjectName("healthLine");
    m_healthText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long driver message wraps instead of widening the window.
    m_healthText->setWordWrap(true);
    auto* health = new QHBoxLayout;
    health->addWidget(m_healthIcon, 0, Qt::AlignTop);
    health->addWidget(m_healthText, 1);
    m_healthIcon->hide();
    m_healthText->hide();
    auto* left = new QVBoxLayout;
    left->addLayout(health);
    left->addWidget(m_list, 1);
    left->addWidget(m_progress);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    // Wide enough for a log line with a patient's name and a reservation without scrolling, but
    // never past a small or scaled screen (1366x768 at twice the size leaves 683x384), where the
    // buttons would be out of reach; the frame needs a margin too.
    setSizeGripEnabled(true);
    QSize size(kDefaultWidth, kDefaultHeight);
    if (const QScreen* s = screen())
        size = size.boundedTo(s->availableGeometry().size() * 9 / 10).expandedTo(minimumSizeHint());
    resize(size);
}

void CApposyncDlg::RememberPlacement(std::unique_ptr<platform::WindowPlacement> placement) {
    m_placement = std::move(placement);
    if (m_placement)
        m_placement->Restore(*this);
    m_placementSave.stop(); // restoring is not a change to save
}

void CApposyncDlg::SavePlacement() {
    m_placementSave.stop();
    if (m_placement)
        m_placement->Save(*this);
}

void CApposyncDlg::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (m_placement && isVisible())
        m_placementSave.start();
}

void CApposyncDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_placement && isVisible())
        m_placementSave.start();
}

void CApposyncDlg::BuildMenus() {
    m_popup = new QMenu(this);
    auto add = [this](QMenu* menu, int id, const char* text) {
        QAction* action = menu->addAction(U(text));
        const int command = id;
        connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
        m_actions[id] = action;
    };
    add(m_popup, C::kMenuOpen, "連携画面を開く");
    add(m_popup, C::kMenuSettings, "設定を開く");
    add(m_popup, C::kMenuCheck, "予約重複等のチェック");
    QMenu* more = m_popup->addMenu(U("その他の操作"));
    add(more, C::kMenuNotice, "お知らせ送信");
    add(more, C::kMenuBulkPatients, "患者一括送信");
    add(more, C::kMenuBulkMemos, "患者メモ一括送信");
    m_popup->addSeparator();
    add(m_popup, C::kMenuExit, "Web連携機能の終了");
    connect(m_popup, &QMenu::aboutToShow, this, &CApposyncDlg::Refresh);

    // The system menu of the original desktop has no counterpart here: the About item lives in
    // the window's context menu.
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        menu.addAction(U("バージョン情報 Apposync(&A)..."), this, &CApposyncDlg::ShowAbout);
        if (!m_tray) {
            // No tray to reach the pop-up menu from: offer its items here.
            menu.addSeparator();
            for (QAction* action : m_popup->actions())
                menu.addAction(action);
        }
        Refresh();
        menu.exec(mapToGlobal(pos));
    });
}

QAction* CApposyncDlg::MenuAction(int id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

QPushButton* CApposyncDlg::Button(int id) const {
    auto it = m_buttons.find(id);
    return it == m_buttons.end() ? nullptr : it->second;
}

void CApposyncDlg::Initialise(bool hideAtStart) {
    if (m_controller.Start())
        m_log.WriteLog(OperationLog::Info, platform::J("開始"));
    show();
    if (hideAtStart && m_tray)
        QTimer::singleShot(0, this, &CApposyncDlg::accept);
}

void CApposyncDlg::Refresh() {
    m_buttons[C::kStart]->setEnabled(m_controller.StartEnabled());
    m_buttons[C::kStop]->setEnabled(m_controller.StopEnabled());
    for (auto& [id, action] : m_actions)
        action->setEnabled(m_controller.MenuItemEnabled(id));
}

void CApposyncDlg::RefreshLog() {
    // The log keeps the lines (newest first, bounded); the list mirrors them.
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    for (const std::string& line : m_log.Lines())
        m_list->addItem(platform::ToQString(line));
    m_list->setUpdatesEnabled(true);
}

void CApposyncDlg::NotBuilt(const char* functionUtf8) {
    m_controller.RunGuarded([&] {
        m_log.WriteLog(OperationLog::Info, platform::J(std::string("「") + functionUtf8 +
                                                       "」はこのビルドにはまだありません。"));
    });
}

void CApposyncDlg::EnableBulkSends(const ClinicSettings& settings, WebSession& web,
                                   std::string databaseFolder) {
    m_bulkFolder = std::move(databaseFolder);
    BulkSend::Hooks hooks;
    hooks.confirm = [this](const std::string& question) {
        if (m_confirmBulk)
            return m_confirmBulk(question);
        QMessageBox box(QMessageBox::Question, U("Apposync"), platform::ToQString(question),
                        QMessageBox::Ok | QMessageBox::Cancel, this);
        return box.exec() == QMessageBox::Ok;
    };
    hooks.progress = [this](int current, int total) {
        m_progress->setRange(0, std::max(total, 1));
        m_progress->setValue(std::min(current, std::max(total, 1)));
        m_progress->show();
    };
    hooks.pumpEvents = [this] {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (m_bulkPumpObserver)
            m_bulkPumpObserver();
    };
    // The busy guard around the send already keeps the cycle timer dead; no hooks for it here.
    m_bulk = std::make_unique<BulkSend>(settings, web, m_log, std::move(hooks));
}

void CApposyncDlg::RunBulkSend(bool patients) {
    if (!m_bulk) {
        NotBuilt(patients ? "患者一括送信" : "患者メモ一括送信");
        return;
    }
    if (m_bulk->Busy())
        return;
    m_controller.RunGuarded([&] {
        if (patients)
            m_bulk->SendAllPatients(m_bulkFolder);
        else
            m_bulk->SendAllMemos(m_bulkFolder);
    });
    m_progress->hide();
}

void CApposyncDlg::OnCommand(int id) {
    switch (id) {
    case C::kStart:
        if (m_controller.Start())
            m_log.WriteLog(OperationLog::Info, platform::J("開始"));
        break;
    case C::kStop:
        m_controller.Stop();
        break;
    case C::kSettings:
    case C::kMenuSettings:
        if (m_openSettings)
            m_controller.RunGuarded(m_openSettings);
        else
            NotBuilt("設定");
        break;
    case C::kNotice:
    case C::kMenuNotice:
        if (m_openNotices)
            m_controller.RunGuarded([this] { m_openNotices(this); });
        else
            NotBuilt("お知らせ");
        break;
    case C::kBulkPatients:
    case C::kMenuBulkPatients:
        RunBulkSend(true);
        break;
    case C::kBulkMemos:
    case C::kMenuBulkMemos:
        RunBulkSend(false);
        break;
    case C::kMenuCheck:
        m_controller.RunGuarded([this] { OpenCheckReservation(this); });
        break;
    case C::kMenuOpen:
        ShowFromTray();
        break;
    case C::kMenuExit:
        if (!m_controller.MenuItemEnabled(C::kMenuExit))
            break;
        if (m_confirmExit && m_confirmExit()) {
            m_exiting = true;
            SavePlacement();
            m_controller.Stop();
            if (m_tray)
                m_tray->hide();
            emit exitRequested();
        }
        break;
    default:
        break;
    }
}

void CApposyncDlg::AttachHealth(HealthMonitor& health) {
    // A lambda connection cannot be made unique: connect only on the first attach.
    if (!m_health)
        connect(&m_healthTimer, &QTimer::timeout, this, [this] { m_health->Reevaluate(); });
    m_health = &health;
    health.SetListener([this](const HealthSnapshot& now, const HealthMonitor::Change& change) {
        ShowHealth(now, change);
    });
    m_healthTimer.setInterval(kHealthRecheckMs);
    m_healthTimer.start();
    // The first judgement draws the icons and changes nothing, so it announces nothing.
    const HealthState state = health.Current().state;
    ShowHealth(health.Current(), {state, state});
}

QString CApposyncDlg::TrayToolTip() const {
    // The program's name stays first: the tray holds other programs' icons too.
    const QString name = U("Corvane Web連携PG");
    return m_trayToolTip.isEmpty() ? name : name + "\n" + m_trayToolTip;
}

void CApposyncDlg::ShowHealth(const HealthSnapshot& health, const HealthMonitor::Change& change) {
    const QString text = platform::ToQString(health.Text());
    if (health.state != m_shownHealth || m_healthIcon->pixmap().isNull()) {
        m_shownHealth = health.state;
        const QIcon icon = HealthIcons::For(health.state);
        const int side = m_healthText->fontMetrics().height();
        m_healthIcon->setPixmap(icon.pixmap(QSize(side, side), devicePixelRatioF()));
        if (m_tray)
            m_tray->setIcon(icon);
    }
    m_healthText->setText(text);
    m_healthIcon->show();
    m_healthText->show();
    m_trayToolTip = text;
    if (m_tray)
        m_tray->setToolTip(TrayToolTip());

    const HealthMonitor::Announcement a = HealthMonitor::Announce(health, change);
    if (a.Empty())
        return;
    const QString title = platform::ToQString(a.title);
    const QString message = platform::ToQString(a.text);
    if (m_trayMessageObserver)
        m_trayMessageObserver(title, message);
    if (m_tray)
        m_tray->showMessage(title, message,
                            change.EnteredError() ? QSystemTrayIcon::Critical
                                                  : QSystemTrayIcon::Information);
}

void CApposyncDlg::ShowFromTray() {
    showNormal();
    raise();
    activateWindow();
}

void CApposyncDlg::ShowPopupAtCursor() {
    Refresh();
    m_popup->popup(QCursor::pos());
}

void CApposyncDlg::ShowAbout() {
    m_controller.RunGuarded([this] {
        QMessageBox::about(this, U("Apposyncのバージョン情報"),
                           U("Apposync Version 1.0\nCorvane Web連携PG"));
    });
}

void CApposyncDlg::PutAway() {
    // OK, Esc and the close box never stop the agent; they start it when stopped.
    if (m_controller.Start())
        m_log.WriteLog(OperationLog::Info, platform::J("開始"));
    SavePlacement();
    if (m_tray)
        hide();
    else
        showMinimized(); // without a tray a hidden window could not be reached again
}

void CApposyncDlg::accept() {
    PutAway();
}

void CApposyncDlg::reject() {
    PutAway();
}

void CApposyncDlg::closeEvent(QCloseEvent* event) {
    if (m_exiting) {
        event->accept();
        return;
    }
    event->ignore();
    PutAway();
}

void CApposyncDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && m_tray)
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                hide();
        });
}
