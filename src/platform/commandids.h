#pragma once

// Command ids carried by menu items and toolbar buttons. A toolbar button and
// the menu item with the same id run the same handler.
namespace CommandId {
enum : int {
    FileNew = 57600,
    FileOpen = 57601,
    FileSave = 57603,
    FileSaveAs = 32786,
    FileExit = 32776,
    EventAdd = 32779,
    EventDelete = 32780,
    EventModify = 32781,
    EventDisable = 32792,
    EventEnable = 32793,
    ScheduleStart = 32789,
    ScheduleStop = 32790,
    Help = 57670,
    AppAbout = 32791,
};
}

// Commands of the window menu (restore, minimise, maximise, close, and the About item
// the main window adds to it).
namespace SysCommand {
enum : int {
    About = 0x0010,
    Minimize = 0xF020,
    Maximize = 0xF030,
    Close = 0xF060,
    Restore = 0xF120,
};
}

// Results with which a dialog ends.
enum DialogResult : int {
    IdOk = 1,
    IdCancel = 2,
};
