#pragma once

// Command ids of the main window's menus and shortcuts.
namespace CommandId {

constexpr int NewRodeo = 32786;
constexpr int OpenRodeo = 32787;
constexpr int CloseRodeo = 32788;
constexpr int DeleteRodeo = 32789;
constexpr int Payouts = 32920;
constexpr int RefreshOutputs = 32815;
constexpr int Exit = 57665;
constexpr int ConfigureSeason = 32791;
constexpr int DisplayButtons = 32792;
constexpr int InputOutput = 32793;
constexpr int ToggleViewSelector = 32779;
constexpr int ToggleMessageBar = 32780;
constexpr int ToggleLeaderBoard = 32781;
constexpr int MonitorPorts = 32817;
constexpr int ScoreboardSimulator = 32901;
constexpr int TimingConsoleSimulator = 32902;
constexpr int LoopbackSetup = 32903;
constexpr int LiveResults = 32904;
constexpr int UsersManual = 32784;
constexpr int About = 57664;

// The display buttons: F2..F12 alone, with Ctrl and with Shift.
// index 0..10 is F2..F12; modifier 0 none, 1 Ctrl, 2 Shift. 0 when unknown.
int displayButton(int modifier, int index);

} // namespace CommandId
