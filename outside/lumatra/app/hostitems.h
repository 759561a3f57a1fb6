// The page items of the host's own peers in the program: molecules of the
// molecule peer (type 110) and HTML text of the drawing tools (type 107).
// Unlike the recording host's items they keep their content in the plug-in
// data block of their record, so that documents keep them.
//
// Molecule plug-in data: the molfile text (QString) and the object
// identifier (QUuid). Text plug-in data: the HTML (QString). A block that
// does not read leaves the item as it was.
#pragma once

#include "pageitems.h"

#include <QString>

class TKSElementTable;

namespace lumatra {

// A molfile read into a molecule: false with the reason when the text is
// no V2000 molfile the element table reads (the table must be loaded).
bool moleculeFromMolfile(const QByteArray& text, const TKSElementTable& table, TMolecule& molecule,
                         QString& error);

// Drawn as the recording host's molecule item draws (bonds as lines,
// symbols other than carbon at their atoms).
class HostMoleculeItem : public MoleculeItem {
public:
    HostMoleculeItem(const TMolecule& molecule, const QUuid& objectId, const QRectF& rect);
    ~HostMoleculeItem() override;

    QUuid objectId() const override { return m_objectId; }
    void writePluginData(TDataStream& s) const override;
    void readPluginData(TDataStream& s) override;
    // Reading needs the element table of the molecule peer.
    void setElementTable(const TKSElementTable* table) { m_table = table; }

private:
    QUuid m_objectId;
    const TKSElementTable* m_table = nullptr;
};

class HostTextItem : public BoxItem {
public:
    HostTextItem(const QString& html, const QString& typeName, const QString& subtypeName, const QRectF& rect);
    ~HostTextItem() override;

    const QString& html() const { return m_html; }
    void writePluginData(TDataStream& s) const override;
    void readPluginData(TDataStream& s) override;

protected:
    void paintBox(QPainter& painter, const QRectF& rect) override;

private:
    QString m_html;
};

}  // namespace lumatra
