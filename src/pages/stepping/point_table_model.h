#pragma once

#include "stepping/point_file.h"

#include <QAbstractTableModel>

// The editable table of a list sweep: frequency, amplitude and dwell. An
// empty amplitude or dwell cell takes the run's value; a frequency cell
// holds a number always.
class CPointTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kFrequency, kAmplitude, kDwell, kColumnCount };

    explicit CPointTableModel(QObject* pParent = nullptr);

    const PointRows& Rows() const { return m_rows; }
    void SetRows(const PointRows& rows);
    // A row after nRow (at the end for -1), with the frequency of the row it
    // follows, so that the operator edits from a value in range.
    int InsertRowAfter(int nRow);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int nRole = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int nRole = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int nSection, Qt::Orientation orientation, int nRole = Qt::DisplayRole) const override;
    bool removeRows(int nRow, int nCount, const QModelIndex& parent = QModelIndex()) override;

private:
    PointRows m_rows;
};
