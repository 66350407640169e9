// TcvSettings: the settings dialog, five pages ("General", "Clock", "Map", "Cities", "About") in a
// fixed 448 × 280 window. It shows a SettingsModel and passes every action of the user to it; the
// model holds the choices and their rules, and writes them when the main window applies them after
// OK. Each component carries its name as object name, and its caption (or its hint where it has no
// caption) as accessible name.
#pragma once

#include "app/settingsmodel.h"

#include <QDialog>

#include <array>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class ShellOpener;
class WorldCitySource;

class TcvSettings final : public QDialog {
    Q_OBJECT
public:
    // The dialog filled from the main window's state and its city table rows; help and the home page
    // open through opener. The filter searches worldCities too, where there are any.
    TcvSettings(QWidget* owner, const MainState& state, const TStrings& cityTable, ShellOpener& opener,
                WorldCitySource* worldCities = nullptr);
    ~TcvSettings() override;

    const SettingsModel& Model() const { return m_model; }

    // Published handlers, named after their components and events.
    void rbNeverClick(QAbstractButton* sender);
    void AutomaticallyClick(QAbstractButton* sender);
    void btnInfoClick();
    void rbMapTypeClick(QAbstractButton* sender);
    void btnAddClick();
    void btnDelClick();
    void btnMapFontClick();
    void btnHelpClick();
    void lbURLClick();

private:
    void CreateGeneralPage();
    void CreateClockPage();
    void CreateMapPage();
    void CreateCitiesPage();
    void CreateAboutPage();
    void CreateButtons();
    void FillFromModel();
    // Fills the server box's list for the protocol chosen, keeping the text.
    void ShowTimeServers();
    void ShowAllCities();
    void ShowDisplayCities();
    // The city of a list entry, as the model spells it.
    static std::string CityOf(const QListWidgetItem* item);

    SettingsModel m_model;
    std::string m_helpFileName;
    ShellOpener& m_opener;

    QTabWidget* m_pageControl = nullptr;
    QCheckBox* m_cbSysTray = nullptr;
    QCheckBox* m_cbTimeZones = nullptr;
    std::array<QRadioButton*, kUpdateTypes.size()> m_updateButtons{}; // by the row of kUpdateTypes
    QComboBox* m_cbTimeServers = nullptr;
    QComboBox* m_cbProtocol = nullptr;
    QToolButton* m_btnInfo = nullptr;
    std::array<QRadioButton*, kMapViews.size()> m_mapButtons{}; // by the row of kMapViews
    QCheckBox* m_cbShadow = nullptr;
    QPushButton* m_btnMapFont = nullptr;
    QLineEdit* m_edFilter = nullptr;
    QListWidget* m_lbAllCities = nullptr;
    QListWidget* m_lbDisplayCities = nullptr;
    QPushButton* m_btnAdd = nullptr;
    QPushButton* m_btnDel = nullptr;
    QPushButton* m_btnOK = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QPushButton* m_btnHelp = nullptr;
};
