#pragma once
// A read-only view of report paragraphs (runs of text with a size, weight and underline;
// alignment, indents and bullets), drawn on demand. A report of hundreds of thousands of lines
// would take a rich-text box minutes and gigabytes to lay out; this view lays out only the
// paragraphs on screen and keeps, for the others, a height that is estimated until the
// paragraph is first shown. Heights sit in a prefix-sum tree, so finding the paragraph at any
// scroll position, jumping to the end or appending paragraphs costs a logarithm, not a pass.
//
// It behaves like a read-only text box: selection with the mouse across paragraphs (drag,
// shift-click, double-click on a word), Ctrl+A, Ctrl+C, keyboard and wheel scrolling, and a
// context menu "Copier" / "Tout sélectionner".

#include "platform/EcritRTF.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QHash>
#include <QList>

#include <compare>
#include <memory>
#include <unordered_map>
#include <vector>

class QMenu;
class QMimeData;
class QTextLayout;

// A place in the shown text: a paragraph and a character of its shown text (TexteAffiche).
struct TPositionParagraphe
{
    qsizetype nParagraphe = 0;
    qsizetype nCar = 0;
    auto operator<=>(const TPositionParagraphe &) const = default;
};

// The text a paragraph shows: its runs joined, every line break (CR LF, CR or LF) turned into
// one QChar::LineSeparator so that character positions match what is drawn.
QString TexteAffiche(const TParagrapheRTF &Paragraphe);

// The paragraphs as HTML (one <p> each, sizes in points, bold, underline, indents, centring,
// bullets as lists), for pasting into programs that do not read RTF.
QString HTMLDeParagraphes(const QList<TParagrapheRTF> &lstParagraphes);

class QPagedPaintDevice;

// Prints the paragraphs as the view shows them, in the given font family, page after page
// (a printer or a PDF writer): one paragraph laid out at a time, so that a report of millions
// of lines prints without a document of millions of blocks.
void ImprimeParagraphes(const QList<TParagrapheRTF> &lstParagraphes, const QFont &Police,
                        QPagedPaintDevice &Peripherique);

class TVueParagraphes : public QAbstractScrollArea
{
    Q_OBJECT
    friend void ImprimeParagraphes(const QList<TParagrapheRTF> &, const QFont &, QPagedPaintDevice &);

public:
    explicit TVueParagraphes(QWidget *Parent = nullptr);
    ~TVueParagraphes() override;

    // Shows these paragraphs (the list's data is shared with the caller's, not copied); the
    // view goes back to the top and the selection is cleared.
    void setParagraphes(const QList<TParagrapheRTF> &lstParagraphes);
    // Adds paragraphs at the end: only they are measured, the view and selection stay.
    void AjouteParagraphes(const QList<TParagrapheRTF> &lstNouveaux);
    void Efface();
    const QList<TParagrapheRTF> &Paragraphes() const { return m_Paragraphes; }
    qsizetype NombreParagraphes() const { return m_Paragraphes.size(); }
    bool isReadOnly() const { return true; }
    // Every paragraph's shown text, one per line (no final line break).
    QString toPlainText() const;

    // The selection runs between the anchor and the cursor, whichever comes first.
    TPositionParagraphe Ancre() const { return m_Ancre; }
    TPositionParagraphe Curseur() const { return m_Curseur; }
    bool ASelection() const { return m_Ancre != m_Curseur; }
    void Selectionne(TPositionParagraphe Ancre, TPositionParagraphe Curseur);
    void SelectionneTout();
    void Deselectionne();
    // The selected text, paragraphs separated by "\n".
    QString TexteSelectionne() const;
    // The selected part of the paragraphs, cut to the selection's ends.
    QList<TParagrapheRTF> ParagraphesSelectionnes() const;
    // Puts the selection on the clipboard (plain text, HTML and RTF); the selection stays.
    void Copier();
    QMenu *CreeMenuContextuel(QWidget *Parent);

    void AllerAuDebut();
    void AllerALaFin();

    // The geometry as it stands: heights of paragraphs never shown are estimates.
    qint64 HauteurTotale() const { return Prefixe(m_Paragraphes.size()); }
    int HauteurParagraphe(qsizetype n) const { return m_Hauteurs[size_t(n)]; }
    bool HauteurExacte(qsizetype n) const { return m_Exactes[size_t(n)] != 0; }
    // The paragraph's box in viewport coordinates.
    QRect RectParagraphe(qsizetype n) const;
    // The first and last paragraphs at least partly in the viewport (-1 when none).
    qsizetype PremierVisible() const;
    qsizetype DernierVisible() const;
    // How many paragraphs hold a layout now (those on screen and a few recently shown).
    qsizetype NombreDisposes() const { return qsizetype(m_Dispositions.size()); }
    // The text position under a viewport point.
    TPositionParagraphe PositionEn(QPoint Point);
    // Lays out what the viewport shows at the current scroll position (painting does it too).
    void PrepareVisibles();

protected:
    void paintEvent(QPaintEvent *Evenement) override;
    void resizeEvent(QResizeEvent *Evenement) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent *Evenement) override;
    void keyPressEvent(QKeyEvent *Evenement) override;
    void mousePressEvent(QMouseEvent *Evenement) override;
    void mouseMoveEvent(QMouseEvent *Evenement) override;
    void mouseReleaseEvent(QMouseEvent *Evenement) override;
    void mouseDoubleClickEvent(QMouseEvent *Evenement) override;
    void contextMenuEvent(QContextMenuEvent *Evenement) override;
    void focusInEvent(QFocusEvent *Evenement) override;
    void focusOutEvent(QFocusEvent *Evenement) override;
    void timerEvent(QTimerEvent *Evenement) override;

private:
    struct TDisposition;
    struct TMetrique
    {
        int nInterligne = 0;
        double rLargeurCar = 0;
    };

    // The prefix-sum tree over m_Hauteurs (1-based, Fenwick).
    qint64 Prefixe(qsizetype n) const;
    void ChangeHauteur(qsizetype n, int nHauteur);
    void AjouteAuxSommes(int nHauteur);
    void ReconstruitSommes();
    // The paragraph holding document ordinate y (clamped to the paragraphs).
    qsizetype ParagrapheA(qint64 y) const;

    int Estimation(const TParagrapheRTF &p);
    const TMetrique &Metrique(double rTaille);
    void ReestimeTout();
    // Takes the width and resolution the estimates are made for.
    void MajMesures();
    int LargeurContenu() const;
    double PixelsParTwip() const;
    TDisposition &Dispose(qsizetype n);
    void MajBarres();
    qint64 Decalage() const;
    QString MotAutour(qsizetype n, qsizetype nCar, qsizetype &nDebut, qsizetype &nFin);
    QMimeData *DonneesSelection() const;
    void CopieDansSelectionX11();
    void DefileSelonSouris(QPoint Point);

    QList<TParagrapheRTF> m_Paragraphes;
    std::vector<int> m_Hauteurs;
    std::vector<unsigned char> m_Exactes;
    std::vector<qint64> m_Sommes;
    std::unordered_map<qsizetype, std::unique_ptr<TDisposition>> m_Dispositions;
    QHash<int, TMetrique> m_Metriques;
    int m_nLargeurEstimee = -1;
    double m_rPixelsParTwip = 1;
    double m_rTailleMetrique = -1;
    TMetrique m_MetriqueCourante;
    TPositionParagraphe m_Ancre, m_Curseur;
    bool m_lGlisse = false;
    // While a drag holds the pointer above or below the text, the view keeps scrolling.
    QBasicTimer m_Defilement;
    QPoint m_PointGlisse;
    bool m_lPeinture = false;
};
