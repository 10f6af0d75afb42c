#pragma once

class OutputManager;

// Starts the display controller's action for the last display button pressed,
// at the end of every refresh.
class DisplayCommands
{
public:
    virtual ~DisplayCommands() = default;

    // A display button was pressed since communications started (its profile
    // is remembered), so a refresh runs StartSeq.
    virtual bool keyPressed() const = 0;
    // Gives the key's command to every RIP stream (OutputManager::SetCommand);
    // negative when no command could be found, and the refresh then sends the
    // update trigger instead.
    virtual int StartSeq(OutputManager& manager) = 0;
};

// No display button is ever pressed: used until display buttons and their
// commands are built. A refresh then starts no sequence and sends no trigger.
class NoDisplayCommands final : public DisplayCommands
{
public:
    bool keyPressed() const override { return false; }
    int StartSeq(OutputManager&) override { return -1; }
};
