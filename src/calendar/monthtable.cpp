#include "calendar/monthtable.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <map>

namespace {

class MonthTableAccessible;

// A day's cell, or a header cell when its row or column is -1.
class DayCellAccessible final : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    DayCellAccessible(MonthTableAccessible* table, int row, int column) : m_table(table), m_row(row), m_column(column)
    {
    }

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }
    QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text /*t*/, const QString& /*text*/) override {}
    QRect rect() const override;
    QAccessible::Role role() const override
    {
        return m_row < 0 ? QAccessible::ColumnHeader : m_column < 0 ? QAccessible::RowHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override { return {}; }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
    }

    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override;
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override;

private:
    MonthTableAccessible* m_table;
    int m_row;
    int m_column;
};

class MonthTableAccessible final : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit MonthTableAccessible(MonthTable* month) : QAccessibleWidget(month, QAccessible::Table) {}
    ~MonthTableAccessible() override
    {
        for (const auto& [place, id] : m_cells)
            QAccessible::deleteAccessibleInterface(id);
    }

    MonthTable* Month() const { return static_cast<MonthTable*>(widget()); }
    // The cell at (row, column), -1 for a header; made once and kept while the table lives.
    QAccessibleInterface* Cell(int row, int column)
    {
        const auto place = std::make_pair(row, column);
        if (const auto found = m_cells.find(place); found != m_cells.end())
            return QAccessible::accessibleInterface(found->second);
        auto* cell = new DayCellAccessible(this, row, column);
        m_cells[place] = QAccessible::registerAccessibleInterface(cell);
        return cell;
    }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? Month()->TableName() : QAccessibleWidget::text(t);
    }
    int childCount() const override { return rowCount() * columnCount(); }
    QAccessibleInterface* child(int index) const override
    {
        return index >= 0 && index < childCount() ? cellAt(index / 7, index % 7) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const QAccessibleTableCellInterface* cell = child ? const_cast<QAccessibleInterface*>(child)->tableCellInterface() : nullptr;
        return cell && cell->rowIndex() >= 0 && cell->columnIndex() >= 0 ? cell->rowIndex() * 7 + cell->columnIndex() : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QPoint at = Month()->mapFromGlobal(QPoint(x, y));
        for (int index = 0; index < childCount(); ++index)
            if (Month()->CellRect(index / 7, index % 7).contains(at))
                return child(index);
        return nullptr;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface*>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override
    {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
            return nullptr;
        return const_cast<MonthTableAccessible*>(this)->Cell(row, column);
    }
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    QString columnDescription(int column) const override { return Month()->ColumnName(column); }
    QString rowDescription(int row) const override { return Month()->RowName(row); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return 7; }
    int rowCount() const override { return Month()->Weeks(); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int /*column*/) const override { return false; }
    bool isRowSelected(int /*row*/) const override { return false; }
    bool selectRow(int /*row*/) override { return false; }
    bool selectColumn(int /*column*/) override { return false; }
    bool unselectRow(int /*row*/) override { return false; }
    bool unselectColumn(int /*column*/) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* /*event*/) override {}

private:
    std::map<std::pair<int, int>, QAccessible::Id> m_cells;
};

bool DayCellAccessible::isValid() const
{
    return m_table->isValid() && m_row < m_table->rowCount() && m_column < 7;
}

QWindow* DayCellAccessible::window() const
{
    return m_table->window();
}

QAccessibleInterface* DayCellAccessible::parent() const
{
    return m_table;
}

QAccessibleInterface* DayCellAccessible::table() const
{
    return m_table;
}

QString DayCellAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name || !isValid())
        return {};
    const MonthTable* month = m_table->Month();
    return m_row < 0 ? month->ColumnName(m_column) : m_column < 0 ? month->RowName(m_row) : month->CellName(m_row, m_column);
}

QRect DayCellAccessible::rect() const
{
    const MonthTable* month = m_table->Month();
    const QRect cell = month->CellRect(std::max(m_row, -1), std::max(m_column, 0));
    return QRect(month->mapToGlobal(cell.topLeft()), cell.size());
}

QList<QAccessibleInterface*> DayCellAccessible::columnHeaderCells() const
{
    return {m_table->Cell(-1, m_column)};
}

QList<QAccessibleInterface*> DayCellAccessible::rowHeaderCells() const
{
    return {m_table->Cell(m_row, -1)};
}

QAccessibleInterface* MonthTableFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("MonthTable") && object && object->isWidgetType())
        return new MonthTableAccessible(static_cast<MonthTable*>(object));
    return nullptr;
}

} // namespace

MonthTable::MonthTable(QWidget* parent, int month, const CalendarNames& names, QSize cell)
    : QWidget(parent), m_month(month), m_names(names), m_cell(cell)
{
    static const bool factoryInstalled = (QAccessible::installFactory(MonthTableFactory), true);
    (void)factoryInstalled;
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(7 * cell.width(), (6 + 1) * cell.height());
}

void MonthTable::ShowYear(int year, CalendarDay today)
{
    if (year == m_year && today == m_today)
        return;
    m_year = year;
    m_today = today;
    QAccessibleTableModelChangeEvent reset(this, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&reset);
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
}

QString MonthTable::TableName() const
{
    return QStringLiteral("%1 %2").arg(QString::fromStdString(m_names.months[static_cast<size_t>(m_month - 1)]))
        .arg(m_year);
}

QString MonthTable::CellName(int row, int column) const
{
    const int day = DayInCell(m_year, m_month, row, column);
    if (day == 0)
        return {};
    if (m_today == CalendarDay{m_year, m_month, day})
        return tr("%1 (today)").arg(day);
    return QString::number(day);
}

QString MonthTable::ColumnName(int column) const
{
    return column >= 0 && column < 7 ? QString::fromStdString(m_names.spokenWeekdays[static_cast<size_t>(column)])
                                     : QString();
}

QString MonthTable::RowName(int row) const
{
    return tr("Week %1").arg(row + 1);
}

QRect MonthTable::CellRect(int row, int column) const
{
    // The header row first, then the weeks.
    return QRect(QPoint(column * m_cell.width(), (row + 1) * m_cell.height()), m_cell);
}
