// The action-state records the plug-in hands the host before each refresh
// of its menus and tool bar (IPluginActions::updateActions): one record per
// action name, appended to the host's list; the host owns them. Both sides
// compile this header, so everything is inline.
#pragma once

#include <QString>

class TUpdateItem {
public:
    explicit TUpdateItem(const QString& name = QString()) : name(name) {}
    virtual ~TUpdateItem() = default;

    virtual TUpdateItem& assign(const TUpdateItem& other)
    {
        copyFrom(other);
        return *this;
    }
    // 0 for a plain record, 1 for an action's.
    virtual int kind() const { return 0; }
    virtual void copyFrom(const TUpdateItem& other)
    {
        enabled = other.enabled;
        secondFlag = other.secondFlag;
        name = other.name;
    }

    bool enabled = true;
    // The host's; this plug-in leaves it as it is.
    bool secondFlag = true;
    QString name;

protected:
    TUpdateItem(const TUpdateItem&) = default;
    TUpdateItem& operator=(const TUpdateItem&) = default;
};

class TUpdateAction : public TUpdateItem {
public:
    TUpdateAction(const QString& name, bool checked, bool enabled) : TUpdateItem(name), checked(checked)
    {
        this->enabled = enabled;
    }

    int kind() const override { return 1; }
    void copyFrom(const TUpdateItem& other) override
    {
        TUpdateItem::copyFrom(other);
        if (other.kind() != 1)
            return;
        const auto& action = static_cast<const TUpdateAction&>(other);
        firstText = action.firstText;
        secondText = action.secondText;
        checked = action.checked;
        secondActionFlag = action.secondActionFlag;
        thirdActionFlag = action.thirdActionFlag;
    }

    // The texts and the last two flags are the host's; left at their
    // defaults here.
    QString firstText;
    QString secondText;
    bool checked = false;
    bool secondActionFlag = false;
    bool thirdActionFlag = false;
};
