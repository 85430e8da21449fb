#pragma once
// The splitter bar between a collapsible pane and its neighbour: dragging it changes the
// pane's reference width or height, never below the given minimum. Beside a pane whose strip
// already looks like a handle, the strip itself is the handle and the bar takes no room.

#include <QFrame>
#include <QPointer>
#include <functional>

class TSeparateur : public QFrame
{
    Q_OBJECT
public:
    static constexpr int nEpaisseur = 4;

    // Qt::Vertical: a vertical bar that changes a width; Qt::Horizontal: a height.
    // fnTaille gives the current size, fnApplique sets a new one. nSens is +1 when dragging
    // right or down enlarges the pane, -1 when it shrinks it.
    TSeparateur(Qt::Orientation nOrientation, std::function<int()> fnTaille, std::function<void(int)> fnApplique,
                QWidget *Parent = nullptr, int nSens = 1);

    // Makes a widget (a pane's strip) the handle: dragging it moves this splitter, which then
    // takes no room of its own. The handle acts only while this splitter is shown.
    void PrendPoignee(QWidget *Poignee);
    QWidget *Poignee() const { return m_pPoignee; }

    void setMinimum(int n) { m_nMin = n; }
    int Minimum() const { return m_nMin; }
    void setMaximum(int n) { m_nMax = n; }

signals:
    void Deplace();

protected:
    void mousePressEvent(QMouseEvent *Evenement) override;
    void mouseMoveEvent(QMouseEvent *Evenement) override;
    void mouseReleaseEvent(QMouseEvent *Evenement) override;
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;
    void showEvent(QShowEvent *Evenement) override;
    void hideEvent(QHideEvent *Evenement) override;

private:
    int Position(QMouseEvent *Evenement) const;
    Qt::CursorShape Curseur() const;

    Qt::Orientation m_nOrientation;
    std::function<int()> m_fnTaille;
    std::function<void(int)> m_fnApplique;
    int m_nSens;
    int m_nMin = 0;
    int m_nMax = 100000;
    int m_nDepart = -1;
    int m_nTailleDepart = 0;
    QPointer<QWidget> m_pPoignee;
};
