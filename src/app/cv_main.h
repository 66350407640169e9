// The main window: a frameless 409 × 225 panel with the time read-out, the map and the buttons
// beside it. It owns the program's state (MainState), runs the half-second clock tick, minimizes to
// the taskbar or hides to the notification area, and saves its place when it closes. The rules it
// follows live in the core (startup, clocktick, mainwindowrules, appsettings); this class carries
// them out on widgets.
#pragma once

#include "app/clocktick.h"
#include "app/mainstate.h"
#include "app/mainwindowrules.h"
#include "app/utils.h"
#include "components/Stringhl.h"
#include "platform/qt/qttextrenderer.h"
#include "platform/worldcities.h"
#include "platform/zonedatabase.h"
#include "timesync/timesyncservices.h"
#include "worldmap/bitmap.h"
#include "worldmap/mapcity.h"
#include "worldmap/mapgeometry.h"
#include "worldmap/mappictures.h"
#include "worldmap/sunshadow.h"

#include <QPixmap>
#include <QWidget>
#include <memory>
#include <set>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QTimer;
class ClockUpdater;
class LocalClock;
class LocaleFormats;
class NetTime;
class NtpClient;
class NtsClient;
class NotificationArea;
class PictureButton;
class QtWorker;
class ShellOpener;
class TSkinForm;
class WindowManagerWatch;
struct MapFrameOptions;

// The platform services the main window uses; the program passes the real ones, tests fakes.
struct MainServices {
    std::unique_ptr<LocalClock> clock;
    std::unique_ptr<LocaleFormats> formats;
    std::unique_ptr<ShellOpener> opener;
    // Absent ones are made from the system's, waiting with the Qt event loop; an absent clock
    // setter leaves the clock alone.
    TimeSyncServices timeSync = {};
    // The notification area of tray mode; absent, the desktop's through Qt.
    std::unique_ptr<NotificationArea> trayArea = {};
    // The time-zone database of the cities' times when "Time zones" is on; absent, the system's through Qt.
    std::unique_ptr<ZoneDatabase> zones = {};
    // The world's cities the settings dialog searches; absent, the system's (none in a build without).
    std::unique_ptr<WorldCitySource> worldCities = {};
};

class TcvMain final : public QWidget {
    Q_OBJECT
public:
    // appPath: the folder of the program file, ending in '/'; settingsPath: the folder of the settings
    // file, "cities.dat" and "map.bmp", ending in '/' (empty: appPath).
    TcvMain(const std::string& appPath, MainServices services, const std::string& settingsPath = {});
    ~TcvMain() override;

    const MainState& State() const { return m_state; }
    // The window's own state: hidden to the notification area.
    bool IsHiddenInTray() const { return m_rules->OwnStateMinimized(); }
    // How the window shows itself (shown, minimized, hidden in the tray; its taskbar entry).
    const MainWindowRules& WindowRules() const { return *m_rules; }
    // The city table in use (the built-in rows or "cities.dat") and the cities of the current view.
    const TStringHolder& CityData() const { return m_cityData; }
    const TMapCities& MapCities() const { return m_mapCities; }
    // The label time ("t") of a displayed city at the latest tick.
    std::string MapCityTimeText(const TMapCity& city) const;
    // The map frame last drawn (meaningful once State().MapReady), and the size of the map area.
    const Bitmap& FrameBitmap() const { return m_frameBitmap; }
    QSize MapSize() const;

    // The program's first showing, as the window was closed: hidden in the tray without ever being
    // mapped (tray mode on and a notification area there), mapped minimized to the taskbar when it was
    // closed so otherwise, else shown.
    void ShowAtStart();

    // Published handlers, named after their components and events.
    void FormCreate();
    void FormShow();
    void FormClose();
    void TimerTimer();
    void btnMinimizeClick();
    void btnCloseClick();
    void ibVeltrixClick();
    void ibHelpClick();
    void ibShowCalClick();
    void ibSettingsClick();
    void UpdateSystemClock(QObject* sender);
    void MapPaint(QPainter& painter);
    void miRestoreClick();
    // Another start of the program asked for this window: shown, restored from the tray or the
    // taskbar, and raised.
    void BringToFront();
    // Closes the window at a request from outside (the session ending, a polite kill): as any close,
    // but nothing waits for the user.
    void EndOnRequest();

    // Tray mode on and off: the icon in the notification area and no taskbar entry, or the other
    // way round. The settings dialog switches it with these; each is harmless when repeated.
    void EnterTrayMode();
    void LeaveTrayMode();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class WindowStartUp;

    void CreateComponents();
    // The tick's work in the clock's own right (the read-out, the title, the map, the automatic
    // update) for the local time now; the tick adds the window's first showing and the timer.
    void ShowTime(TDateTime now);
    void CreateTimeSync();
    // The settings file could not be written at close: said once, naming the file.
    void ReportUnsavedSettings(SavesFinished finished, const std::string& reason);
    // Makes the window look as the window rules say; the tray icon's clicks go to the rules.
    void ApplyLook(const WindowLook& look);

    // The map and the clock update.
    void LoadMapCities();
    void ComposeMapView();
    void DrawMap(QObject* sender);
    // The cities of the frame just drawn, named with their times (as the frame wrote them, by slot) for
    // assistive technology.
    void ShowCityNames(const std::array<std::string, kMapCitySlots>& times);
    bool IsDialUpConnected();
    // UTC = local time + bias, in days.
    double CurrentTimeZoneBias() const;
    // The zones a city's time comes from (CityZonesFor): the database when "Time zones" is on or the
    // city was added from the world's cities, else none (the table).
    const ZoneDatabase* CityZones(const TMapCity& city) const;

    MainState m_state;
    MainServices m_services;
    std::unique_ptr<MessagePump> m_queryPump; // the waits of the query, on its worker thread
    std::unique_ptr<NetTime> m_netTime;
    std::unique_ptr<NtpClient> m_ntpClient;
    std::unique_ptr<NtsClient> m_ntsClient;
    std::unique_ptr<ClockUpdater> m_clockUpdater;
    std::unique_ptr<QtWorker> m_queryWorker;
    std::unique_ptr<MainWindowRules> m_rules;
    TStringHolder m_cityData;
    TMapCities m_mapCities{};
    // Added cities whose zone the system lacks, said once each on stderr.
    std::set<std::string> m_unknownZonesSaid;
    // The map pictures (the window's hidden images), the composed view, the frame shown, the
    // geometry of the view (its size, ViewLonShift, ViewLatShift) and the lettering of the map.
    MapPictureStore m_mapPictures;
    Bitmap m_viewBitmap;
    Bitmap m_frameBitmap;
    MapGeometry m_mapGeometry;
    QtTextRenderer m_mapText;
    SunShadow m_sunShadow;

    // The window's picture and outline; it moves the window when dragged. The other controls lie on it.
    TSkinForm* m_skinForm = nullptr;
    QWidget* m_clockPanel = nullptr;
    QLabel* m_lbTime = nullptr;
    QLabel* m_lbDate = nullptr;
    QTimer* m_timer = nullptr;
    PictureButton* m_btnMinimize = nullptr;
    PictureButton* m_btnClose = nullptr;
    PictureButton* m_ibSetClock = nullptr;
    PictureButton* m_ibVeltrix = nullptr;
    PictureButton* m_ibSettings = nullptr;
    PictureButton* m_ibShowCal = nullptr;
    PictureButton* m_ibHelp = nullptr;
    QWidget* m_map = nullptr;
    QMenu* m_popupMenu = nullptr;
    QAction* m_miRestore = nullptr;
    QAction* m_miSync = nullptr;
    QAction* m_miCal = nullptr;
    QAction* m_miClose = nullptr;
    bool m_closed = false;
    bool m_endRequested = false;
    bool m_startingHidden = false; // started hidden in the tray, the first tick not yet run
    // The window manager's ways: the first showing, the minimized state it really holds.
    WindowManagerWatch* m_windowManager = nullptr;
};
