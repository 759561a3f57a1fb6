// The base of a page of the host's item properties dialog: the host fills
// the page from a property bag (setItems), collects it back
// (propertiesBag), asks for its title and stores or restores default
// properties. The host owns the page and calls it on the user-interface
// thread. `owner` is the host's; nothing here reads it.
#pragma once

#include <QString>
#include <QWidget>

class TItemPropertiesBag;

class WPropertiesWidget : public QWidget {
public:
    explicit WPropertiesWidget(QWidget* parent = nullptr) : QWidget(parent) {}

    virtual void setOwner(void* owner) { m_owner = owner; }
    virtual void setItems(TItemPropertiesBag* bag) = 0;
    virtual void propertiesBag(TItemPropertiesBag* bag) = 0;
    virtual QString pageTitle() = 0;
    virtual bool supportsDefaults() { return false; }
    virtual void saveAsDefault(TItemPropertiesBag*) {}
    virtual void loadDefault(TItemPropertiesBag*) {}

    void* owner() const { return m_owner; }

private:
    void* m_owner = nullptr;
};
