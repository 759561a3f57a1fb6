#include "uidescription.h"

#include <QXmlStreamReader>

namespace lumatra {

namespace {

// Reads the children of the current element as menu entries (and the
// container's own invalidator) up to its end.
void readEntries(QXmlStreamReader& xml, QList<UiEntry>& entries, QString& invalidator)
{
    while (xml.readNextStartElement()) {
        const QStringRef tag = xml.name();
        if (tag == QLatin1String("addaction")) {
            UiEntry e;
            e.name = xml.readElementText().trimmed();
            entries.append(e);
        } else if (tag == QLatin1String("addseparator")) {
            UiEntry e;
            e.kind = UiEntry::Separator;
            entries.append(e);
            xml.skipCurrentElement();
        } else if (tag == QLatin1String("submenu") || tag == QLatin1String("menu")) {
            UiEntry e;
            e.kind = UiEntry::Submenu;
            e.name = xml.attributes().value(QLatin1String("name")).toString();
            readEntries(xml, e.children, e.invalidator);
            entries.append(e);
        } else if (tag == QLatin1String("adddropdown")) {
            UiEntry e;
            e.kind = UiEntry::Dropdown;
            e.name = xml.attributes().value(QLatin1String("name")).toString();
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("text"))
                    e.text = xml.readElementText();
                else if (xml.name() == QLatin1String("default"))
                    e.defaultAction = xml.readElementText().trimmed();
                else if (xml.name() == QLatin1String("menu"))
                    readEntries(xml, e.children, e.invalidator);
                else if (xml.name() == QLatin1String("invalidator"))
                    e.invalidator = xml.readElementText();
                else
                    xml.skipCurrentElement();
            }
            entries.append(e);
        } else if (tag == QLatin1String("invalidator")) {
            invalidator = xml.readElementText();
        } else {
            xml.skipCurrentElement();
        }
    }
}

void readContainers(QXmlStreamReader& xml, const QString& element, QList<UiContainer>& out)
{
    while (xml.readNextStartElement()) {
        if (xml.name() != element) {
            xml.skipCurrentElement();
            continue;
        }
        UiContainer c;
        c.name = xml.attributes().value(QLatin1String("name")).toString();
        c.title = xml.attributes().value(QLatin1String("title")).toString();
        readEntries(xml, c.entries, c.invalidator);
        out.append(c);
    }
}

void readActions(QXmlStreamReader& xml, QList<UiActionDef>& out)
{
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("action")) {
            xml.skipCurrentElement();
            continue;
        }
        UiActionDef a;
        a.name = xml.attributes().value(QLatin1String("name")).toString();
        while (xml.readNextStartElement()) {
            const QStringRef tag = xml.name();
            const QString value = xml.readElementText();
            if (tag == QLatin1String("text"))
                a.text = value;
            else if (tag == QLatin1String("tooltip"))
                a.toolTip = value;
            else if (tag == QLatin1String("icon"))
                a.icon = value.trimmed();
            else if (tag == QLatin1String("invalidator"))
                a.invalidator = value;
            else if (tag == QLatin1String("checkable"))
                a.checkable = value.trimmed() == QLatin1String("yes");
        }
        out.append(a);
    }
}

}  // namespace

bool parseUiDescription(const QString& text, UiDescription& out, QString& error)
{
    out = UiDescription();
    QXmlStreamReader xml(text);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("pavrel_ui")) {
        error = xml.hasError() ? xml.errorString() : QStringLiteral("the root element is not pavrel_ui");
        error += QStringLiteral(" (line %1)").arg(xml.lineNumber());
        return false;
    }
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("actions"))
            readActions(xml, out.actions);
        else if (xml.name() == QLatin1String("toolbars"))
            readContainers(xml, QStringLiteral("toolbar"), out.toolBars);
        else if (xml.name() == QLatin1String("menus"))
            readContainers(xml, QStringLiteral("menu"), out.menus);
        else if (xml.name() == QLatin1String("contextmenus"))
            readContainers(xml, QStringLiteral("contextmenu"), out.contextMenus);
        else
            xml.skipCurrentElement();
    }
    if (xml.hasError()) {
        error = QStringLiteral("%1 (line %2)").arg(xml.errorString()).arg(xml.lineNumber());
        out = UiDescription();
        return false;
    }
    return true;
}

}  // namespace lumatra
