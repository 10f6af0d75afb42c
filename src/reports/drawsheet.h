#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

// What the draw sheet of one event's go-round shows.
struct DrawSheetData
{
    struct Row
    {
        int perf = 0; // 0: unplaced
        int ord = 0;
        QString competitor;
        QString animal;
    };
    QStringList titles; // the rodeo's display lines
    QString event;      // "Saddle Bronc (SB)"
    QString goRound;    // "Go Round 2", "Final"
    bool drawn = false; // false: the running order as entered, no draw in force
    quint64 seed = 0;
    QDateTime when; // UTC
    QStringList unmet;
    bool withAnimals = false;
    QVector<Row> rows; // by performance and running order
};

// The draw sheet to post: the performances, running order and animals of a
// go-round with the seed and time of its draw, as an HTML page beside the
// reports and as a PDF. Pages are written through a temporary file renamed
// into place. A PDF needs the Gui application (fonts); the program has it.
namespace DrawSheet {

QString html(const DrawSheetData& data);

// "Draw SB Go 2": the sheet's file name without its extension.
QString baseName(const QString& eventId, int goRound);

// Writes the page and the PDF; false (with the reason in error, and logged)
// when either cannot be written.
bool write(const DrawSheetData& data, const QString& htmlPath, const QString& pdfPath,
           QString* error = nullptr);

} // namespace DrawSheet
