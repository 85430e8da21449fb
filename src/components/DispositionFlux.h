#pragma once

#include <QHBoxLayout>

// A row of buttons that wraps onto further rows when its pane is too narrow, instead of
// clipping the buttons that do not fit. It is a QHBoxLayout to its users, who add their
// widgets with addWidget as before; stretches share out the room left only while every item
// fits on one row (a wrapped bar is left-aligned).
class TDispositionFlux : public QHBoxLayout
{
public:
    explicit TDispositionFlux(QWidget *Parent = nullptr) : QHBoxLayout(Parent) {}

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int nLargeur) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &r) override;
    Qt::Orientations expandingDirections() const override { return {}; }

    // Rows needed at that width (1 when empty); for tests and the panes that size themselves.
    int NombreRangees(int nLargeur) const;

private:
    // Lays the items out in r (or only measures when lApplique is false); returns the height
    // used, margins included, and the row count through pnRangees.
    int Place(const QRect &r, bool lApplique, int *pnRangees = nullptr) const;
};
