// The colour picker behind every colour of the plot property forms: a
// checkable push button showing the current colour's name, and a popup
// grid of named colour cells (ColorPickerItem) ended by a three-dot cell
// (ColorPickerButton) that opens the standard colour dialog.
//
// The popup is a child window of the picker and lives as long as it. A
// colour set from outside or chosen in the dialog that the grid lacks is
// appended as a "Custom" cell and stays; the grid is rebuilt at every
// insertion. Invalid colours are refused without a change.
#pragma once

#include <QColor>
#include <QFrame>
#include <QMap>
#include <QPushButton>
#include <QString>

class QGridLayout;
class ColorPickerPopup;
class ColorPickerItem;

class QtColorPicker : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(bool colorDialog READ colorDialogSelected)
public:
    QtColorPicker(QWidget* parent = nullptr, int columns = -1, bool enableColorDialog = true);
    ~QtColorPicker() override;

    // Appends a named colour (index -1; other indexes insert there). The
    // first colour ever inserted becomes current with its name.
    void insertColor(const QColor& color, const QString& text = QString(), int index = -1);
    QColor currentColor() const { return lastSelected; }
    bool colorDialogSelected() const { return colorDialog; }
    ColorPickerPopup* popupWidget() const { return popup; }

signals:
    void colorChanged(const QColor& color);

public slots:
    virtual void setCurrentColor(const QColor& color);
    virtual void buttonPressed(bool toggled);
    void popupClosed();

protected:
    // Below the button, kept on the desktop (its width and bottom edge).
    void showPopup();

    ColorPickerPopup* popup;
    QColor lastSelected;
    bool colorDialog;
    bool firstInserted = false;
};

class ColorPickerItem : public QFrame {
    Q_OBJECT
public:
    ColorPickerItem(const QColor& color = Qt::white, const QString& text = QString(), QWidget* parent = nullptr);

    QColor color() const { return c; }
    QString text() const { return t; }
    bool isSelected() const { return sel; }
    void setSelected(bool yes) { sel = yes; }

signals:
    void selected();

public slots:
    void setColor(const QColor& color, const QString& text = QString());

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    QColor c;
    QString t;
    bool sel = false;
};

class ColorPickerButton : public QFrame {
    Q_OBJECT
public:
    explicit ColorPickerButton(QWidget* parent);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
};

class ColorPickerPopup : public QFrame {
    Q_OBJECT
public:
    ColorPickerPopup(int columns, bool withColorDialog, QWidget* parent = nullptr);

    void insertColor(const QColor& color, const QString& text, int index);
    ColorPickerItem* findItem(const QColor& color) const;
    QColor lastSel() const { return lastSelected; }
    // The widget of a grid cell, or null.
    QWidget* cellWidget(int row, int column) const;
    int itemCount() const { return items.size(); }
    ColorPickerItem* item(int i) const { return items.value(i); }
    ColorPickerButton* dialogCell() const { return moreButton; }
    QGridLayout* gridLayout() const { return grid; }

signals:
    void selected(const QColor& color);
    void hid();

public slots:
    void getColorFromDialog();

protected slots:
    void updateSelected();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void rebuildGrid();
    // Every item of the grid but `keep` loses its selection mark.
    void unselectAllBut(QWidget* keep);

    QMap<int, QMap<int, QWidget*>> widgetAt;
    QList<ColorPickerItem*> items;
    QGridLayout* grid = nullptr;
    ColorPickerButton* moreButton = nullptr;
    int columns;
    QColor lastSelected;
};
