// The plot property objects under a plot object's `properties`: the root
// TMassPlotPropertiesWrapper ("MassPlotProperties") with one object per
// group (background, grid, axes with one object per axis and caption,
// trace line, title, peak labels, highlight). Every object reads the plot
// at each access and writes a change straight into it: members of the
// plot's property group go through a copy of the group handed back with
// setProperties (a rejected value hands nothing back), axis members
// through the plot's axis operations, the highlight into its record in
// place. No command, no repaint.
//
// The objects hold the plot by (item, id) like the plot object and
// resolve it on every access: once the plot is gone, reads give the
// "no plot" values (empty texts, -1 opacity and decimals, false, 0,
// undefined objects) and writes do nothing. Object-valued properties take
// a plain script object and set its members through the child's own
// setters (assignScriptProperties), member by member.
//
// Numbers written to the margin that are not finite are ignored: they
// would put NaN into the plot and the saved document.
#pragma once

#include <QObject>
#include <QScriptValue>
#include <QScriptable>

#include "tmassplotwrapper.h"

class T1DMassPlot;
class T1DPlotProperties;
class TMSHighlightProperties;
class TMassPlotPeakPropsWrapper;
class TMassPlotTitlePropsWrapper;

class TMassPlotBasePropsWrapper : public QObject, protected QScriptable {
    Q_OBJECT
    Q_PROPERTY(bool valid READ valid)

public:
    TMassPlotBasePropsWrapper(QObject* parent, const TMassPlotRef& plot);

    bool valid() const { return plot() != nullptr; }
    T1DMassPlot* plot() const { return m_plot.plot(); }
    const TMassPlotRef& plotRef() const { return m_plot; }

protected:
    // A child wrapped for the script (Qt ownership) while the plot is
    // there, else undefined.
    QScriptValue childValue(QObject* child) const;
    // The members of a plain script object set on the child, while the
    // plot is there.
    void assignChild(QObject* child, const QScriptValue& value);
    // The plot's property group copied, changed by `change` and handed
    // back, unless `change` rejects the value (answers false).
    template <class Change>
    void changeGroup(Change change);
    // The plot's property group, or null.
    const T1DPlotProperties* group() const;

private:
    TMassPlotRef m_plot;
};

class TMassPlotBackgroundPropsWrapper : public TMassPlotBasePropsWrapper {
    Q_OBJECT
    Q_PROPERTY(QString color READ color WRITE setColor)
    Q_PROPERTY(int opacity READ opacity WRITE setOpacity)

public:
    TMassPlotBackgroundPropsWrapper(QObject* parent, const TMassPlotRef& plot);

    QString color() const;
    void setColor(const QString& text);
    // Alpha x 100, cut toward zero; -1 without a plot.
    int opacity() const;
    // Taken for 0 to 100 only.
    void setOpacity(int value);
};

class TMassPlotGridPropsWrapper : public TMassPlotBasePropsWrapper {
    Q_OBJECT
    Q_PROPERTY(bool showHorizontal READ showHorizontal WRITE setShowHorizontal)
    Q_PROPERTY(bool showVertical READ showVertical WRITE setShowVertical)
    Q_PROPERTY(bool showOver READ showOver WRITE setShowOver)
    Q_PROPERTY(bool showFrame READ showFrame WRITE setShowFrame)
    Q_PROPERTY(bool showBaseline READ showBaseline WRITE setShowBaseline)
    Q_PROPERTY(QString color READ color WRITE setColor)

public:
    TMassPlotGridPropsWrapper(QObject* parent, const TMassPlotRef& plot);

    bool showHorizontal() const { return flag(2); }
    void setShowHorizontal(bool on) { setFlag(2, on); }
    bool showVertical() const { return flag(1); }
    void setShowVertical(bool on) { setFlag(1, on); }
    bool showOver() const { return flag(256); }
    void setShowOver(bool on) { setFlag(256, on); }
    // True only when all four sides are framed (mask 15).
    bool showFrame() const;
    void setShowFrame(bool on);
    bool showBaseline() const { return flag(16); }
    void setShowBaseline(bool on) { setFlag(16, on); }
    QString color() const;
    void setColor(const QString& text);

private:
    bool flag(int bit) const;
    void setFlag(int bit, bool on);
};

class TAxisLabelPropsWrapper : public TMassPlotBasePropsWrapper {
    Q_OBJECT
    Q_PROPERTY(bool visible READ visible WRITE setVisible)
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    TAxisLabelPropsWrapper(QObject* parent, const TMassPlotRef& plot, int axis);

    bool visible() const;
    void setVisible(bool on);
    QString text() const;
    void setText(const QString& text);

private:
    int m_axis;
};

class TAxisPropsWrapper : public TMassPlotBasePropsWrapper {
    Q_OBJECT
    Q_PROPERTY(bool visible READ visible WRITE setVisible)
    Q_PROPERTY(int decimals READ decimals WRITE setDecimals)
    Q_PROPERTY(QScriptValue label READ label WRITE setLabel)

public:
    TAxisPropsWrapper(QObject* parent, const TMassPlotRef& plot, int axis);

    bool visible() const;
    void setVisible(bool on);
    // -1 without a plot.
    int decimals() const;
    void setDecimals(int decimals);
    QScriptValue label() const { return childValue(m_label); }
    void setLabel(const QScriptValue& value) { assignChild(m_label, value); }

private:
    int m_axis;
    TAxisLabelPropsWrapper* m_label;
};

class TMassPlotAxesPropsWrapper : public TMassPlotBasePropsWrapper {
    Q_OBJECT
    Q_PROPERTY(QString color READ color WRITE setColor)
    Q_PROPERTY(double margin READ margin WRITE setMargin)
    Q_PROPERTY(QScriptValue font READ font WRITE setFont)
    Q_PROPERTY(QScriptValue horizontal READ horizontal WRITE setHorizontal)
    Q_PROPERTY(QScriptValue vertical READ vertical WRITE setVertical)

public:
    TMassPlotAxesPropsWrapper(QObject* parent, const TMassPlotRef& plot);

    QString color() const;
    void setColor(const QString& text);
    // Millimetres (the group keeps pixels at 300 dpi); 0 without a plot.
    double margin() const;
    void setMargin(double mm);
    QScriptValue font() const;
    void setFont(const QScriptValue& value);
    QScriptValue horizontal() const { return childValue(m_horizontal); }
    void setHorizontal(const QScriptValue& value) { assignChild(m_horizontal, value); }
    QScriptValue vertical() const { return childValue(m_vertical); }
    void setVertical(const QScriptValue& value) { assignChild(m_vertical, value); }

private:
    TAxisPropsWrapper* m_horizontal;
    TAxisPropsWrapper* m_vertical;
};

class TMassPlotLinePropsWrapper : public TMassPlotBasePropsWrapper {
    Q_OBJECT
    Q_PROPERTY(QString style READ style WRITE setStyle)
    Q_PROPERTY(QString color READ color WRITE setColor)
    Q_PROPERTY(double width READ width WRITE setWidth)

public:
    TMassPlotLinePropsWrapper(QObject* parent, const TMassPlotRef& plot);

    // "line", "crosses", "circles"; empty for another stored value.
    QString style() const;
    void setStyle(const QString& text);
    QString color() const;
    void setColor(const QString& text);
    double width() const;
    // Clamped into 0.01 to 10.0.
    void setWidth(double width);
};

// Over the plot's highlight record (resolved through the plot).
class TMassPlotHighlightPropsWrapper : public QObject, protected QScriptable {
    Q_OBJECT
    Q_PROPERTY(QString color READ color WRITE setColor)
    Q_PROPERTY(int opacity READ opacity WRITE setOpacity)
    Q_PROPERTY(bool isBoxVisible READ isBoxVisible WRITE setBoxVisible)

public:
    TMassPlotHighlightPropsWrapper(QObject* parent, const TMassPlotRef& plot);

    QString color() const;
    // Stores what the parse gives (its alpha replaced by the record's).
    void setColor(const QString& text);
    // Alpha x 100, rounded; -1 without a plot.
    int opacity() const;
    // Outside 0 to 100 the colour class refuses the alpha: nothing changes.
    void setOpacity(int value);
    bool isBoxVisible() const;
    void setBoxVisible(bool on);

private:
    TMSHighlightProperties* record() const;
    TMassPlotRef m_plot;
};

class TMassPlotPropertiesWrapper : public TMassPlotBasePropsWrapper {
    Q_OBJECT
    Q_PROPERTY(QScriptValue background READ background WRITE setBackground)
    Q_PROPERTY(QScriptValue grid READ grid WRITE setGrid)
    Q_PROPERTY(QScriptValue axes READ axes WRITE setAxes)
    Q_PROPERTY(QScriptValue line READ line WRITE setLine)
    Q_PROPERTY(QScriptValue title READ title WRITE setTitle)
    Q_PROPERTY(QScriptValue peaks READ peaks WRITE setPeaks)
    Q_PROPERTY(QScriptValue highlight READ highlight WRITE setHighlight)

public:
    TMassPlotPropertiesWrapper(QObject* parent, const TMassPlotRef& plot);

    QScriptValue background() const { return childValue(m_background); }
    void setBackground(const QScriptValue& v) { assignChild(m_background, v); }
    QScriptValue grid() const { return childValue(m_grid); }
    void setGrid(const QScriptValue& v) { assignChild(m_grid, v); }
    QScriptValue axes() const { return childValue(m_axes); }
    void setAxes(const QScriptValue& v) { assignChild(m_axes, v); }
    QScriptValue line() const { return childValue(m_line); }
    void setLine(const QScriptValue& v) { assignChild(m_line, v); }
    QScriptValue title() const;
    void setTitle(const QScriptValue& v);
    QScriptValue peaks() const;
    void setPeaks(const QScriptValue& v);
    QScriptValue highlight() const { return childValue(m_highlight); }
    void setHighlight(const QScriptValue& v) { assignChild(m_highlight, v); }

private:
    TMassPlotBackgroundPropsWrapper* m_background;
    TMassPlotGridPropsWrapper* m_grid;
    TMassPlotAxesPropsWrapper* m_axes;
    TMassPlotLinePropsWrapper* m_line;
    TMassPlotTitlePropsWrapper* m_title;
    TMassPlotPeakPropsWrapper* m_peaks;
    TMassPlotHighlightPropsWrapper* m_highlight;
};
