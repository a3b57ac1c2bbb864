#pragma once
// The program's resources as data: dialog templates, soft-key bars, menus and strings, read from
// the JSON files of resources/ that are compiled into the program.

#include <cstdint>
#include <string>
#include <vector>

struct ControlTemplate {
    int id = 0;
    std::u16string className;  // "STATIC", "BUTTON", "EDIT", "COMBOBOX", "SysTreeView32", ...
    std::u16string text;
    std::uint32_t style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};

struct DialogTemplate {
    int id = 0;
    std::u16string caption;
    std::uint32_t style = 0;
    std::u16string fontFace;
    int fontPoints = 8;
    int cx = 0, cy = 0;  // dialog units
    std::vector<ControlTemplate> controls;
};

struct SoftKeyButton {
    int image = -2;  // -2: none
    int command = 0;
    int state = 4;   // 4: enabled
    int style = 16;  // 16 auto-size; 24 drop-down and auto-size
    int labelString = 0;
    int popup = -1;  // index of the popup of the bar's menu to open, -1 none
};

struct MenuBarResource {
    int id = 0;
    int menu = 0;
    std::vector<SoftKeyButton> buttons;
};

struct MenuItem {
    std::u16string text;  // empty with command 0: a separator
    int command = 0;
};
struct MenuPopup {
    std::u16string text;
    std::vector<MenuItem> items;
};
struct MenuResource {
    int id = 0;
    std::vector<MenuPopup> popups;
};

// Null when there is no such resource.
const DialogTemplate* FindDialogTemplate(int id);
const MenuBarResource* FindMenuBar(int id);
const MenuResource* FindMenu(int id);
// At most maxChars characters of string resource id; empty when there is none.
std::u16string LoadString(int id, std::size_t maxChars);

// Adds or replaces a template at run time (a test's own sample dialog).
void RegisterDialogTemplate(DialogTemplate dialogTemplate);

// Parses one resource file's text; false (and nothing added) on malformed data.
bool LoadResourceJson(const std::string& json);
