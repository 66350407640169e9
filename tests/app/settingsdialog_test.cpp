// The settings dialog's widgets, off screen: what only they do (radio buttons checked from code fire
// their events, the enabling of the server box and of the two buttons, double-clicks and the filter,
// the log box, the font dialog, accessible names), and the main window's exchange through them.
#include "app/appsettings.h"
#include "app/mapfontdialog.h"
#include "app/settings.h"
#include "app/utils.h"
#include "components/helpwindow.h"
#include "components/picturebutton.h"
#include "platform/qt/qttextrenderer.h"
#include "support/fake_worldcities.h"
#include "support/mainwindowfakes.h"
#include "support/tempdir.h"
#include "worldmap/citytable.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>
#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <iostream>
#include <limits>
#include <sys/file.h>
#include <unistd.h>

namespace {

template <class Widget> Widget* Child(QWidget* window, const char* name);

class SettingsDialogWidgets : public ::testing::Test {
protected:
    TempDir dir;
    MainState state = [this] {
        MainState s;
        s.IniFileName = dir.File("chronivo.ini");
        s.HelpFileName = dir.File("chronivo.chm");
        s.TimeServer = "time.nist.gov";
        return s;
    }();
    const TStrings table = BuiltInCityRows();
    NoShell shell;

    std::unique_ptr<TcvSettings> Open() { return std::make_unique<TcvSettings>(nullptr, state, table, shell); }
};

// The component of a window by its name.
template <class Widget> Widget* Child(QWidget* window, const char* name)
{
    auto* widget = window->findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// Runs act on the modal window that the next exec() opens, then lets exec() go on.
void OnNextModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        act(modal);
    });
}

QStringList Texts(const QListWidget* list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

TEST_F(SettingsDialogWidgets, RadioButtonsCheckedFromCodeSetTheServerBox)
{
    state.UpdateType = UpdateTypeId{0};
    const auto dialog = Open();
    auto* server = Child<QComboBox>(dialog.get(), "cbTimeServers");
    EXPECT_TRUE(Child<QRadioButton>(dialog.get(), "rbNever")->isChecked());
    EXPECT_FALSE(server->isEnabled());
    Child<QRadioButton>(dialog.get(), "rbAutoDUN")->setChecked(true);
    EXPECT_TRUE(server->isEnabled());
    EXPECT_EQ(dialog->Model().UpdateType(), UpdateTypeId::WhileDialUp);
    Child<QRadioButton>(dialog.get(), "rbNever")->setChecked(true);
    EXPECT_FALSE(server->isEnabled());
    EXPECT_EQ(server->currentText(), "time.nist.gov");
    EXPECT_EQ(server->count(), 7);
}

TEST_F(SettingsDialogWidgets, ButtonsFollowTheDisplayedListAndTheViewChosen)
{
    const TStrings names = CityChoiceNames(table);
    inifile::WriteValues(state.IniFileName,
                         settings_file::CityListChanges("World Cities", TStrings(names.begin(), names.begin() + 30)));
    inifile::WriteValues(state.IniFileName, settings_file::CityListChanges("EU Cities", {"Paris, France"}));
    const auto dialog = Open();
    auto* all = Child<QListWidget>(dialog.get(), "lbAllCities");
    auto* shown = Child<QListWidget>(dialog.get(), "lbDisplayCities");
    auto* add = Child<QPushButton>(dialog.get(), "btnAdd");
    auto* del = Child<QPushButton>(dialog.get(), "btnDel");
    EXPECT_EQ(shown->count(), 30);

    all->setCurrentItem(all->findItems(QStringLiteral("Tokyo, Japan"), Qt::MatchExactly).value(0));
    add->click();
    EXPECT_EQ(shown->count(), 31);
    EXPECT_FALSE(add->isEnabled());
    shown->setCurrentRow(0);
    del->click();
    EXPECT_EQ(shown->count(), 30);
    EXPECT_TRUE(add->isEnabled());

    Child<QRadioButton>(dialog.get(), "rbEuropeOnly")->setChecked(true);
    EXPECT_EQ(Texts(shown), QStringList{"Paris, France"});
    Child<QRadioButton>(dialog.get(), "rbUSAonly")->setChecked(true);
    EXPECT_EQ(shown->count(), 0);
    EXPECT_FALSE(del->isEnabled());
}

TEST_F(SettingsDialogWidgets, FilterNarrowsTheFullListAndDoubleClicksAddAndRemove)
{
    const auto dialog = Open();
    auto* all = Child<QListWidget>(dialog.get(), "lbAllCities");
    auto* shown = Child<QListWidget>(dialog.get(), "lbDisplayCities");
    Child<QLineEdit>(dialog.get(), "edFilter")->setText(QStringLiteral("york"));
    ASSERT_EQ(Texts(all), QStringList{"New York, New York"});
    emit all->itemDoubleClicked(all->item(0));
    EXPECT_EQ(Texts(shown), QStringList{"New York, New York"});
    emit shown->itemDoubleClicked(shown->item(0));
    EXPECT_EQ(shown->count(), 0);
    Child<QLineEdit>(dialog.get(), "edFilter")->clear();
    EXPECT_EQ(static_cast<std::size_t>(all->count()), CityChoiceNames(table).size());
}

// A key pressed in widget, going on to its parents when the widget leaves it.
void PressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(widget, &press);
}

TEST_F(SettingsDialogWidgets, ReturnInTheListsAddsAndRemovesAndNeverPressesOk)
{
    const auto dialog = Open();
    dialog->show();
    auto* all = Child<QListWidget>(dialog.get(), "lbAllCities");
    auto* shown = Child<QListWidget>(dialog.get(), "lbDisplayCities");
    Child<QLineEdit>(dialog.get(), "edFilter")->setText(QStringLiteral("york"));
    all->setCurrentRow(0);
    PressKey(all, Qt::Key_Return);
    EXPECT_EQ(Texts(shown), QStringList{"New York, New York"});
    shown->setCurrentRow(0);
    PressKey(shown, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(shown->count(), 0);
    EXPECT_TRUE(dialog->isVisible()) << "OK was pressed";
    EXPECT_NE(dialog->result(), QDialog::Accepted);

    // The captions' mnemonics lead to their controls; the server box is named by its caption.
    auto* server = Child<QComboBox>(dialog.get(), "cbTimeServers");
    EXPECT_EQ(Child<QLabel>(dialog.get(), "Label1")->buddy(), server);
    EXPECT_EQ(server->accessibleName(), QStringLiteral("Use this time server"));
    EXPECT_EQ(Child<QRadioButton>(dialog.get(), "rbAutoDUN")->accessibleName(),
              QStringLiteral("Automatically, when dial-up connection active"));
}

// The filter finds the world's cities too, after the table's, marked to the eye and the ear; a
// double-click adds one as it adds a row.
TEST_F(SettingsDialogWidgets, FilterOffersWorldCitiesMarkedAndAddsThemLikeRows)
{
    FewWorldCities world;
    const auto dialog = std::make_unique<TcvSettings>(nullptr, state, table, shell, &world);
    auto* all = Child<QListWidget>(dialog.get(), "lbAllCities");
    auto* shown = Child<QListWidget>(dialog.get(), "lbDisplayCities");
    auto* filter = Child<QLineEdit>(dialog.get(), "edFilter");
    filter->setText(QStringLiteral("PARIS"));
    EXPECT_EQ(Texts(all), (QStringList{"Paris, France", "\u2295 Paris, Texas, United States"}));
    filter->setText(QStringLiteral("tromso"));
    ASSERT_EQ(all->count(), 1);
    QListWidgetItem* tromso = all->item(0);
    EXPECT_EQ(tromso->text(), QStringLiteral("\u2295 Tromsø, Norway"));
    EXPECT_TRUE(tromso->font().italic());
    EXPECT_EQ(tromso->data(Qt::AccessibleTextRole).toString(), QStringLiteral("Tromsø, Norway, world city"));
    emit all->itemDoubleClicked(tromso);
    EXPECT_EQ(Texts(shown), QStringList{"Tromsø, Norway"}) << "shown as any row is";
    filter->clear();
    EXPECT_EQ(static_cast<std::size_t>(all->count()), CityChoiceNames(table).size()) << "no world city unasked";
}

// With the system's database, each key press shows its matches within 50 ms, the first one (which
// may wait for the database to be read) included. The best of three dialogs counts: a loaded machine
// can stall any one of them.
TEST_F(SettingsDialogWidgets, EachKeyPressShowsTheSystemsMatchesWithinFiftyMilliseconds)
{
    qint64 best = std::numeric_limits<qint64>::max();
    for (int attempt = 0; attempt < 3 && best >= 50; ++attempt) {
        const std::unique_ptr<WorldCitySource> world = MakeSystemWorldCities();
        if (!world)
            GTEST_SKIP() << "built without a world-cities database";
        const auto dialog = std::make_unique<TcvSettings>(nullptr, state, table, shell, world.get());
        auto* filter = Child<QLineEdit>(dialog.get(), "edFilter");
        qint64 slowest = 0;
        for (const QString typed : {"t", "tr", "tro", "trom", "troms", "tromso"}) {
            QElapsedTimer timer;
            timer.start();
            filter->setText(typed);
            slowest = std::max(slowest, timer.elapsed());
        }
        EXPECT_EQ(Texts(Child<QListWidget>(dialog.get(), "lbAllCities")),
                  QStringList{QStringLiteral("\u2295 Tromsø, Norway")});
        best = std::min(best, slowest);
    }
    RecordProperty("slowest_key_ms", static_cast<int>(best));
    EXPECT_LT(best, 50);
}

TEST_F(SettingsDialogWidgets, LogButtonShowsTheLogInAnInformationBox)
{
    WriteIniString(state.IniFileName, "Clock", "Log", "07/12/2026 20:00:00  Clock updated using time.nist.gov");
    const auto dialog = Open();
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    OnNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->accept();
    });
    Child<QToolButton>(dialog.get(), "btnInfo")->click();
    EXPECT_EQ(title, "Veltrix Chronivo");
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(text, "07/12/2026 20:00:00  Clock updated using time.nist.gov");
}

TEST_F(SettingsDialogWidgets, FontDialogOffersFiveToTenPointsAndStartsFromTheFaceDrawn)
{
    MapFontDialog dialog(nullptr);
    dialog.SetMapFont({"No Such Face Anywhere", 14, {false, true, false}});
    auto* sizes = Child<QComboBox>(&dialog, "cbFontSize");
    ASSERT_EQ(sizes->count(), 6);
    EXPECT_EQ(sizes->itemText(0), "5");
    EXPECT_EQ(sizes->itemText(5), "10");
    const MapFontChoice shown = dialog.MapFont();
    EXPECT_EQ(shown.points, 10);
    EXPECT_TRUE(shown.style.italic);
    EXPECT_TRUE(QFontDatabase::hasFamily(QString::fromStdString(shown.face))) << shown.face;
    EXPECT_EQ(QString::fromStdString(shown.face),
              FamilyWithoutFoundry(QtTextRenderer::ResolveFont({"No Such Face Anywhere", 7, {}}).family()));
}

TEST_F(SettingsDialogWidgets, FontFamiliesAreListedOnceWithoutFoundryTags)
{
    for (const auto& [family, plain] : std::vector<std::pair<QString, QString>>{
             {"C059 [UKWN]", "C059"}, {"C059 [urw]", "C059"}, {"DejaVu Sans", "DejaVu Sans"},
             {"[urw]", "[urw]"}, {"Odd [name] Sans", "Odd [name] Sans"}})
        EXPECT_EQ(FamilyWithoutFoundry(family), plain) << family.toStdString();
    MapFontDialog dialog(nullptr);
    auto* faces = Child<QComboBox>(&dialog, "cbFontFace");
    QStringList listed;
    for (int i = 0; i < faces->count(); ++i)
        listed.append(faces->itemText(i));
    EXPECT_EQ(listed, PlainFontFamilies());
    EXPECT_EQ(listed.size(), QSet<QString>(listed.begin(), listed.end()).size()) << "each family once";
    EXPECT_TRUE(listed.filter(QStringLiteral(" [")).isEmpty()) << listed.join(", ").toStdString();
}

TEST_F(SettingsDialogWidgets, FontChosenBecomesTheWorkingCopyOnlyWhenConfirmed)
{
    const auto dialog = Open();
    auto* button = Child<QPushButton>(dialog.get(), "btnMapFont");
    OnNextModal([](QWidget* modal) {
        Child<QComboBox>(modal, "cbFontSize")->setCurrentIndex(4);
        static_cast<QDialog*>(modal)->reject();
    });
    button->click();
    EXPECT_EQ(dialog->Model().font.points, 7);
    OnNextModal([](QWidget* modal) {
        Child<QComboBox>(modal, "cbFontSize")->setCurrentIndex(4);
        Child<QCheckBox>(modal, "cbBold")->setChecked(true);
        static_cast<QDialog*>(modal)->accept();
    });
    button->click();
    EXPECT_EQ(dialog->Model().font.points, 9);
    EXPECT_TRUE(dialog->Model().font.style.bold);
}

TEST_F(SettingsDialogWidgets, EveryControlHasAnAccessibleName)
{
    const auto dialog = Open();
    QStringList unnamed;
    for (QWidget* widget : dialog->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget) ||
                             qobject_cast<QListWidget*>(widget) || qobject_cast<QLineEdit*>(widget);
        if (control && widget->accessibleName().isEmpty())
            unnamed << widget->objectName() + '/' + widget->metaObject()->className();
    }
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(", ").toStdString();
    EXPECT_EQ(Child<QPushButton>(dialog.get(), "btnAdd")->accessibleName(),
              "Add a city to the list of those displayed");
    EXPECT_EQ(Child<QRadioButton>(dialog.get(), "rbAuto")->accessibleName(), "Automatically");
    auto* pages = Child<QTabWidget>(dialog.get(), "PageControl");
    QStringList tabs;
    for (int page = 0; page < pages->count(); ++page)
        tabs << pages->tabText(page);
    EXPECT_EQ(tabs, (QStringList{"&General", "C&lock", "Ma&p", "Citi&es", "A&bout"})) << "each with its mnemonic";
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(dialog->size(), QSize(448, 280));
    EXPECT_EQ(dialog->geometry().center(), QGuiApplication::primaryScreen()->availableGeometry().center())
        << "centred on the screen, as the calendar is";
    EXPECT_EQ(dialog->windowTitle(), "Veltrix Chronivo Settings");
}

TEST_F(SettingsDialogWidgets, EveryCaptionAndHintIsTranslated)
{
    // A translation that marks every text it is asked for.
    struct Marking final : QTranslator {
        QString translate(const char*, const char* source, const char*, int) const override
        {
            return QStringLiteral("~") + QString::fromUtf8(source);
        }
    } marking;
    QApplication::installTranslator(&marking);
    const auto dialog = Open();
    QApplication::removeTranslator(&marking);
    QStringList untranslated;
    // The product's name, its address and the arrows stay as they are in every language.
    const QStringList kept{"lbTitle", "lbURL", "btnAdd", "btnDel"};
    auto check = [&](QWidget* widget, const QString& text) {
        if (!text.isEmpty() && !text.startsWith('~') && !kept.contains(widget->objectName()))
            untranslated << widget->objectName() + ": " + text;
    };
    for (QWidget* widget : dialog->findChildren<QWidget*>()) {
        check(widget, widget->toolTip());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            check(widget, button->text());
        if (auto* label = qobject_cast<QLabel*>(widget))
            check(widget, label->text());
    }
    EXPECT_TRUE(untranslated.isEmpty()) << untranslated.join("\n").toStdString();
}

TEST_F(SettingsDialogWidgets, HelpAndTheHomePageOpenThroughTheDesktopOrTheHelpInAWindowOfItsOwn)
{
    struct Recorder final : ShellOpener {
        std::vector<std::string> opened;
        bool Execute(const std::string& verb, const std::string& file, const std::string&, const std::string&) override
        {
            opened.push_back(verb + ' ' + file);
            return false;
        }
    } recorder;
    dir.Write("index.html", "<html><body><h1>The settings file</h1></body></html>");
    state.HelpFileName = dir.File("index.html");
    TcvSettings dialog(nullptr, state, table, recorder);
    Child<QPushButton>(&dialog, "btnHelp")->click();
    emit Child<QLabel>(&dialog, "lbURL")->linkActivated(QString::fromLatin1(kHomePage));
    EXPECT_EQ(recorder.opened,
              (std::vector<std::string>{"open " + state.HelpFileName, std::string("open ") + kHomePage}));
    // The desktop refused the help: it is shown in a window of the program's own.
    auto* help = dialog.findChild<HelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->findChild<QTextBrowser*>()->toPlainText().trimmed(), "The settings file");
    Child<QPushButton>(&dialog, "btnHelp")->click();
    EXPECT_EQ(dialog.findChildren<HelpWindow*>().size(), 1) << "asked again, the same window";
}

// The exchange through the main window.
class SettingsExchange : public ::testing::Test {
protected:
    TempDir dir;

    std::unique_ptr<TcvMain> OpenWindow()
    {
        return std::make_unique<TcvMain>(dir.Path().string() + '/', TestMainServices());
    }
    static PictureButton* Button(TcvMain& window, const QString& name)
    {
        for (auto* button : window.findChildren<PictureButton*>())
            if (button->accessibleName() == name)
                return button;
        ADD_FAILURE() << name.toStdString();
        return nullptr;
    }
};

TEST_F(SettingsExchange, PictureButtonsAreNamedByTheirHints)
{
    const auto window = OpenWindow();
    QStringList names;
    for (auto* button : window->findChildren<PictureButton*>())
        names << button->accessibleName();
    names.sort();
    EXPECT_EQ(names, (QStringList{"Close", "Help", "Minimize", "Open Veltrix home page", "Set Clock", "Settings",
                                  "Show Calendar"}));
}

TEST_F(SettingsExchange, OkAppliesTheChoicesAndCancelChangesNothing)
{
    const std::string before = "[Clock]\r\nUpdate type=1\r\n[World Cities]\r\nCity 1=London, England\r\n";
    dir.Write("chronivo.ini", before);
    const auto window = OpenWindow();
    PictureButton* setClock = Button(*window, QStringLiteral("Set Clock"));
    ASSERT_NE(setClock, nullptr);
    EXPECT_FALSE(setClock->isHidden());

    OnNextModal([](QWidget* modal) {
        Child<QRadioButton>(modal, "rbNever")->setChecked(true);
        Child<QRadioButton>(modal, "rbEuropeOnly")->setChecked(true);
        Child<QPushButton>(modal, "btnCancel")->click();
    });
    window->ibSettingsClick();
    EXPECT_EQ(dir.Read("chronivo.ini"), before);
    EXPECT_EQ(window->State().UpdateType, UpdateTypeId{1});
    EXPECT_FALSE(setClock->isHidden());

    OnNextModal([](QWidget* modal) {
        Child<QRadioButton>(modal, "rbNever")->setChecked(true);
        Child<QRadioButton>(modal, "rbEuropeOnly")->setChecked(true);
        auto* all = Child<QListWidget>(modal, "lbAllCities");
        all->setCurrentItem(all->findItems(QStringLiteral("Paris, France"), Qt::MatchExactly).value(0));
        Child<QPushButton>(modal, "btnAdd")->click();
        Child<QPushButton>(modal, "btnOK")->click();
    });
    window->ibSettingsClick();
    EXPECT_EQ(window->State().UpdateType, UpdateTypeId{0});
    EXPECT_EQ(window->State().MapView, MapViewId{3});
    EXPECT_TRUE(setClock->isHidden());
    EXPECT_EQ(window->MapCities()[0].Name, "Paris");
    EXPECT_TRUE(window->State().MapReady) << "the map is redrawn after OK";
    EXPECT_EQ(ReadIniString(dir.File("chronivo.ini"), "EU Cities", "City 1", 64), "Paris, France");
    EXPECT_EQ(ReadIniString(dir.File("chronivo.ini"), "World Cities", "City 1", 64), "London, England");
}

// Another program holding the settings lock (as `flock chronivo.ini.lock sleep 400` does) neither
// stops the window during OK nor loses a key: the event loop keeps its beat, the choices read back at
// once, and they reach the file when the lock is free.
TEST_F(SettingsExchange, OkWithTheLockHeldElsewhereNeverStopsTheWindow)
{
    const std::string ini = dir.File("chronivo.ini");
    const int held = ::open((ini + ".lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const auto window = OpenWindow();
    QElapsedTimer sinceBeat;
    qint64 longestPause = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] { longestPause = std::max(longestPause, sinceBeat.restart()); });
    sinceBeat.start();
    beat.start(10);
    OnNextModal([](QWidget* modal) {
        Child<QRadioButton>(modal, "rbEuropeOnly")->setChecked(true);
        Child<QPushButton>(modal, "btnOK")->click();
    });
    window->ibSettingsClick();
    QEventLoop settle;
    QTimer::singleShot(100, &settle, &QEventLoop::quit);
    settle.exec();
    std::cout << "longest pause of the event loop during OK with the lock held: " << longestPause << " ms\n";
    EXPECT_LT(longestPause, 1000);
    EXPECT_FALSE(std::filesystem::exists(ini));
    EXPECT_EQ(ReadIniString(ini, "Display", "Map view", 16), "3");

    ::close(held);
    std::string reason;
    ASSERT_EQ(FinishIniSaves(std::chrono::seconds(10), reason), SavesFinished::Saved) << reason;
    EXPECT_EQ(inifile::ReadValue(ini, "Display", "Map view"), "3");
    EXPECT_EQ(inifile::ReadValue(ini, "Clock", "Time server"), window->State().TimeServer);
}

// The cities' times come from the time-zone database unless the General page's box is cleared: an old
// cities.dat still gives Moscow the summer hour it no longer keeps, so at noon UTC on 15 July the
// database says 15:00 and the table 16:00.
TEST_F(SettingsExchange, TimeZonesAreOnByDefaultAndTheBoxSwitchesToTheTable)
{
    dir.Write("cities.dat", "Moscow, Russia                    +3.0   38     56      1\n");
    dir.Write("chronivo.ini", "[World Cities]\nCity 1=Moscow, Russia\n");
    const auto window = OpenWindow();
    window->TimerTimer();
    ASSERT_EQ(window->MapCities()[0].Name, "Moscow");
    EXPECT_TRUE(window->State().UseTimeZones);
    EXPECT_EQ(window->MapCityTimeText(window->MapCities()[0]), "15:00");
    OnNextModal([](QWidget* modal) {
        auto* box = Child<QCheckBox>(modal, "cbTimeZones");
        EXPECT_TRUE(box->isChecked()) << "the box shows the choice in force";
        box->setChecked(false);
        Child<QPushButton>(modal, "btnOK")->click();
    });
    window->ibSettingsClick();
    EXPECT_FALSE(window->State().UseTimeZones);
    EXPECT_EQ(ReadIniString(dir.File("chronivo.ini"), "Display", "Time zones", 16), "0");
    EXPECT_EQ(window->MapCityTimeText(window->MapCities()[0]), "16:00");
}

} // namespace
