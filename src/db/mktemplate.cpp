// Build step: creates the template season database "Tallyra.mdb" from the
// schema script. Usage: tallyra-mktemplate <schema.sql> <output.mdb>
#include "platform/sql/sqlconnection.h"
#include "seasonschema.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <schema.sql> <output.mdb>\n", argv[0]);
        return 2;
    }
    const QString schemaPath = QString::fromLocal8Bit(argv[1]);
    const QString outPath = QString::fromLocal8Bit(argv[2]);

    QFile schema(schemaPath);
    if (!schema.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QString script = QString::fromUtf8(schema.readAll());

    // Build beside the target and rename, so a failed build never leaves a
    // half-made template behind.
    const QString tmpPath = outPath + QStringLiteral(".tmp");
    QFile::remove(tmpPath);
    {
        SqlConnection db;
        // The script is the first version of the tables; the upgrade steps
        // bring the template to the version this program writes.
        QString error;
        if (!db.create(tmpPath) || !db.execute(script) || !SeasonSchema::upgrade(db, &error) ||
            !db.execute(QStringLiteral("PRAGMA journal_mode=DELETE"))) {
            if (!error.isEmpty())
                std::fprintf(stderr, "%s\n", qPrintable(error));
            std::fprintf(stderr, "cannot build the template: %s\n", qPrintable(db.lastError()));
            db.close();
            QFile::remove(tmpPath);
            return 1;
        }
        db.close();
    }
    QFile::remove(outPath);
    if (!QFile::rename(tmpPath, outPath)) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
