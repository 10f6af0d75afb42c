#pragma once

#include "app/filemgr.h"
#include "common/logcapture.h"
#include "common/scriptedprompt.h"
#include "db/databasemanager.h"
#include "ui/rodeoactivator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// Stands in for the main window: records each request and opens the rodeo in
// the database manager unless told to fail.
class FakeActivator : public RodeoActivator
{
public:
    explicit FakeActivator(CDatabaseManager& db) : m_db(db) {}

    bool ActivateRodeo(const QString& season, const QString& rodeo) override
    {
        calls << (season + QLatin1Char('|') + rodeo);
        return succeed && m_db.OpenRodeo(season, rodeo);
    }

    QStringList calls;
    bool succeed = true;

private:
    CDatabaseManager& m_db;
};

// A data folder with the built-in display profiles ("ProfileDefault",
// "ProfilePlaySeq"), a database manager over it and a scripted prompt.
class DialogFixture : public ::testing::Test
{
protected:
    DialogFixture()
    {
        root = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(root);
        files = std::make_unique<FileMgr>(root);
        files->Create();
        db = std::make_unique<CDatabaseManager>(root, QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb"), prompt);
        activator = std::make_unique<FakeActivator>(*db);
    }

    void makeSeason(const QString& name, const QString& profile = QStringLiteral("ProfileDefault"),
                    const QString& rule = QStringLiteral("PRCA"))
    {
        ASSERT_TRUE(db->CreateSeason(name, profile, rule)) << name.toStdString();
    }
    void makeRodeo(const QString& season, const QString& rodeo)
    {
        ASSERT_TRUE(
            db->CreateRodeo(season, rodeo, QStringLiteral("7/1/26"), QStringLiteral("ProfileDefault")));
    }
    QStringList seasons() const
    {
        QStringList names;
        db->EnumSeasons(names);
        names.sort();
        return names;
    }
    QStringList rodeos(const QString& season)
    {
        QStringList names;
        db->GetRodeos(season, names);
        return names;
    }
    SeasonInfo season(const QString& name) const
    {
        SeasonInfo info;
        EXPECT_TRUE(db->GetSeason(name, info)) << name.toStdString();
        return info;
    }
    void removeProfiles()
    {
        for (const QString& p : files->GetProfileNames())
            ASSERT_TRUE(QFile::remove(root + p + QStringLiteral(".rpf")));
        ASSERT_TRUE(files->GetProfileNames().isEmpty());
    }

    // Shows a dialog without a modal loop, as a window the operator works in.
    static void present(QWidget& w)
    {
        w.show();
        QApplication::processEvents();
    }

    template <typename T> static T* child(QWidget& w, const char* name)
    {
        T* c = w.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << "no child " << name;
        return c;
    }
    static void click(QWidget& w, const char* button)
    {
        if (auto* b = child<QAbstractButton>(w, button))
            QTest::mouseClick(b, Qt::LeftButton);
    }
    // Picks an item of a drop-down list with the keyboard, as an operator
    // without a mouse would.
    static void choose(QComboBox* combo, const QString& text)
    {
        ASSERT_NE(combo, nullptr);
        const int target = combo->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
        ASSERT_GE(target, 0) << text.toStdString() << " not offered";
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Home);
        for (int i = 0; i < target; ++i)
            QTest::keyClick(combo, Qt::Key_Down);
        ASSERT_EQ(combo->currentText(), text);
    }
    static QStringList items(const QComboBox* combo)
    {
        QStringList out;
        for (int i = 0; combo && i < combo->count(); ++i)
            out << combo->itemText(i);
        return out;
    }
    static QStringList items(const QListWidget* list)
    {
        QStringList out;
        for (int i = 0; list && i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    QTemporaryDir dir;
    QString root;
    ScriptedPrompt prompt;
    std::unique_ptr<FileMgr> files;
    std::unique_ptr<CDatabaseManager> db;
    std::unique_ptr<FakeActivator> activator;
};
