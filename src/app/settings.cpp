#include "app/settings.h"

#include "app/commandline.h"
#include "app/mainpictures.h"
#include "app/mapfontdialog.h"
#include "app/utils.h"
#include "components/fixeddialog.h"
#include "components/helpwindow.h"
#include "platform/qt/qttextrenderer.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

namespace {

constexpr QSize kClientSize(448, 280);
constexpr QRect kGroupPlace(8, 8, 409, 185);

// A caption as it is read out: without the "&" that marks its mnemonic ("&&" is an "&").
QString WithoutMnemonic(const QString& caption)
{
    QString read;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        read += caption[i];
    }
    return read;
}

// Return and Enter in a list do the list's own action rather than reach the dialog's OK button.
class ReturnKeyAction final : public QObject {
public:
    ReturnKeyAction(QWidget* target, std::function<void()> action) : QObject(target), m_action(std::move(action))
    {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        m_action();
        return true;
    }

private:
    std::function<void()> m_action;
};

// Names a component, places it and gives it its hint. Its accessible name is its caption, or its
// hint where it has none.
template <class Widget>
Widget* Place(Widget* widget, const char* name, const QRect& place, const QString& hint = {},
              const QString& caption = {})
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(place);
    if (!hint.isEmpty())
        widget->setToolTip(hint);
    widget->setAccessibleName(caption.isEmpty() ? hint : WithoutMnemonic(caption));
    return widget;
}

// A page of the page control holding one group box.
QGroupBox* GroupPage(QTabWidget* pages, const char* pageName, const QString& tab, const char* boxName,
                     const QString& title)
{
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(pageName));
    pages->addTab(page, tab);
    auto* box = new QGroupBox(title, page);
    return Place(box, boxName, kGroupPlace, {}, title.trimmed());
}

QLabel* Caption(QWidget* parent, const char* name, QPoint place, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(place);
    label->adjustSize();
    return label;
}

template <class Button>
Button* CaptionedButton(QWidget* parent, const char* name, const QRect& place, const QString& caption,
                        const QString& hint = {})
{
    return Place(new Button(caption, parent), name, place, hint, caption);
}

QListWidget* CityList(QWidget* parent, const char* name, const QRect& place, const QString& hint)
{
    auto* list = Place(new QListWidget(parent), name, place, hint);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    // A long name ends in "…" and shows whole in its tool tip, rather than a scroll bar eating a line.
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setTextElideMode(Qt::ElideRight);
    return list;
}

// How a radio button of a group shows its choice.
struct RadioLook {
    const char* name;
    QRect place;
    const char* caption;
    const char* hint = nullptr;
};

RadioLook UpdateTypeLook(UpdateTypeId type)
{
    switch (type) {
    case UpdateTypeId::Never:
        return {"rbNever", QRect(32, 24, 113, 17), QT_TRANSLATE_NOOP("TcvSettings", "&Never"),
                QT_TRANSLATE_NOOP("TcvSettings", "Select this if your computer doesn't have an Internet connection")};
    case UpdateTypeId::Manually:
        return {"rbManually", QRect(32, 48, 113, 17), QT_TRANSLATE_NOOP("TcvSettings", "&Manually"),
                QT_TRANSLATE_NOOP("TcvSettings", "Set the clock only when you click the \"Set Clock\" button")};
    case UpdateTypeId::Automatically:
        return {"rbAuto", QRect(32, 72, 113, 17), QT_TRANSLATE_NOOP("TcvSettings", "A&utomatically"),
                QT_TRANSLATE_NOOP("TcvSettings", "Set the clock automatically, at regular intervals")};
    case UpdateTypeId::WhileDialUp:
        return {"rbAutoDUN", QRect(32, 96, 345, 17),
                QT_TRANSLATE_NOOP("TcvSettings", "Automatically, when &dial-up connection active"),
                QT_TRANSLATE_NOOP("TcvSettings", "Set the clock at intervals, when a dial-up connection is active")};
    }
    return {};
}

RadioLook MapViewLook(MapViewId view)
{
    const QRect place(32, 44 + 20 * static_cast<int>(view), 240, 17);
    switch (view) {
    case MapViewId::WorldEurope:
        return {"rbEurope", place, QT_TRANSLATE_NOOP("TcvSettings", "World, centered on Eu&rope")};
    case MapViewId::WorldAmerica:
        return {"rbAmerica", place, QT_TRANSLATE_NOOP("TcvSettings", "World, centered on A&merica")};
    case MapViewId::WorldAustralasia:
        return {"rbAustralasia", place, QT_TRANSLATE_NOOP("TcvSettings", "World, centered on Aus&tralasia")};
    case MapViewId::Europe:
        return {"rbEuropeOnly", place, QT_TRANSLATE_NOOP("TcvSettings", "Europe and central &Asia")};
    case MapViewId::NorthAmerica:
        return {"rbUSAonly", place, QT_TRANSLATE_NOOP("TcvSettings", "&North America only")};
    }
    return {};
}

// The position of a choice's button in its group: the row of the choice in its table.
template <typename Id>
std::size_t ButtonIndex(Id id)
{
    return static_cast<std::size_t>(id);
}

QListWidgetItem* AddCityItem(QListWidget* list, const std::string& city)
{
    auto* item = new QListWidgetItem(FromSettingsText(city), list);
    item->setData(Qt::UserRole, QByteArray::fromStdString(city));
    item->setToolTip(item->text());
    return item;
}

void ShowCities(QListWidget* list, const TStrings& cities)
{
    list->clear();
    for (const std::string& city : cities)
        AddCityItem(list, city);
}

// A world city offered beside the table's: in italics, after a globe-like mark, and said so to the
// eye (its tip) and the ear (its accessible text).
void AddWorldCityItem(QListWidget* list, const std::string& city)
{
    QListWidgetItem* item = AddCityItem(list, city);
    const QString name = item->text();
    item->setText(QStringLiteral("\u2295 ") + name);
    QFont italic = list->font();
    italic.setItalic(true);
    item->setFont(italic);
    item->setForeground(QColor(0, 0, 128));
    item->setToolTip(TcvSettings::tr("%1: one of the world's cities, added beside the table's").arg(name));
    item->setData(Qt::AccessibleTextRole, TcvSettings::tr("%1, world city").arg(name));
}

} // namespace

TcvSettings::TcvSettings(QWidget* owner, const MainState& state, const TStrings& cityTable, ShellOpener& opener,
                         WorldCitySource* worldCities)
    : QDialog(owner), m_model(state, cityTable, worldCities), m_helpFileName(state.HelpFileName), m_opener(opener)
{
    setObjectName(QStringLiteral("cvSettings"));
    setWindowTitle(tr("Veltrix Chronivo Settings"));
    MakeFixedDialog(*this, kClientSize);
    CentreOnScreen(*this);
    // The places below are made for a narrow 8-point face at 96 dots per inch, whatever the screen's
    // scaling; a wide face would run captions into the controls beside them.
    QFont face = font();
    face.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Nimbus Sans")});
    face.setPixelSize(11);
    setFont(face);

    m_pageControl = Place(new QTabWidget(this), "PageControl", QRect(8, 8, 433, 233));
    CreateGeneralPage();
    CreateClockPage();
    CreateMapPage();
    CreateCitiesPage();
    CreateAboutPage();
    CreateButtons();
    m_pageControl->setCurrentIndex(0);
    FillFromModel();
}

TcvSettings::~TcvSettings() = default;

void TcvSettings::CreateGeneralPage()
{
    QGroupBox* box = GroupPage(m_pageControl, "General", tr("&General"), "GroupBox4", tr(" Settings "));
    m_cbSysTray = CaptionedButton<QCheckBox>(box, "cbSysTray", QRect(24, 32, 353, 17), tr("&Run in system tray?"));
    connect(m_cbSysTray, &QCheckBox::toggled, this, [this](bool on) { m_model.trayMode = on; });
    m_cbTimeZones = CaptionedButton<QCheckBox>(box, "cbTimeZones", QRect(24, 56, 353, 17),
                                               tr("&Take city times from the system's time zones"),
                                               tr("Off: the city table's own offsets and rules"));
    connect(m_cbTimeZones, &QCheckBox::toggled, this, [this](bool on) { m_model.useTimeZones = on; });
}

void TcvSettings::CreateClockPage()
{
    QGroupBox* box = GroupPage(m_pageControl, "Clock_settings", tr("C&lock"), "GroupBox1", tr(" Update system clock "));
    auto* group = new QButtonGroup(this);
    for (const UpdateTypeInfo& row : kUpdateTypes) {
        const UpdateTypeId type = row.id;
        const RadioLook look = UpdateTypeLook(type);
        QRadioButton* button =
            CaptionedButton<QRadioButton>(box, look.name, look.place, tr(look.caption), tr(look.hint));
        button->setProperty("tag", static_cast<int>(type));
        group->addButton(button, static_cast<int>(type));
        m_updateButtons[ButtonIndex(type)] = button;
        // toggled, not clicked: checking the button from code has the click's effect too.
        connect(button, &QRadioButton::toggled, this, [this, button, type](bool checked) {
            if (checked)
                type == UpdateTypeId::Never ? rbNeverClick(button) : AutomaticallyClick(button);
        });
    }

    QLabel* serverCaption = Caption(box, "Label1", QPoint(32, 128), tr("Use this time &server:"));
    m_cbTimeServers =
        Place(new QComboBox(box), "cbTimeServers", QRect(144, 126, 185, 21), tr("Name of the Internet time server"));
    // Named by its caption, which its mnemonic leads to.
    serverCaption->setBuddy(m_cbTimeServers);
    m_cbTimeServers->setAccessibleName(WithoutMnemonic(serverCaption->text()).remove(u':'));
    m_cbTimeServers->setEditable(true);
    m_cbTimeServers->setInsertPolicy(QComboBox::NoInsert);
    // A longer name would be cut when the settings file is read back.
    m_cbTimeServers->lineEdit()->setMaxLength(static_cast<int>(kMaxTimeServerLength));
    m_cbTimeServers->lineEdit()->setAccessibleName(m_cbTimeServers->accessibleName());
    connect(m_cbTimeServers, &QComboBox::editTextChanged, this,
            [this](const QString& text) { m_model.timeServer = text.toStdString(); });

    m_btnInfo =
        Place(new QToolButton(box), "btnInfo", QRect(344, 126, 21, 21), tr("Click to view status of last update"));
    m_btnInfo->setAutoRaise(true);
    m_btnInfo->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    m_btnInfo->setIconSize(QSize(16, 16));
    connect(m_btnInfo, &QToolButton::clicked, this, &TcvSettings::btnInfoClick);

    Caption(box, "Label8", QPoint(32, 154), tr("Ask it with:"));
    m_cbProtocol = Place(new QComboBox(box), "cbProtocol", QRect(144, 152, 185, 21),
                         tr("How the time server is asked: NTS proves that the answer comes from the server"));
    // In the order of the stored numbers.
    m_cbProtocol->addItem(tr("Time protocol (RFC 868)"));
    m_cbProtocol->addItem(tr("NTP"));
    m_cbProtocol->addItem(tr("NTS (authenticated NTP)"));
    connect(m_cbProtocol, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        m_model.ChooseProtocol(TimeProtocol{index});
        ShowTimeServers();
    });
}

void TcvSettings::ShowTimeServers()
{
    // The items change under the text: the text is the model's, whatever the list offers.
    const QString server = QString::fromStdString(m_model.timeServer);
    const QSignalBlocker quiet(m_cbTimeServers);
    m_cbTimeServers->clear();
    for (const char* choice : TimeServerChoices(m_model.Protocol()))
        m_cbTimeServers->addItem(QString::fromLatin1(choice));
    m_cbTimeServers->setEditText(server);
}

void TcvSettings::CreateMapPage()
{
    QGroupBox* box = GroupPage(m_pageControl, "Map_tab", tr("Ma&p"), "GroupBox3", tr(" Map view "));
    box->setToolTip(tr("Choose the map view to appear in the display"));
    Caption(box, "Label7", QPoint(24, 24), tr("Choose a map view to suit your location"));
    auto* group = new QButtonGroup(this);
    for (const MapViewInfo& row : kMapViews) {
        const RadioLook look = MapViewLook(row.id);
        QRadioButton* button = CaptionedButton<QRadioButton>(box, look.name, look.place, tr(look.caption));
        button->setProperty("tag", static_cast<int>(row.id));
        group->addButton(button, static_cast<int>(row.id));
        m_mapButtons[ButtonIndex(row.id)] = button;
        connect(button, &QRadioButton::toggled, this, [this, button](bool checked) {
            if (checked)
                rbMapTypeClick(button);
        });
    }
    m_cbShadow = CaptionedButton<QCheckBox>(box, "cbShadow", QRect(24, 152, 201, 17), tr("Show Sun's sha&dow"));
    connect(m_cbShadow, &QCheckBox::toggled, this, [this](bool on) { m_model.showShadow = on; });
    m_btnMapFont = CaptionedButton<QPushButton>(box, "btnMapFont", QRect(320, 148, 72, 24), tr("&Font..."));
    connect(m_btnMapFont, &QPushButton::clicked, this, &TcvSettings::btnMapFontClick);
}

void TcvSettings::CreateCitiesPage()
{
    QGroupBox* box = GroupPage(m_pageControl, "Display_settings", tr("Citi&es"), "GroupBox2", tr(" Cities to display "));
    QLabel* allCaption = Caption(box, "Label2", QPoint(16, 24), tr("&Cities"));
    QLabel* shownCaption = Caption(box, "Label3", QPoint(224, 24), tr("&Display"));
    // Beside "Cities": narrows the full list to the names holding the text typed.
    m_edFilter = Place(new QLineEdit(box), "edFilter", QRect(64, 19, 121, 19),
                       m_model.HasWorldCities()
                           ? tr("Show only the cities whose name holds this text, and find more of the world's")
                           : tr("Show only the cities whose name holds this text"));
    m_edFilter->setPlaceholderText(tr("Filter"));
    m_edFilter->setClearButtonEnabled(true);
    for (QToolButton* clear : m_edFilter->findChildren<QToolButton*>())
        clear->setAccessibleName(tr("Clear filter"));
    connect(m_edFilter, &QLineEdit::textChanged, this, &TcvSettings::ShowAllCities);

    m_lbAllCities =
        CityList(box, "lbAllCities", QRect(16, 40, 169, 137), tr("The full list of cities you can choose from"));
    m_lbDisplayCities = CityList(box, "lbDisplayCities", QRect(224, 40, 169, 137),
                                 tr("The list of cities you want to display on the selected map"));
    // The symbols say nothing to a screen reader: the buttons are named by their hints.
    m_btnAdd = Place(new QPushButton(QStringLiteral(">"), box), "btnAdd", QRect(193, 72, 24, 24),
                     tr("Add a city to the list of those displayed"));
    m_btnDel = Place(new QPushButton(QStringLiteral("<"), box), "btnDel", QRect(193, 96, 24, 24),
                     tr("Remove a city from the list of those displayed"));
    for (QPushButton* button : {m_btnAdd, m_btnDel})
        button->setAutoDefault(false);
    connect(m_btnAdd, &QPushButton::clicked, this, &TcvSettings::btnAddClick);
    connect(m_btnDel, &QPushButton::clicked, this, &TcvSettings::btnDelClick);
    allCaption->setBuddy(m_lbAllCities);
    shownCaption->setBuddy(m_lbDisplayCities);
    // A double-click, and Return on the current name, do what the button between the lists does.
    const auto add = [this](QListWidgetItem* item) {
        if (item && m_model.Add(CityOf(item)))
            ShowDisplayCities();
    };
    const auto remove = [this](QListWidgetItem* item) {
        if (item && m_model.Remove(CityOf(item)))
            ShowDisplayCities();
    };
    connect(m_lbAllCities, &QListWidget::itemDoubleClicked, this, add);
    connect(m_lbDisplayCities, &QListWidget::itemDoubleClicked, this, remove);
    new ReturnKeyAction(m_lbAllCities, [this, add] { add(m_lbAllCities->currentItem()); });
    new ReturnKeyAction(m_lbDisplayCities, [this, remove] { remove(m_lbDisplayCities->currentItem()); });
}

void TcvSettings::CreateAboutPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("About_tab"));
    m_pageControl->addTab(page, tr("A&bout"));
    auto* icon = Place(new QLabel(page), "imgIcon", QRect(24, 24, 32, 32), {}, QStringLiteral("Veltrix Chronivo"));
    icon->setPixmap(main_pictures::ProgramIcon().pixmap(32, 32));

    QLabel* title = Caption(page, "lbTitle", QPoint(72, 24), QStringLiteral("Veltrix Chronivo"));
    QFont big = title->font();
    big.setPixelSize(19); // 14 points at 96 dots per inch
    big.setBold(true);
    title->setFont(big);
    title->setStyleSheet(QStringLiteral("color: navy;"));
    title->adjustSize();
    Caption(page, "lbVersion", QPoint(72, 56), tr("Version %1").arg(QString::fromLatin1(ProgramVersion())));

    const QString address = QString::fromLatin1(kHomePage);
    QLabel* url = Caption(page, "lbURL", QPoint(72, 104),
                          QStringLiteral("<a href=\"%1\" style=\"color: blue;\">%1</a>").arg(address.toHtmlEscaped()));
    url->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    url->setOpenExternalLinks(false);
    url->setCursor(Qt::PointingHandCursor);
    url->setAccessibleName(address);
    url->adjustSize();
    connect(url, &QLabel::linkActivated, this, &TcvSettings::lbURLClick);
}

void TcvSettings::CreateButtons()
{
    m_btnOK = CaptionedButton<QPushButton>(this, "btnOK", QRect(208, 248, 72, 24), tr("OK"));
    m_btnCancel = CaptionedButton<QPushButton>(this, "btnCancel", QRect(288, 248, 72, 24), tr("Cancel"));
    m_btnHelp = CaptionedButton<QPushButton>(this, "btnHelp", QRect(368, 248, 72, 24), tr("&Help"));
    m_btnOK->setDefault(true);
    m_btnCancel->setAutoDefault(false);
    m_btnHelp->setAutoDefault(false);
    connect(m_btnOK, &QPushButton::clicked, this, &QDialog::accept);
    // Escape rejects the dialog as Cancel does.
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_btnHelp, &QPushButton::clicked, this, &TcvSettings::btnHelpClick);
}

void TcvSettings::FillFromModel()
{
    // Copies first: checking the radio buttons below passes their events to the model, and the
    // model's own values must not be read back half changed.
    const bool trayMode = m_model.trayMode;
    const bool showShadow = m_model.showShadow;
    const bool useTimeZones = m_model.useTimeZones;
    const std::string server = m_model.timeServer;
    const std::optional<UpdateTypeId> updateType = m_model.UpdateType();
    const std::optional<MapViewId> mapView = m_model.MapView();

    m_cbSysTray->setChecked(trayMode);
    m_cbTimeZones->setChecked(useTimeZones);
    if (updateType)
        m_updateButtons[ButtonIndex(*updateType)]->setChecked(true);
    m_cbProtocol->setCurrentIndex(static_cast<int>(m_model.Protocol()));
    m_model.timeServer = server;
    ShowTimeServers();
    m_cbShadow->setChecked(showShadow);
    if (mapView)
        m_mapButtons[ButtonIndex(*mapView)]->setChecked(true);
    ShowAllCities();
    ShowDisplayCities();
}

void TcvSettings::rbNeverClick(QAbstractButton* sender)
{
    if (sender->isChecked())
        m_model.CheckUpdateType(UpdateTypeId::Never);
    m_cbTimeServers->setEnabled(m_model.ServerEnabled());
    m_cbProtocol->setEnabled(m_model.ServerEnabled());
}

void TcvSettings::AutomaticallyClick(QAbstractButton* sender)
{
    if (sender->isChecked())
        m_model.CheckUpdateType(UpdateTypeId{sender->property("tag").toInt()});
    m_cbTimeServers->setEnabled(m_model.ServerEnabled());
    m_cbProtocol->setEnabled(m_model.ServerEnabled());
}

void TcvSettings::btnInfoClick()
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Veltrix Chronivo"), FromSettingsText(m_model.LogText()),
                    QMessageBox::Ok, this);
    RunDialog(box);
}

void TcvSettings::rbMapTypeClick(QAbstractButton* sender)
{
    if (sender->isChecked())
        m_model.CheckMapView(MapViewId{sender->property("tag").toInt()});
    ShowDisplayCities();
}

void TcvSettings::btnAddClick()
{
    std::optional<std::string> selected;
    if (const QList<QListWidgetItem*> items = m_lbAllCities->selectedItems(); !items.isEmpty())
        selected = CityOf(items.front());
    m_model.Add(selected);
    ShowDisplayCities();
}

void TcvSettings::btnDelClick()
{
    std::optional<std::string> selected;
    if (const QList<QListWidgetItem*> items = m_lbDisplayCities->selectedItems(); !items.isEmpty())
        selected = CityOf(items.front());
    m_model.Remove(selected);
    ShowDisplayCities();
}

void TcvSettings::btnMapFontClick()
{
    MapFontDialog dialog(this);
    dialog.SetMapFont(m_model.font);
    if (RunDialog(dialog) == QDialog::Accepted)
        m_model.font = dialog.MapFont();
}

void TcvSettings::btnHelpClick()
{
    ShowHelp(m_opener, m_helpFileName, this);
}

void TcvSettings::lbURLClick()
{
    ShellExecFile(m_opener, "open", kHomePage);
}

void TcvSettings::ShowAllCities()
{
    const std::string filter = m_edFilter->text().toStdString();
    ShowCities(m_lbAllCities, m_model.FilteredCities(filter));
    for (const std::string& city : m_model.WorldMatches(filter))
        AddWorldCityItem(m_lbAllCities, city);
}

void TcvSettings::ShowDisplayCities()
{
    ShowCities(m_lbDisplayCities, m_model.DisplayCities());
    m_btnAdd->setEnabled(m_model.AddEnabled());
    m_btnDel->setEnabled(m_model.DelEnabled());
}

std::string TcvSettings::CityOf(const QListWidgetItem* item)
{
    return item ? item->data(Qt::UserRole).toByteArray().toStdString() : std::string{};
}
