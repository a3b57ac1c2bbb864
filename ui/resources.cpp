#include "ui/resources.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>

#include "ui/ui_internal.h"

namespace {

struct ResourceTables {
    std::map<int, DialogTemplate> dialogs;
    std::map<int, MenuBarResource> menuBars;
    std::map<int, MenuResource> menus;
    std::map<int, std::u16string> strings;
};

// Styles are written in hex as the platform lists them.
bool ParseStyle(const QJsonValue& value, std::uint32_t& style) {
    if (value.isDouble()) {
        style = static_cast<std::uint32_t>(value.toDouble());
        return true;
    }
    bool ok = false;
    style = value.toString().toUInt(&ok, 0);
    return ok;
}

bool ParseDialog(const QJsonObject& o, DialogTemplate& d) {
    d.id = o["id"].toInt();
    d.caption = ui::FromQString(o["caption"].toString());
    const QJsonArray font = o["font"].toArray();
    const QJsonArray size = o["size"].toArray();
    if (d.id <= 0 || !ParseStyle(o["style"], d.style) || font.size() != 2 || size.size() != 2) {
        return false;
    }
    d.fontFace = ui::FromQString(font[0].toString());
    d.fontPoints = font[1].toInt();
    d.cx = size[0].toInt();
    d.cy = size[1].toInt();
    for (const QJsonValue& cv : o["controls"].toArray()) {
        const QJsonObject c = cv.toObject();
        ControlTemplate ct;
        ct.id = c["id"].toInt();
        ct.className = ui::FromQString(c["class"].toString());
        ct.text = ui::FromQString(c["text"].toString());
        const QJsonArray rect = c["rect"].toArray();
        if (!ParseStyle(c["style"], ct.style) || rect.size() != 4 || ct.className.empty()) {
            return false;
        }
        ct.x = rect[0].toInt();
        ct.y = rect[1].toInt();
        ct.cx = rect[2].toInt();
        ct.cy = rect[3].toInt();
        d.controls.push_back(std::move(ct));
    }
    return true;
}

bool ParseMenuBar(const QJsonObject& o, MenuBarResource& bar) {
    bar.id = o["id"].toInt();
    bar.menu = o["menu"].toInt();
    for (const QJsonValue& bv : o["buttons"].toArray()) {
        const QJsonObject b = bv.toObject();
        SoftKeyButton key;
        key.image = b["image"].toInt(-2);
        key.command = b["command"].toInt();
        key.state = b["state"].toInt(4);
        key.style = b["style"].toInt(16);
        key.labelString = b["label"].toInt();
        key.popup = b["popup"].toInt(-1);
        bar.buttons.push_back(key);
    }
    return bar.id > 0 && !bar.buttons.empty();
}

bool ParseMenu(const QJsonObject& o, MenuResource& menu) {
    menu.id = o["id"].toInt();
    for (const QJsonValue& pv : o["popups"].toArray()) {
        const QJsonObject p = pv.toObject();
        MenuPopup popup;
        popup.text = ui::FromQString(p["text"].toString());
        for (const QJsonValue& iv : p["items"].toArray()) {
            const QJsonObject i = iv.toObject();
            if (i["separator"].toBool()) {
                popup.items.push_back({});
            } else {
                popup.items.push_back(
                    {ui::FromQString(i["text"].toString()), i["command"].toInt()});
            }
        }
        menu.popups.push_back(std::move(popup));
    }
    return menu.id > 0;
}

bool ParseInto(const QByteArray& json, ResourceTables& into) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) return false;
    const QJsonObject root = doc.object();
    ResourceTables parsed;
    for (const QJsonValue& v : root["dialogs"].toArray()) {
        DialogTemplate d;
        if (!ParseDialog(v.toObject(), d)) return false;
        parsed.dialogs[d.id] = std::move(d);
    }
    for (const QJsonValue& v : root["menuBars"].toArray()) {
        MenuBarResource bar;
        if (!ParseMenuBar(v.toObject(), bar)) return false;
        parsed.menuBars[bar.id] = std::move(bar);
    }
    for (const QJsonValue& v : root["menus"].toArray()) {
        MenuResource menu;
        if (!ParseMenu(v.toObject(), menu)) return false;
        parsed.menus[menu.id] = std::move(menu);
    }
    for (const QJsonValue& v : root["strings"].toArray()) {
        const QJsonObject s = v.toObject();
        if (s["id"].toInt() <= 0) return false;
        parsed.strings[s["id"].toInt()] = ui::FromQString(s["text"].toString());
    }
    for (auto& [id, d] : parsed.dialogs)
        into.dialogs[id] = std::move(d);
    for (auto& [id, b] : parsed.menuBars)
        into.menuBars[id] = std::move(b);
    for (auto& [id, m] : parsed.menus)
        into.menus[id] = std::move(m);
    for (auto& [id, s] : parsed.strings)
        into.strings[id] = std::move(s);
    return true;
}

ResourceTables& Tables() {
    static ResourceTables tables = [] {
        ResourceTables t;
        for (const char* name :
             {":/velloro/dialogs.json", ":/velloro/menus.json", ":/velloro/strings.json"}) {
            QFile file(QString::fromLatin1(name));
            if (file.open(QIODevice::ReadOnly)) ParseInto(file.readAll(), t);
        }
        return t;
    }();
    return tables;
}

template <typename Map>
const typename Map::mapped_type* Find(const Map& map, int id) {
    const auto it = map.find(id);
    return it == map.end() ? nullptr : &it->second;
}

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
    return Find(Tables().dialogs, id);
}
const MenuBarResource* FindMenuBar(int id) {
    return Find(Tables().menuBars, id);
}
const MenuResource* FindMenu(int id) {
    return Find(Tables().menus, id);
}

std::u16string LoadString(int id, std::size_t maxChars) {
    const std::u16string* s = Find(Tables().strings, id);
    if (s == nullptr) return {};
    return s->substr(0, maxChars);
}

void RegisterDialogTemplate(DialogTemplate dialogTemplate) {
    const int id = dialogTemplate.id;
    Tables().dialogs[id] = std::move(dialogTemplate);
}

bool LoadResourceJson(const std::string& json) {
    return ParseInto(QByteArray::fromStdString(json), Tables());
}
