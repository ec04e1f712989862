#include "pages/stepping/point_table_model.h"

#include "protocol/limits.h"

#include <QLocale>

#include <cmath>

namespace {

QString CellText(const std::optional<double>& value)
{
    return value ? QString::number(*value, 'g', 10) : QString();
}

// A cell's number in the C locale or the operator's; blanks around it allowed.
std::optional<double> CellNumber(const QString& strText)
{
    const QString strTrimmed = strText.trimmed();
    bool bNumber = false;
    double dValue = strTrimmed.toDouble(&bNumber);
    if (!bNumber)
        dValue = QLocale().toDouble(strTrimmed, &bNumber);
    if (!bNumber || !std::isfinite(dValue))
        return std::nullopt;
    return dValue;
}

} // namespace

CPointTableModel::CPointTableModel(QObject* pParent)
    : QAbstractTableModel(pParent)
{
}

void CPointTableModel::SetRows(const PointRows& rows)
{
    beginResetModel();
    m_rows = rows;
    endResetModel();
}

int CPointTableModel::InsertRowAfter(int nRow)
{
    const int nNew = nRow < 0 || nRow >= m_rows.size() ? static_cast<int>(m_rows.size()) : nRow + 1;
    PointRow row;
    row.dFrequencyMHz = nNew > 0 ? m_rows[nNew - 1].dFrequencyMHz : kLowestFrequencyMHz;
    beginInsertRows(QModelIndex(), nNew, nNew);
    m_rows.insert(nNew, row);
    endInsertRows();
    return nNew;
}

int CPointTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CPointTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CPointTableModel::data(const QModelIndex& index, int nRole) const
{
    if (!index.isValid() || (nRole != Qt::DisplayRole && nRole != Qt::EditRole))
        return {};
    const PointRow& row = m_rows[index.row()];
    switch (index.column()) {
    case kFrequency:
        return QString::number(row.dFrequencyMHz, 'g', 10);
    case kAmplitude:
        return CellText(row.dAmplitudeVolts);
    default:
        return CellText(row.dDwellSeconds);
    }
}

bool CPointTableModel::setData(const QModelIndex& index, const QVariant& value, int nRole)
{
    if (!index.isValid() || nRole != Qt::EditRole)
        return false;
    const QString strText = value.toString();
    const std::optional<double> number = CellNumber(strText);
    // An unreadable entry keeps the cell as it was.
    if (!number && !(index.column() != kFrequency && strText.trimmed().isEmpty()))
        return false;
    PointRow& row = m_rows[index.row()];
    switch (index.column()) {
    case kFrequency:
        row.dFrequencyMHz = *number;
        break;
    case kAmplitude:
        row.dAmplitudeVolts = number;
        break;
    default:
        row.dDwellSeconds = number;
        break;
    }
    Q_EMIT dataChanged(index, index);
    return true;
}

Qt::ItemFlags CPointTableModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

QVariant CPointTableModel::headerData(int nSection, Qt::Orientation orientation, int nRole) const
{
    if (nRole != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return nSection + 1;
    switch (nSection) {
    case kFrequency:
        return QStringLiteral("MHz");
    case kAmplitude:
        return QStringLiteral("V");
    default:
        return QStringLiteral("Dwell(s)");
    }
}

bool CPointTableModel::removeRows(int nRow, int nCount, const QModelIndex& parent)
{
    if (parent.isValid() || nCount <= 0 || nRow < 0 || nRow + nCount > m_rows.size())
        return false;
    beginRemoveRows(parent, nRow, nRow + nCount - 1);
    m_rows.remove(nRow, nCount);
    endRemoveRows();
    return true;
}
