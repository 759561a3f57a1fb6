// Reports and clipboard copy of a result table: the HTML report in blocks
// of at most 30 rows side by side, the tab-separated text, the question
// about a single selected row, and the report item made by the drawing
// tools.
#include "tbasetable.h"

#include "ipeers.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>

void TBaseTable::askSelectedOnly(const QString& verb)
{
    if (selectedRows().size() != 1)
        return;
    const auto answer = QMessageBox::question(nullptr, QString(),
                                              tr("Do you want to %1 only the selected data?").arg(verb),
                                              QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::No && view())
        view()->clearSelection();
}

QString TBaseTable::fontTemplate(bool bold)
{
    const QFont font = currentSettings().report.font;
    QString t = QString("<font style=\"font-size: %1pt; font-family: %2\">").arg(font.pointSize()).arg(font.family());
    t += bold ? "<b>%1</b></font>" : "%1</font>";
    return t;
}

void TBaseTable::escapeHtml(QString& text)
{
    text.replace("&", "&amp;");
    text.replace("\"", "&quot;");
    text.replace("<", "&lt;");
    text.replace(">", "&gt;");
    text.replace("'", "&apos;");
    text.replace("\r\n", "<br/>");
    text.replace("\n", "<br/>");
    text.replace("\r", "<br/>");
}

QString TBaseTable::alignmentName(int alignment)
{
    if (alignment == 4)
        return "center";
    if (alignment == 2)
        return "right";
    return "left";
}

int TBaseTable::reportLineCount()
{
    const QList<int> selected = selectedRows();
    return selected.isEmpty() ? rowCount() : selected.size();
}

QList<int> TBaseTable::blockSizes(int lines)
{
    constexpr int kMax = 30;
    if (lines <= kMax)
        return {qMax(0, lines)};
    int count = (lines + kMax - 1) / kMax;
    const int rest = lines % kMax;
    int size = kMax;
    if (kMax - rest >= count) {
        size = (lines + count - 1) / count;
        count = (lines + size - 1) / size;
    }
    QList<int> sizes;
    for (int i = 0; i < count - 1; ++i)
        sizes.append(size);
    sizes.append(lines - (count - 1) * size);
    return sizes;
}

// Pieces of the report: the templates take the text with arg() only once
// every other placeholder is filled, so that a "%" in a cell stays as it is.
namespace {
QString fill(const QString& templ, const QString& text)
{
    QString out = templ;
    return out.replace("%1", text);
}
}  // namespace

QString TBaseTable::headerHtml(int, const QStringList& names)
{
    const TTableSettings s = currentSettings();
    const QString t = fontTemplate(s.report.boldHeaders);
    const QString p = "<td align=\"center\">%1</td>";
    QString html = "<tr>";
    if (s.report.numbering)
        html += fill(p, fill(t, QString()));
    for (int i = 0; i < s.columns.size(); ++i) {
        if (s.columns.at(i).hidden)
            continue;
        QString name = names.value(i);
        escapeHtml(name);
        html += fill(p, fill(t, name));
    }
    return html + "</tr>";
}

QString TBaseTable::rowHtml(int row, const QStringList&)
{
    const TTableSettings s = currentSettings();
    const QString t0 = fontTemplate(false);
    const QList<int> selected = selectedRows();
    const auto cell = [&](const QString& align, const QString& text) {
        return QString("<td align=\"%1\" rowspan=\"%2\">").arg(align).arg(1) + fill(t0, text) + "</td>";
    };
    QString html = "<tr>";
    if (s.report.numbering) {
        const int number = selected.isEmpty() ? row + 1 : selected.indexOf(row) + 1;
        html += cell("left", QString::number(number));
    }
    for (int i = 0; i < s.columns.size(); ++i) {
        if (s.columns.at(i).hidden)
            continue;
        QString text = cellText(row, i, -1);
        text.replace("/", "/ ");
        text.replace("\\", "\\ ");
        escapeHtml(text);
        html += cell(alignmentName(s.columns.at(i).alignment), text);
    }
    return html + "</tr>";
}

QString TBaseTable::reportHtml()
{
    if (resultCount() == 0)
        return QString();
    const TTableSettings s = currentSettings();
    const QStringList names = s.columnNames();
    int span = s.report.numbering ? 1 : 0;
    for (const auto& c : s.columns)
        span += c.hidden ? 0 : 1;
    QList<int> rows = selectedRows();
    if (rows.isEmpty())
        for (int r = 0; r < rowCount(); ++r)
            rows.append(r);
    const QList<int> blocks = blockSizes(reportLineCount());
    const QString t = fontTemplate(s.report.boldHeaders);
    QString title = m_title;
    escapeHtml(title);

    QString html = QString("<table border=\"%1\" frame=\"box\" rules=\"none\" cellspacing=\"0\" cellpadding=\"2\">")
                       .arg(s.report.frame ? 1 : 0);
    html += "<tr>";
    int next = 0;
    for (int size : blocks) {
        html += "<td>";
        html += QString("<table border=\"%1\" cellspacing=\"0\" cellpadding=\"2\">").arg(s.report.borders ? 1 : 0);
        if (s.report.showTitle)
            html += QString("<tr><td colspan=\"%1\" align=\"center\">").arg(span) + fill(t, title) + "</td></tr>";
        html += headerHtml(span, names);
        for (int n = 0; n < size && next < rows.size(); ++n, ++next)
            html += rowHtml(rows.at(next), rowLabels());
        html += "</table>";
        html += "</td>";
    }
    html += "</tr>";
    html += "</table>";
    return html;
}

QString TBaseTable::clipboardText()
{
    if (resultCount() == 0)
        return QString();
    const TTableSettings s = currentSettings();
    QString text = s.report.showTitle ? m_title + "\t" : QString();
    if (!text.isEmpty())
        text += "\n";
    if (s.report.numbering)
        text += "\t";
    for (const auto& c : s.columns)
        if (!c.hidden)
            text += c.name + "\t";
    const QList<int> selected = selectedRows();
    QList<int> rows = selected;
    if (rows.isEmpty())
        for (int r = 0; r < rowCount(); ++r)
            rows.append(r);
    for (int k = 0; k < rows.size(); ++k) {
        text += "\n";
        if (s.report.numbering)
            text += QString::number((selected.isEmpty() ? rows.at(k) : k) + 1) + "\t";
        for (int i = 0; i < s.columns.size(); ++i)
            if (!s.columns.at(i).hidden)
                text += cellText(rows.at(k), i, -1) + "\t";
    }
    text.replace("\t\n", "\n");
    return text;
}

void TBaseTable::onCopyToClipboard()
{
    if (!copyAction() || !copyAction()->isEnabled())
        return;
    askSelectedOnly(tr("copy"));
    auto* data = new QMimeData;
    data->setHtml(reportHtml());
    data->setText(clipboardText());
    addClipboardFormats(data);
    QApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
}

void TBaseTable::onReport()
{
    askSelectedOnly(tr("report"));
    sendReportToDrawingTools(reportHtml());
}

void TBaseTable::sendReportToDrawingTools(const QString& html)
{
    if (!drawingTools())
        return;
    const QString typeName = QString::fromLatin1(group()) + " Table";
    drawingTools()->createTextItem(html, typeName, reportName(), true, QPoint(0, 0), true);
}
