#pragma once

#include "ioconfiguration.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

// What the Input/Output Configuration dialog does to its copy of the
// configuration, without any window: the rows and cell texts of its five
// lists, editing a cell (a blank last row becomes a new item when a cell of it
// is filled), removing rows with their refusals, and keeping port references
// right when a port goes.
class IoConfigEditor
{
public:
    enum class List { Ports, Timer, Rips, Requests, Monitors };
    // How a cell is edited: not in place, typed text, typed digits, a port from
    // the port names, or one of fixed choices.
    enum class Editor { None, Text, Digits, PortChoice, Choice };

    struct Column
    {
        QString title;
        int width;
        Editor editor;
    };

    struct RemoveResult
    {
        bool removed = false;
        QString refusal; // the message box text when the removal is refused
    };

    explicit IoConfigEditor(IoConfiguration& config);

    static QString label(List list);
    static QList<Column> columns(List list);

    // Every list but the timer's ends with a blank row.
    int rowCount(List list) const;
    bool isBlankRow(List list, int row) const;
    QString text(List list, int row, int column) const;
    // The texts offered by a choice cell; for a port cell "" (no port) and then
    // the port names, so that index = port number.
    QStringList choices(List list, int column) const;

    // Typed or chosen text (Text, Digits and Choice cells). False when the text
    // is not accepted or the cell is not edited so.
    bool setText(List list, int row, int column, const QString& text);
    // A port cell: port number 0 (none) to the number of ports.
    bool choosePort(List list, int row, int column, int portNumber);

    RemoveResult remove(List list, int row);

    // The port of a row, null for the blank row.
    StreamPort* port(int row) const;
    // Appends a port configured on the blank row; returns its number.
    int appendPort(std::unique_ptr<StreamPort> port);
    // The name shown for a port reference: empty for 0 and for numbers beyond
    // the list.
    QString portName(int number) const;

    IoConfiguration& configuration() { return m_config; }

private:
    int itemCount(List list) const;
    bool setRipText(int row, int column, const QString& text);
    bool setRequestText(int row, int column, const QString& text);
    bool setMonitorText(int row, int column, const QString& text);
    void renumberReferences(int removed);

    IoConfiguration& m_config;
};
