#pragma once

#include <QObject>
#include <QString>
#include <memory>

class CMainFrame;
class MessageBoxPrompt;
class QLockFile;
class QSocketNotifier;

// Brings the program up: one running copy only, the data folder, the log, the
// main window with its views, the window as it was last shown and the rodeo
// that was open when the program last closed.
class CTallyraApp : public QObject
{
    Q_OBJECT
public:
    CTallyraApp();
    ~CTallyraApp() override;

    // False when the program must end at once.
    bool InitInstance();
    // Start with the demo season (made first when there is none).
    void setOpenDemo(bool open) { m_openDemo = open; }
    // The template database new seasons copy (default: the installed one).
    void setTemplateDatabase(const QString& path) { m_templateDatabase = path; }
    CMainFrame* mainFrame() const { return m_frame.get(); }

    // The file that marks a running copy.
    static QString lockFilePath(const QString& dataFolder);

private:
    void watchTerminationSignals();

    std::unique_ptr<MessageBoxPrompt> m_prompt;
    std::unique_ptr<QLockFile> m_instanceLock;
    std::unique_ptr<CMainFrame> m_frame;
    QSocketNotifier* m_signalNotifier = nullptr;
    bool m_openDemo = false;
    QString m_templateDatabase;
};
