#include "app/cv_main.h"

#include "app/appsettings.h"
#include "app/mainpictures.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/utils.h"
#include "app/windowplace.h"
#include "calendar/uCalendar.h"
#include "components/USkinForm.h"
#include "components/fixeddialog.h"
#include "components/helpwindow.h"
#include "components/picturebutton.h"
#include "platform/localclock.h"
#include "platform/qt/qtbitmapimage.h"
#include "platform/qt/qtmessagepump.h"
#include "platform/qt/qtnotificationarea.h"
#include "platform/qt/qttaskbar.h"
#include "platform/qt/qtwindowmanagerwatch.h"
#include "platform/qt/qtwindowplacing.h"
#include "platform/qt/qtworker.h"
#include "platform/qt/qtzonedatabase.h"
#include "platform/shellopener.h"
#include "timesync/clockupdate.h"
#include "timesync/nettime.h"
#include "timesync/ntpclient.h"
#include "timesync/ntsclient.h"
#include "timesync/testras.h"
#include "worldmap/addedcity.h"
#include "worldmap/citytable.h"
#include "worldmap/mapview.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <QTimer>
#include <cstdio>
#include <unordered_map>

namespace {

// How long the close waits for the last saves, with the window already gone.
constexpr std::chrono::seconds kExitSaveWait{5};

// Why the clock was not set, for the message box only: the program lacks the right, and how to grant it.
QString NoClockRightText()
{
#ifdef Q_OS_WIN
    return QCoreApplication::translate("TcvMain",
                                       "Chronivo has no right to set this computer's clock. Start it as an "
                                       "administrator, or give your account the right \"Change the system time\" "
                                       "in the local security policy. The help says more.");
#else
    return QCoreApplication::translate("TcvMain",
                                       "Chronivo has no right to set this computer's clock.\n\n"
                                       "To grant it, give the program the capability:\n"
                                       "    sudo setcap cap_sys_time+ep %1\n"
                                       "or let polkit allow org.freedesktop.timedate1.set-time for your user. "
                                       "The help (\"Setting the clock\") says more.")
        .arg(QCoreApplication::applicationFilePath());
#endif
}

// A file built into the program as a Qt resource (resources/skin/, made by tools/skingen), whole.
QByteArray BuiltInResource(const char* path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::span<const std::uint8_t> Bytes(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

// Why no time was taken, in the user's language; empty when the server simply gave no answer.
QString FailureText(QueryFailure failure, const QString& detail)
{
    const char* reason = QueryFailureTemplate(failure);
    if (*reason == '\0')
        return {};
    const QString text = QCoreApplication::translate("TcvMain", reason);
    return text.contains(QLatin1String("%1")) ? text.arg(detail) : text;
}

// The clock update's outcome as the message box tells it, in the user's language (the log keeps
// OutcomeMessage, in English).
QString OutcomeText(const UpdateOutcome& outcome)
{
    const QString server = QString::fromStdString(outcome.server);
    switch (outcome.result) {
    case UpdateOutcome::Result::ClockSet:
        return QCoreApplication::translate("TcvMain", "Clock updated using %1  (Correction: %2 seconds)")
            .arg(server, QString::fromStdString(outcome.correction));
    case UpdateOutcome::Result::ClockNotSet:
        return QCoreApplication::translate("TcvMain", "Unable to update system clock") + QStringLiteral("\n\n") +
               NoClockRightText();
    case UpdateOutcome::Result::ServerUnreachable:
        break;
    }
    const QString reason = FailureText(outcome.failure, QString::fromStdString(outcome.detail));
    if (reason.isEmpty())
        return QCoreApplication::translate("TcvMain", "Unable to access server %1").arg(server);
    return QCoreApplication::translate("TcvMain", "Unable to access server %1 (%2)").arg(server, reason);
}

constexpr QSize kClientSize(409, 225);
constexpr QSize kMapSize(316, 158);
constexpr QSize kMapBlock(kShownBlockWidth, kShownBlockHeight); // the part of a frame the map area shows

// The paint box of the map: it asks the main window to paint and never erases on its own, so a
// frame replaces the previous one without flicker. For a screen reader it holds one invisible label
// per city shown, named with the city and its time ("London 20:49") and lying over its dot.
class MapBox final : public QWidget {
public:
    MapBox(TcvMain* owner, QWidget* parent) : QWidget(parent), m_owner(owner)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
    }

    struct CityMark {
        QString name;
        QPoint dot;
    };
    // Names that did not change are not set again, so a reader hears only the cities whose time moved.
    void ShowCities(const std::vector<CityMark>& cities)
    {
        while (m_cities.size() > cities.size()) {
            delete m_cities.back();
            m_cities.pop_back();
        }
        while (m_cities.size() < cities.size()) {
            auto* label = new QLabel(this);
            label->setAttribute(Qt::WA_TransparentForMouseEvents);
            m_cities.push_back(label);
        }
        for (std::size_t i = 0; i < m_cities.size(); ++i) {
            const CityMark& city = cities[i];
            m_cities[i]->setGeometry(QRect(city.dot - QPoint(20, 3), QSize(40, 16)).intersected(rect()));
            if (m_cities[i]->accessibleName() != city.name)
                m_cities[i]->setAccessibleName(city.name);
            // Shown once placed: a label shown unplaced first sizes itself to its text, which would
            // load a font it never draws.
            m_cities[i]->show();
        }
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        m_owner->MapPaint(painter);
    }

private:
    TcvMain* m_owner;
    std::vector<QLabel*> m_cities;
};

// The window rules name the tray menu's first item in English; its names are marked for translation here.
[[maybe_unused]] constexpr const char* kRestoreCaptions[] = {QT_TRANSLATE_NOOP("TcvMain", "Minimize"),
                                                             QT_TRANSLATE_NOOP("TcvMain", "Restore")};

// The black read-out with its lowered bevel two pixels wide. It and its labels paint themselves
// opaque without a style sheet, so a new second repaints the time label alone, and cheaply.
class ReadoutPanel final : public QWidget {
public:
    explicit ReadoutPanel(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        const QRect all = rect();
        painter.fillRect(all, Qt::black);
        painter.fillRect(QRect(0, 0, width(), 2), QColor(0x10, 0x10, 0x10));
        painter.fillRect(QRect(0, 0, 2, height()), QColor(0x10, 0x10, 0x10));
        painter.fillRect(QRect(0, height() - 2, width(), 2), QColor(0x8a, 0x93, 0xa6));
        painter.fillRect(QRect(width() - 2, 2, 2, height() - 2), QColor(0x8a, 0x93, 0xa6));
    }
};

// The part of the window a user takes hold of: the strip along its top with the read-out and the
// minimize and close buttons.
constexpr QRect kGrip(118, 0, 290, 35);

// Saved places are in the screen's own pixels, so that a change of its scale finds the window where
// it was: a screen's corner is the same in both, the rest is scaled from it.
QPoint ToScreenPixels(QPoint place)
{
    const QScreen* screen = QGuiApplication::screenAt(place);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return place;
    const QPoint corner = screen->geometry().topLeft();
    return corner + (QPointF(place - corner) * screen->devicePixelRatio()).toPoint();
}

QPoint FromScreenPixels(QPoint place)
{
    const QScreen* found = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens())
        if (QRect(screen->geometry().topLeft(), screen->geometry().size() * screen->devicePixelRatio()).contains(place))
            found = screen;
    if (!found)
        return place;
    const QPoint corner = found->geometry().topLeft();
    return corner + (QPointF(place - corner) / found->devicePixelRatio()).toPoint();
}

// The saved place, or one inside the nearest screen when its grip would be on none.
QPoint OnScreenPlace(QPoint saved)
{
    std::vector<PlaceRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        screens.push_back({area.x(), area.y(), area.width(), area.height()});
    }
    const PlacePoint place = PlaceOnScreen({saved.x(), saved.y()}, {0, 0, kClientSize.width(), kClientSize.height()},
                                           {kGrip.x(), kGrip.y(), kGrip.width(), kGrip.height()}, screens);
    return {place.x, place.y};
}

// The time read-out: a label, which a screen reader reads, that paints each character from a picture
// drawn the first time it is needed. Laying the text out anew each second would cost several times
// the whole rest of a tick.
class GlyphLabel final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        // The label's own background is already filled; the glyphs are opaque on it.
        const QString shown = text();
        int width = 0;
        for (const QChar c : shown)
            width += Advance(c);
        const QFontMetrics metrics(font());
        int x = (this->width() - width) / 2;
        const int y = (height() - metrics.height()) / 2;
        QPainter painter(this);
        for (const QChar c : shown) {
            painter.drawPixmap(x, y, Glyph(c));
            x += Advance(c);
        }
    }

    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
            m_glyphs.clear();
        QLabel::changeEvent(event);
    }

private:
    int Advance(QChar c) const { return QFontMetrics(font()).horizontalAdvance(c); }

    const QPixmap& Glyph(QChar c)
    {
        auto found = m_glyphs.find(c.unicode());
        if (found != m_glyphs.end())
            return found->second;
        const QFontMetrics metrics(font());
        const qreal ratio = devicePixelRatioF();
        QPixmap glyph(QSize(Advance(c), metrics.height()) * ratio);
        glyph.setDevicePixelRatio(ratio);
        glyph.fill(palette().color(QPalette::Window));
        QPainter painter(&glyph);
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(0, metrics.ascent(), QString(c));
        return m_glyphs.emplace(c.unicode(), std::move(glyph)).first->second;
    }

    std::unordered_map<char16_t, QPixmap> m_glyphs;
};

// A label of the read-out, opaque on the panel's black.
void MakeReadoutLabel(QLabel* label, const QRect& place, Qt::Alignment alignment)
{
    label->setGeometry(place);
    label->setAlignment(alignment | Qt::AlignVCenter);
    // Its own black background makes the label opaque: the panel under it is not repainted.
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::cyan);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    // 8 points at 96 dots per inch, whatever the screen's scaling. Arial where it is installed, else
    // its metric twin, named alone: asked for a family it lacks, the font database first resolves the
    // name as an alias, some 5 M instructions at every start.
    static const QString family = QFontDatabase::families().contains(QStringLiteral("Arial"))
                                      ? QStringLiteral("Arial")
                                      : QStringLiteral("Liberation Sans");
    QFont font(family);
    font.setPixelSize(11);
    label->setFont(font);
}

} // namespace

TcvMain::TcvMain(const std::string& appPath, MainServices services, const std::string& settingsPath)
    : m_services(std::move(services)),
      m_windowManager(new WindowManagerWatch(*this, TaskbarCalls(*this), [this] { m_rules->RestoredFromTaskbar(); }))
{
    CreateTimeSync();
    m_state.AppPath = appPath;
    m_state.SettingsPath = settingsPath.empty() ? appPath : settingsPath;
    setWindowFlags(Qt::FramelessWindowHint | Qt::Window);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(kClientSize);
    setWindowIcon(main_pictures::ProgramIcon());
    if (!m_services.trayArea)
        m_services.trayArea = std::make_unique<QtNotificationArea>();
    if (!m_services.zones)
        m_services.zones = std::make_unique<QtZoneDatabase>();
    if (!m_services.worldCities)
        m_services.worldCities = MakeSystemWorldCities();
    MainWindowRules::Hooks hooks;
    hooks.apply = [this](const WindowLook& look) { ApplyLook(look); };
    hooks.popupMenu = [this](int x, int y) { m_popupMenu->popup(QPoint(x, y)); };
    hooks.dialogOpen = [] { return OpenDialog() != nullptr; };
    hooks.raiseDialog = [] { RaiseOpenDialog(); };
    m_rules = std::make_unique<MainWindowRules>(*m_services.trayArea, IconPicture(windowIcon(), 32), std::move(hooks));
    CreateComponents();
    FormCreate();
}

TcvMain::~TcvMain()
{
    // The tray icon goes before the area it lives in. A query still running ends within its own
    // time-outs; nothing it uses may go before it.
    m_rules.reset();
    m_queryWorker.reset();
}

// The time query and the clock update, on the given services or the system's (an absent clock
// setter leaves the clock alone); their waits run the Qt event loop.
void TcvMain::CreateTimeSync()
{
    TimeSyncServices& sync = m_services.timeSync;
    if (!sync.pump)
        sync.pump = std::make_unique<QtMessagePump>();
    CompleteTimeSyncServices(sync);
    // The query runs on a thread of its own, where its waits simply sleep; its answer comes back
    // through the event loop, so the window goes on ticking and answering for the whole query.
    m_queryPump = MakeSystemMessagePump();
    m_netTime = std::make_unique<NetTime>(NetTimeServices{*sync.sockets, *sync.ticks, *m_queryPump, *sync.zone});
    m_ntpClient = std::make_unique<NtpClient>(*m_netTime, *m_services.clock);
    m_ntsClient = std::make_unique<NtsClient>(*m_netTime, *m_ntpClient, sync.nts.get());
    m_queryWorker = std::make_unique<QtWorker>();
    ClockUpdater::Hooks hooks;
    hooks.runQuery = [this](std::function<QueryAnswer()> query, std::function<void(const QueryAnswer&)> done) {
        auto answer = std::make_shared<QueryAnswer>();
        m_queryWorker->Run([answer, query = std::move(query)] { *answer = query(); },
                           [answer, done = std::move(done)] { done(*answer); });
    };
    hooks.recordOutcome = [this](const UpdateOutcome& outcome) {
        SaveIniStrings(m_state.IniFileName, settings_file::ClockUpdateOutcomeChanges(
                                                outcome.recorded, OutcomeMessage(outcome), *m_services.formats));
    };
    hooks.busyCursor = [this](bool busy) { busy ? setCursor(Qt::WaitCursor) : unsetCursor(); };
    hooks.report = [this](const UpdateOutcome& outcome) {
        if (m_closed)
            return; // the answer came after the window closed (while the event loop still ran): it is in the log
        QMessageBox box(outcome.Icon() == MessageIcon::Information ? QMessageBox::Information : QMessageBox::Warning,
                        QStringLiteral("Veltrix Chronivo"), OutcomeText(outcome), QMessageBox::Ok, this);
        RunDialog(box);
    };
    ClockUpdater::Services services{*m_netTime, *sync.setter, *m_services.clock, *sync.ticks};
    services.ntp = m_ntpClient.get();
    services.nts = m_ntsClient.get();
    m_clockUpdater = std::make_unique<ClockUpdater>(std::move(services), std::move(hooks));
}

void TcvMain::CreateComponents()
{
    using namespace main_pictures;

    m_skinForm = new TSkinForm(this);
    m_skinForm->setObjectName(QStringLiteral("SkinForm"));
    m_skinForm->setAccessibleName(QStringLiteral("Chronivo"));
    QRgb skinKey = 0;
    const QImage skin = Skin(skinKey);
    m_skinForm->UsePreparedPicture(skin, skinKey);
    const QByteArray outline = BuiltInResource(":/skin/skin.shape");
    m_skinForm->Mask()->ReadData(Bytes(outline));
    m_skinForm->Loaded();
    m_cityData.SetStrings(BuiltInCityRows());
    m_clockPanel = new ReadoutPanel(this);
    m_clockPanel->setGeometry(142, 6, 220, 21);
    m_clockPanel->setObjectName(QStringLiteral("ClockPanel"));
    m_clockPanel->setAccessibleName(tr("Time and date"));
    m_lbTime = new GlyphLabel(m_clockPanel);
    MakeReadoutLabel(m_lbTime, QRect(2, 4, 48, 13), Qt::AlignHCenter);
    m_lbTime->setText(QStringLiteral("00:00:00"));
    m_lbDate = new QLabel(m_clockPanel);
    MakeReadoutLabel(m_lbDate, QRect(54, 4, 162, 13), Qt::AlignLeft);

    // Each tick sets the wait for the next, so the ticks stay on the wall clock's half seconds.
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &TcvMain::TimerTimer);

    // Made in the order Tab takes them: down the buttons beside the map, then the logo and the
    // window's own two buttons. The shortcuts are named in each button's hint and in the help.
    m_ibSetClock = new PictureButton(this, QRect(378, 48, 19, 19), SetClock(), tr("Set Clock"), tr("Ctrl+T"));
    m_ibShowCal = new PictureButton(this, QRect(378, 72, 19, 19), ShowCal(), tr("Show Calendar"), tr("Ctrl+D"));
    m_ibSettings = new PictureButton(this, QRect(378, 96, 19, 19), Settings(), tr("Settings"), tr("Ctrl+,"));
    m_ibHelp = new PictureButton(this, QRect(378, 120, 19, 19), Help(), tr("Help"), QKeySequence(Qt::Key_F1));
    m_ibVeltrix = new PictureButton(this, QRect(304, 206, 58, 15), Logo(), tr("Open Veltrix home page"));
    m_btnMinimize = new PictureButton(this, QRect(371, 11, 11, 11), Minimize(), tr("Minimize"), tr("Ctrl+M"));
    m_btnClose = new PictureButton(this, QRect(384, 23, 11, 11), Close(), tr("Close"), tr("Ctrl+Q"));
    connect(m_btnMinimize, &QAbstractButton::clicked, this, &TcvMain::btnMinimizeClick);
    connect(m_btnClose, &QAbstractButton::clicked, this, &TcvMain::btnCloseClick);
    connect(m_ibSetClock, &QAbstractButton::clicked, this, [this] { UpdateSystemClock(m_ibSetClock); });
    connect(m_ibVeltrix, &QAbstractButton::clicked, this, &TcvMain::ibVeltrixClick);
    connect(m_ibSettings, &QAbstractButton::clicked, this, &TcvMain::ibSettingsClick);
    connect(m_ibShowCal, &QAbstractButton::clicked, this, &TcvMain::ibShowCalClick);
    connect(m_ibHelp, &QAbstractButton::clicked, this, &TcvMain::ibHelpClick);

    m_map = new MapBox(this, this);
    m_map->setGeometry(QRect(QPoint(47, 39), kMapSize));
    m_map->setAccessibleName(tr("Map"));

    m_popupMenu = new QMenu(this);
    m_miRestore = m_popupMenu->addAction(tr("Minimize"), this, &TcvMain::miRestoreClick);
    m_popupMenu->setDefaultAction(m_miRestore);
    m_popupMenu->addSeparator();
    m_miSync = m_popupMenu->addAction(tr("Sync Clock"));
    connect(m_miSync, &QAction::triggered, this, [this] { UpdateSystemClock(m_miSync); });
    m_miCal = m_popupMenu->addAction(tr("Show Calendar"), this, &TcvMain::ibShowCalClick);
    m_popupMenu->addSeparator();
    m_miClose = m_popupMenu->addAction(tr("Unload"), this, &TcvMain::btnCloseClick);
}

// The widget side of start-up; its order and rules are StartUp's.
class TcvMain::WindowStartUp final : public StartUpSteps {
public:
    explicit WindowStartUp(TcvMain& window) : m_window(window) {}

    void PlaceWindow(int left, int top) override
    {
        const QPoint place = OnScreenPlace(FromScreenPixels({left, top}));
        m_window.move(place);
        // Told to the window system even when the window is there already, so the window manager
        // takes the place as the user's own (a corner at 0,0 included) rather than choosing one.
        if (QWindow* handle = m_window.windowHandle())
            handle->setPosition(place);
    }

    void LoadReplacementMap(const std::string& fileName) override
    {
        // See mappictures.h for what passes.
        if (const BmpStatus status = m_window.m_mapPictures.ReplaceWorld(fileName); status != BmpStatus::Ok)
            qWarning("%s is passed over: %s", fileName.c_str(), BmpStatusName(status));
        QCoreApplication::processEvents();
    }

    void LoadCityFile(const std::string& fileName) override
    {
        // A file that is no table is ignored.
        if (auto rows = ReadCityFile(fileName))
            m_window.m_cityData.SetStrings(*rows);
    }

    void LoadMapCities() override { m_window.LoadMapCities(); }
    void ShowSetClock(bool shown) override { m_window.m_ibSetClock->setVisible(shown); }
    int WorldMapWidth() const override { return m_window.m_mapPictures.WorldWidth(); }
    int WorldMapHeight() const override { return m_window.m_mapPictures.WorldHeight(); }

    // The geometry takes the world picture's size, and so do the frames up to the block the map area
    // shows; the area keeps its place and size, so a larger replacement never covers the buttons.
    void SizeMap(int width, int height) override
    {
        const int shownWidth = std::min(width, kShownBlockWidth);
        const int shownHeight = std::min(height, kShownBlockHeight);
        m_window.m_frameBitmap = Bitmap(shownWidth, shownHeight);
        m_window.m_viewBitmap = Bitmap(shownWidth, shownHeight);
        m_window.m_mapGeometry.width = width;
        m_window.m_mapGeometry.height = height;
    }

    void ComposeMapView() override { m_window.ComposeMapView(); }

private:
    TcvMain& m_window;
};

void TcvMain::FormCreate()
{
    WindowStartUp steps(*this);
    StartUp(m_state, steps);
}

void TcvMain::ShowAtStart()
{
    if (!settings_file::ReadMinimized(m_state.IniFileName)) {
        show();
        return;
    }
    if (m_state.TrayMode && m_services.trayArea->Present()) {
        // What showing would start, without the showing: the first tick hides the window in the tray.
        m_startingHidden = true;
        FormShow();
        return;
    }
    // Minimized to the taskbar from the start (without a tray area to hide in, tray mode too): the
    // window is mapped minimized and never shown first. Without a window manager the server shows it.
    m_rules->Minimize();
}

void TcvMain::FormShow()
{
    if (m_state.TrayMode)
        EnterTrayMode();
    // The clock's part of the first tick runs before the window reaches the screen, so its first paint
    // has the map. A showing from the tray finds the timer running and leaves it be.
    if (m_timer->isActive())
        return;
    const TDateTime now = m_services.clock->Now();
    m_timer->start(MsToNextTick(now));
    ShowTime(now);
}

void TcvMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_windowManager->Shown();
    // The window manager forgets the taskbar state of a hidden window.
    SetTaskbarEntry(*this, m_rules->Look().taskbarEntry);
    FormShow();
}

void TcvMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // The window manager may hand the focus to the window while one of its dialogs waits for an
    // answer (a window shown from the tray takes it); the dialog is where the user must go.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && OpenDialog())
        QMetaObject::invokeMethod(this, [] { RaiseOpenDialog(); }, Qt::QueuedConnection);
    if (event->type() == QEvent::WindowStateChange)
        m_windowManager->StateChanged();
}

void TcvMain::TimerTimer()
{
    const TDateTime now = m_services.clock->Now();
    if (!m_closed)
        m_timer->start(MsToNextTick(now));
    m_rules->FirstTick(m_state.FirstTickDone, [this] { return settings_file::ReadMinimized(m_state.IniFileName); });
    m_startingHidden = false;
    m_windowManager->Tick(m_rules->Look().condition == WindowCondition::MinimizedToTaskbar);

    ShowTime(now);
}

void TcvMain::ShowTime(TDateTime now)
{
    TickTexts texts;
    if (!BeginTick(m_state, now, *m_services.formats, texts))
        return;

    m_lbTime->setText(QString::fromStdString(texts.time));
    // A screen reader hears the time change once a minute, not every second.
    if (const QString minute = QString::fromStdString(texts.time.substr(0, 5)); m_lbTime->accessibleName() != minute)
        m_lbTime->setAccessibleName(minute);
    if (texts.dateChanged)
        m_lbDate->setText(QString::fromStdString(texts.date));
    setWindowTitle(QString::fromStdString(texts.title));
    if (m_state.TrayMode) {
        m_rules->ShowTip(texts.title);
        m_rules->WatchArea();
    }

    if (TakeMapRedraw(m_state, texts.seconds, m_rules->OwnStateMinimized())) {
        QCoreApplication::processEvents();
        DrawMap(m_timer);
    }

    if (AutomaticUpdateDue(m_state.UpdateType, m_state.TickTime, m_state.LastUpdate, texts.seconds,
                           [this] { return IsDialUpConnected(); }))
        UpdateSystemClock(m_timer);
}

void TcvMain::btnMinimizeClick()
{
    m_rules->Minimize();
}

void TcvMain::miRestoreClick()
{
    m_rules->RestoreToggle();
}

void TcvMain::BringToFront()
{
    if (m_rules->Look().condition != WindowCondition::Shown)
        m_rules->RestoreToggle();
    else if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void TcvMain::EnterTrayMode()
{
    m_rules->EnterTrayMode();
}

void TcvMain::LeaveTrayMode()
{
    m_rules->LeaveTrayMode();
}

void TcvMain::ApplyLook(const WindowLook& look)
{
    m_miRestore->setText(tr(look.restoreCaption.c_str()));
    // The state changes the window system reports before the window is on screen would read as the
    // user's: a change asked meanwhile (a tray that appears while a minimized start is being mapped)
    // waits for it.
    if (m_windowManager->HoldUntilOnScreen([this, look] { ApplyLook(look); }))
        return;
    switch (look.condition) {
    case WindowCondition::Shown:
        // Entering tray mode at a hidden start looks shown until the first tick hides the window.
        if (m_startingHidden)
            break;
        if (isHidden() || isMinimized()) {
            if (isHidden())
                ClearMinimizedStart(*this);
            showNormal();
            raise();
            activateWindow();
        }
        break;
    case WindowCondition::MinimizedToTaskbar:
        m_windowManager->MinimizeAsked();
        showMinimized();
        break;
    case WindowCondition::HiddenInTray:
        hide();
        break;
    }
    SetTaskbarEntry(*this, look.taskbarEntry);
}

void TcvMain::btnCloseClick()
{
    close();
}

void TcvMain::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
    // Closing the main window ends the program in every state; hidden in the tray, the window is no
    // visible window whose closing the application would notice by itself.
    QCoreApplication::quit();
}

void TcvMain::FormClose()
{
    // Runs once, whether the close came from a button, the menu or the session ending.
    if (m_closed)
        return;
    m_closed = true;
    m_timer->stop();
    m_state.MapReady = false;
    m_frameBitmap = Bitmap();
    m_viewBitmap = Bitmap();
    // Leaves tray mode; the state saved is the one before. A start hidden in the tray that ends before
    // its first tick hid the window is hidden all the same.
    const bool minimized = m_rules->Close() || m_startingHidden;
    // Where the window system does not tell the window's place, the one remembered stays.
    std::optional<settings_file::WindowPlace> place;
    if (WindowSystemPlacesWindows()) {
        const QPoint screenPlace = ToScreenPixels(pos());
        place = settings_file::WindowPlace{screenPlace.x(), screenPlace.y()};
    }
    SaveIniStrings(m_state.IniFileName, settings_file::WindowOnExitChanges(minimized, place));
    // A query still under way is cut short by the program's end: its answer would come to an event
    // loop that no longer runs, so the log says so now (an answer that still comes replaces it).
    if (m_clockUpdater && m_clockUpdater->Busy())
        SaveIniStrings(m_state.IniFileName,
                       settings_file::ClockUpdateOutcomeChanges(
                           m_state.LastUpdate,
                           "Unable to access server " + m_state.TimeServer + ": the program ended before it answered",
                           *m_services.formats));
    // The saves run on their own thread; the last ones may wait for a lock another program holds.
    // The window goes first, so that the bounded wait freezes nothing on screen.
    hide();
    std::string reason;
    if (const SavesFinished finished = FinishIniSaves(kExitSaveWait, reason); finished != SavesFinished::Saved)
        ReportUnsavedSettings(finished, reason);
}

void TcvMain::EndOnRequest()
{
    m_endRequested = true;
    close();
}

void TcvMain::ReportUnsavedSettings(SavesFinished finished, const std::string& reason)
{
    const QString file = QString::fromStdString(m_state.IniFileName);
    // An end asked from outside (the session closing) has nobody to answer a message box.
    if (m_endRequested) {
        qWarning("The settings could not be saved in %s: %s", qPrintable(file), reason.c_str());
        return;
    }
    const QString why = finished == SavesFinished::LockHeld
                            ? tr("Another program has held the file's lock (%1.lock) for the last %2 seconds.")
                                  .arg(QDir::toNativeSeparators(file))
                                  .arg(std::chrono::duration_cast<std::chrono::seconds>(kExitSaveWait).count())
                            : tr("Check that the folder exists and that you may write to it.");
    QMessageBox::warning(this, QStringLiteral("Veltrix Chronivo"),
                         tr("The settings could not be saved in %1.\n\n%2 The window's place and other changes of "
                            "this session are lost.")
                             .arg(QDir::toNativeSeparators(file), why));
}

void TcvMain::ibVeltrixClick()
{
    ShellExecFile(*m_services.opener, "open", kHomePage);
}

void TcvMain::ibHelpClick()
{
    ShowHelp(*m_services.opener, m_state.HelpFileName, this);
}

void TcvMain::ibShowCalClick()
{
    // A new window each time, so it opens on the current year; it is destroyed when it closes.
    TcvCalendar cvCalendar(*m_services.clock, *m_services.formats, this);
    RunDialog(cvCalendar);
}

void TcvMain::ibSettingsClick()
{
    {
        TcvSettings dialog(this, m_state, m_cityData.Strings(), *m_services.opener, m_services.worldCities.get());
        if (RunDialog(dialog) == QDialog::Accepted) {
            const SettingsApplied applied = dialog.Model().Apply(m_state);
            if (applied.trayModeChanged)
                m_state.TrayMode ? EnterTrayMode() : LeaveTrayMode();
            if (applied.mapViewChanged)
                ComposeMapView();
            LoadMapCities();
            DrawMap(m_ibSettings);
        }
    }
    // After Cancel too: the button follows the update type in force.
    m_ibSetClock->setVisible(UpdateTypeOf(m_state.UpdateType).setClockButton);
}

void TcvMain::UpdateSystemClock(QObject* sender)
{
    UpdateRequester requester = UpdateRequester::Timer;
    if (sender == m_ibSetClock)
        requester = UpdateRequester::SetClockButton;
    else if (sender == m_miSync)
        requester = UpdateRequester::SyncMenu;
    if (!m_clockUpdater->Busy())
        m_ntsClient->SetTrustedCertificate(m_state.TrustedCertificate);
    m_clockUpdater->UpdateSystemClock({m_state.TickTime, m_state.TimeServer, requester, m_state.Protocol},
                                      m_state.LastUpdate);
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
    const std::string& file = m_state.IniFileName;
    m_mapCities = MapCitiesOf(
        settings_file::ReadCityList(file, m_state.CitySection, kMaxMapCities), m_cityData.Strings(),
        [&file](const std::string& name) { return settings_file::ReadAddedCity(file, name); }, m_services.zones.get(),
        [this](const AddedCity& city) {
            if (m_unknownZonesSaid.insert(city.Name).second)
                std::fprintf(stderr, "chronivo: %s is not shown: this system does not know its time zone %s\n",
                             city.Name.c_str(), city.Zone.c_str());
        });
}

std::string TcvMain::MapCityTimeText(const TMapCity& city) const
{
    return CityTimeText(city, m_state.TickTime + CurrentTimeZoneBias(), *m_services.formats, CityZones(city));
}

const ZoneDatabase* TcvMain::CityZones(const TMapCity& city) const
{
    return CityZonesFor(city, m_services.zones.get(), m_state.UseTimeZones);
}

void TcvMain::ComposeMapView()
{
    ::ComposeMapView(m_state.MapView,
                     MapPictures([this](BuiltInMap which) -> const Bitmap& { return m_mapPictures.Picture(which); }),
                     m_viewBitmap, m_mapGeometry);
    m_mapPictures.ReleaseBuiltIn();
}

void TcvMain::DrawMap(QObject* /*sender*/)
{
    m_mapGeometry.view = m_state.MapView;
    MapFrameOptions options;
    options.localTime = m_state.TickTime;
    options.timeZoneBias = CurrentTimeZoneBias();
    options.font = {m_state.MapFontName, m_state.MapFontSize, m_state.MapFontStyle};
    // Each city's time is worked out once a frame: kept by slot for the screen reader's names too.
    std::array<std::string, kMapCitySlots> times;
    options.cityTime = [this, &times](const TMapCity& city, TDateTime utc) {
        std::string& time = times[static_cast<std::size_t>(&city - m_mapCities.data())];
        time = CityTimeText(city, utc, *m_services.formats, CityZones(city));
        return time;
    };
    // With the shadow off the frame is the plain picture and there is no Sun marker either: the marker's
    // place comes from the shadow step.
    if (m_state.ShowShadow)
        options.shadow = SunShadowStep(m_sunShadow);
    ::DrawMap(m_frameBitmap, m_viewBitmap, m_mapGeometry, m_mapCities, options, m_mapText);
    m_state.MapReady = true;
    m_map->update();
    ShowCityNames(times);
}

void TcvMain::ShowCityNames(const std::array<std::string, kMapCitySlots>& times)
{
    std::vector<MapBox::CityMark> shown;
    const QRect area = QRect(QPoint(0, 0), m_map->size()).intersected(QRect(0, 0, m_frameBitmap.Width(), m_frameBitmap.Height()));
    for (std::size_t slot = 0; slot < m_mapCities.size() && !m_mapCities[slot].Name.empty(); ++slot) {
        const TMapCity& city = m_mapCities[slot];
        const QPoint dot(LonToX(m_mapGeometry, city.Longitude), LatToY(m_mapGeometry, city.Latitude));
        if (!area.contains(dot))
            continue;
        shown.push_back(
            {QStringLiteral("%1 %2").arg(QString::fromStdString(city.Name), QString::fromStdString(times[slot])), dot});
    }
    static_cast<MapBox*>(m_map)->ShowCities(shown);
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
    // A block of 318 × 158 from the frame's top-left corner, clipped to the map area; what a smaller
    // picture leaves uncovered is cleared rather than left with whatever was there before.
    const QRect block =
        QRect(QPoint(0, 0), kMapBlock).intersected(QRect(0, 0, m_frameBitmap.Width(), m_frameBitmap.Height()));
    const QRegion uncovered = QRegion(m_map->rect()).subtracted(block);
    for (const QRect& rect : uncovered)
        painter.fillRect(rect, Qt::black);
    SmoothAtFractionalScale(painter, m_map->devicePixelRatioF());
    painter.drawImage(QPoint(0, 0), BitmapImage(std::as_const(m_frameBitmap)), block);
}
