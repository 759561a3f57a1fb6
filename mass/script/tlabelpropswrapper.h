// The label property objects of a plot: the title ("MassPlotTitleProps")
// and the peak labels ("MassPlotPeaksProps") with their second line
// ("MassPlotPeakExtProps"). Each reads and writes the plot's label record
// in place; the record is reached through the plot (item, id) on every
// access, so once the plot is gone the objects read as having no record
// (empty colour, undefined font, -1 decimals and threshold, false) and
// writes do nothing.
//
// An invalid colour text is the one error: code 2, the colour unchanged.
// A threshold that is not a finite number is ignored (it would put NaN
// into the plot and the saved document).
#pragma once

#include <QObject>
#include <QScriptValue>
#include <QScriptable>

#include "tmassplotwrapper.h"

class TLabelProperties;
class TMSPeakProperties;
class TMSTitleProperties;

class TLabelPropertiesWrapper : public QObject, protected QScriptable {
    Q_OBJECT
    Q_PROPERTY(QString color READ color WRITE setColor)
    Q_PROPERTY(QScriptValue font READ font WRITE setFont)
    Q_PROPERTY(int decimals READ decimals WRITE setDecimals)

public:
    virtual bool isValid() const { return record() != nullptr; }

    QString color() const;
    void setColor(const QString& text);
    QScriptValue font() const;
    void setFont(const QScriptValue& value);
    int decimals() const;
    void setDecimals(int decimals);

protected:
    TLabelPropertiesWrapper(QObject* parent, const TMassPlotRef& plot);
    // The plot's record, or null.
    virtual TLabelProperties* record() const = 0;

    TMassPlotRef m_plot;
};

class TMassPlotTitlePropsWrapper : public TLabelPropertiesWrapper {
    Q_OBJECT
    Q_PROPERTY(bool valid READ isValid)
    Q_PROPERTY(bool visible READ visible WRITE setVisible)
    Q_PROPERTY(QString format READ format WRITE setFormat)

public:
    TMassPlotTitlePropsWrapper(QObject* parent, const TMassPlotRef& plot);

    bool isValid() const override { return title() != nullptr; }
    bool visible() const;
    void setVisible(bool on);
    QString format() const;
    void setFormat(const QString& format);

protected:
    TLabelProperties* record() const override;

private:
    TMSTitleProperties* title() const;
};

class TExtLineProps : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool visible READ visible WRITE setVisible)
    Q_PROPERTY(int decimals READ decimals WRITE setDecimals)
    Q_PROPERTY(QString value READ value WRITE setValue)

public:
    TExtLineProps(QObject* parent, const TMassPlotRef& plot);

    // Any of the second-line bits set.
    bool visible() const;
    // False clears them; true shows the height when none is set.
    void setVisible(bool on);
    int decimals() const;
    void setDecimals(int decimals);
    QString value() const;
    // "intensity", "height", "area" or "abundance" (any case) set that one
    // bit alone; another text changes nothing.
    void setValue(const QString& text);

private:
    TMSPeakProperties* record() const;

    TMassPlotRef m_plot;
};

class TMassPlotPeakPropsWrapper : public TLabelPropertiesWrapper {
    Q_OBJECT
    Q_PROPERTY(bool valid READ isValid)
    Q_PROPERTY(bool visible READ visible WRITE setVisible)
    Q_PROPERTY(bool wedges READ wedges WRITE setWedges)
    Q_PROPERTY(bool baseline READ baseline WRITE setBaseline)
    Q_PROPERTY(QScriptValue secondline READ secondline WRITE setSecondline)
    Q_PROPERTY(double threshold READ threshold WRITE setThreshold)

public:
    TMassPlotPeakPropsWrapper(QObject* parent, const TMassPlotRef& plot);

    bool isValid() const override { return peaks() != nullptr; }
    bool visible() const { return flag(0x01); }
    void setVisible(bool on) { setFlag(0x01, on); }
    bool wedges() const { return flag(0x20); }
    void setWedges(bool on) { setFlag(0x20, on); }
    bool baseline() const { return flag(0x40); }
    void setBaseline(bool on) { setFlag(0x40, on); }
    QScriptValue secondline() const;
    void setSecondline(const QScriptValue& value);
    // -1 without a record.
    double threshold() const;
    void setThreshold(double value);

protected:
    TLabelProperties* record() const override;

private:
    TMSPeakProperties* peaks() const;
    bool flag(int bit) const;
    void setFlag(int bit, bool on);

    TExtLineProps* m_secondline;
};
