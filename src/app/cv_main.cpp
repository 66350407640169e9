#include "app/cv_main.h"

#include "app/appsettings.h"
#include "app/mainpictures.h"
#include "app/utils.h"
#include "calendar/uCalendar.h"
#include "components/picturebutton.h"
#include "platform/qt/qtbitmapimage.h"
#include "platform/qt/qtmessagepump.h"
#include "platform/shellopener.h"
#include "timesync/clockupdate.h"
#include "timesync/nettime.h"
#include "timesync/testras.h"
#include "worldmap/citytable.h"
#include "worldmap/mapview.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>
#include <clocale>
#include <filesystem>

namespace {

constexpr const char* kHomePage = "https://veltrix.example/chronivo/";
constexpr QSize kClientSize(409, 225);
constexpr QSize kMapSize(316, 158);

// The paint box of the map: it asks the main window to paint and never erases on its own, so a
// frame replaces the previous one without flicker.
class MapBox final : public QWidget {
public:
    MapBox(TcvMain* owner, QWidget* parent) : QWidget(parent), m_owner(owner)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        m_owner->MapPaint(painter);
    }

private:
    TcvMain* m_owner;
};

QLabel* ReadoutLabel(QWidget* parent, const QRect& place, Qt::Alignment alignment)
{
    auto* label = new QLabel(parent);
    label->setGeometry(place);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

} // namespace

TcvMain::TcvMain(const std::string& appPath, MainServices services) : m_services(std::move(services))
{
    CreateTimeSync();
    m_state.AppPath = appPath;
    setWindowFlags(Qt::FramelessWindowHint | Qt::Window);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(kClientSize);
    setWindowIcon(main_pictures::ProgramIcon());
    CreateComponents();
    FormCreate();
}

TcvMain::~TcvMain() = default;

// The time query and the clock update, on the given services or the system's (an absent clock
// setter leaves the clock alone); their waits run the Qt event loop.
void TcvMain::CreateTimeSync()
{
    TimeSyncServices& sync = m_services.timeSync;
    if (!sync.pump)
        sync.pump = std::make_unique<QtMessagePump>();
    CompleteTimeSyncServices(sync);
    m_netTime = std::make_unique<NetTime>(NetTimeServices{*sync.sockets, *sync.ticks, *sync.pump, *sync.zone});
    ClockUpdater::Hooks hooks;
    hooks.busyCursor = [this](bool busy) { busy ? setCursor(Qt::WaitCursor) : unsetCursor(); };
    hooks.report = [this](const std::string& message, MessageIcon icon) {
        QMessageBox box(icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::Warning,
                        QStringLiteral("Veltrix Chronivo"), QString::fromStdString(message), QMessageBox::Ok, this);
        box.exec();
    };
    m_clockUpdater = std::make_unique<ClockUpdater>(
        ClockUpdater::Services{*m_netTime, *sync.setter, *m_services.clock, *m_services.formats, *sync.ticks},
        std::move(hooks));
}

void TcvMain::CreateComponents()
{
    using namespace main_pictures;

    m_background = Background(kClientSize);
    m_cityData.SetStrings(BuiltInCityRows());
    m_clockPanel = new QWidget(this);
    m_clockPanel->setGeometry(142, 6, 220, 21);
    m_clockPanel->setObjectName(QStringLiteral("ClockPanel"));
    m_clockPanel->setAttribute(Qt::WA_StyledBackground);
    // Black with a lowered bevel two pixels wide.
    m_clockPanel->setStyleSheet(QStringLiteral("#ClockPanel { background: black; border: 2px solid; "
                                               "border-color: #101010 #8a93a6 #8a93a6 #101010; }"
                                               "QLabel { color: aqua; background: transparent; "
                                               // 8 points at 96 dots per inch, whatever the screen's scaling
                                               "font-family: Arial, 'Liberation Sans'; font-size: 11px; }"));
    m_lbTime = ReadoutLabel(m_clockPanel, QRect(2, 4, 48, 13), Qt::AlignHCenter);
    m_lbTime->setText(QStringLiteral("00:00:00"));
    m_lbDate = ReadoutLabel(m_clockPanel, QRect(54, 4, 162, 13), Qt::AlignLeft);

    m_timer = new QTimer(this);
    m_timer->setInterval(500);
    connect(m_timer, &QTimer::timeout, this, &TcvMain::TimerTimer);

    m_btnMinimize = new PictureButton(this, QRect(371, 11, 11, 11), Minimize(), QStringLiteral("Minimize"));
    m_btnClose = new PictureButton(this, QRect(384, 23, 11, 11), Close(), QStringLiteral("Close"));
    m_ibSetClock = new PictureButton(this, QRect(378, 48, 19, 19), SetClock(), QStringLiteral("Set Clock"));
    m_ibVeltrix = new PictureButton(this, QRect(304, 206, 58, 15), Logo(), QStringLiteral("Open Veltrix home page"));
    m_ibSettings = new PictureButton(this, QRect(378, 96, 19, 19), Settings(), QStringLiteral("Settings"));
    m_ibShowCal = new PictureButton(this, QRect(378, 72, 19, 19), ShowCal(), QStringLiteral("Show Calendar"));
    m_ibHelp = new PictureButton(this, QRect(378, 120, 19, 19), Help(), QStringLiteral("Help"));
    connect(m_btnMinimize, &QAbstractButton::clicked, this, &TcvMain::btnMinimizeClick);
    connect(m_btnClose, &QAbstractButton::clicked, this, &TcvMain::btnCloseClick);
    connect(m_ibSetClock, &QAbstractButton::clicked, this, [this] { UpdateSystemClock(m_ibSetClock); });
    connect(m_ibVeltrix, &QAbstractButton::clicked, this, &TcvMain::ibVeltrixClick);
    connect(m_ibSettings, &QAbstractButton::clicked, this, &TcvMain::ibSettingsClick);
    connect(m_ibShowCal, &QAbstractButton::clicked, this, &TcvMain::ibShowCalClick);
    connect(m_ibHelp, &QAbstractButton::clicked, this, &TcvMain::ibHelpClick);

    m_map = new MapBox(this, this);
    m_map->setGeometry(QRect(QPoint(47, 39), kMapSize));

    m_popupMenu = new QMenu(this);
    m_miRestore = m_popupMenu->addAction(QStringLiteral("Minimize"), this, &TcvMain::miRestoreClick);
    m_popupMenu->setDefaultAction(m_miRestore);
    m_popupMenu->addSeparator();
    m_miSync = m_popupMenu->addAction(QStringLiteral("Sync Clock"));
    connect(m_miSync, &QAction::triggered, this, [this] { UpdateSystemClock(m_miSync); });
    m_miCal = m_popupMenu->addAction(QStringLiteral("Show Calendar"), this, &TcvMain::ibShowCalClick);
    m_popupMenu->addSeparator();
    m_miClose = m_popupMenu->addAction(QStringLiteral("Unload"), this, &TcvMain::btnCloseClick);
}

void TcvMain::FormCreate()
{
    using namespace settings_file;

    m_state.FirstTickDone = false;
    // Numbers in the settings file and the city table always use ".", whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    m_state.LastMapTime = 0;
    m_state.MapReady = false;

    m_state.IniFileName = m_state.AppPath + kFileName;
    m_state.HelpFileName = m_state.AppPath + kHelpFileName;

    const WindowPlace place = ReadWindowPlace(m_state.IniFileName);
    move(place.left, place.top);

    // A world picture beside the program replaces the built-in one; see mappictures.h for what passes.
    const std::string mapFile = m_state.AppPath + kReplacementMapFileName;
    if (std::filesystem::exists(mapFile)) {
        if (const BmpStatus status = LoadReplacementWorldMap(mapFile, m_mapBitmap); status != BmpStatus::Ok)
            qWarning("%s is passed over: %s", mapFile.c_str(), BmpStatusName(status));
        QCoreApplication::processEvents();
    }

    // A city table beside the program replaces the built-in rows; a file that is no table is ignored.
    if (auto rows = ReadCityFile(m_state.AppPath + kCityFileName))
        m_cityData.SetStrings(*rows);

    ReadDisplaySettings(m_state);
    LoadMapCities();

    ReadClockSettings(m_state);
    m_ibSetClock->setVisible(m_state.UpdateType != 0);

    m_state.TrayMode = ReadTrayMode(m_state.IniFileName);

    // The map area takes the world picture's size, so a replacement of another size resizes it.
    FFrameBitmap = Bitmap(m_mapBitmap.Width(), m_mapBitmap.Height());
    FViewBitmap = Bitmap(m_mapBitmap.Width(), m_mapBitmap.Height());
    m_map->resize(m_mapBitmap.Width(), m_mapBitmap.Height());
    m_mapGeometry.width = m_mapBitmap.Width();
    m_mapGeometry.height = m_mapBitmap.Height();

    ComposeMapView();
}

void TcvMain::FormShow()
{
    if (m_state.TrayMode)
        EnterTrayMode();
    m_timer->start();
}

void TcvMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormShow();
}

void TcvMain::TimerTimer()
{
    if (!m_state.FirstTickDone) {
        if (settings_file::ReadMinimized(m_state.IniFileName))
            btnMinimizeClick();
        m_state.FirstTickDone = true;
    }

    TickTexts texts;
    if (!BeginTick(m_state, m_services.clock->Now(), *m_services.formats, texts))
        return;

    m_lbTime->setText(QString::fromStdString(texts.time));
    if (texts.dateChanged)
        m_lbDate->setText(QString::fromStdString(texts.date));
    const QString title = QString::fromStdString(texts.title);
    setWindowTitle(title);
    if (m_state.TrayMode && m_trayIcon)
        m_trayIcon->setToolTip(title);

    if (TakeMapRedraw(m_state, texts.seconds, m_hiddenInTray)) {
        QCoreApplication::processEvents();
        DrawMap(m_timer);
    }

    if (AutomaticUpdateDue(m_state.UpdateType, m_state.TickTime, m_state.LastUpdate, texts.seconds,
                           [this] { return IsDialUpConnected(); }))
        UpdateSystemClock(m_timer);
}

void TcvMain::btnMinimizeClick()
{
    // Hiding is only safe where a tray icon can bring the window back.
    if (m_state.TrayMode && m_trayIcon) {
        hide();
        m_hiddenInTray = true;
    } else {
        showMinimized();
    }
    m_miRestore->setText(QStringLiteral("Restore"));
}

void TcvMain::miRestoreClick()
{
    if (m_hiddenInTray) {
        m_hiddenInTray = false;
        showNormal();
        raise();
        activateWindow();
        m_miRestore->setText(QStringLiteral("Minimize"));
    } else {
        m_hiddenInTray = true;
        hide();
        m_miRestore->setText(QStringLiteral("Restore"));
    }
}

void TcvMain::EnterTrayMode()
{
    if (m_trayIcon || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_trayIcon = new QSystemTrayIcon(windowIcon(), this);
    m_trayIcon->setToolTip(QStringLiteral("Chronivo"));
    m_trayIcon->setContextMenu(nullptr);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        TrayIconClick(reason == QSystemTrayIcon::Context ? Qt::RightButton : Qt::LeftButton, QCursor::pos());
    });
    m_trayIcon->show();
}

void TcvMain::LeaveTrayMode()
{
    if (!m_trayIcon)
        return;
    delete m_trayIcon;
    m_trayIcon = nullptr;
}

void TcvMain::TrayIconClick(Qt::MouseButton button, QPoint position)
{
    if (button == Qt::LeftButton)
        miRestoreClick();
    else
        m_popupMenu->popup(position);
}

void TcvMain::btnCloseClick()
{
    close();
}

void TcvMain::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TcvMain::FormClose()
{
    // Runs once, whether the close came from a button, the menu or the session ending.
    if (m_closed)
        return;
    m_closed = true;
    m_timer->stop();
    m_state.MapReady = false;
    FFrameBitmap = Bitmap();
    FViewBitmap = Bitmap();
    if (m_state.TrayMode)
        LeaveTrayMode();
    settings_file::SaveWindowOnExit(m_state.IniFileName, m_hiddenInTray, {x(), y()});
}

void TcvMain::ibVeltrixClick()
{
    ShellExecFile(*m_services.opener, "open", kHomePage);
}

void TcvMain::ibHelpClick()
{
    ShellExecFile(*m_services.opener, "open", m_state.HelpFileName);
}

void TcvMain::ibShowCalClick()
{
    // A new window each time, so it opens on the current year; it is destroyed when it closes.
    TcvCalendar cvCalendar(*m_services.clock, *m_services.formats, this);
    cvCalendar.exec();
}

void TcvMain::ibSettingsClick()
{
    // The settings dialog comes with its own work.
}

void TcvMain::UpdateSystemClock(QObject* sender)
{
    UpdateRequester requester = UpdateRequester::Timer;
    if (sender == m_ibSetClock)
        requester = UpdateRequester::SetClockButton;
    else if (sender == m_miSync)
        requester = UpdateRequester::SyncMenu;
    m_clockUpdater->UpdateSystemClock(m_state, requester);
}

double TcvMain::CurrentTimeZoneBias() const
{
    return TimeZoneBias(*m_services.timeSync.zone);
}

bool TcvMain::IsDialUpConnected()
{
    return ::IsDialUpConnected(*m_services.timeSync.dialUp);
}

void TcvMain::LoadMapCities()
{
    m_mapCities = ::LoadMapCities(m_state.IniFileName, m_state.CitySection, m_cityData.Strings());
}

std::string TcvMain::MapCityTimeText(const TMapCity& city) const
{
    return CityTimeText(city, m_state.TickTime + CurrentTimeZoneBias(), *m_services.formats);
}

void TcvMain::ComposeMapView()
{
    ::ComposeMapView(m_state.MapView, {m_mapBitmap, m_euMapBitmap, m_naMapBitmap}, FViewBitmap, m_mapGeometry);
}

void TcvMain::DrawMap(QObject* /*sender*/)
{
    m_mapGeometry.width = m_map->width();
    m_mapGeometry.height = m_map->height();
    m_mapGeometry.view = m_state.MapView;
    MapFrameOptions options;
    options.localTime = m_state.TickTime;
    options.timeZoneBias = CurrentTimeZoneBias();
    options.font = {m_state.MapFontName, m_state.MapFontSize, m_state.MapFontStyle};
    options.cityTime = [this](const TMapCity& city, TDateTime utc) {
        return CityTimeText(city, utc, *m_services.formats);
    };
    // With the shadow off the frame is the plain picture and there is no Sun marker either: the marker's
    // place comes from the shadow step.
    if (m_state.ShowShadow)
        options.shadow = SunShadowStep(m_sunShadow);
    ::DrawMap(FFrameBitmap, FViewBitmap, m_mapGeometry, m_mapCities, options, m_mapText);
    m_state.MapReady = true;
    m_map->update();
}

QSize TcvMain::MapSize() const
{
    return m_map->size();
}

void TcvMain::MapPaint(QPainter& painter)
{
    // Until the first frame is drawn the map area shows nothing of its own.
    if (!m_state.MapReady)
        return;
    // The whole frame. For a map of up to 318 × 158 pixels that is all a fixed block of that size
    // would show; a larger replacement map is shown whole instead of cut to that block.
    painter.drawImage(QPoint(0, 0), BitmapImage(std::as_const(FFrameBitmap)));
}

void TcvMain::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background);
}

void TcvMain::mousePressEvent(QMouseEvent* event)
{
    // The window has no title bar: it is moved by dragging its picture.
    if (event->button() == Qt::LeftButton && windowHandle())
        windowHandle()->startSystemMove();
    QWidget::mousePressEvent(event);
}
