#pragma once

#include <QAbstractTableModel>
#include <QSet>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

// A grid of texts for the payout dialogs' tables: the rows as the operator
// typed them (the forms read them with PayoutForms), some columns editable,
// some worked out from the row (read-only), and an optional sort key per cell
// (Qt::UserRole) for a sorting proxy.
class TextGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TextGridModel(const QStringList& headers, QObject* parent = nullptr);

    void setEditableColumns(const QSet<int>& columns) { m_editable = columns; }
    // Per column "l", "c" or "r"; centred when not given.
    void setAlignment(const QString& alignment) { m_alignment = alignment; }
    // column's text is fn(row's texts) and cannot be edited.
    void setComputed(int column, std::function<QString(const QStringList&)> fn);

    void setRows(const QVector<QStringList>& rows, const QVector<QVariantList>& sortKeys = {});
    const QVector<QStringList>& rows() const { return m_rows; }
    void insertGridRow(int row, const QStringList& texts);
    void removeGridRow(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString textAt(int row, int column) const;

    QStringList m_headers;
    QSet<int> m_editable;
    QString m_alignment;
    QHash<int, std::function<QString(const QStringList&)>> m_computed;
    QVector<QStringList> m_rows;
    QVector<QVariantList> m_sortKeys;
};
