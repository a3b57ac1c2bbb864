#pragma once
// The ids of the program's resources: dialog templates, their controls, menu bars, menus, strings
// and pictures. They must match resources/*.json; tests/app/resource_ids_test.cpp checks both ways.

#include <array>
#include <string_view>

// Dialog templates, and the 32-bit creation parameter that opens two of them in a mode.
constexpr int kProgressTemplate = 102;
constexpr int kAboutBoxTemplate = 107;
constexpr int kContactsTemplate = 109;
constexpr int kMainPanelTemplate = 110;
constexpr int kSmsTemplate = 138;
constexpr int kOptionsTemplate = 139;

// Main panel buttons.
constexpr int kBackupContactsButton = 1013;
constexpr int kRestoreContactsButton = 1014;
constexpr int kBackupSmsButton = 1015;
constexpr int kRestoreSmsButton = 1016;
constexpr int kOptionsButton = 1017;

// Contacts dialog.
constexpr int kContactsTargetLabel = 1004;
constexpr int kContactsChangePath = 1010;
constexpr int kContactsPathBox = 1012;
constexpr int kContactsTypeLabel = 1006;
constexpr int kContactsTypeCombo = 1007;

// SMS dialog.
constexpr int kSmsTargetLabel = 40003;
constexpr int kSmsChangePath = 1013;
constexpr int kSmsPathBox = 1018;
constexpr int kSmsListLabel = 1019;
constexpr int kSmsList = 1017;

// Options dialog.
constexpr int kSortBox = 1021;
constexpr int kSequenceBox = 1022;

// Menu bars (each names the menu of the same id) and their commands.
constexpr int kMainMenuBar = 100;
constexpr int kDialogMenuBar = 137;
constexpr int kExitCommand = 40000;
constexpr int kMenuCommand = 40001;
constexpr int kDoneKey = 40002;
constexpr int kCopySimCommand = 32804;
constexpr int kHelpCommand = 32785;
constexpr int kAboutCommand = 32786;
constexpr int kDialogHelp = 32807;
constexpr int kDialogCancel = 32808;

// Strings and pictures.
constexpr int kTitleString = 1;
constexpr int kClassNameString = 2;
constexpr int kBannerBitmap = 133;
constexpr int kBodyFillBitmap = 134;
constexpr int kHeaderFillBitmap = 135;

// The columns the dialog arithmetic lays out, top to bottom.
inline constexpr std::array kMainPanelButtons = {kBackupContactsButton, kRestoreContactsButton,
                                                 kBackupSmsButton, kRestoreSmsButton,
                                                 kOptionsButton};
inline constexpr std::array kContactsColumn = {kContactsTargetLabel, kContactsChangePath,
                                               kContactsPathBox, kContactsTypeLabel,
                                               kContactsTypeCombo};
inline constexpr std::array kSmsColumn = {kSmsTargetLabel, kSmsChangePath, kSmsPathBox,
                                          kSmsListLabel, kSmsList};

// Every control of every template, for the check against the resource files.
struct TemplateControlId {
    int dialog;
    int control;
    std::string_view controlClass;
};

inline constexpr std::array kTemplateControls = {
    TemplateControlId{kContactsTemplate, kContactsTargetLabel, "STATIC"},
    TemplateControlId{kContactsTemplate, kContactsChangePath, "BUTTON"},
    TemplateControlId{kContactsTemplate, kContactsPathBox, "EDIT"},
    TemplateControlId{kContactsTemplate, kContactsTypeLabel, "STATIC"},
    TemplateControlId{kContactsTemplate, kContactsTypeCombo, "COMBOBOX"},
    TemplateControlId{kMainPanelTemplate, kBackupContactsButton, "BUTTON"},
    TemplateControlId{kMainPanelTemplate, kRestoreContactsButton, "BUTTON"},
    TemplateControlId{kMainPanelTemplate, kBackupSmsButton, "BUTTON"},
    TemplateControlId{kMainPanelTemplate, kRestoreSmsButton, "BUTTON"},
    TemplateControlId{kMainPanelTemplate, kOptionsButton, "BUTTON"},
    TemplateControlId{kSmsTemplate, kSmsTargetLabel, "STATIC"},
    TemplateControlId{kSmsTemplate, kSmsChangePath, "BUTTON"},
    TemplateControlId{kSmsTemplate, kSmsPathBox, "EDIT"},
    TemplateControlId{kSmsTemplate, kSmsListLabel, "STATIC"},
    TemplateControlId{kSmsTemplate, kSmsList, "SysTreeView32"},
    TemplateControlId{kOptionsTemplate, kSortBox, "COMBOBOX"},
    TemplateControlId{kOptionsTemplate, kSequenceBox, "COMBOBOX"},
};

inline constexpr std::array kTemplateIds = {kProgressTemplate, kAboutBoxTemplate,
                                            kContactsTemplate, kMainPanelTemplate,
                                            kSmsTemplate,      kOptionsTemplate};
