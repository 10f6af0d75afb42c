#pragma once

#include <QString>
#include <QtGlobal>

class CMainFrame;
class QWidget;

// Builds the windows one by one and saves a picture of each.
class ScreenshotSuite
{
public:
    ScreenshotSuite(const QString& outputFolder, const QString& templateDatabase);

    // Returns how many pictures were written.
    int run();

private:
    bool save(QWidget* widget, const QString& name);
    void mainWindow();
    void reportsAndImport(CMainFrame& frame);
    void dialogs();
    void seasonDialogs();
    void profileDialogs();
    void entryBars(class CMainFrame& frame);
    void runPerformance(class CMainFrame& frame);
    void entryViews(class CMainFrame& frame);
    void simulators(class CMainFrame& frame);
    void setupAndEntryViews();
    void demoSeason();
    void payouts(class CMainFrame& frame);
    void drawDialogs(class CMainFrame& frame, const QString& htmlFolder);
    // The live results: the dialogs, and the pages in a phone's and a
    // desktop's width (headless Chromium, when it is installed).
    void liveResults(CMainFrame& frame, class UserPrompt& prompt);
    void livePage(quint16 port, const QString& page, const QString& name);

    QString m_out;
    QString m_template;
    int m_written = 0;
};
