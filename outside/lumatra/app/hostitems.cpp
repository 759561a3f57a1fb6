#include "hostitems.h"

#include "tdatastream.h"
#include "tkselements.h"
#include "tksmolecule.h"

#include <QPainter>
#include <QTextDocument>

namespace lumatra {

bool moleculeFromMolfile(const QByteArray& text, const TKSElementTable& table, TMolecule& molecule,
                         QString& error)
{
    TKSMolecule read;
    if (!read.readMolfile(text.toStdString(), table)) {
        error = QString::fromStdWString(read.getError());
        return false;
    }
    TMolecule result;
    for (const TKSMolecule::Atom& a : read.getAtoms()) {
        TAtom atom;
        atom.x = a.x;
        atom.y = a.y;
        atom.z = a.z;
        atom.setElement(QString::fromStdWString(a.symbol));
        atom.charge = a.charge;
        atom.isotope = a.massNumber;
        // The molfile's valence field (15: none), else the element's own,
        // from which the molecule counts the implicit hydrogens.
        atom.valence = a.valence == 15 ? 0 : a.valence != 0 ? a.valence : table.getValence(a.element);
        atom.properties.insert("Number", result.atoms.size() + 1);
        result.addAtom(atom);
    }
    for (const TKSMolecule::Bond& b : read.getBonds()) {
        TBond bond;
        bond.first = b.first;
        bond.second = b.second;
        bond.type = b.type;
        result.addBond(bond);
    }
    // The matcher is handed the text as read (TMolecule::molfile with the cache).
    result.cachedMolfile = QString::fromLatin1(text);
    molecule = result;
    return true;
}

// ---- HostMoleculeItem ------------------------------------------------------

HostMoleculeItem::HostMoleculeItem(const TMolecule& molecule, const QUuid& objectId, const QRectF& rect)
    : MoleculeItem(molecule, objectId, rect), m_objectId(objectId)
{
}

HostMoleculeItem::~HostMoleculeItem()
{
    hide();
}

void HostMoleculeItem::writePluginData(TDataStream& s) const
{
    s.beginBlock();
    s << const_cast<HostMoleculeItem*>(this)->molecule()->molfile(true) << m_objectId;
    s.endBlock();
}

void HostMoleculeItem::readPluginData(TDataStream& s)
{
    const qint32 length = s.readBlockSize();
    if (!s.ok() || length < 0 || length > s.remaining()) {
        s.fail();
        return;
    }
    QByteArray bytes(length, Qt::Uninitialized);
    s.readRawData(bytes.data(), length);
    TDataStream block(&bytes, QIODevice::ReadOnly);
    QString text;
    QUuid id;
    if (!block.readString(text))
        return;
    block >> id;
    if (!block.ok() || !m_table)
        return;
    TMolecule molecule;
    QString error;
    if (!moleculeFromMolfile(text.toLatin1(), *m_table, molecule, error))
        return;
    *this->molecule() = molecule;
    m_objectId = id;
}

// ---- HostTextItem ----------------------------------------------------------

HostTextItem::HostTextItem(const QString& html, const QString& typeName, const QString& subtypeName,
                           const QRectF& rect)
    : BoxItem(TextItemType, typeName, rect), m_html(html)
{
    setSubtype(subtypeName);
}

HostTextItem::~HostTextItem()
{
    hide();
}

void HostTextItem::writePluginData(TDataStream& s) const
{
    s.beginBlock();
    s << m_html;
    s.endBlock();
}

void HostTextItem::readPluginData(TDataStream& s)
{
    const qint32 length = s.readBlockSize();
    if (!s.ok() || length < 0 || length > s.remaining()) {
        s.fail();
        return;
    }
    QByteArray bytes(length, Qt::Uninitialized);
    s.readRawData(bytes.data(), length);
    TDataStream block(&bytes, QIODevice::ReadOnly);
    QString html;
    if (block.readString(html))
        m_html = html;
}

void HostTextItem::paintBox(QPainter& painter, const QRectF& rect)
{
    QTextDocument document;
    document.setHtml(m_html);
    document.setTextWidth(rect.width());
    painter.translate(rect.topLeft());
    document.drawContents(&painter, QRectF(QPointF(0, 0), rect.size()));
}

}  // namespace lumatra
