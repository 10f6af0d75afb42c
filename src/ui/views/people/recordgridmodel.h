#pragma once

#include "framework/handlereditmodel.h"

#include <QVector>
#include <functional>

// The rows of a season collection (contestants or animals) as the entry grids
// show them: one row per record identity, in the order given, and the
// new-entry row last, marked "*" and holding identity 0. Texts are asked of
// the owner when a row is shown, so a list of thousands fills only what is
// on screen. Column 0 is the marker and never edits. User-interface thread only.
class RecordGridModel : public HandlerEditModel
{
    Q_OBJECT
public:
    struct Column
    {
        const char* title;
        int width; // pixels
        int limit; // characters the editor takes
    };
    using Text = std::function<QString(quint32 id, int column)>;

    RecordGridModel(QVector<Column> columns, Text text, QObject* parent = nullptr);

    const QVector<Column>& columns() const { return m_columns; }
    void setIds(QVector<quint32> ids);
    const QVector<quint32>& ids() const { return m_ids; }
    quint32 idAt(int row) const { return row >= 0 && row < m_ids.size() ? m_ids[row] : 0; }
    int rowOf(quint32 id) const { return id == 0 ? -1 : int(m_ids.indexOf(id)); }
    bool isNewRow(int row) const { return row == int(m_ids.size()); }
    int recordCount() const { return int(m_ids.size()); }
    // A record at row; at the new-entry row, that row becomes the record.
    void insertId(int row, quint32 id);
    void removeId(int row);
    void refreshAll();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QVector<Column> m_columns;
    Text m_text;
    QVector<quint32> m_ids;
};
