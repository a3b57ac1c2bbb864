// The ids the program's code uses against the ids of the resource files it loads, both ways, so
// a template edited without the header (or the other way round) fails here, not in a dialog.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <set>
#include <string>
#include <tuple>

#include "app/resource_ids.h"
#include "gtest/gtest.h"
#include "ui/resources.h"

namespace {

QJsonObject ResourceFile(const char* name) {
    FindDialogTemplate(kProgressTemplate);  // loads the compiled-in resources
    QFile file(QString(":/velloro/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return QJsonDocument::fromJson(file.readAll()).object();
}

TEST(ResourceIdsTest, TemplatesAndControlsMatchTheHeader) {
    std::set<int> templates;
    std::set<std::tuple<int, int, std::string>> controls;
    for (const QJsonValue& dialog : ResourceFile("dialogs.json")["dialogs"].toArray()) {
        int id = dialog["id"].toInt();
        templates.insert(id);
        for (const QJsonValue& control : dialog["controls"].toArray()) {
            controls.emplace(id, control["id"].toInt(), control["class"].toString().toStdString());
        }
    }
    std::set<std::tuple<int, int, std::string>> named;
    for (const TemplateControlId& c : kTemplateControls) {
        named.emplace(c.dialog, c.control, std::string(c.controlClass));
    }
    EXPECT_EQ(templates, std::set<int>(kTemplateIds.begin(), kTemplateIds.end()));
    EXPECT_EQ(controls, named);
}

TEST(ResourceIdsTest, MenuBarsAndCommandsMatchTheHeader) {
    QJsonObject menus = ResourceFile("menus.json");
    std::set<int> bars, commands;
    for (const QJsonValue& bar : menus["menuBars"].toArray()) {
        bars.insert(bar["id"].toInt());
        for (const QJsonValue& button : bar["buttons"].toArray()) {
            commands.insert(button["command"].toInt());
        }
    }
    for (const QJsonValue& menu : menus["menus"].toArray()) {
        for (const QJsonValue& popup : menu["popups"].toArray()) {
            for (const QJsonValue& item : popup["items"].toArray()) {
                if (!item["separator"].toBool()) commands.insert(item["command"].toInt());
            }
        }
    }
    EXPECT_EQ(bars, (std::set<int>{kMainMenuBar, kDialogMenuBar}));
    EXPECT_EQ(commands, (std::set<int>{kExitCommand, kMenuCommand, kDoneKey, kCopySimCommand,
                                       kHelpCommand, kAboutCommand, kDialogHelp, kDialogCancel}));
}

}  // namespace
