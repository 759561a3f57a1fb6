// The UI description a plug-in hands the host (IPluginActions::uiDescription):
// an XML text with four sections, actions, tool bars, menus and context
// menus. parseUiDescription reads it into plain records; the window builds
// its QActions, tool bars and menus from them, dropping every action, menu
// and entry whose invalidator the plug-in declares invalidated.
#pragma once

#include <QList>
#include <QString>

namespace lumatra {

struct UiActionDef {
    QString name;
    QString text;
    QString toolTip;
    QString icon;
    QString invalidator;
    bool checkable = false;
};

// One entry of a menu or tool bar: an action (by name), a separator, a
// submenu (its title in `name`) or a tool-bar drop-down (its `text`, its
// `defaultAction` and the entries of its menu).
struct UiEntry {
    enum Kind { Action, Separator, Submenu, Dropdown };
    Kind kind = Action;
    QString name;
    QString text;
    QString defaultAction;
    QString invalidator;
    QList<UiEntry> children;
};

// A tool bar, menu or context menu (its `title` for context menus).
struct UiContainer {
    QString name;
    QString title;
    QString invalidator;
    QList<UiEntry> entries;
};

struct UiDescription {
    QList<UiActionDef> actions;
    QList<UiContainer> toolBars;
    QList<UiContainer> menus;
    QList<UiContainer> contextMenus;
};

// False with the reason and line for a text that is not well-formed XML or
// whose root is not "pavrel_ui".
bool parseUiDescription(const QString& xml, UiDescription& out, QString& error);

}  // namespace lumatra
