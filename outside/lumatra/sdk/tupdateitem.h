// The action-state records of IPluginActions::updateActions. Before every
// refresh of its menus and tool bars the host hands the plug-in a list; the
// plug-in appends one new record per action it knows (TUpdateAction, with
// `enabled` and `checked` set) and the host applies them to its actions of
// those names and deletes the records (the host owns them).
//
// Host and plug-in both compile these classes: the field order and the
// order of the virtual operations (destructor, assignment from another
// record, kind, copy of the fields) are shared, so neither may change.
// Header only.
#pragma once

#include <QString>

class TUpdateItem {
public:
    TUpdateItem() = default;
    explicit TUpdateItem(const QString& itemName) : name(itemName) {}
    virtual ~TUpdateItem() = default;

    // Takes the other record's fields (as far as both kinds hold them).
    virtual void assign(const TUpdateItem& other) { copyFrom(other); }
    // 0 for TUpdateItem, 1 for TUpdateAction.
    virtual int kind() const { return 0; }
    virtual void copyFrom(const TUpdateItem& other)
    {
        enabled = other.enabled;
        visible = other.visible;
        name = other.name;
    }

    bool enabled = true;
    // The host's second flag (shown); the plug-in leaves it true.
    bool visible = true;
    QString name;
};

class TUpdateAction : public TUpdateItem {
public:
    TUpdateAction() = default;
    explicit TUpdateAction(const QString& actionName) : TUpdateItem(actionName) {}

    int kind() const override { return 1; }
    void copyFrom(const TUpdateItem& other) override
    {
        TUpdateItem::copyFrom(other);
        if (other.kind() == 1) {
            const auto& action = static_cast<const TUpdateAction&>(other);
            text = action.text;
            toolTip = action.toolTip;
            checked = action.checked;
            flag2 = action.flag2;
            flag3 = action.flag3;
        }
    }

    // The host's texts and further flags; the plug-in sets only `checked`.
    QString text;
    QString toolTip;
    bool checked = false;
    bool flag2 = false;
    bool flag3 = false;
};
