#pragma once
// A pane that collapses to a thin strip along one of its edges and expands back to its
// reference width or height, with a small button on the strip to toggle it.

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QList>
#include <QPointer>

class QToolButton;

enum TPanelState { psExpanded, psCollapsed };
// The edge of its window the pane is placed against: it decides which dimension collapses.
enum TPanelAlign { paTop, paBottom, paLeft, paRight };

class TExpColPanel : public QFrame
{
    Q_OBJECT
public:
    static constexpr int nEpaisseurBande = 9;

    explicit TExpColPanel(TPanelAlign nAlign = paLeft, QWidget *parent = nullptr);

    TPanelAlign _Align() const { return m_nAlign; }
    void set_Align(TPanelAlign n);
    QColor _ArrowsColor() const { return m_clFleches; }
    void set_ArrowsColor(const QColor &c);
    int _LargHautRef() const { return m_nRef; }
    void set_LargHautRef(int n);
    TPanelState _PanelState() const { return m_nEtat; }
    void set_PanelState(TPanelState n);

    QToolButton *Bouton() const { return m_pBouton; }
    QFrame *Bande() const { return m_pBande; }
    // The 5 × 5 glyph of the button for the current alignment and state, drawn on bgColor.
    QImage Glyphe(const QColor &bgColor) const;

signals:
    void _OnCollapsed();
    void _OnExpanded();

protected:
    void resizeEvent(QResizeEvent *e) override;

private:
    bool EstHorizontal() const { return m_nAlign == paTop || m_nAlign == paBottom; }
    void AppliqueTaille(int n);
    void PlaceBande();
    void MajGlyphe();

    TPanelAlign m_nAlign;
    QColor m_clFleches = Qt::blue;
    int m_nRef = 200;
    TPanelState m_nEtat = psExpanded;
    QFrame *m_pBande = nullptr;
    QToolButton *m_pBouton = nullptr;
    QList<QPointer<QWidget>> m_lCaches; // the controls hidden by the last collapse
};
